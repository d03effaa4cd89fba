#pragma once

#include <QDialog>

// The first-run window that asks for the facility code and name.
class TForm4 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
};

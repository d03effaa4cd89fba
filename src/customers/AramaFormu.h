#pragma once

#include <QDialog>

// The guest search window, hidden until called.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};

#pragma once

#include <QWidget>

// The customer master window, hidden until called.
class TForm3 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
};

#pragma once

#include <QDialog>
#include <QLCDNumber>
#include <QLineEdit>

class QPushButton;
class TForm1;

// The five-digit facility code display. Keeps the text it shows, leading
// zeros included.
class LedDisplay : public QLCDNumber
{
    Q_OBJECT
public:
    explicit LedDisplay(QWidget* parent = nullptr);
    void setText(const QString& text);
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// The facility code field: digits only, at most five, the whole text selected
// when the field is entered or clicked.
class NumericEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit NumericEdit(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

// The first-run window that asks for the facility code and name.
class TForm4 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm4(TForm1* main, QWidget* parent = nullptr);

    void FormCreate();
    void FormShow();
    void BitBtn1Click();
    void RzNumericEdit1Click();

    NumericEdit* RzNumericEdit1;
    QLineEdit* Edit1;
    QPushButton* BitBtn1;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TForm1* m_main;
};

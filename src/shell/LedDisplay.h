#pragma once

#include <QLCDNumber>
#include <QString>

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

#include "LedDisplay.h"

LedDisplay::LedDisplay(QWidget* parent) : QLCDNumber(5, parent)
{
    setSegmentStyle(QLCDNumber::Flat);
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, QColor(0, 255, 0));
    setPalette(p);
    setText(QStringLiteral("00000"));
}

void LedDisplay::setText(const QString& text)
{
    m_text = text;
    display(text);
}

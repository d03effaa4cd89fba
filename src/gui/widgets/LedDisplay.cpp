// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/LedDisplay.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kLit(0, 255, 0);

// A segment of a 10 x 20 digit: a bar with pointed ends.
QPainterPath segment(QPointF from, QPointF to, qreal thickness)
{
    const QPointF along = to - from;
    const bool horizontal = qAbs(along.x()) > qAbs(along.y());
    const qreal t = thickness / 2;
    QPainterPath path;
    if (horizontal) {
        path.moveTo(from);
        path.lineTo(from + QPointF(t, -t));
        path.lineTo(to + QPointF(-t, -t));
        path.lineTo(to);
        path.lineTo(to + QPointF(-t, t));
        path.lineTo(from + QPointF(t, t));
    } else {
        path.moveTo(from);
        path.lineTo(from + QPointF(t, t));
        path.lineTo(to + QPointF(t, -t));
        path.lineTo(to);
        path.lineTo(to + QPointF(-t, -t));
        path.lineTo(from + QPointF(-t, t));
    }
    path.closeSubpath();
    return path;
}

} // namespace

LedDisplay::LedDisplay(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    p.setColor(QPalette::WindowText, kLit);
    setPalette(p);
    setText(QStringLiteral("00000"));
}

void LedDisplay::setText(const QString& text)
{
    m_text = text;
    update();
}

int LedDisplay::segmentsOf(QChar c)
{
    static const int digits[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return digits[c.unicode() - '0'];
    if (c == QLatin1Char('-'))
        return 0x40;
    return 0;
}

QString LedDisplay::shown() const
{
    return m_text.right(kDigits).rightJustified(kDigits, QLatin1Char(' '));
}

void LedDisplay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QColor unlit = palette().color(QPalette::ButtonText);
    // Two pixels between digits leave the same margin either side of the
    // row, so the outer segments stay clear of the panel's edges.
    const qreal gap = 2;
    const qreal total = kDigits * kDigitWidth + (kDigits - 1) * gap;
    const qreal left = (width() - total) / 2;
    const qreal top = (height() - kDigitHeight) / 2.0;
    const qreal w = kDigitWidth;
    const qreal h = kDigitHeight;
    const qreal m = h / 2;
    const qreal thick = 2.2;
    const QString places = shown();
    for (int d = 0; d < kDigits; ++d) {
        const QPointF o(left + d * (w + gap), top);
        const QPainterPath bars[7] = {
            segment(o + QPointF(1, 1), o + QPointF(w - 1, 1), thick),          // top
            segment(o + QPointF(w - 1, 1), o + QPointF(w - 1, m), thick),      // upper right
            segment(o + QPointF(w - 1, m), o + QPointF(w - 1, h - 1), thick),  // lower right
            segment(o + QPointF(1, h - 1), o + QPointF(w - 1, h - 1), thick),  // bottom
            segment(o + QPointF(1, m), o + QPointF(1, h - 1), thick),          // lower left
            segment(o + QPointF(1, 1), o + QPointF(1, m), thick),              // upper left
            segment(o + QPointF(1, m), o + QPointF(w - 1, m), thick),          // middle
        };
        const int lit = segmentsOf(places[d]);
        for (int s = 0; s < 7; ++s)
            p.fillPath(bars[s], (lit >> s) & 1 ? kLit : unlit);
    }
}

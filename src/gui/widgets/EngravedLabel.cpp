// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/EngravedLabel.h"

#include <QPainter>

EngravedLabel::EngravedLabel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void EngravedLabel::setText(const QString& text)
{
    m_text = text;
    update();
}

void EngravedLabel::paintEvent(QPaintEvent*)
{
    // Recessed: a light copy one pixel down and right, the text itself in a
    // dark shade on top.
    QPainter p(this);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    p.setPen(palette().color(QPalette::Light));
    p.drawText(rect().translated(1, 1), flags, m_text);
    p.setPen(palette().color(QPalette::Dark));
    p.drawText(rect(), flags, m_text);
}

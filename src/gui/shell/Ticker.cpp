// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/Ticker.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>

Ticker::Ticker(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_text.setDocumentMargin(0);
    QFont font(QStringLiteral("Verdana"));
    font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(10);
    font.setBold(true);
    m_text.setDefaultFont(font);
    m_text.setDefaultStyleSheet(QStringLiteral("body { color: #666666; white-space: nowrap; }"));
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &Ticker::step);
    hide();
}

void Ticker::setContent(const QString& html, const QColor& background)
{
    m_text.refused.clear();
    m_text.setHtml(QStringLiteral("<body>") + html + QStringLiteral("</body>"));
    m_background = background;
    m_x = width();
    m_timer.start();
    show();
    update();
}

void Ticker::clear()
{
    m_timer.stop();
    m_text.clear();
    hide();
}

int Ticker::textWidth() const
{
    return int(m_text.idealWidth());
}

void Ticker::step()
{
    m_x -= kStepPx;
    if (m_x + textWidth() <= 0)
        m_x = width();
    update();
}

void Ticker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_background.isValid())
        painter.fillRect(rect(), m_background);
    painter.translate(m_x, (height() - m_text.size().height()) / 2.0);
    m_text.drawContents(&painter);
}

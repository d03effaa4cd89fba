// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/shell/ClosedDocument.h"

#include <QColor>
#include <QTimer>
#include <QWidget>

// A line of rich text that runs from right to left, kStepPx pixels every
// kIntervalMs, and starts again at the right once it has gone: the panel's
// stand-in for a page's <marquee>, which the view cannot show.
class Ticker : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kStepPx = 3;
    static constexpr int kIntervalMs = 50;

    explicit Ticker(QWidget* parent = nullptr);
    // Starts running the html fragment from the right edge.
    void setContent(const QString& html, const QColor& background);
    void clear();

    QString text() const { return m_text.toPlainText(); }
    const ClosedDocument& document() const { return m_text; }
    int position() const { return m_x; }  // left edge of the text
    int textWidth() const;
    // One move; the timer calls it.
    void step();
    const QTimer& timer() const { return m_timer; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ClosedDocument m_text;
    QColor m_background;
    QTimer m_timer;
    int m_x = 0;
};

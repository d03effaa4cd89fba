// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class Clock;
class QLabel;
class QTimer;

// The splash window shown while the program prepares itself.
class SplashScreen : public QWidget
{
    Q_OBJECT
public:
    explicit SplashScreen(Clock& clock, QWidget* parent = nullptr);
    ~SplashScreen() override;

    // Writes the status line, paints it at once, then pauses for ms; the
    // busy picture goes on turning meanwhile, and no user input is handled.
    void SetSplashStatus(const QString& text, int ms);
    QString status() const;
    // How many times the busy picture has turned a step.
    int busyFrames() const { return m_frames; }

    // The splash created last, or null.
    static SplashScreen* last();

    static const QRect kBusyArea;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Clock& m_clock;
    QLabel* m_status;
    QTimer* m_busy;
    int m_frames = 0;
};

// Acts on the splash created last; does nothing when there is none.
void SetSplashStatus(const QString& text, int ms);

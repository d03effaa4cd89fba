// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/SplashScreen.h"

#include "platform/core/Clock.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTimer>
#include <QPainter>
#include <QScreen>
#include <QGuiApplication>

namespace {
SplashScreen* g_last = nullptr;
} // namespace

const QRect SplashScreen::kBusyArea{366, 64, 20, 21};

SplashScreen::SplashScreen(Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_clock(clock)
{
    setObjectName(QStringLiteral("TForm5"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(404, 101);
    setWindowOpacity(220.0 / 255.0);

    auto* upper = new QLabel(QStringLiteral("PROGRAM BAŞLATILIYOR"), this);
    upper->setObjectName(QStringLiteral("Label1"));
    QFont bold(QStringLiteral("Arial"));
    bold.setPointSize(10);
    bold.setBold(true);
    upper->setFont(bold);
    upper->setStyleSheet(QStringLiteral("color: maroon;"));
    upper->setGeometry(16, 14, 372, 20);
    upper->setAlignment(Qt::AlignCenter);

    auto* middle = new QLabel(QStringLiteral("KONTROLLER YAPILIYOR. LÜTFEN BEKLEYİNİZ."), this);
    middle->setObjectName(QStringLiteral("Label2"));
    middle->setGeometry(16, 40, 372, 18);
    middle->setAlignment(Qt::AlignCenter);

    m_status = new QLabel(QStringLiteral("......"), this);
    m_status->setObjectName(QStringLiteral("Label3"));
    m_status->setStyleSheet(QStringLiteral("color: navy;"));
    m_status->setGeometry(16, 66, 340, 18);
    m_status->setAlignment(Qt::AlignCenter);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    g_last = this;

    // The busy picture turns while the splash is up.
    m_busy = new QTimer(this);
    m_busy->setInterval(80);
    connect(m_busy, &QTimer::timeout, this, [this] {
        ++m_frames;
        update(kBusyArea);
    });
}

void SplashScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_busy->start();
}

void SplashScreen::hideEvent(QHideEvent* event)
{
    m_busy->stop();
    QWidget::hideEvent(event);
}

SplashScreen::~SplashScreen()
{
    if (g_last == this)
        g_last = nullptr;
}

SplashScreen* SplashScreen::last()
{
    return g_last;
}

QString SplashScreen::status() const
{
    return m_status->text();
}

void SplashScreen::SetSplashStatus(const QString& text, int ms)
{
    m_status->setText(text);
    repaint();
    // Hands the painted window to the window system before the pause.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_clock.sleep(ms);
}

void SplashScreen::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(192, 192, 192));
    const int frame = 5;
    QPen pen(QColor(0, 0, 128));
    pen.setWidth(frame);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.drawRect(rect().adjusted(frame / 2, frame / 2, -(frame + 1) / 2, -(frame + 1) / 2));
    // Busy picture beside the status line: twelve spokes, one bright, the
    // bright one moving round a step each time.
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(kBusyArea).center();
    for (int i = 0; i < 12; ++i) {
        const int age = (i - m_frames % 12 + 12) % 12;
        QColor c(0, 0, 128);
        c.setAlpha(255 - age * 18);
        p.save();
        p.translate(centre);
        p.rotate(i * 30.0);
        p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(0, -4), QPointF(0, -9));
        p.restore();
    }
}

void SetSplashStatus(const QString& text, int ms)
{
    if (SplashScreen* splash = SplashScreen::last())
        splash->SetSplashStatus(text, ms);
}

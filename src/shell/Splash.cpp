#include "Splash.h"

#include "platform/Clock.h"

#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QGuiApplication>

namespace {
TForm5* g_last = nullptr;
}

TForm5::TForm5(Clock& clock, QWidget* parent)
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
}

TForm5::~TForm5()
{
    if (g_last == this)
        g_last = nullptr;
}

TForm5* TForm5::last()
{
    return g_last;
}

QString TForm5::status() const
{
    return m_status->text();
}

void TForm5::SetSplashStatus(const QString& text, int ms)
{
    m_status->setText(text);
    repaint();
    m_clock.sleep(ms);
}

void TForm5::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(192, 192, 192));
    const int frame = 5;
    QPen pen(QColor(0, 0, 128));
    pen.setWidth(frame);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.drawRect(rect().adjusted(frame / 2, frame / 2, -(frame + 1) / 2, -(frame + 1) / 2));
    // Busy mark beside the status line.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    p.drawEllipse(QRect(366, 64, 20, 21));
}

void SetSplashStatus(const QString& text, int ms)
{
    if (TForm5* splash = TForm5::last())
        splash->SetSplashStatus(text, ms);
}

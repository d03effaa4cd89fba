#include "Clock.h"

#include <QThread>

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

void SystemClock::sleep(int ms)
{
    QThread::msleep(static_cast<unsigned long>(ms));
}

void ManualClock::sleep(int ms)
{
    sleeps.append(ms);
    if (onSleep)
        onSleep(ms);
    m_now = m_now.addMSecs(ms);
}

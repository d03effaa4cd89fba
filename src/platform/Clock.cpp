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

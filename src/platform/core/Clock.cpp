// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/Clock.h"

#include <QEventLoop>
#include <QTimer>

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

void SystemClock::sleep(int ms)
{
    QEventLoop pause;
    QTimer::singleShot(ms, &pause, &QEventLoop::quit);
    pause.exec(QEventLoop::ExcludeUserInputEvents);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"

#include "platform/core/Clock.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

// The splash's pauses: the time passes, and timers (the busy picture's
// among them) and painting go on meanwhile. User input waits by the event
// loop's ExcludeUserInputEvents, which only a window system can deliver.
TEST(SystemClock, APauseLastsItsTimeAndKeepsTimersRunning)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    SystemClock clock;
    QElapsedTimer elapsed;
    elapsed.start();
    clock.sleep(200);
    EXPECT_GE(elapsed.elapsed(), 190);
    EXPECT_GE(ticks, 3);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>

// "Now" and blocking pauses. Nothing else in the program asks the system
// for the time.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Pauses the caller for ms (used while the splash is up). The real clock
    // keeps handling the thread's events other than user input meanwhile,
    // so windows paint and timers run while nothing the user does is acted
    // on until the pause is over.
    virtual void sleep(int ms) = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override;
    void sleep(int ms) override;
};

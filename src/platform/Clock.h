#pragma once

#include <QDateTime>

// "Now" and blocking pauses. Nothing else in the program asks the system
// for the time.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Blocks the calling thread (used while the splash is up).
    virtual void sleep(int ms) = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override;
    void sleep(int ms) override;
};

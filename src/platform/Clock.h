#pragma once

#include <QDateTime>
#include <QList>
#include <functional>

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

// Test double: time stands still until set or advanced; pauses return at once
// and advance the time by their length.
class ManualClock : public Clock
{
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9)))
        : m_now(std::move(start))
    {
    }
    QDateTime now() const override { return m_now; }
    void sleep(int ms) override;

    void set(const QDateTime& t) { m_now = t; }
    void advanceSeconds(int s) { m_now = m_now.addSecs(s); }

    QList<int> sleeps;
    std::function<void(int)> onSleep;

private:
    QDateTime m_now;
};

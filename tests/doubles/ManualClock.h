// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/Clock.h"

#include <QList>
#include <functional>

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

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <optional>

class Store;

// How long the customer file is kept: the period in months chosen by the
// facility, the day the retention began (a customer never seen since counts
// as last seen then) and the moment of the last destruction. One row of
// KvkkAyar, made the first time the register is read with it.
class RetentionSettings
{
public:
    static constexpr int kMinMonths = 12;
    static constexpr int kMaxMonths = 120;
    static constexpr int kDefaultMonths = 36;
    // Destruction comes round at least this often.
    static constexpr int kIntervalMonths = 6;

    explicit RetentionSettings(Store& store);

    // Reads the row; without one, stores the default period with today as
    // the day the retention began.
    void load(const QDate& today);

    int months() const { return m_months; }
    QDate start() const { return m_start; }
    std::optional<QDateTime> lastDestruction() const { return m_last; }

    // Stores another period; false (nothing stored) outside 12 to 120.
    bool setMonths(int months);
    // Stores the moment of a destruction; inside the caller's transaction.
    void setLastDestruction(const QDateTime& moment);

    // Six months since the last destruction, or since the retention began
    // when there was none.
    bool isDestructionDue(const QDateTime& now) const;
    // A customer last seen before this day is past the period.
    QDate oldestKept(const QDate& today) const { return today.addMonths(-m_months); }

private:
    void store();

    Store& m_store;
    qint64 m_key = 0;
    int m_months = kDefaultMonths;
    QDate m_start;
    std::optional<QDateTime> m_last;
};

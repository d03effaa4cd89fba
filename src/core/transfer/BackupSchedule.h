// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/transfer/Backups.h"

#include <QString>
#include <optional>

class Clock;
class Tables;

// When a backup is made: after every successful transfer run, at the first
// start of a day that has none yet, and while the program runs once the
// newest is more than a day old, never while the clerk is busy. A failure
// is reported once, and tried again at the next occasion; the next success
// makes a later failure worth a report again.
class BackupSchedule
{
public:
    BackupSchedule(Backups& backups, Clock& clock);

    // Each returns the message to show, or nothing.
    std::optional<QString> atStart();
    std::optional<QString> afterRun();
    std::optional<QString> whileRunning(bool busy);

    // How often the running program asks.
    static constexpr int kCheckIntervalMs = 10 * 60 * 1000;

private:
    std::optional<QString> attempt();

    Backups& m_backups;
    Clock& m_clock;
    bool m_failureShown = false;
};

// Puts a backup in place of the register: every table closed, the backup
// restored (the register's current run history kept), every table opened
// again as after a compaction. The message of a failure, or nothing;
// WorkAbandoned when the clerk abandoned it, with every table open again.
std::optional<QString> restoreBackup(Backups& backups, Tables& tables, const Backups::Entry& backup,
                                     const QByteArray& key);

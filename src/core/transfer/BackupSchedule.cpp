// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/transfer/BackupSchedule.h"

#include "core/transfer/Backups.h"
#include "platform/core/Clock.h"
#include "platform/core/RadaError.h"
#include "core/register/Tables.h"

BackupSchedule::BackupSchedule(Backups& backups, Clock& clock) : m_backups(backups), m_clock(clock)
{
}

std::optional<QString> BackupSchedule::attempt()
{
    std::optional<QString> failure;
    try {
        failure = m_backups.make();
    } catch (const WorkAbandoned&) {
        // The clerk stopped it: nothing to report, tried again next time.
        return std::nullopt;
    }
    if (!failure) {
        m_failureShown = false;
        return std::nullopt;
    }
    if (m_failureShown)
        return std::nullopt;
    m_failureShown = true;
    return failure;
}

std::optional<QString> BackupSchedule::atStart()
{
    if (m_backups.madeOn(m_clock.now().date()))
        return std::nullopt;
    return attempt();
}

std::optional<QString> BackupSchedule::afterRun()
{
    return attempt();
}

std::optional<QString> BackupSchedule::whileRunning(bool busy)
{
    if (busy || !m_backups.isDue(m_clock.now()))
        return std::nullopt;
    return attempt();
}

std::optional<QString> restoreBackup(Backups& backups, Tables& tables, const Backups::Entry& backup,
                                     const QByteArray& key)
{
    tables.closeAll();
    std::optional<QString> failure;
    try {
        failure = backups.restore(backup, key);
    } catch (const WorkAbandoned&) {
        tables.openAll();
        throw;
    }
    try {
        tables.openAll();
    } catch (const RadaError& e) {
        if (!failure)
            failure = e.text();
    }
    return failure;
}

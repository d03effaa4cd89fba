// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/customers/RetentionSettings.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class Clock;
class Compaction;
class Dialogs;
class Store;
class Tables;

// Destroys customer records: those past the retention period (at intervals
// of at most six months, or when the clerk asks) and those a person asked
// to be erased. Each destruction is one transaction with the store's secure
// delete on, leaves its row in the destruction log (also when nobody was
// destroyed), removes the log's rows older than three years and compacts
// the register, as after a transfer run (on a server, the customers'
// tables are rewritten instead). Guests are never touched: they
// leave the register only through the transfer run.
//
// The caller settles pending guest and customer edits first: every table
// is closed and opened again.
class CustomerDestruction
{
public:
    // Without a compaction (a register on a server) that step is left out.
    CustomerDestruction(Store& store, Tables& tables, Compaction* compaction, Clock& clock);

    // Reads the retention settings, making them the first time.
    RetentionSettings& settings();

    bool isDue();
    // The customers whose last stay lies before the period: their numbers.
    QList<qint64> expiredCustomers();

    struct Outcome
    {
        int destroyed = 0;
        // False when the compaction failed (it has shown its message); the
        // records are gone all the same.
        bool compacted = true;
        // False when the server's rewrite of the tables could not be done
        // now; the records are gone all the same, and rewriteIfDue() does
        // it later.
        bool rewritten = true;
    };
    // Destroys the expired customers and records the moment as the last
    // destruction.
    Outcome destroyExpired();
    // When due: destroyExpired(); otherwise nothing.
    std::optional<Outcome> destroyExpiredIfDue();
    // Erases the customers a person's request found.
    Outcome eraseOnRequest(const QList<qint64>& customers);
    // The rewrite an earlier destruction left due, on this desk or another:
    // tried at start and every hour. True when none is left due.
    bool rewriteIfDue();

    // The second line of a destruction's message when the rewrite was not done.
    static const QString kNotRewrittenText;

    // Where a destruction shows its progress; it cannot be abandoned.
    void setDialogs(Dialogs* dialogs) { m_dialogs = dialogs; }
    static const QString kWorkText; // "Müşteri kayıtları imha ediliyor..."

    // For tests that show what the compaction is for.
    bool skipCompaction = false;

private:
    Outcome destroy(const QList<qint64>& customers, const QString& reason, bool periodic);

    Store& m_store;
    Tables& m_tables;
    Compaction* m_compaction;
    Clock& m_clock;
    Dialogs* m_dialogs = nullptr;
    RetentionSettings m_settings;
    bool m_loaded = false;
};

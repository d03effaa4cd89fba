// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/customers/CustomerDestruction.h"

#include "core/register/Columns.h"
#include "core/customers/DestructionLog.h"
#include "core/register/Store.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/Schema.h"
#include "core/register/Tables.h"
#include "core/transfer/Compaction.h"
#include "core/transfer/StayStatistics.h"
#include "platform/core/Clock.h"
#include "platform/core/Dialogs.h"

#include <QHash>
#include <QSet>
#include <algorithm>

const QString CustomerDestruction::kWorkText = QStringLiteral("Müşteri kayıtları imha ediliyor...");

namespace {

// The customers' last stays, by customer number.
QHash<qint64, QString> lastStays(Store& store)
{
    const TableDef& t = Schema::musteriKonaklama();
    const int customer = t.indexOf(Columns::musteriID);
    const int day = t.indexOf(Columns::SonKonaklama);
    QHash<qint64, QString> days;
    store.scan(t.name, [&](qint64, std::span<const StoreValue> row) {
        days.insert(row[std::size_t(customer)].integer, row[std::size_t(day)].toVariant().toString());
    });
    return days;
}

// The customers' numbers, in stored order.
QList<qint64> customerNumbers(Store& store)
{
    QList<qint64> keys;
    store.scan(Schema::musteriler().name, [&keys](qint64 key, std::span<const StoreValue>) { keys << key; });
    return keys;
}

} // namespace

CustomerDestruction::CustomerDestruction(Store& store, Tables& tables, Compaction* compaction, Clock& clock)
    : m_store(store), m_tables(tables), m_compaction(compaction), m_clock(clock), m_settings(store)
{
}

RetentionSettings& CustomerDestruction::settings()
{
    if (!m_loaded) {
        m_settings.load(m_clock.now().date());
        m_loaded = true;
    }
    return m_settings;
}

bool CustomerDestruction::isDue()
{
    return settings().isDestructionDue(m_clock.now());
}

QList<qint64> CustomerDestruction::expiredCustomers()
{
    // Dates are stored as "yyyy-MM-dd": their text order is their order.
    const QString oldestKept = Formats::dateText(settings().oldestKept(m_clock.now().date()));
    const QString start = Formats::dateText(settings().start());
    const QHash<qint64, QString> days = lastStays(m_store);
    QList<qint64> keys;
    for (qint64 key : customerNumbers(m_store)) {
        const QString day = days.value(key);
        if ((day.isEmpty() ? start : day) < oldestKept)
            keys << key;
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

CustomerDestruction::Outcome CustomerDestruction::destroyExpired()
{
    return destroy(expiredCustomers(), DestructionLog::kPeriodOver, true);
}

std::optional<CustomerDestruction::Outcome> CustomerDestruction::destroyExpiredIfDue()
{
    if (!isDue())
        return std::nullopt;
    return destroyExpired();
}

CustomerDestruction::Outcome CustomerDestruction::eraseOnRequest(const QList<qint64>& customers)
{
    return destroy(customers, DestructionLog::kPersonsRequest, false);
}

const QString CustomerDestruction::kNotRewrittenText =
    QStringLiteral("Silinen kayıtların izleri sunucunun dosyalarından henüz temizlenemedi; "
                   "program açılışta ve saatte bir yeniden deneyecek.");

bool CustomerDestruction::rewriteIfDue()
{
    bool done = true;
    try {
        for (const QString& table : m_store.rewritesDue())
            done = m_store.dropDeletedRows(table) && done;
    } catch (const StoreError&) {
        return false;
    }
    return done;
}

CustomerDestruction::Outcome CustomerDestruction::destroy(const QList<qint64>& customers, const QString& reason,
                                                          bool periodic)
{
    settings();
    // Begun, it goes to its end: the records and the compaction together.
    std::unique_ptr<Dialogs::Work> work;
    if (m_dialogs)
        work = m_dialogs->beginWork({kWorkText, false});
    const QDateTime now = m_clock.now();
    Outcome outcome;
    m_store.eraseOnDelete();
    Store::Transaction tx = m_store.transaction();
    try {
        // The rows deleted are counted, not the table's size before and
        // after, which another desk's customers stored meanwhile would change.
        int present = 0;
        m_store.scanKeys(Schema::musteriler().name, customers,
                         [&present](qint64, std::span<const StoreValue>) { ++present; });
        m_store.remove(Schema::musteriler().name, customers);
        outcome.destroyed = present;
        // The last stays of customers no longer there, these and any that a
        // deletion in the customer window left behind.
        const QList<qint64> remaining = customerNumbers(m_store);
        const QSet<qint64> kept(remaining.begin(), remaining.end());
        const int customer = Schema::musteriKonaklama().indexOf(Columns::musteriID);
        QList<qint64> orphans;
        m_store.scan(Schema::musteriKonaklama().name, [&](qint64 key, std::span<const StoreValue> row) {
            if (!kept.contains(row[std::size_t(customer)].integer))
                orphans << key;
        });
        if (!orphans.isEmpty())
            m_store.remove(Schema::musteriKonaklama().name, orphans);
        DestructionLog::record(m_store, now, outcome.destroyed, reason);
        DestructionLog::prune(m_store, now);
        StayStatistics::prune(m_store, now.date());
        if (periodic)
            m_settings.setLastDestruction(now);
        for (const TableDef* t : {&Schema::musteriler(), &Schema::musteriKonaklama()})
            m_store.markRewriteDue(t->name);
        tx.commit();
    } catch (...) {
        tx.rollback();
        m_loaded = false;
        throw;
    }
    // Done with the commit: the rewrite that follows may have to wait for
    // a later time.
    outcome.rewritten = rewriteIfDue();

    // As after a transfer run: every table closed, the register compacted
    // and the tables opened again, the guest shown before current again.
    const qint64 guest = m_tables.kisi->key();
    m_tables.closeAll();
    if (m_compaction && !skipCompaction)
        outcome.compacted = m_compaction->compactRegister();
    if (m_compaction)
        m_compaction->reopenIfClosed();
    m_tables.openAll();
    Dataset* guests = m_tables.kisi;
    for (int row = 0; row < guests->recordCount(); ++row) {
        if (guests->rowKey(row) == guest) {
            guests->moveToRow(row);
            break;
        }
    }
    return outcome;
}

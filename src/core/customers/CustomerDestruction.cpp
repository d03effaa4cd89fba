#include "core/customers/CustomerDestruction.h"

#include "core/customers/DestructionLog.h"
#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/Schema.h"
#include "core/register/Tables.h"
#include "core/transfer/Compaction.h"
#include "platform/core/Clock.h"

CustomerDestruction::CustomerDestruction(Database& database, Tables& tables, Compaction& compaction, Clock& clock)
    : m_database(database), m_tables(tables), m_compaction(compaction), m_clock(clock), m_settings(database)
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
    QList<qint64> keys;
    for (const QVariant& key : m_database.column(
             QStringLiteral("SELECT m.musteriID FROM Musteriler m LEFT JOIN MusteriKonaklama k "
                            "ON k.musteriID = m.musteriID WHERE COALESCE(k.SonKonaklama, ?) < ? ORDER BY m.musteriID"),
             {start, oldestKept}))
        keys << key.toLongLong();
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

CustomerDestruction::Outcome CustomerDestruction::destroy(const QList<qint64>& customers, const QString& reason,
                                                          bool periodic)
{
    settings();
    const QDateTime now = m_clock.now();
    Outcome outcome;
    // Freed pages are overwritten, in the file and in its journal.
    m_database.exec(QStringLiteral("PRAGMA secure_delete = ON"));
    m_database.begin();
    try {
        const int before = m_database.count(Schema::musteriler().name);
        m_database.remove(Schema::musteriler().name, customers);
        outcome.destroyed = before - m_database.count(Schema::musteriler().name);
        // The last stays of customers no longer there, these and any that a
        // deletion in the customer window left behind.
        m_database.exec(QStringLiteral("DELETE FROM MusteriKonaklama WHERE musteriID NOT IN "
                                       "(SELECT musteriID FROM Musteriler)"));
        DestructionLog::record(m_database, now, outcome.destroyed, reason);
        DestructionLog::prune(m_database, now);
        if (periodic)
            m_settings.setLastDestruction(now);
        m_database.commit();
    } catch (...) {
        m_database.rollback();
        m_loaded = false;
        throw;
    }

    // As after a transfer run: every table closed, the register compacted
    // and the tables opened again, the guest shown before current again.
    const qint64 guest = m_tables.kisi->key();
    m_tables.closeAll();
    if (!skipCompaction)
        outcome.compacted = m_compaction.compactRegister();
    m_compaction.reopenIfClosed();
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

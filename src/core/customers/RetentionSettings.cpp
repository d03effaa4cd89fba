// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/customers/RetentionSettings.h"

#include "core/register/Columns.h"
#include "core/register/Formats.h"
#include "core/register/Schema.h"
#include "core/register/Store.h"

namespace {

const TableDef& table()
{
    return Schema::kvkkAyar();
}

QVariant at(const StoreRow& row, Columns::Name column)
{
    return row.values.value(table().indexOf(column));
}

} // namespace

RetentionSettings::RetentionSettings(Store& store) : m_store(store)
{
}

void RetentionSettings::load(const QDate& today)
{
    const QList<StoreRow> rows = m_store.load(table().name);
    if (rows.isEmpty()) {
        m_key = 0;
        m_months = kDefaultMonths;
        m_start = today;
        m_last.reset();
        store();
        return;
    }
    const StoreRow& row = rows.first();
    m_key = row.key;
    const qint64 months = at(row, Columns::SaklamaSuresiAy).toLongLong();
    m_months = months >= kMinMonths && months <= kMaxMonths ? int(months) : kDefaultMonths;
    m_start = Formats::parseDate(at(row, Columns::Baslangic).toString()).value_or(today);
    const auto last = Formats::parseDateTime(at(row, Columns::SonImha).toString());
    m_last = last ? std::optional<QDateTime>(*last) : std::nullopt;
}

bool RetentionSettings::setMonths(int months)
{
    if (months < kMinMonths || months > kMaxMonths)
        return false;
    const int before = m_months;
    m_months = months;
    try {
        store();
    } catch (...) {
        m_months = before;
        throw;
    }
    return true;
}

void RetentionSettings::setLastDestruction(const QDateTime& moment)
{
    const std::optional<QDateTime> before = m_last;
    m_last = moment;
    try {
        store();
    } catch (...) {
        m_last = before;
        throw;
    }
}

bool RetentionSettings::isDestructionDue(const QDateTime& now) const
{
    const QDateTime since = m_last ? *m_last : QDateTime(m_start, QTime(0, 0));
    return since.addMonths(kIntervalMonths) <= now;
}

void RetentionSettings::store()
{
    QList<QVariant> values(table().columns.size());
    values[table().indexOf(Columns::SaklamaSuresiAy)] = qint64(m_months);
    values[table().indexOf(Columns::SonImha)] =
        m_last ? QVariant(m_last->toString(Formats::kDateTime)) : QVariant();
    values[table().indexOf(Columns::Baslangic)] = Formats::dateText(m_start);
    if (m_key == 0)
        m_key = m_store.insert(table().name, values);
    else
        m_store.update(table().name, m_key, values);
}

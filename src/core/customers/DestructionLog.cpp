// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/customers/DestructionLog.h"

#include "core/register/Columns.h"
#include "core/register/Formats.h"
#include "core/register/Schema.h"
#include "core/register/Store.h"

#include <algorithm>

namespace DestructionLog {

namespace {

const TableDef& table()
{
    return Schema::imhaKayitlari();
}

int column(Columns::Name name)
{
    return table().indexOf(name);
}

} // namespace

void record(Store& store, const QDateTime& moment, int count, const QString& reason)
{
    QList<QVariant> values(table().columns.size());
    values[column(Columns::Tarih)] = moment.toString(Formats::kDateTime);
    values[column(Columns::Kategori)] = kCategory;
    values[column(Columns::Adet)] = qint64(count);
    values[column(Columns::Yontem)] = kMethod;
    values[column(Columns::Gerekce)] = reason;
    store.insert(table().name, values);
}

QList<Entry> readAll(Store& store)
{
    QList<Entry> entries;
    for (const StoreRow& row : store.load(table().name)) {
        Entry e;
        e.moment = Formats::parseDateTime(row.values.value(column(Columns::Tarih)).toString()).value_or(QDateTime());
        e.category = row.values.value(column(Columns::Kategori)).toString();
        e.count = int(row.values.value(column(Columns::Adet)).toLongLong());
        e.method = row.values.value(column(Columns::Yontem)).toString();
        e.reason = row.values.value(column(Columns::Gerekce)).toString();
        entries << e;
    }
    // Stored in the order made; a clock set back does not reorder them.
    std::reverse(entries.begin(), entries.end());
    return entries;
}

int prune(Store& store, const QDateTime& now)
{
    const QDateTime oldest = now.addYears(-kKeepYears);
    QList<qint64> old;
    for (const StoreRow& row : store.load(table().name)) {
        const auto moment = Formats::parseDateTime(row.values.value(column(Columns::Tarih)).toString());
        if (moment && *moment < oldest)
            old << row.key;
    }
    if (!old.isEmpty())
        store.remove(table().name, old);
    return int(old.size());
}

} // namespace DestructionLog

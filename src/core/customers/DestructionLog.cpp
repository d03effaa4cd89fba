// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/customers/DestructionLog.h"

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

int column(const char* name)
{
    return table().indexOf(QString::fromLatin1(name));
}

} // namespace

void record(Store& store, const QDateTime& moment, int count, const QString& reason)
{
    QList<QVariant> values(table().columns.size());
    values[column("Tarih")] = moment.toString(Formats::kDateTime);
    values[column("Kategori")] = kCategory;
    values[column("Adet")] = qint64(count);
    values[column("Yontem")] = kMethod;
    values[column("Gerekce")] = reason;
    store.insert(table().name, values);
}

QList<Entry> readAll(Store& store)
{
    QList<Entry> entries;
    for (const StoreRow& row : store.load(table().name)) {
        Entry e;
        e.moment = Formats::parseDateTime(row.values.value(column("Tarih")).toString()).value_or(QDateTime());
        e.category = row.values.value(column("Kategori")).toString();
        e.count = int(row.values.value(column("Adet")).toLongLong());
        e.method = row.values.value(column("Yontem")).toString();
        e.reason = row.values.value(column("Gerekce")).toString();
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
        const auto moment = Formats::parseDateTime(row.values.value(column("Tarih")).toString());
        if (moment && *moment < oldest)
            old << row.key;
    }
    if (!old.isEmpty())
        store.remove(table().name, old);
    return int(old.size());
}

} // namespace DestructionLog

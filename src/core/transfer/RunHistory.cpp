// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/transfer/RunHistory.h"

#include "core/register/Columns.h"
#include "core/register/Database.h"
#include "core/register/Formats.h"
#include "core/register/Schema.h"

#include <algorithm>

namespace RunHistory {

namespace {

QList<QVariant> rowOf(const Run& run)
{
    const TableDef& t = Schema::transferGecmisi();
    QList<QVariant> v(t.columns.size());
    auto set = [&](Columns::Name column, const QVariant& value) { v[t.indexOf(column)] = value; };
    set(Columns::Zaman, run.moment.toString(Formats::kDateTime));
    set(Columns::DosyaYolu, run.path);
    set(Columns::Ozet, run.digest);
    set(Columns::YazilanSayisi, qint64(run.written));
    set(Columns::SilinenSayisi, qint64(run.purged));
    set(Columns::Sonuc, run.outcome);
    set(Columns::Hata, run.failure.isEmpty() ? QVariant() : QVariant(run.failure));
    return v;
}

} // namespace

bool record(Store& store, const Run& run)
{
    if (!store.isOpen())
        return false;
    try {
        store.insert(kTable, rowOf(run));
        return true;
    } catch (const RadaError&) {
        return false;
    }
}

QList<Run> readAll(Store& store)
{
    const TableDef& t = Schema::transferGecmisi();
    auto at = [&t](const StoreRow& row, Columns::Name column) {
        return row.values.value(t.indexOf(column));
    };
    QList<Run> runs;
    for (const StoreRow& row : store.load(kTable)) {
        Run r;
        r.id = row.key;
        r.moment = Formats::parseDateTime(at(row, Columns::Zaman).toString()).value_or(QDateTime());
        r.path = at(row, Columns::DosyaYolu).toString();
        r.digest = at(row, Columns::Ozet).toString();
        r.written = int(at(row, Columns::YazilanSayisi).toLongLong());
        r.purged = int(at(row, Columns::SilinenSayisi).toLongLong());
        r.outcome = at(row, Columns::Sonuc).toString();
        r.failure = at(row, Columns::Hata).toString();
        runs << r;
    }
    std::reverse(runs.begin(), runs.end());
    return runs;
}

QString sinceLastSuccess(const QList<Run>& runs, const QDateTime& now)
{
    const auto last = std::find_if(runs.begin(), runs.end(), [](const Run& r) { return r.succeeded(); });
    if (last == runs.end() || !last->moment.isValid())
        return QStringLiteral("Henüz başarılı bir transfer yapılmamış.");
    const qint64 minutes = std::max<qint64>(0, last->moment.secsTo(now) / 60);
    const qint64 days = minutes / (24 * 60);
    const qint64 hours = minutes / 60 % 24;
    QString ago;
    if (days > 0)
        ago = QStringLiteral("%1 gün %2 saat").arg(days).arg(hours);
    else if (hours > 0)
        ago = QStringLiteral("%1 saat %2 dakika").arg(hours).arg(minutes % 60);
    else
        ago = QStringLiteral("%1 dakika").arg(minutes);
    return QStringLiteral("Son başarılı transfer: %1 önce (%2)").arg(ago, last->moment.toString(Formats::kDateTime));
}

} // namespace RunHistory

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/transfer/StayStatistics.h"

#include "core/register/Columns.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/GuestRules.h"
#include "core/register/Schema.h"
#include "core/register/Store.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace StayStatistics {

namespace {

const TableDef& counts() { return Schema::konaklamaIstatistik(); }

// The stored "yyyy-MM-dd" read by hand: the purge reads two days of every
// departed guest, and a parse through the format costs microseconds each.
std::optional<QDate> plainDay(QStringView text)
{
    if (text.size() != 10 || text[4] != QLatin1Char('-') || text[7] != QLatin1Char('-'))
        return std::nullopt;
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8};
    const int sizes[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p) {
        for (int i = starts[p]; i < starts[p] + sizes[p]; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return std::nullopt;
            parts[p] = parts[p] * 10 + (c - u'0');
        }
    }
    const QDate d(parts[0], parts[1], parts[2]);
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}

std::optional<QDate> dayOf(const QString& stored)
{
    if (stored.isEmpty())
        return std::nullopt;
    std::optional<QDate> d = plainDay(QStringView(stored).left(10));
    if (!d)
        d = Formats::parseDate(stored.left(10));
    if (!d || *d == Formats::dayZero())
        return std::nullopt;
    return d;
}

struct GuestColumns
{
    int nationality, arrival, departure, staying;
    explicit GuestColumns(const TableDef& t)
        : nationality(t.indexOf(Columns::Uyrugu)), arrival(t.indexOf(Columns::GelisTarihi)),
          departure(t.indexOf(Columns::AyrilisTarihi)), staying(t.indexOf(Columns::Kalici))
    {
    }
};

// A stay's arrival, then each month its nights fall in with their number:
// whole months at a time, so that a stay of years costs a few steps.
template <typename Add>
void eachMonth(const QDate& arrival, const std::optional<QDate>& departure, Add add)
{
    add(arrival, 1, 0);
    if (!departure || *departure <= arrival)
        return;
    QDate night = arrival;
    while (night < *departure) {
        const QDate nextMonth = QDate(night.year(), night.month(), 1).addMonths(1);
        const QDate end = std::min(nextMonth, *departure);
        add(night, 0, night.daysTo(end));
        night = end;
    }
}

// The counts of many stays by month and nationality, given their
// "YYYY-MM" keys once at the end rather than for every stay.
class Tally
{
public:
    void add(const QString& nationality, const QDate& arrival, const std::optional<QDate>& departure)
    {
        eachMonth(arrival, departure, [&](const QDate& day, qint64 arrivals, qint64 nights) {
            Count& c = m_counts[{QDate(day.year(), day.month(), 1).toJulianDay(), nationality}];
            c.arrivals += arrivals;
            c.nights += nights;
        });
    }
    Months months() const
    {
        Months out;
        for (auto it = m_counts.cbegin(); it != m_counts.cend(); ++it) {
            Count& c = out[monthKey(QDate::fromJulianDay(it.key().first))][it.key().second];
            c.arrivals += it->arrivals;
            c.nights += it->nights;
        }
        return out;
    }

private:
    // The first day of the month, as a day number.
    QHash<std::pair<qint64, QString>, Count> m_counts;
};

void addRow(Tally& tally, const Dataset& guests, const GuestColumns& c, int row, const QDate& until)
{
    const std::optional<QDate> arrival = dayOf(guests.rowText(row, c.arrival));
    if (!arrival)
        return;
    const bool staying = guests.rowBoolean(row, c.staying);
    tally.add(guests.rowText(row, c.nationality), *arrival,
              staying ? std::optional<QDate>(until) : dayOf(guests.rowText(row, c.departure)));
}

} // namespace

QString monthKey(const QDate& day)
{
    // As toString("yyyy-MM") gives it for the years a register holds, without
    // the format's parsing for every night.
    if (day.year() < 1000 || day.year() > 9999)
        return day.toString(QStringLiteral("yyyy-MM"));
    return QStringLiteral("%1-%2").arg(day.year()).arg(day.month(), 2, 10, QLatin1Char('0'));
}

void addStay(Months& months, const QString& nationality, const QDate& arrival, const std::optional<QDate>& departure)
{
    eachMonth(arrival, departure, [&](const QDate& day, qint64 arrivals, qint64 nights) {
        Count& c = months[monthKey(day)][nationality];
        c.arrivals += arrivals;
        c.nights += nights;
    });
}

Months ofGuests(const Dataset& guests, const QList<qint64>& keys, const QDate& until)
{
    Tally tally;
    const QSet<qint64> wanted(keys.begin(), keys.end());
    const GuestColumns c(guests.table());
    for (int row = 0; row < guests.recordCount(); ++row) {
        if (wanted.contains(guests.rowKey(row)))
            addRow(tally, guests, c, row, until);
    }
    return tally.months();
}

void store(Store& store, const Months& months, const QDate& today)
{
    const TableDef& t = counts();
    const int month = t.indexOf(Columns::Ay);
    const int code = t.indexOf(Columns::Uyrugu);
    const int arrivals = t.indexOf(Columns::Gelis);
    const int nights = t.indexOf(Columns::Geceleme);
    if (!countingSince(store))
        store.insert(Schema::istatistikAyar().name, {Formats::dateText(today)});
    if (months.isEmpty())
        return;
    QHash<QString, StoreRow> held;
    for (const StoreRow& row : store.load(t.name)) {
        if (months.contains(row.values.value(month).toString()))
            held.insert(row.values.value(month).toString() + QLatin1Char('\t') + row.values.value(code).toString(), row);
    }
    for (auto m = months.cbegin(); m != months.cend(); ++m) {
        for (auto n = m->cbegin(); n != m->cend(); ++n) {
            const auto it = held.constFind(m.key() + QLatin1Char('\t') + n.key());
            if (it == held.cend()) {
                QList<QVariant> values(t.columns.size());
                values[month] = m.key();
                values[code] = n.key();
                values[arrivals] = n->arrivals;
                values[nights] = n->nights;
                store.insert(t.name, values);
                continue;
            }
            QList<QVariant> values = it->values;
            values[arrivals] = values.value(arrivals).toLongLong() + n->arrivals;
            values[nights] = values.value(nights).toLongLong() + n->nights;
            store.update(t.name, it->key, values);
        }
    }
}

QMap<QString, Count> stored(Store& store, const QString& month)
{
    const TableDef& t = counts();
    const int m = t.indexOf(Columns::Ay);
    const int code = t.indexOf(Columns::Uyrugu);
    const int arrivals = t.indexOf(Columns::Gelis);
    const int nights = t.indexOf(Columns::Geceleme);
    QMap<QString, Count> out;
    for (const StoreRow& row : store.load(t.name)) {
        if (row.values.value(m).toString() != month)
            continue;
        Count& c = out[row.values.value(code).toString()];
        c.arrivals += row.values.value(arrivals).toLongLong();
        c.nights += row.values.value(nights).toLongLong();
    }
    return out;
}

QStringList storedMonths(Store& store)
{
    const int m = counts().indexOf(Columns::Ay);
    QSet<QString> seen;
    for (const StoreRow& row : store.load(counts().name))
        seen.insert(row.values.value(m).toString());
    QStringList out(seen.begin(), seen.end());
    std::sort(out.begin(), out.end(), std::greater<>());
    return out;
}

std::optional<QDate> countingSince(Store& store)
{
    std::optional<QDate> since;
    for (const StoreRow& row : store.load(Schema::istatistikAyar().name)) {
        const auto d = dayOf(row.values.value(0).toString());
        if (d && (!since || *d < *since))
            since = d;
    }
    return since;
}

int prune(Store& store, const QDate& today)
{
    const QString oldest = monthKey(today.addYears(-kKeepYears));
    const int m = counts().indexOf(Columns::Ay);
    QList<qint64> old;
    for (const StoreRow& row : store.load(counts().name)) {
        if (row.values.value(m).toString() < oldest)
            old << row.key;
    }
    if (!old.isEmpty())
        store.remove(counts().name, old);
    return int(old.size());
}

Month month(Store& store, const Dataset& guests, const Dataset& countries, const QString& month, const QDate& today)
{
    Month out;
    out.month = month;
    QMap<QString, Count> byCode = stored(store, month);
    // The guests still in the register whose stay touches the month: days
    // in the register's form compare as text, so only those are parsed.
    const QDate first = QDate::fromString(month + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
    const QString from = Formats::dateText(first);
    const QString to = Formats::dateText(first.addMonths(1));
    const QString now = Formats::dateText(today);
    const QString zero = Formats::dateText(Formats::dayZero());
    const GuestColumns c(guests.table());
    for (int row = 0; row < guests.recordCount(); ++row) {
        const QString arrival = guests.rowText(row, c.arrival).left(10);
        if (arrival.isEmpty() || arrival == zero || arrival >= to)
            continue;
        const bool staying = guests.rowBoolean(row, c.staying);
        const QString departure = staying ? now : guests.rowText(row, c.departure).left(10);
        const bool arrivesInMonth = arrival >= from;
        if (!arrivesInMonth && departure <= from)
            continue;
        Count& count = byCode[guests.rowText(row, c.nationality)];
        if (arrivesInMonth)
            count.arrivals += 1;
        const QString nightsFrom = std::max(arrival, from);
        const QString nightsTo = std::min(departure, to);
        if (nightsFrom < nightsTo) {
            const auto a = Formats::parseDate(nightsFrom);
            const auto d = Formats::parseDate(nightsTo);
            if (a && d)
                count.nights += a->daysTo(*d);
        }
        if (staying && departure > from)
            ++out.stayingIncluded;
    }
    // A nationality met only in a stay that had no night in the month.
    for (auto it = byCode.begin(); it != byCode.end();)
        it = it->arrivals == 0 && it->nights == 0 ? byCode.erase(it) : std::next(it);
    QHash<QString, QString> names;
    for (int row = 0; row < countries.recordCount(); ++row)
        names.insert(countries.rowText(row, 0), countries.rowText(row, 1));
    for (auto it = byCode.cbegin(); it != byCode.cend(); ++it) {
        out.lines << Line{it.key(), names.value(it.key(), it.key()), *it};
        out.total.arrivals += it->arrivals;
        out.total.nights += it->nights;
    }
    std::stable_sort(out.lines.begin(), out.lines.end(), [](const Line& a, const Line& b) {
        const bool citizenA = a.code == GuestRules::kCitizenNationality;
        const bool citizenB = b.code == GuestRules::kCitizenNationality;
        if (citizenA != citizenB)
            return citizenA;
        if (a.count.arrivals != b.count.arrivals)
            return a.count.arrivals > b.count.arrivals;
        return a.country < b.country;
    });
    out.since = countingSince(store);
    out.beforeCounting = out.since && first < *out.since;
    return out;
}

QByteArray csv(const Month& month)
{
    const auto field = [](QString text) {
        if (text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n')))
            text = QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        return text;
    };
    QString out = QStringLiteral("Ay;Uyruğu;Ülke;Geliş;Geceleme\r\n");
    for (const Line& l : month.lines) {
        out += QStringList{month.month, field(l.code), field(l.country), QString::number(l.count.arrivals),
                           QString::number(l.count.nights)}
                   .join(QLatin1Char(';')) +
               QStringLiteral("\r\n");
    }
    out += QStringList{month.month, QString(), QStringLiteral("Toplam"), QString::number(month.total.arrivals),
                       QString::number(month.total.nights)}
               .join(QLatin1Char(';')) +
           QStringLiteral("\r\n");
    return QByteArrayLiteral("\xEF\xBB\xBF") + out.toUtf8();
}

} // namespace StayStatistics

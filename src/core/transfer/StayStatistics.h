// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

class Dataset;
class Store;

// The monthly figures a licensed facility reports: arrivals and nights by
// the guest's nationality. The register forgets a guest once notified, so
// each purged guest is added to counts that hold no person; the guests still
// in the register are added when a month is shown, so that none is counted
// twice.
namespace StayStatistics {

// How long the counts are kept.
inline constexpr int kKeepYears = 5;

struct Count
{
    qint64 arrivals = 0;
    qint64 nights = 0;
    bool operator==(const Count&) const = default;
};

// "YYYY-MM" -> nationality code -> counts.
using Months = QMap<QString, QMap<QString, Count>>;

QString monthKey(const QDate& day);

// One stay: an arrival in the month of the arrival, and each night in the
// month it falls in (the night of the 31st of March is March's); a stay
// that arrives and leaves on one day has no night. A stay without a
// departure after its arrival counts its arrival only.
void addStay(Months& months, const QString& nationality, const QDate& arrival, const std::optional<QDate>& departure);

// The stays of the guests with these keys, as the guest table holds them;
// until is the departure of a guest still staying (today, for the live
// figures).
Months ofGuests(const Dataset& guests, const QList<qint64>& keys, const QDate& until);

// Adds the counts to the stored ones, inside the caller's transaction; the
// day counting began is set when it has not been.
void store(Store& store, const Months& months, const QDate& today);
// The counts stored for a month.
QMap<QString, Count> stored(Store& store, const QString& month);
// The months that have stored counts, newest first.
QStringList storedMonths(Store& store);
// The day the counts began, when they have.
std::optional<QDate> countingSince(Store& store);
// Removes the months older than kKeepYears before today; the number removed.
int prune(Store& store, const QDate& today);

// One line of a month's table.
struct Line
{
    QString code;
    QString country;
    Count count;
};

struct Month
{
    QString month;
    QList<Line> lines;        // Turkish citizens first, then by arrivals
    Count total;
    int stayingIncluded = 0;  // staying guests whose nights so far are counted
    // The month began before the counts did: its figures are missing
    // (wholly, when the whole month lies before).
    bool beforeCounting = false;
    std::optional<QDate> since;
};

// The month as shown: the stored counts and the guests still in the
// register (the staying ones up to today); country names from the lookup.
Month month(Store& store, const Dataset& guests, const Dataset& countries, const QString& month, const QDate& today);

// A semicolon-separated UTF-8 text with a byte-order mark, which a Turkish
// spreadsheet opens as columns.
QByteArray csv(const Month& month);

} // namespace StayStatistics

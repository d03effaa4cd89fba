// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/transfer/Completeness.h"

#include "core/register/CodePage.h"
#include "core/register/Columns.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/GuestRules.h"
#include "core/register/Validation.h"
#include "core/transfer/KonaklamaWriter.h"

#include <QHash>
#include <algorithm>
#include <optional>

namespace Completeness {

namespace {

using Columns::Reading;

// Column positions the search for duplicates reads, looked up once per check.
struct DuplicateColumns
{
    explicit DuplicateColumns(const TableDef& t)
        : tcKimlikNo(t.indexOf(Columns::TCKimlikNo)), belgeTuru(t.indexOf(Columns::KimlikBelgesiTuru)),
          seriNo(t.indexOf(Columns::KimlikSeriNo)), kalici(t.indexOf(Columns::Kalici))
    {
    }
    int tcKimlikNo, belgeTuru, seriNo, kalici;
};

bool isElevenDigits(const QString& text)
{
    if (text.size() != 11)
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

bool validIdentityNumber(const QString& text)
{
    // TCKNoKontrol throws on anything but an integer: only digits reach it.
    return isElevenDigits(text) && TCKNoKontrol(text);
}

// Stored dates and times read once per distinct text: parsing dominates the
// check, and a register holds far fewer distinct dates than guests.
class StoredTimes
{
public:
    // A date by its first ten characters; nothing for an empty, an
    // unreadable or the day-zero date.
    std::optional<QDate> date(const QString& text)
    {
        if (text.isEmpty())
            return std::nullopt;
        const QString day = text.left(10);
        auto it = m_dates.constFind(day);
        if (it == m_dates.constEnd()) {
            auto d = Formats::parseDate(day);
            if (d && *d == Formats::dayZero())
                d.reset();
            it = m_dates.insert(day, d);
        }
        return *it;
    }

    // An unreadable time counts as midnight.
    QTime time(const QString& text)
    {
        auto it = m_times.constFind(text);
        if (it == m_times.constEnd())
            it = m_times.insert(text, Formats::parseTime(text).value_or(QTime(0, 0)));
        return *it;
    }

private:
    QHash<QString, std::optional<QDate>> m_dates;
    QHash<QString, QTime> m_times;
};

bool arrivesAfter(StoredTimes& stored, const QString& dateText, const QString& timeText, const QDateTime& moment)
{
    const auto date = stored.date(dateText);
    if (!date)
        return false;
    if (*date != moment.date())
        return *date > moment.date();
    // Compared as date and time of day, whatever the clock's daylight saving
    // does in between.
    return stored.time(timeText) > moment.time();
}

// Every column the file writer reads, in its order, with the label of its
// box in the guest window and how the writer reads it.
struct WrittenColumn
{
    QString name;
    QString label;
    Reading reading;
};

const QList<WrittenColumn>& writtenColumns()
{
    static const QList<WrittenColumn> all = [] {
        QList<WrittenColumn> out;
        for (const Columns::Name name : notifiedColumns()) {
            const Columns::Person& p = Columns::of(name);
            out.append({p.name, p.label(), p.reading});
        }
        return out;
    }();
    return all;
}

// The first character the file cannot carry, or -1.
qsizetype firstUnfitting(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!CodePage::fits(text.sliced(i, 1)))
            return i;
    }
    return -1;
}


// The place of a column among the written ones.
qsizetype writtenAt(Columns::Name name)
{
    const auto columns = notifiedColumns();
    return std::find(columns.begin(), columns.end(), name) - columns.begin();
}

// One row's values of the written columns, each read once for every check.
using RowValues = QList<QString>;

// Adds a sentence for every box of the row holding a value the file cannot
// carry; true when there was one.
bool findUnwritable(const RowValues& values, bool staying, QStringList& problems, QStringList& about)
{
    bool found = false;
    const QList<WrittenColumn>& columns = writtenColumns();
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const WrittenColumn& column = columns[i];
        const bool departure =
            column.reading == Reading::DepartureDate || column.reading == Reading::DepartureTime;
        if (staying && departure)
            continue;
        QStringView read = values[i];
        if (column.reading == Reading::Trimmed)
            read = trimmedBlanks(read);
        else if (column.reading == Reading::DatePart || column.reading == Reading::DepartureDate)
            read = read.left(10);
        if (CodePage::fits(read))
            continue;
        problems << kUnwritableCharacter.arg(column.label, CodePage::describe(read, firstUnfitting(read)));
        about << column.name;
        found = true;
    }
    return found;
}

// The first two rows that share a value; second is -1 while there is one.
struct Pair
{
    int first = -1;
    int second = -1;
};

void note(QHash<QString, Pair>& seen, const QString& value, int row)
{
    Pair& p = seen[value];
    if (p.first < 0)
        p.first = row;
    else if (p.second < 0)
        p.second = row;
}

// The first row other than this one that shares its value, or -1.
int firstOther(const QHash<QString, Pair>& seen, const QString& value, int row)
{
    const auto it = seen.constFind(value);
    if (it == seen.constEnd() || it->second < 0)
        return -1;
    return it->first == row ? it->second : it->first;
}

} // namespace

QList<Finding> check(const Dataset& guests, const QDateTime& moment)
{
    const DuplicateColumns col(guests.table());
    const int n = guests.recordCount();
    const QDate today = moment.date();

    // Staying guests by identity number and by document, for the duplicates.
    QList<QString> numbers(n);
    QList<QString> documents(n);
    QHash<QString, Pair> byNumber;
    QHash<QString, Pair> byDocument;
    byNumber.reserve(n);
    byDocument.reserve(n);
    for (int row = 0; row < n; ++row) {
        if (!guests.rowBoolean(row, col.kalici))
            continue;
        const QString number = guests.rowText(row, col.tcKimlikNo).trimmed();
        if (!number.isEmpty()) {
            note(byNumber, number, row);
            numbers[row] = number;
        }
        const QString type = guests.rowText(row, col.belgeTuru).trimmed();
        const QString serial = guests.rowText(row, col.seriNo).trimmed();
        if (!type.isEmpty() && !serial.isEmpty()) {
            // The type is one character wide, but keep the two apart anyway.
            const QString document = type + QChar(0x1F) + serial;
            note(byDocument, document, row);
            documents[row] = document;
        }
    }

    const QList<WrittenColumn>& written = writtenColumns();
    QList<int> columns;
    for (const WrittenColumn& w : written)
        columns << guests.table().indexOf(w.name);
    const qsizetype tcKimlikNo = writtenAt(Columns::TCKimlikNo), adi = writtenAt(Columns::Adi),
                      soyadi = writtenAt(Columns::Soyadi),
                      dogumTarihi = writtenAt(Columns::DogumTarihi),
                      uyrugu = writtenAt(Columns::Uyrugu),
                      belgeTuru = writtenAt(Columns::KimlikBelgesiTuru),
                      gelisTarihi = writtenAt(Columns::GelisTarihi),
                      gelisSaati = writtenAt(Columns::GelisSaati),
                      seriNo = writtenAt(Columns::KimlikSeriNo),
                      odaNo = writtenAt(Columns::VerilenOdaNo);

    StoredTimes stored;
    QList<Finding> findings;
    RowValues values(written.size());
    for (int row = 0; row < n; ++row) {
        for (qsizetype i = 0; i < written.size(); ++i)
            values[i] = guests.rowText(row, columns[i]);
        QStringList problems;
        QStringList about;
        const auto problem = [&](const QString& text, qsizetype column) {
            problems << text;
            about << written[column].name;
        };
        const bool citizen = values[uyrugu] == GuestRules::kCitizenNationality;
        if (citizen && !validIdentityNumber(values[tcKimlikNo]))
            problem(kIdentityNumber, tcKimlikNo);

        const auto birth = stored.date(values[dogumTarihi]);
        if (!citizen && !birth)
            problem(kNoBirthDate, dogumTarihi);
        if (birth && *birth > today)
            problem(kFutureBirthDate, dogumTarihi);

        if (!citizen) {
            const QString& type = values[belgeTuru];
            if (type == QLatin1String("N") || type == QLatin1String("K"))
                problem(kCitizenDocument, belgeTuru);
        }

        if (arrivesAfter(stored, values[gelisTarihi], values[gelisSaati], moment))
            problem(kFutureArrival, gelisTarihi);

        if (!numbers[row].isEmpty()) {
            const int other = firstOther(byNumber, numbers[row], row);
            if (other >= 0)
                problem(kSameIdentityNumber.arg(other + 1), tcKimlikNo);
        }
        if (!documents[row].isEmpty()) {
            const int other = firstOther(byDocument, documents[row], row);
            if (other >= 0)
                problem(kSameDocument.arg(other + 1), seriNo);
        }

        const bool blocks = findUnwritable(values, guests.rowBoolean(row, col.kalici), problems, about);

        if (!problems.isEmpty())
            findings.append(
                {row + 1, guests.rowKey(row), values[adi], values[soyadi], problems, blocks, about, values[odaNo]});
    }
    return findings;
}

bool blocksRun(const QList<Finding>& findings)
{
    return std::any_of(findings.cbegin(), findings.cend(), [](const Finding& f) { return f.blocksRun; });
}

} // namespace Completeness

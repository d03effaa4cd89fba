#include "Completeness.h"

#include "register/Dataset.h"
#include "register/Formats.h"
#include "register/GuestRules.h"
#include "register/Validation.h"

#include <QHash>
#include <optional>

namespace Completeness {

namespace {

// Column positions of the guest table, looked up once per check.
struct Columns
{
    explicit Columns(const TableDef& t)
        : tcKimlikNo(t.indexOf(QStringLiteral("TCKimlikNo"))), adi(t.indexOf(QStringLiteral("Adi"))),
          soyadi(t.indexOf(QStringLiteral("Soyadi"))), dogumTarihi(t.indexOf(QStringLiteral("DogumTarihi"))),
          uyrugu(t.indexOf(QStringLiteral("Uyrugu"))), belgeTuru(t.indexOf(QStringLiteral("KimlikBelgesiTuru"))),
          seriNo(t.indexOf(QStringLiteral("KimlikSeriNo"))), gelisTarihi(t.indexOf(QStringLiteral("GelisTarihi"))),
          gelisSaati(t.indexOf(QStringLiteral("GelisSaati"))), kalici(t.indexOf(QStringLiteral("Kalici")))
    {
    }
    int tcKimlikNo, adi, soyadi, dogumTarihi, uyrugu, belgeTuru, seriNo, gelisTarihi, gelisSaati, kalici;
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
    const Columns col(guests.table());
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

    StoredTimes stored;
    QList<Finding> findings;
    for (int row = 0; row < n; ++row) {
        QStringList problems;
        const bool citizen = guests.rowText(row, col.uyrugu) == GuestRules::kCitizenNationality;
        if (citizen && !validIdentityNumber(guests.rowText(row, col.tcKimlikNo)))
            problems << kIdentityNumber;

        const auto birth = stored.date(guests.rowText(row, col.dogumTarihi));
        if (!citizen && !birth)
            problems << kNoBirthDate;
        if (birth && *birth > today)
            problems << kFutureBirthDate;

        if (!citizen) {
            const QString type = guests.rowText(row, col.belgeTuru);
            if (type == QLatin1String("N") || type == QLatin1String("K"))
                problems << kCitizenDocument;
        }

        if (arrivesAfter(stored, guests.rowText(row, col.gelisTarihi), guests.rowText(row, col.gelisSaati), moment))
            problems << kFutureArrival;

        if (!numbers[row].isEmpty()) {
            const int other = firstOther(byNumber, numbers[row], row);
            if (other >= 0)
                problems << kSameIdentityNumber.arg(other + 1);
        }
        if (!documents[row].isEmpty()) {
            const int other = firstOther(byDocument, documents[row], row);
            if (other >= 0)
                problems << kSameDocument.arg(other + 1);
        }

        if (!problems.isEmpty())
            findings.append({row + 1, guests.rowKey(row), guests.rowText(row, col.adi),
                             guests.rowText(row, col.soyadi), problems});
    }
    return findings;
}

} // namespace Completeness

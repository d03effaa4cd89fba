// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/RoomBoard.h"

#include "core/register/Columns.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/Store.h"
#include "core/register/TurkishText.h"

#include <QHash>
#include <algorithm>
#include <optional>
#include <tuple>
#include <vector>

namespace RoomBoard {

const QString kNoRoom = QStringLiteral("Oda belirtilmemiş");
const QString kCheckOutQuestion = QStringLiteral("%1 odasındaki %2 misafirin çıkışı yapılsın mı?");
const QString kCheckOutConflict = QStringLiteral(
    "%1 %2 başka bir bilgisayarda değiştirilmiş; odadaki misafirlerin hiçbirinin çıkışı yapılmadı.\n"
    "Oda listesi yenilendi; tekrar deneyiniz.");

namespace {

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// The next run of digits or of other characters, from i on.
QStringView run(QStringView s, qsizetype& i)
{
    const qsizetype from = i;
    const bool digits = isDigit(s[i]);
    while (i < s.size() && isDigit(s[i]) == digits)
        ++i;
    return s.mid(from, i - from);
}

int compareNumbers(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == QLatin1Char('0'))
        a = a.mid(1);
    while (b.size() > 1 && b.front() == QLatin1Char('0'))
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

// The day part of a stored date; empty for none or for day zero, which
// stands for a departure that has not been set. Days in the register's form
// compare as text, so none needs parsing.
QString dayOf(QString stored)
{
    stored.truncate(10);
    static const QString zero = Formats::dateText(Formats::dayZero());
    return stored == zero ? QString() : stored;
}

struct Positions
{
    int room, surname, name, nationality, arrival, departure, staying;
    explicit Positions(const Dataset& guests)
        : room(guests.table().indexOf(Columns::VerilenOdaNo)),
          surname(guests.table().indexOf(Columns::Soyadi)),
          name(guests.table().indexOf(Columns::Adi)),
          nationality(guests.table().indexOf(Columns::Uyrugu)),
          arrival(guests.table().indexOf(Columns::GelisTarihi)),
          departure(guests.table().indexOf(Columns::AyrilisTarihi)),
          staying(guests.table().indexOf(Columns::Kalici))
    {
    }
};

// Rooms, nationalities and days repeat over thousands of guests: each
// stored value is decoded once a read and one copy of it kept, which keeps a
// board of a large register small and quick to read.
class Pool
{
public:
    using Shape = QString (*)(const QString&);
    // Days are kept by their first ten characters, the day part.
    Pool(const Dataset& guests, int column, Shape shape, qsizetype prefix = -1)
        : m_guests(guests), m_column(column), m_shape(shape), m_prefix(prefix)
    {
    }

    QString operator()(int row)
    {
        std::optional<QByteArrayView> raw = m_guests.rowUtf8(row, m_column);
        if (raw && m_prefix >= 0 && raw->size() > m_prefix) {
            // Cut in bytes only where they are the same characters.
            const QByteArrayView head = raw->first(m_prefix);
            raw = std::all_of(head.begin(), head.end(), [](char c) { return uchar(c) < 0x80; })
                      ? std::optional<QByteArrayView>(head)
                      : std::nullopt;
        }
        if (!raw)
            return m_shape(m_guests.rowText(row, m_column));
        auto it = m_seen.constFind(*raw);
        if (it == m_seen.cend())
            it = m_seen.insert(*raw, m_shape(m_guests.rowText(row, m_column)));
        return *it;
    }

private:
    const Dataset& m_guests;
    int m_column;
    Shape m_shape;
    qsizetype m_prefix;
    // The keys point into the dataset's rows, which a read does not change.
    QHash<QByteArrayView, QString> m_seen;
};

QString trimmed(const QString& s) { return s.trimmed(); }
QString asStored(const QString& s) { return s; }
QString day(const QString& s) { return dayOf(s); }

class GuestReader
{
public:
    explicit GuestReader(const Dataset& guests)
        : m_guests(guests), m_c(guests), m_room(guests, m_c.room, trimmed),
          m_nationality(guests, m_c.nationality, asStored), m_arrival(guests, m_c.arrival, day, 10),
          m_departure(guests, m_c.departure, day, 10)
    {
    }

    // What the departures list needs of a departed guest, and its arrival
    // for the day's figures.
    Departure departed(int row, QString* arrival)
    {
        *arrival = m_arrival(row);
        return {m_guests.rowKey(row), row, m_room(row), m_departure(row), false};
    }

    Guest operator()(int row)
    {
        Guest g;
        g.key = m_guests.rowKey(row);
        g.version = m_guests.rowVersion(row);
        g.room = m_room(row);
        g.surname = m_guests.rowText(row, m_c.surname);
        g.name = m_guests.rowText(row, m_c.name);
        g.nationality = m_nationality(row);
        g.arrival = m_arrival(row);
        g.departure = m_departure(row);
        g.staying = m_guests.rowBoolean(row, m_c.staying);
        return g;
    }

    const Positions& columns() const { return m_c; }

private:
    const Dataset& m_guests;
    Positions m_c;
    Pool m_room, m_nationality, m_arrival, m_departure;
};

bool sameRoom(const QString& a, const QString& b)
{
    return TurkishText::compare(a, b) == 0;
}

} // namespace

bool roomBefore(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digitsA = isDigit(a[i]);
        const bool digitsB = isDigit(b[j]);
        const QStringView ra = run(a, i);
        const QStringView rb = run(b, j);
        int order = 0;
        if (digitsA && digitsB)
            order = compareNumbers(ra, rb);
        else if (digitsA != digitsB)
            order = digitsA ? -1 : 1;
        else
            order = TurkishText::compare(ra, rb);
        if (order != 0)
            return order < 0;
    }
    // A number sorts before the same number with something after it.
    return a.size() - i < b.size() - j;
}

Board read(const Dataset& guests, const QDate& today)
{
    Board board;
    if (!guests.isOpen())
        return board;
    GuestReader guestAt(guests);
    QHash<QString, int> roomAt; // folded room number -> index in board.rooms
    Room noRoom{kNoRoom, {}, false};
    const QString day = Formats::dateText(today);
    const int n = guests.recordCount();
    // Most rows of a large register are departed guests: room for all of
    // them at once, since a list that grows touches fresh memory at each
    // step, and fresh memory is what a first showing pays for most.
    board.leaving.reserve(n);
    QString arrival;
    for (int row = 0; row < n; ++row) {
        if (!guests.rowBoolean(row, guestAt.columns().staying)) {
            Departure d = guestAt.departed(row, &arrival);
            if (arrival == day)
                ++board.figures.arrivalsToday;
            if (d.departure == day)
                ++board.figures.departuresToday;
            ++board.figures.waiting;
            board.leaving << std::move(d);
            continue;
        }
        Guest g = guestAt(row);
        const bool arrivesToday = g.arrival == day;
        const bool leavesToday = g.departure == day;
        if (arrivesToday)
            ++board.figures.arrivalsToday;
        if (leavesToday)
            ++board.figures.departuresToday;
        ++board.figures.staying;
        if (leavesToday)
            board.leaving << Departure{g.key, row, g.room, g.departure, true};
        Room* room = &noRoom;
        if (!g.room.isEmpty()) {
            const QString folded = TurkishText::fold(g.room);
            auto it = roomAt.constFind(folded);
            if (it == roomAt.cend()) {
                it = roomAt.insert(folded, int(board.rooms.size()));
                board.rooms << Room{g.room, {}, false};
            }
            room = &board.rooms[*it];
        }
        room->guests << std::move(g);
        room->movementToday = room->movementToday || arrivesToday || leavesToday;
    }
    board.figures.rooms = int(board.rooms.size());
    std::stable_sort(board.rooms.begin(), board.rooms.end(),
                     [](const Room& a, const Room& b) { return roomBefore(a.room, b.room); });
    if (!noRoom.guests.isEmpty())
        board.rooms << noRoom;
    // Those who leave soonest first; the departed by the day they left, then
    // by room. Rooms and days are few beside the departed: each is ranked
    // once and the list sorted on the ranks.
    QHash<QString, int> rankOf;
    QHash<QString, int> dayRankOf;
    for (const Departure& d : std::as_const(board.leaving)) {
        rankOf.insert(d.room, 0);
        dayRankOf.insert(d.departure, 0);
    }
    const auto rank = [](QHash<QString, int>& ranks, bool (*before)(const QString&, const QString&)) {
        QStringList ranked = ranks.keys();
        std::sort(ranked.begin(), ranked.end(), before);
        for (int i = 0, r = 0; i < ranked.size(); ++i) {
            // Rooms in the same order ("101a", "101A") share a rank and keep the table's order.
            if (i > 0 && before(ranked[i - 1], ranked[i]))
                ++r;
            ranks[ranked[i]] = r;
        }
    };
    rank(rankOf, roomBefore);
    rank(dayRankOf, [](const QString& a, const QString& b) { return a < b; });
    struct Order { int day; int rank; int at; };
    std::vector<Order> order;
    order.reserve(size_t(board.leaving.size()));
    for (int i = 0; i < board.leaving.size(); ++i)
        order.push_back({dayRankOf.value(board.leaving[i].departure), rankOf.value(board.leaving[i].room), i});
    std::sort(order.begin(), order.end(), [](const Order& a, const Order& b) {
        return std::tie(a.day, a.rank, a.at) < std::tie(b.day, b.rank, b.at);
    });
    // Put in that order in place, one cycle of the permutation after another,
    // rather than into a second list of every departed guest.
    std::vector<bool> placed(order.size(), false);
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (placed[i])
            continue;
        Departure first = std::move(board.leaving[qsizetype(i)]);
        for (std::size_t j = i;;) {
            placed[j] = true;
            const auto from = std::size_t(order[j].at);
            if (from == i) {
                board.leaving[qsizetype(j)] = std::move(first);
                break;
            }
            board.leaving[qsizetype(j)] = std::move(board.leaving[qsizetype(from)]);
            j = from;
        }
    }
    return board;
}

QString nameOf(const Dataset& guests, const Departure& entry)
{
    if (guests.rowKey(entry.row) != entry.key)
        return {};
    const Positions c(guests);
    return QStringLiteral("%1 %2").arg(guests.rowText(entry.row, c.surname), guests.rowText(entry.row, c.name)).trimmed();
}

int find(const Board& board, const QString& text)
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return board.rooms.isEmpty() ? -1 : 0;
    for (int i = 0; i < board.rooms.size(); ++i) {
        const Room& r = board.rooms[i];
        if (r.room != kNoRoom && TurkishText::startsWith(r.room, wanted))
            return i;
    }
    for (int i = 0; i < board.rooms.size(); ++i) {
        for (const Guest& g : board.rooms[i].guests) {
            if (TurkishText::startsWith(g.surname, wanted))
                return i;
        }
    }
    return -1;
}

QList<Guest> stayingIn(const Dataset& guests, const QString& room)
{
    QList<Guest> out;
    if (!guests.isOpen() || room.trimmed().isEmpty() || room == kNoRoom)
        return out;
    GuestReader guestAt(guests);
    const Positions& c = guestAt.columns();
    for (int row = 0; row < guests.recordCount(); ++row) {
        if (guests.rowBoolean(row, c.staying) && sameRoom(guests.rowText(row, c.room).trimmed(), room.trimmed()))
            out << guestAt(row);
    }
    return out;
}

CheckOut checkOut(Dataset& guests, const QList<Guest>& leaving, const QDateTime& now)
{
    CheckOut result;
    if (!guests.settle() || leaving.isEmpty())
        return result;
    const TableDef& table = guests.table();
    const int staying = table.indexOf(Columns::Kalici);
    const int date = table.indexOf(Columns::AyrilisTarihi);
    const int time = table.indexOf(Columns::AyrilisSaati);
    QHash<qint64, int> rowOf;
    for (int row = 0; row < guests.recordCount(); ++row)
        rowOf.insert(guests.rowKey(row), row);
    Store& store = guests.store();
    QList<qint64> keys;
    const Guest* writing = nullptr;
    Store::Transaction tx = store.transaction();
    try {
        for (const Guest& g : leaving) {
            writing = &g;
            const int row = rowOf.value(g.key, -1);
            if (row < 0)
                throw StoreConflict(StoreConflict::Kind::Deleted, QString());
            QList<QVariant> values;
            values.reserve(table.columns.size());
            for (int col = 0; col < table.columns.size(); ++col)
                values << guests.rowValue(row, col);
            values[staying] = qint64(0);
            values[date] = Formats::dateText(now.date());
            values[time] = Formats::timeText(now.time());
            store.updateAt(table.name, {g.key, g.version}, values);
            keys << g.key;
        }
        tx.commit();
    } catch (const StoreConflict&) {
        tx.rollback();
        guests.catchUp();
        result.refusal = kCheckOutConflict.arg(writing->name, writing->surname);
        return result;
    } catch (const StoreError& e) {
        tx.rollback();
        guests.catchUp();
        result.refusal = e.text();
        return result;
    }
    guests.refreshRows(keys);
    result.done = true;
    return result;
}

} // namespace RoomBoard

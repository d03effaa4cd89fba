// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/RoomBoard.h"

#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/Store.h"
#include "core/register/TurkishText.h"

#include <QHash>
#include <QSet>
#include <algorithm>
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

struct Columns
{
    int room, surname, name, nationality, arrival, departure, staying;
    explicit Columns(const Dataset& guests)
        : room(guests.table().indexOf(QStringLiteral("VerilenOdaNo"))),
          surname(guests.table().indexOf(QStringLiteral("Soyadi"))),
          name(guests.table().indexOf(QStringLiteral("Adi"))),
          nationality(guests.table().indexOf(QStringLiteral("Uyrugu"))),
          arrival(guests.table().indexOf(QStringLiteral("GelisTarihi"))),
          departure(guests.table().indexOf(QStringLiteral("AyrilisTarihi"))),
          staying(guests.table().indexOf(QStringLiteral("Kalici")))
    {
    }
};

// Rooms, nationalities and days repeat over thousands of guests: one copy of
// each is kept, which keeps a board of a large register small.
class Pool
{
public:
    QString operator()(const QString& s)
    {
        if (s.isEmpty())
            return {};
        const auto it = m_seen.constFind(s);
        return it != m_seen.cend() ? *it : *m_seen.insert(s);
    }

private:
    QSet<QString> m_seen;
};

Guest guestAt(const Dataset& guests, const Columns& c, int row, Pool* pool = nullptr)
{
    Pool own;
    Pool& shared = pool ? *pool : own;
    Guest g;
    g.key = guests.rowKey(row);
    g.version = guests.rowVersion(row);
    g.room = shared(guests.rowText(row, c.room).trimmed());
    g.surname = guests.rowText(row, c.surname);
    g.name = guests.rowText(row, c.name);
    g.nationality = shared(guests.rowText(row, c.nationality));
    g.arrival = shared(dayOf(guests.rowText(row, c.arrival)));
    g.departure = shared(dayOf(guests.rowText(row, c.departure)));
    g.staying = guests.rowBoolean(row, c.staying);
    return g;
}

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
    const Columns c(guests);
    QHash<QString, int> roomAt; // folded room number -> index in board.rooms
    Room noRoom{kNoRoom, {}, false};
    const QString day = Formats::dateText(today);
    const int n = guests.recordCount();
    Pool pool;
    for (int row = 0; row < n; ++row) {
        Guest g = guestAt(guests, c, row, &pool);
        const bool arrivesToday = g.arrival == day;
        const bool leavesToday = g.departure == day;
        if (arrivesToday)
            ++board.figures.arrivalsToday;
        if (leavesToday)
            ++board.figures.departuresToday;
        if (!g.staying) {
            ++board.figures.waiting;
            board.leaving << std::move(g);
            continue;
        }
        ++board.figures.staying;
        if (leavesToday)
            board.leaving << g;
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
    // by room. The rooms are few beside the departed: each is ranked once and
    // the list sorted on the ranks.
    QHash<QString, int> rankOf;
    for (const Guest& g : std::as_const(board.leaving))
        rankOf.insert(g.room, 0);
    QStringList ranked = rankOf.keys();
    std::sort(ranked.begin(), ranked.end(), roomBefore);
    for (int i = 0, rank = 0; i < ranked.size(); ++i) {
        // Rooms in the same order ("101a", "101A") share a rank and keep the table's order.
        if (i > 0 && roomBefore(ranked[i - 1], ranked[i]))
            ++rank;
        rankOf[ranked[i]] = rank;
    }
    struct Order { QStringView departure; int rank; int at; };
    std::vector<Order> order;
    order.reserve(size_t(board.leaving.size()));
    for (int i = 0; i < board.leaving.size(); ++i)
        order.push_back({board.leaving[i].departure, rankOf.value(board.leaving[i].room), i});
    std::stable_sort(order.begin(), order.end(), [](const Order& a, const Order& b) {
        if (const int c = a.departure.compare(b.departure); c != 0)
            return c < 0;
        return a.rank < b.rank;
    });
    QList<Guest> leaving;
    leaving.reserve(board.leaving.size());
    for (const Order& o : order)
        leaving << std::move(board.leaving[o.at]);
    board.leaving = std::move(leaving);
    return board;
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
    const Columns c(guests);
    for (int row = 0; row < guests.recordCount(); ++row) {
        if (guests.rowBoolean(row, c.staying) && sameRoom(guests.rowText(row, c.room).trimmed(), room.trimmed()))
            out << guestAt(guests, c, row);
    }
    return out;
}

CheckOut checkOut(Dataset& guests, const QList<Guest>& leaving, const QDateTime& now)
{
    CheckOut result;
    if (!guests.settle() || leaving.isEmpty())
        return result;
    const TableDef& table = guests.table();
    const int staying = table.indexOf(QStringLiteral("Kalici"));
    const int date = table.indexOf(QStringLiteral("AyrilisTarihi"));
    const int time = table.indexOf(QStringLiteral("AyrilisSaati"));
    QHash<qint64, int> rowOf;
    for (int row = 0; row < guests.recordCount(); ++row)
        rowOf.insert(guests.rowKey(row), row);
    Store& store = guests.store();
    QList<qint64> keys;
    const Guest* writing = nullptr;
    store.begin();
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
        store.commit();
    } catch (const StoreConflict&) {
        store.rollback();
        guests.catchUp();
        result.refusal = kCheckOutConflict.arg(writing->name, writing->surname);
        return result;
    } catch (const StoreError& e) {
        store.rollback();
        guests.catchUp();
        result.refusal = e.text();
        return result;
    }
    guests.refreshRows(keys);
    result.done = true;
    return result;
}

} // namespace RoomBoard

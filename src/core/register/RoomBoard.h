// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class Dataset;

// Who is in which room now, read from the guest table as it stands: the
// rooms of the staying guests, the day's movements and the departed guests
// that wait for the next notification file.
namespace RoomBoard {

// The heading under which guests without a room number are listed.
extern const QString kNoRoom;

struct Guest
{
    qint64 key = 0;
    qint64 version = 0;                   // where rows have versions (a server)
    QString room;
    QString surname;
    QString name;
    QString nationality;                  // the country code the row holds
    // Days as the register holds them ("yyyy-MM-dd"); empty for none. The
    // departure is the planned one of a staying guest or the actual one.
    QString arrival;
    QString departure;
    bool staying = false;
};

// An entry of the list of today's departures and the departed guests that
// wait for the file. Thousands of them can wait for a run: an entry holds
// where its guest is in the table read, and the name is read from there
// when it is shown.
struct Departure
{
    qint64 key = 0;
    int row = -1;                         // the guest's row in the table read
    QString room;
    QString departure;                    // the day, as a Guest holds it
    bool staying = false;                 // still here, planned to leave today
};

struct Room
{
    QString room;                         // kNoRoom for guests without one
    QList<Guest> guests;
    bool movementToday = false;           // someone arrives or leaves today
};

struct Figures
{
    int rooms = 0;                        // rooms with a staying guest
    int staying = 0;
    int arrivalsToday = 0;
    int departuresToday = 0;              // left today or planned to leave today
    int waiting = 0;                      // departed, not yet in a file
    bool operator==(const Figures&) const = default;
};

struct Board
{
    Figures figures;
    QList<Room> rooms;                    // in room order, kNoRoom last
    QList<Departure> leaving;             // today's departures and the departed
};

// Room numbers as a clerk reads them: runs of digits by their value, the
// rest alphabetically the Turkish way, case ignored: "2" before "10",
// "101" before "101A".
bool roomBefore(const QString& a, const QString& b);

Board read(const Dataset& guests, const QDate& today);

// "Soyadı Adı" of a departures list entry, from the table the board was read
// from; empty when that row holds another guest by now.
QString nameOf(const Dataset& guests, const Departure& entry);

// The first room, in board order, whose number begins with the text or one
// of whose guests' surnames does (case ignored the Turkish way); -1 when none.
int find(const Board& board, const QString& text);

// Checking out every staying guest of a room at once.
struct CheckOut
{
    bool done = false;
    // Why nothing was done: a message for the clerk, or empty when the
    // pending edit's own refusal has been shown already.
    QString refusal;
};

// The question asked before a room is checked out, and what the clerk is
// told when another desk changed one of the room's guests meanwhile.
extern const QString kCheckOutQuestion;
extern const QString kCheckOutConflict;

// The staying guests of the room, as they will be named in the question.
QList<Guest> stayingIn(const Dataset& guests, const QString& room);

// Settles a pending edit of the guest table first (a refused settle ends
// it); then the guests, as stayingIn() read them, get their departure at the
// moment given, all in one transaction: a guest changed or deleted elsewhere
// since it was read writes none of them.
CheckOut checkOut(Dataset& guests, const QList<Guest>& leaving, const QDateTime& now);

} // namespace RoomBoard

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/GuestRules.h"
#include "core/register/RoomBoard.h"
#include "core/register/Schema.h"

#include <gtest/gtest.h>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2026, 5, 14);
const QDateTime kNow(kToday, QTime(11, 30, 15));

struct Stay
{
    const char* name;
    const char* surname;
    const char* room;
    QDate arrival;
    std::optional<QDate> departure; // none: staying with no departure set
    bool staying = true;
};

// A register of guests with the stays given, written as the guest window
// writes them.
struct Board : ::testing::Test
{
    TestDir dir;
    Database db{Database::kFileName};
    Dataset guests{db, Schema::kisi()};

    void SetUp() override { db.open(); }
    void add(const QList<Stay>& stays)
    {
        for (const Stay& s : stays) {
            const qint64 key = insertGuest(db, QString::fromUtf8(s.name), s.staying);
            QList<QVariant> row;
            for (const StoreRow& r : db.load(Schema::kisi().name)) {
                if (r.key == key)
                    row = r.values;
            }
            const TableDef& t = Schema::kisi();
            row[t.indexOf(u"Soyadi"_s)] = QString::fromUtf8(s.surname);
            row[t.indexOf(u"VerilenOdaNo"_s)] = QString::fromUtf8(s.room);
            row[t.indexOf(u"GelisTarihi"_s)] = Formats::dateText(s.arrival);
            row[t.indexOf(u"AyrilisTarihi"_s)] = Formats::dateText(s.departure.value_or(Formats::dayZero()));
            db.update(t.name, key, row);
        }
        guests.open();
    }
    QStringList roomNames(const RoomBoard::Board& b) const
    {
        QStringList out;
        for (const RoomBoard::Room& r : b.rooms)
            out << r.room;
        return out;
    }
};

QStringList surnames(const QList<RoomBoard::Guest>& list)
{
    QStringList out;
    for (const RoomBoard::Guest& g : list)
        out << g.surname;
    return out;
}

QStringList names(const Dataset& guests, const QList<RoomBoard::Departure>& list)
{
    QStringList out;
    for (const RoomBoard::Departure& d : list)
        out << RoomBoard::nameOf(guests, d);
    return out;
}

} // namespace

TEST(RoomBoard, RoomsAreOrderedAsAClerkReadsThem)
{
    QStringList rooms = {u"101A"_s, u"10"_s, u"b2"_s, u"101"_s, u"2"_s, u"B10"_s, u"Çatı"_s, u"A1"_s, u"02"_s, u"9"_s};
    std::stable_sort(rooms.begin(), rooms.end(), RoomBoard::roomBefore);
    EXPECT_EQ(rooms, (QStringList{u"2"_s, u"02"_s, u"9"_s, u"10"_s, u"101"_s, u"101A"_s, u"A1"_s, u"b2"_s, u"B10"_s,
                                  u"Çatı"_s}));
    EXPECT_FALSE(RoomBoard::roomBefore(u"101"_s, u"101"_s));
}

TEST_F(Board, TheFiguresAndListsCountTheGuestTableAsItIs)
{
    add({{"Ali", "Kaya", "101", kToday.addDays(-2), std::nullopt},
         {"Ayşe", "Kaya", "101 ", kToday, std::nullopt},
         {"Can", "Işık", "10", kToday.addDays(-5), kToday},            // planned to leave today
         {"Deniz", "Ak", "2", kToday.addDays(-1), kToday.addDays(3)},
         {"Ece", "Tan", "", kToday, std::nullopt},                     // no room typed
         {"Filiz", "Er", "5", kToday.addDays(-3), kToday, false},     // left today
         {"Gül", "Su", "7", kToday.addDays(-9), kToday.addDays(-1), false}});
    const RoomBoard::Board b = RoomBoard::read(guests, kToday);

    EXPECT_EQ(b.figures, (RoomBoard::Figures{3, 5, 2, 2, 2}));
    EXPECT_EQ(roomNames(b), (QStringList{u"2"_s, u"10"_s, u"101"_s, RoomBoard::kNoRoom}));
    EXPECT_EQ(surnames(b.rooms[2].guests), (QStringList{u"Kaya"_s, u"Kaya"_s}));
    const QList<bool> movement = {b.rooms[0].movementToday, b.rooms[1].movementToday, b.rooms[2].movementToday};
    EXPECT_EQ(movement, (QList<bool>{false, true, true}));
    // Today's departures and the departed guests waiting for the file, the
    // earliest departure first.
    EXPECT_EQ(names(guests, b.leaving), (QStringList{u"Su Gül"_s, u"Er Filiz"_s, u"Işık Can"_s}));

    // The list names its guests from the table when it is painted: once a
    // row holds another guest, an entry read before names nobody rather
    // than the wrong person.
    ASSERT_TRUE(guests.locate(u"Adi"_s, u"Ali"_s));
    ASSERT_TRUE(guests.remove());
    for (const QString& name : names(guests, b.leaving))
        EXPECT_TRUE(name == u"Er Filiz"_s || name == u"Işık Can"_s || name.isEmpty()) << name.toStdString();

    // Found by room number first, then by surname, Turkish case ignored.
    EXPECT_EQ(RoomBoard::find(b, u"10"_s), 1);
    EXPECT_EQ(RoomBoard::find(b, u"IŞ"_s), 1);
    EXPECT_EQ(RoomBoard::find(b, u"kaya"_s), 2);
    EXPECT_EQ(RoomBoard::find(b, u"Yok"_s), -1);
}

// Every staying guest of the room leaves at the clock's moment; the others
// are not touched, and the change is in the register, not only on screen.
TEST_F(Board, ARoomIsCheckedOutInOneStep)
{
    add({{"Ali", "Kaya", "101", kToday.addDays(-2), std::nullopt},
         {"Ayşe", "Kaya", "101", kToday, std::nullopt},
         {"Deniz", "Ak", "2", kToday.addDays(-1), std::nullopt}});
    const QList<RoomBoard::Guest> leaving = RoomBoard::stayingIn(guests, u"101"_s);
    ASSERT_EQ(leaving.size(), 2);

    const RoomBoard::CheckOut result = RoomBoard::checkOut(guests, leaving, kNow);

    EXPECT_TRUE(result.done);
    EXPECT_EQ(result.refusal, QString());
    Dataset reread(db, Schema::kisi());
    reread.open();
    const RoomBoard::Board b = RoomBoard::read(reread, kToday);
    EXPECT_EQ(roomNames(b), QStringList{u"2"_s});
    EXPECT_EQ(names(reread, b.leaving), (QStringList{u"Kaya Ali"_s, u"Kaya Ayşe"_s}));
    ASSERT_TRUE(reread.locate(u"Adi"_s, u"Ayşe"_s));
    EXPECT_FALSE(reread.boolean(u"Kalici"_s));
    EXPECT_EQ(reread.text(u"AyrilisTarihi"_s), u"2026-05-14"_s);
    EXPECT_EQ(reread.text(u"AyrilisSaati"_s), u"11:30:15"_s);
    EXPECT_EQ(RoomBoard::read(guests, kToday).figures, b.figures);
}

// Days are read by their day part whatever follows it in the stored text,
// and a departure of day zero (none set) is no day at all.
TEST_F(Board, ADayIsReadWithOrWithoutItsTime)
{
    add({{"Ali", "Kaya", "101", kToday, std::nullopt},
         {"Can", "Işık", "10", kToday.addDays(-3), kToday.addDays(-1), false},
         {"Ece", "Tan", "12", kToday.addDays(-3), kToday.addDays(-1), false}});
    const QList<std::pair<const char*, const char*>> stored = {
        {"Ali", "UPDATE Kisi SET GelisTarihi = '2026-05-14 08:15:00', AyrilisTarihi = '1899-12-30 00:00:00'"},
        {"Can", "UPDATE Kisi SET AyrilisTarihi = '2026-05-13 18:00:00'"}};
    for (const auto& [name, update] : stored)
        db.exec(QString::fromLatin1(update) + u" WHERE Adi = ?"_s, {QString::fromUtf8(name)});
    guests.open();
    const RoomBoard::Board b = RoomBoard::read(guests, kToday);

    EXPECT_EQ(b.figures.arrivalsToday, 1);
    ASSERT_EQ(b.rooms.size(), 1);
    EXPECT_EQ(b.rooms[0].guests[0].arrival, u"2026-05-14"_s);
    EXPECT_EQ(b.rooms[0].guests[0].departure, QString());
    ASSERT_EQ(b.leaving.size(), 2);
    // The same day, so the room decides: "10" before "12".
    EXPECT_EQ(names(guests, b.leaving), (QStringList{u"Işık Can"_s, u"Tan Ece"_s}));
    EXPECT_EQ(b.leaving[0].departure, u"2026-05-13"_s);
    EXPECT_EQ(b.leaving[1].departure, u"2026-05-13"_s);
}

// A change to a guest that cannot be saved stops the check-out before
// anything is written.
TEST_F(Board, ARefusedPendingChangeChecksOutNobody)
{
    add({{"Ali", "Kaya", "101", kToday.addDays(-2), std::nullopt}});
    const QList<RoomBoard::Guest> leaving = RoomBoard::stayingIn(guests, u"101"_s);
    guests.beforePost = [] { return false; };
    ASSERT_TRUE(guests.edit());
    guests.setText(u"Isi"_s, u"Mimar"_s);

    EXPECT_FALSE(RoomBoard::checkOut(guests, leaving, kNow).done);
    EXPECT_EQ(guests.state(), Dataset::State::Edit);
    EXPECT_EQ(db.load(Schema::kisi().name).first().values[Schema::kisi().indexOf(u"Kalici"_s)].toLongLong(), 1);
}

// Ctrl+G: the next member of a family begins with the stay of the one shown
// and nothing of the identity; left untouched, a move drops it unsaved.
TEST_F(Board, AGuestForTheSameRoomBeginsWithTheStayOfTheGuestShown)
{
    add({{"Ali", "Kaya", "101", kToday.addDays(-2), kToday.addDays(4)}});
    ASSERT_TRUE(guests.first());
    const QStringList shared = GuestRules::sharedStayColumns();
    QList<QVariant> stay;
    for (const QString& c : shared)
        stay << guests.value(c);

    ASSERT_TRUE(GuestRules::beginInSameRoom(guests));

    EXPECT_EQ(guests.state(), Dataset::State::Insert);
    for (int i = 0; i < shared.size(); ++i)
        EXPECT_EQ(guests.value(shared[i]).toString(), stay[i].toString()) << shared[i].toStdString();
    for (const char* identity : {"Adi", "Soyadi", "KimlikSeriNo", "Uyrugu", "TCKimlikNo"})
        EXPECT_TRUE(guests.isNull(QString::fromLatin1(identity))) << identity;
    EXPECT_FALSE(guests.isModified());
    ASSERT_TRUE(guests.first());
    EXPECT_EQ(db.count(Schema::kisi().name), 1);
}

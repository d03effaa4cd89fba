// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Schema.h"
#include "core/transfer/StayStatistics.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using StayStatistics::Count;
using Counts = QMap<QString, Count>;

TEST(StayStatistics, NightsFallInTheMonthsTheyArePassedIn)
{
    struct Case
    {
        const char* name;
        QDate arrival;
        std::optional<QDate> departure;
        StayStatistics::Months expected;
    };
    const Case cases[] = {
        {"across a month's end", QDate(2026, 3, 30), QDate(2026, 4, 2),
         {{u"2026-03"_s, {{u"DEU"_s, {1, 2}}}}, {u"2026-04"_s, {{u"DEU"_s, {0, 1}}}}}},
        {"arrives and leaves on one day", QDate(2026, 3, 30), QDate(2026, 3, 30), {{u"2026-03"_s, {{u"DEU"_s, {1, 0}}}}}},
        {"no departure", QDate(2026, 3, 30), std::nullopt, {{u"2026-03"_s, {{u"DEU"_s, {1, 0}}}}}},
        {"departure before arrival", QDate(2026, 3, 30), QDate(2026, 3, 1), {{u"2026-03"_s, {{u"DEU"_s, {1, 0}}}}}},
        {"a whole leap February", QDate(2024, 1, 31), QDate(2024, 3, 1),
         {{u"2024-01"_s, {{u"DEU"_s, {1, 1}}}}, {u"2024-02"_s, {{u"DEU"_s, {0, 29}}}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StayStatistics::Months months;
        StayStatistics::addStay(months, u"DEU"_s, c.arrival, c.departure);
        EXPECT_EQ(months, c.expected);
    }
}

namespace {

struct Figures : ::testing::Test
{
    TestDir dir;
    Database db{Database::kFileName};
    Dataset guests{db, Schema::kisi()};
    Dataset countries{db, Schema::ulke()};
    const QDate today{2026, 5, 14};

    void SetUp() override
    {
        db.open();
        countries.open();
    }
    qint64 guest(const QString& nationality, const QString& arrival, const QString& departure, bool staying)
    {
        const qint64 key = insertGuest(db, u"Misafir"_s, staying);
        db.exec(u"UPDATE Kisi SET Uyrugu = ?, GelisTarihi = ?, AyrilisTarihi = ? WHERE ID = ?"_s,
                {nationality, arrival, departure, key});
        return key;
    }
};

} // namespace

// Stored counts add up, month by month, and go after five years; the day
// counting began is set by the first addition.
TEST_F(Figures, StoredCountsAddUpAndOldMonthsGo)
{
    StayStatistics::Months first;
    StayStatistics::addStay(first, u"DEU"_s, QDate(2026, 4, 29), QDate(2026, 5, 2));
    StayStatistics::addStay(first, u"TC"_s, QDate(2021, 4, 1), QDate(2021, 4, 3));
    StayStatistics::store(db, first, today);
    StayStatistics::Months second;
    StayStatistics::addStay(second, u"DEU"_s, QDate(2026, 4, 1), QDate(2026, 4, 2));
    StayStatistics::store(db, second, today.addDays(1));

    EXPECT_EQ(StayStatistics::stored(db, u"2026-04"_s), (Counts{{u"DEU"_s, {2, 3}}}));
    EXPECT_EQ(StayStatistics::stored(db, u"2026-05"_s), (Counts{{u"DEU"_s, {0, 1}}}));
    EXPECT_EQ(StayStatistics::countingSince(db), today);
    EXPECT_EQ(StayStatistics::storedMonths(db), (QStringList{u"2026-05"_s, u"2026-04"_s, u"2021-04"_s}));

    EXPECT_EQ(StayStatistics::prune(db, today), 1);
    EXPECT_EQ(StayStatistics::storedMonths(db), (QStringList{u"2026-05"_s, u"2026-04"_s}));
}

// A month as shown: what was stored, and the guests still in the register,
// the staying ones up to today; Turkish citizens first, then by arrivals.
TEST_F(Figures, TheMonthAddsTheGuestsStillInTheRegister)
{
    StayStatistics::Months purged;
    StayStatistics::addStay(purged, u"DEU"_s, QDate(2026, 5, 1), QDate(2026, 5, 3));
    StayStatistics::addStay(purged, u"GBR"_s, QDate(2026, 5, 2), QDate(2026, 5, 3));
    StayStatistics::addStay(purged, u"GBR"_s, QDate(2026, 5, 2), QDate(2026, 5, 3));
    StayStatistics::store(db, purged, QDate(2026, 5, 1));
    guest(u"TC"_s, u"2026-05-10"_s, u"1899-12-30"_s, true);       // 4 nights so far
    guest(u"DEU"_s, u"2026-04-30"_s, u"2026-05-02"_s, false);     // left, not yet purged
    guests.open();

    const StayStatistics::Month m = StayStatistics::month(db, guests, countries, u"2026-05"_s, today);

    ASSERT_EQ(m.lines.size(), 3);
    EXPECT_EQ(m.lines[0].code, u"TC"_s);
    EXPECT_EQ(m.lines[0].count, (Count{1, 4}));
    EXPECT_EQ(m.lines[1].code, u"GBR"_s);
    EXPECT_EQ(m.lines[1].count, (Count{2, 2}));
    EXPECT_EQ(m.lines[2].count, (Count{1, 3}));
    EXPECT_EQ(m.total, (Count{4, 9}));
    EXPECT_EQ(m.stayingIncluded, 1);
    EXPECT_FALSE(m.beforeCounting);
    EXPECT_TRUE(StayStatistics::month(db, guests, countries, u"2026-04"_s, today).beforeCounting);

    // For a spreadsheet: a byte-order mark, semicolons, the country's name.
    const QByteArray csv = StayStatistics::csv(m);
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF" "Ay;Uyruğu;Ülke;Geliş;Geceleme\r\n"));
    EXPECT_TRUE(csv.contains((u"2026-05;TC;"_s + m.lines[0].country + u";1;4\r\n"_s).toUtf8()));
    EXPECT_TRUE(csv.endsWith("2026-05;;Toplam;4;9\r\n"));
}

// The purged guests counted from their stored days: a day that is no day,
// or the register's day zero, counts no arrival.
TEST_F(Figures, PurgedGuestsCountFromTheirStoredDays)
{
    struct Case
    {
        const char* arrival;
        const char* departure;
        StayStatistics::Months expected;
    };
    const Case cases[] = {
        {"2026-04-29", "2026-05-02", {{u"2026-04"_s, {{u"DEU"_s, {1, 2}}}}, {u"2026-05"_s, {{u"DEU"_s, {0, 1}}}}}},
        {"2026-04-29 14:30:00", "2026-04-30 09:00:00", {{u"2026-04"_s, {{u"DEU"_s, {1, 1}}}}}},
        {"2026-04-29", "", {{u"2026-04"_s, {{u"DEU"_s, {1, 0}}}}}},
        {"2026-02-30", "2026-03-02", {}},
        {"2026-4-29", "2026-05-02", {}},
        {"20x6-04-29", "2026-05-02", {}},
        {"1899-12-30", "2026-05-02", {}},
        {"", "2026-05-02", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arrival);
        const qint64 key = guest(u"DEU"_s, QString::fromLatin1(c.arrival), QString::fromLatin1(c.departure), false);
        guests.open();
        EXPECT_EQ(StayStatistics::ofGuests(guests, {key}, today), c.expected);
    }
}

// Many purged guests add up by month and nationality; a guest not purged
// counts nothing.
TEST_F(Figures, PurgedGuestsAddUpByMonthAndNationality)
{
    const QList<qint64> purged = {guest(u"DEU"_s, u"2026-04-30"_s, u"2026-05-02"_s, false),
                                  guest(u"DEU"_s, u"2026-05-01"_s, u"2026-05-04"_s, false),
                                  guest(u"TC"_s, u"2026-04-29"_s, u"2026-05-01"_s, false)};
    guest(u"DEU"_s, u"2026-04-01"_s, u"2026-04-03"_s, false);
    guests.open();
    const StayStatistics::Months expected = {{u"2026-04"_s, {{u"DEU"_s, {1, 1}}, {u"TC"_s, {1, 2}}}},
                                             {u"2026-05"_s, {{u"DEU"_s, {1, 4}}}}};
    EXPECT_EQ(StayStatistics::ofGuests(guests, purged, today), expected);
}

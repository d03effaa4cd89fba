// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/DatasetFixture.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using TurkishOrderTest = DatasetFixture;

TEST_F(TurkishOrderTest, SortIsAscendingStableAndKeepsTheCurrentRow)
{
    // Enough equal names that an unstable sort would reorder them.
    QStringList names;
    for (int i = 0; i < 40; ++i)
        names << QStringList{u"Cem"_s, u"Ali"_s, u"Berk"_s}[i % 3];
    const QList<qint64> ids = guests(names);
    Dataset ds(db, Schema::kisi());
    ds.open();
    for (int i = 0; i < 4; ++i)
        ds.next(); // the second Ali
    ASSERT_TRUE(ds.setSort(kAdi));
    EXPECT_EQ(column(ds), QStringList(13, u"Ali"_s) + QStringList(13, u"Berk"_s) + QStringList(14, u"Cem"_s));
    for (int i = 1; i < ds.recordCount(); ++i) {
        const bool tied = ds.rowText(i, kAdi) == ds.rowText(i - 1, kAdi);
        EXPECT_TRUE(!tied || ds.rowText(i, u"ID"_s).toLongLong() > ds.rowText(i - 1, u"ID"_s).toLongLong()) << i;
    }
    EXPECT_EQ(ds.key(), ids[4]);
    EXPECT_EQ(ds.recNo(), 1);

    ASSERT_TRUE(ds.setSort(QString()));
    EXPECT_EQ(column(ds), names);
    EXPECT_EQ(ds.recNo(), 4);
}

TEST_F(TurkishOrderTest, LocateIgnoresCaseTheTurkishWayOnlyWhenAsked)
{
    const QStringList names{u"Irmak"_s, u"ışıl"_s, u"İsmail"_s, u"ilker"_s, u"Sule"_s, u"şule"_s,
                            u"Cem"_s,   u"Çağla"_s, u"ömer"_s,  u"Ümit"_s,  u"ALİ"_s};
    const QList<qint64> ids = guests(names);
    db.exec(u"UPDATE Kisi SET Kalici = 0 WHERE ID = ?"_s, {ids[3]});
    const struct
    {
        QString column, prefix;
        int folded, exact; // the row found either way, -1 for none
    } cases[] = {
        {kAdi, u"i"_s, 2, 3},     {kAdi, u"I"_s, 0, 0},      {kAdi, u"ı"_s, 0, 1},      {kAdi, u"İ"_s, 2, 2},
        {kAdi, u"IŞ"_s, 1, -1},   {kAdi, u"is"_s, 2, -1},    {kAdi, u"irm"_s, -1, -1},  {kAdi, u"ş"_s, 5, 5},
        {kAdi, u"s"_s, 4, -1},    {kAdi, u"ç"_s, 7, -1},     {kAdi, u"c"_s, 6, -1},     {kAdi, u"ÖM"_s, 8, -1},
        {kAdi, u"o"_s, -1, -1},   {kAdi, u"ü"_s, 9, -1},     {kAdi, u"u"_s, -1, -1},    {kAdi, u"ali"_s, 10, -1},
        {kAdi, u"alı"_s, -1, -1}, {kAdi, u"ALİ"_s, 10, 10},  {kAdi, u"ışıll"_s, -1, -1},
        // Yes/no reads True or False; numbers read as their digits.
        {u"Kalici"_s, u"f"_s, 3, -1}, {u"Kalici"_s, u"TRUE"_s, 0, -1}, {u"Kalici"_s, u"Fa"_s, 3, 3},
        {u"ID"_s, QString::number(ids[7]), 7, 7},
    };
    for (const auto& c : cases) {
        for (const Dataset::Match match : {Dataset::Match::IgnoreTurkishCase, Dataset::Match::Exact}) {
            const int want = match == Dataset::Match::Exact ? c.exact : c.folded;
            SCOPED_TRACE((c.column + u" '"_s + c.prefix + u"' "_s).toStdString()
                         + (match == Dataset::Match::Exact ? "exact" : "ignoring case"));
            Dataset ds(db, Schema::kisi());
            ds.open();
            ds.last();
            int scrolls = 0;
            QObject::connect(&ds, &Dataset::scrolled, [&] { ++scrolls; });
            EXPECT_EQ(ds.locate(c.column, c.prefix, match), want >= 0);
            EXPECT_EQ(ds.recNo(), want >= 0 ? want : int(names.size()) - 1);
            EXPECT_EQ(scrolls, want >= 0 ? 1 : 0);
            if (match == Dataset::Match::Exact) {
                // The case-sensitive default is the exact search.
                ds.last();
                EXPECT_EQ(ds.locate(c.column, c.prefix), want >= 0);
                EXPECT_EQ(ds.recNo(), want >= 0 ? want : int(names.size()) - 1);
            }
        }
    }
}

TEST_F(TurkishOrderTest, LocateFindsEmptyValuesAsAStartsWithDoes)
{
    // A null text begins every value, an empty text every value but an empty one.
    customers(db, {QString(), u"Ali"_s, QString(), u"Veli"_s});
    const struct
    {
        QString prefix;
        int folded, exact; // the row found either way, -1 for none
    } cases[] = {{QString(), 0, 0}, {u""_s, 1, 1}, {u"v"_s, 3, -1}, {u"V"_s, 3, 3}, {u"x"_s, -1, -1}};
    for (const auto& c : cases) {
        for (const Dataset::Match match : {Dataset::Match::IgnoreTurkishCase, Dataset::Match::Exact}) {
            const int want = match == Dataset::Match::Exact ? c.exact : c.folded;
            SCOPED_TRACE((c.prefix.isNull() ? u"null"_s : u"'"_s + c.prefix + u"'"_s).toStdString()
                         + (match == Dataset::Match::Exact ? " exact" : " ignoring case"));
            Dataset ds(db, Schema::musteriler());
            ds.open();
            ds.last();
            EXPECT_EQ(ds.locate(kAdi, c.prefix, match), want >= 0);
            EXPECT_EQ(ds.recNo(), want >= 0 ? want : 3);
        }
    }
    Dataset empty(db, Schema::kisi());
    empty.open();
    EXPECT_FALSE(empty.locate(kAdi, QString(), Dataset::Match::IgnoreTurkishCase));
    EXPECT_FALSE(empty.locate(kAdi, u"a"_s, Dataset::Match::Exact));
    EXPECT_EQ(empty.recNo(), -1);
}

TEST_F(TurkishOrderTest, ACaseIgnoringSearchFollowsOrderFilterAndChanges)
{
    const QList<qint64> ids = guests({u"Zeki"_s, u"ali"_s, u"Ayşe"_s, u"ALİ"_s});
    Dataset ds(db, Schema::kisi());
    ds.open();
    const auto find = [&](const QString& prefix) {
        return ds.locate(kAdi, prefix, Dataset::Match::IgnoreTurkishCase) ? ds.key() : 0;
    };
    EXPECT_EQ(find(u"al"_s), ids[1]);
    ASSERT_TRUE(ds.setSort(kAdi));
    EXPECT_EQ(column(ds), (QStringList{u"ali"_s, u"ALİ"_s, u"Ayşe"_s, u"Zeki"_s}));
    EXPECT_EQ(find(u"AY"_s), ids[2]);
    EXPECT_EQ(ds.recNo(), 2);
    EXPECT_EQ(find(u"al"_s), ids[1]);

    // A posted change is seen by the next search.
    ds.edit();
    ds.setText(kAdi, u"Berk"_s);
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(find(u"al"_s), ids[3]);
    EXPECT_EQ(find(u"BE"_s), ids[1]);
    EXPECT_EQ(ds.recNo(), 2);

    // A pending change is posted before the search.
    ds.edit();
    ds.setText(kAdi, u"Can"_s);
    EXPECT_EQ(find(u"c"_s), ids[1]);
    EXPECT_EQ(storedName(ids[1]), u"Can"_s);

    ASSERT_TRUE(ds.setFilter(kAdi, u"Zeki"_s));
    EXPECT_EQ(find(u"a"_s), 0);
    EXPECT_EQ(find(u"z"_s), ids[0]);
    ASSERT_TRUE(ds.remove());
    EXPECT_EQ(find(u"z"_s), 0);
    ASSERT_TRUE(ds.clearFilter());
    EXPECT_EQ(find(u"z"_s), 0);
    EXPECT_EQ(find(u"ayş"_s), ids[2]);

    ds.close();
    ds.open();
    EXPECT_EQ(find(u"can"_s), ids[1]);
}

TEST_F(TurkishOrderTest, SortOrdersTextsByTheTurkishAlphabetAndNumbersByValue)
{
    const QStringList names{u"Zeynep"_s, u"çiğdem"_s, QString(),  u"Cem"_s,       u"ışık"_s,    u"ilknur"_s,
                            u"Irmak"_s,  u"İlker"_s,  u"10 Numara"_s, u"2. Kat"_s, u"Öykü"_s,    u"Oya"_s,
                            u"Şule"_s,   u"Sevgi"_s,  u"Ümit"_s,  u"Uğur"_s,      u"IŞIK"_s,    u"Ğ"_s,
                            u"Gül"_s,    u"Işık"_s,   QString(),  u"Émile"_s,     u"DENİZ"_s,   u"deniz"_s,
                            u"Ayşegül"_s, u"AYŞE"_s};
    customers(db, names);
    Dataset ds(db, Schema::musteriler());
    ds.open();
    ASSERT_TRUE(ds.setSort(kAdi));
    // Empty values first; equal names (ignoring case) in stored order.
    EXPECT_EQ(column(ds), (QStringList{QString(), QString(), u"10 Numara"_s, u"2. Kat"_s, u"AYŞE"_s, u"Ayşegül"_s,
                                       u"Cem"_s, u"çiğdem"_s,
                                       u"DENİZ"_s, u"deniz"_s, u"Gül"_s, u"Ğ"_s, u"Irmak"_s, u"ışık"_s, u"IŞIK"_s,
                                       u"Işık"_s, u"İlker"_s, u"ilknur"_s, u"Oya"_s, u"Öykü"_s, u"Sevgi"_s, u"Şule"_s,
                                       u"Uğur"_s, u"Ümit"_s, u"Zeynep"_s, u"Émile"_s}));
    EXPECT_EQ(column(ds, u"musteriKodu"_s).mid(0, 2), (QStringList{u"K3"_s, u"K21"_s}));
    EXPECT_EQ(column(ds, u"musteriKodu"_s).mid(12, 4), (QStringList{u"K7"_s, u"K5"_s, u"K17"_s, u"K20"_s}));

    // Numbers by value, empty first; the same digits as text by character.
    const TableDef& ayar = Schema::ayar();
    const QList<QVariant> numbers{10, QVariant(), 9, -1, 100, 9};
    for (int i = 0; i < numbers.size(); ++i)
        db.exec(u"INSERT INTO Ayar (tesiskodu, tesisadi, aktif) VALUES (?, ?, ?)"_s,
                {u"T%1"_s.arg(i), numbers[i].isNull() ? QVariant() : QVariant(numbers[i].toString()), numbers[i]});
    Dataset settings(db, ayar);
    settings.open();
    ASSERT_TRUE(settings.setSort(u"aktif"_s));
    EXPECT_EQ(column(settings, u"tesiskodu"_s), (QStringList{u"T1"_s, u"T3"_s, u"T2"_s, u"T5"_s, u"T0"_s, u"T4"_s}));
    ASSERT_TRUE(settings.setSort(u"tesisadi"_s));
    EXPECT_EQ(column(settings, u"tesisadi"_s),
              (QStringList{QString(), u"-1"_s, u"10"_s, u"100"_s, u"9"_s, u"9"_s}));
}

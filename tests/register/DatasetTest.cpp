// SPDX-License-Identifier: GPL-3.0-or-later
#include "register/DatasetFixture.h"
#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Tables.h"
#include "platform/core/Dialogs.h"

#include <QSignalSpy>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <random>
#include <tuple>
#include <vector>

using namespace Qt::StringLiterals;
using State = Dataset::State;

namespace {

using Flags = std::tuple<int, bool, bool>; // recNo, bof, eof

using DatasetTest = DatasetFixture;

Flags flags(const Dataset& ds)
{
    return {ds.recNo(), ds.bof(), ds.eof()};
}

// Fills every column the guest table requires.
void fillGuest(Dataset& ds, const QString& adi)
{
    ds.setText(kAdi, adi);
    for (const auto& [col, value] : {std::pair{u"Soyadi"_s, u"Kaya"_s}, {u"Uyrugu"_s, u"TUR"_s},
                                     {u"KimlikBelgesiTuru"_s, u"K"_s}, {u"KimlikSeriNo"_s, u"A123"_s},
                                     {u"Cinsiyet"_s, u"K"_s}, {u"IkametAdresi"_s, u"Ankara"_s}})
        ds.setText(col, value);
}

} // namespace

TEST_F(DatasetTest, OpenShowsTheFirstRowThenFiresAfterOpenAndAfterScroll)
{
    guests({u"Ali"_s, u"Veli"_s});
    Dataset ds(db, Schema::kisi());
    EXPECT_EQ(ds.state(), State::Inactive);
    QStringList log;
    QObject::connect(&ds, &Dataset::opened, [&] { log << u"open "_s + ds.text(kAdi); });
    QObject::connect(&ds, &Dataset::scrolled, [&] { log << u"scroll "_s + ds.text(kAdi); });
    ds.open();
    EXPECT_EQ(log, (QStringList{u"open Ali"_s, u"scroll Ali"_s}));
    EXPECT_EQ(ds.state(), State::Browse);
    EXPECT_EQ(ds.recordCount(), 2);
    EXPECT_EQ(flags(ds), Flags(0, true, false));

    Dataset empty(db, Schema::musteriler());
    int emptyScrolls = 0;
    QObject::connect(&empty, &Dataset::scrolled, [&] { ++emptyScrolls; });
    empty.open();
    EXPECT_EQ(emptyScrolls, 0);
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.key(), 0);
    EXPECT_EQ(flags(empty), Flags(-1, true, true));
}

TEST_F(DatasetTest, StatesFollowEditAppendPostCancelAndClose)
{
    guests({u"Ali"_s});
    Dataset ds(db, Schema::kisi());
    ds.open();
    QSignalSpy changes(&ds, &Dataset::stateChanged);
    const std::pair<std::function<void()>, State> steps[] = {
        {[&] { ds.edit(); }, State::Edit},
        {[&] { ds.cancel(); }, State::Browse},
        {[&] { ds.append(); }, State::Insert},
        {[&] { ds.cancel(); }, State::Browse},
        {[&] { ds.edit(); ds.setText(kAdi, u"Alp"_s); }, State::Edit},
        {[&] { ds.post(); }, State::Browse},
        {[&] { ds.close(); }, State::Inactive},
    };
    for (const auto& [act, state] : steps) {
        act();
        EXPECT_EQ(ds.state(), state);
        EXPECT_EQ(ds.isEditing(), state == State::Edit || state == State::Insert);
    }
    EXPECT_EQ(changes.count(), int(std::size(steps)));
}

TEST_F(DatasetTest, EveryMoveSettlesAPendingEdit)
{
    // Stored order Cem, Ali, Bora; each case starts on Ali with a filter every row passes.
    const QList<qint64> ids = guests({u"Cem"_s, u"Ali"_s, u"Bora"_s});
    const struct
    {
        const char* name;
        std::function<bool(Dataset&)> move;
        int recNo; // where a successful move lands
    } moves[] = {
        {"first", [](Dataset& d) { return d.first(); }, 0},
        {"prior", [](Dataset& d) { return d.prior(); }, 0},
        {"next", [](Dataset& d) { return d.next(); }, 2},
        {"last", [](Dataset& d) { return d.last(); }, 2},
        {"locate", [](Dataset& d) { return d.locate(kAdi, u"Bo"_s); }, 2},
        {"setFilter", [](Dataset& d) { return d.setFilter(kAdi, u"Cem"_s); }, 0},
        {"clearFilter", [](Dataset& d) { return d.clearFilter(); }, 0},
        {"setSort", [](Dataset& d) { return d.setSort(kAdi); }, 0},
    };
    enum Pending { Changed, Unchanged, Refused };
    for (const auto& m : moves) {
        for (Pending pending : {Changed, Unchanged, Refused}) {
            SCOPED_TRACE(std::string(m.name) + " case " + std::to_string(pending));
            Dataset ds(db, Schema::kisi());
            ds.open();
            ds.setFilter(u"Soyadi"_s, u"Yılmaz"_s);
            ds.next();
            int posts = 0, cancels = 0, scrolls = 0;
            ds.beforePost = [&] { ++posts; return pending != Refused; };
            QObject::connect(&ds, &Dataset::cancelled, [&] { ++cancels; });
            QObject::connect(&ds, &Dataset::scrolled, [&] { ++scrolls; });
            ds.edit();
            if (pending != Unchanged)
                ds.setText(kAdi, u"Ayla"_s);

            EXPECT_EQ(m.move(ds), pending != Refused);
            EXPECT_EQ(posts, pending == Unchanged ? 0 : 1);
            EXPECT_EQ(cancels, pending == Unchanged ? 1 : 0);
            if (pending == Refused) {
                EXPECT_EQ(ds.state(), State::Edit);
                EXPECT_TRUE(ds.isModified());
                EXPECT_EQ(ds.text(kAdi), u"Ayla"_s);
                EXPECT_EQ(ds.recNo(), 1);
                EXPECT_EQ(scrolls, 0);
                EXPECT_TRUE(ds.isFiltered());
                EXPECT_EQ(column(ds), (QStringList{u"Cem"_s, u"Ali"_s, u"Bora"_s}));
            } else {
                EXPECT_EQ(ds.state(), State::Browse);
                EXPECT_EQ(ds.recNo(), m.recNo);
                EXPECT_EQ(scrolls, 1);
            }
            EXPECT_EQ(storedName(ids[1]), pending == Changed ? u"Ayla"_s : u"Ali"_s);
            db.exec(u"UPDATE Kisi SET Adi = ? WHERE ID = ?"_s, {u"Ali"_s, ids[1]});
        }
    }
}

TEST_F(DatasetTest, EditOnAnEmptyDatasetBeginsANewRow)
{
    Dataset ds(db, Schema::musteriler());
    ds.open();
    ASSERT_TRUE(ds.edit());
    EXPECT_EQ(ds.state(), State::Insert);
    ds.setText(u"musteriKodu"_s, u"K1"_s);
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(ds.recordCount(), 1);
    EXPECT_EQ(db.count(u"Musteriler"_s), 1);
}

TEST_F(DatasetTest, AppendSettlesAsksBeforeInsertAndBeginsABlankRow)
{
    const QList<qint64> ids = guests({u"Ali"_s, u"Veli"_s});
    Dataset ds(db, Schema::kisi());
    ds.open();
    ds.next();
    QStringList log;
    bool allow = false;
    ds.beforePost = [&] { log << u"beforePost"_s; return true; };
    ds.beforeInsert = [&] { log << u"beforeInsert"_s; return allow; };
    QObject::connect(&ds, &Dataset::scrolled, [&] { log << u"afterScroll"_s; });

    ds.edit();
    ds.setText(kAdi, u"Veysel"_s);
    EXPECT_FALSE(ds.append());
    EXPECT_EQ(log, (QStringList{u"beforePost"_s, u"beforeInsert"_s}));
    EXPECT_EQ(storedName(ids[1]), u"Veysel"_s);
    EXPECT_EQ(ds.state(), State::Browse);

    log.clear();
    allow = true;
    ASSERT_TRUE(ds.append());
    EXPECT_EQ(log, (QStringList{u"beforeInsert"_s, u"afterScroll"_s}));
    EXPECT_EQ(ds.state(), State::Insert);
    EXPECT_FALSE(ds.isModified());
    EXPECT_EQ(ds.key(), 0);
    EXPECT_EQ(ds.recordCount(), 2);
    for (const ColumnDef& c : Schema::kisi().columns)
        EXPECT_TRUE(ds.isNull(c.name)) << c.name.toStdString();
}

TEST_F(DatasetTest, PostRefusedByBeforePostKeepsTheEdit)
{
    const QList<qint64> ids = guests({u"Ali"_s});
    Dataset ds(db, Schema::kisi());
    ds.open();
    bool allow = false;
    ds.beforePost = [&] { return allow; };
    ds.edit();
    ds.setText(kAdi, u"Aliye"_s);
    EXPECT_FALSE(ds.post());
    EXPECT_EQ(ds.state(), State::Edit);
    EXPECT_TRUE(ds.isModified());
    EXPECT_EQ(ds.text(kAdi), u"Aliye"_s);
    EXPECT_EQ(storedName(ids[0]), u"Ali"_s);
    allow = true;
    EXPECT_TRUE(ds.post());
    EXPECT_EQ(storedName(ids[0]), u"Aliye"_s);
}

TEST_F(DatasetTest, PostRefusedByTheStoreKeepsTheRowBeingEdited)
{
    guests({u"Ali"_s});
    QList<QVariant> customer(Schema::musteriler().columns.size());
    customer[Schema::musteriler().indexOf(u"musteriKodu"_s)] = u"K1"_s;
    db.insert(u"Musteriler"_s, customer);
    const struct
    {
        const char* name;
        const TableDef& table;
        bool inserting;
        QString column, typed;
    } cases[] = {
        {"guest without a name", Schema::kisi(), true, kAdi, QString()},
        {"guest surname cleared", Schema::kisi(), false, u"Soyadi"_s, QString()},
        {"guest name too long", Schema::kisi(), false, kAdi, QString(81, u'a')},
        {"customer without a code", Schema::musteriler(), true, kAdi, u"Ayşe"_s},
        {"customer code taken", Schema::musteriler(), true, u"musteriKodu"_s, u"K1"_s},
        {"customer code too long", Schema::musteriler(), true, u"musteriKodu"_s, QString(21, u'K')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QList<QList<QVariant>> before = storedRows(c.table.name);
        Dataset ds(db, c.table);
        ds.open();
        int errors = 0;
        ds.onPostError = [&](const StoreError&) { ++errors; };
        if (!c.inserting)
            ds.edit();
        else if (ds.append() && &c.table == &Schema::kisi())
            fillGuest(ds, u"Zeki"_s);
        ds.setText(c.column, c.typed);
        const State state = ds.state();

        EXPECT_FALSE(ds.post());
        EXPECT_EQ(errors, 1);
        EXPECT_FALSE(ds.first()); // a move stops on the same refusal
        EXPECT_EQ(errors, 2);
        EXPECT_EQ(ds.state(), state);
        EXPECT_TRUE(ds.isModified());
        EXPECT_EQ(ds.text(c.column), c.typed);
        EXPECT_EQ(storedRows(c.table.name), before);

        ds.onPostError = nullptr;
        EXPECT_THROW(ds.post(), StoreError);
        EXPECT_EQ(ds.state(), state);
        EXPECT_EQ(storedRows(c.table.name), before);
    }
}

TEST_F(DatasetTest, PostWritesTheRowAndFillsInTheAutoNumber)
{
    const QList<qint64> ids = guests({u"Ali"_s});
    Dataset ds(db, Schema::kisi());
    ds.open();
    ds.append();
    fillGuest(ds, u"Zeki"_s);
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(ds.state(), State::Browse);
    EXPECT_FALSE(ds.isModified());
    const qint64 id = db.column(u"SELECT max(ID) FROM Kisi"_s).value(0).toLongLong();
    EXPECT_GT(id, ids[0]);
    EXPECT_EQ(ds.integer(u"ID"_s), id);
    EXPECT_EQ(ds.key(), id);
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_EQ(column(ds), (QStringList{u"Ali"_s, u"Zeki"_s}));
    EXPECT_EQ(column(ds, u"ID"_s), (QStringList{QString::number(ids[0]), QString::number(id)}));

    ds.edit();
    ds.setText(kAdi, u"Zekiye"_s);
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(storedName(id), u"Zekiye"_s);
    EXPECT_EQ(column(ds), (QStringList{u"Ali"_s, u"Zekiye"_s}));
    EXPECT_EQ(db.count(u"Kisi"_s), 2);
}

TEST_F(DatasetTest, CancelDropsPendingValuesAndReturnsToTheRowShownBefore)
{
    const QList<qint64> ids = guests({u"Ali"_s, u"Veli"_s});
    Dataset ds(db, Schema::kisi());
    ds.open();
    ds.next();
    int cancels = 0;
    QObject::connect(&ds, &Dataset::cancelled, [&] { ++cancels; });

    ds.edit();
    ds.setText(kAdi, u"Velihan"_s);
    ds.cancel();
    EXPECT_EQ(ds.state(), State::Browse);
    EXPECT_FALSE(ds.isModified());
    EXPECT_EQ(ds.text(kAdi), u"Veli"_s);
    EXPECT_EQ(cancels, 1);

    ds.append();
    fillGuest(ds, u"Yeni"_s);
    ds.cancel();
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_EQ(ds.key(), ids[1]);
    EXPECT_EQ(ds.text(kAdi), u"Veli"_s);
    EXPECT_EQ(ds.recordCount(), 2);
    EXPECT_EQ(cancels, 2);
    EXPECT_EQ(storedName(ids[1]), u"Veli"_s);
    EXPECT_EQ(db.count(u"Kisi"_s), 2);
}

TEST_F(DatasetTest, RemoveDeletesTheCurrentRowAndShowsTheNextOne)
{
    Dataset empty(db, Schema::musteriler());
    int emptyScrolls = 0;
    QObject::connect(&empty, &Dataset::scrolled, [&] { ++emptyScrolls; });
    empty.open();
    EXPECT_EQ(emptyScrolls, 0);
    try {
        empty.remove();
        ADD_FAILURE() << "remove on an empty dataset did not throw";
    } catch (const RadaError& e) {
        EXPECT_EQ(e.text(), u"Cannot perform this operation on an empty dataset"_s);
    }

    guests({u"A"_s, u"B"_s, u"C"_s, u"D"_s});
    Dataset ds(db, Schema::kisi());
    ds.open();
    bool allow = false;
    int asked = 0, scrolls = 0;
    ds.beforeDelete = [&] { ++asked; return allow; };
    QObject::connect(&ds, &Dataset::scrolled, [&] { ++scrolls; });

    ds.append();
    EXPECT_TRUE(ds.remove()); // only drops the new row
    EXPECT_EQ(ds.state(), State::Browse);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(ds.recordCount(), 4);

    ds.next();
    EXPECT_FALSE(ds.remove());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(db.count(u"Kisi"_s), 4);

    allow = true;
    scrolls = 0;
    ASSERT_TRUE(ds.remove());
    EXPECT_EQ(ds.text(kAdi), u"C"_s);
    EXPECT_EQ(ds.recNo(), 1);
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(column(ds), (QStringList{u"A"_s, u"C"_s, u"D"_s}));

    ds.last();
    ASSERT_TRUE(ds.remove());
    EXPECT_EQ(ds.text(kAdi), u"C"_s);
    EXPECT_EQ(ds.recNo(), 1);
    ds.remove();
    ds.remove();
    EXPECT_EQ(ds.recNo(), -1);
    EXPECT_EQ(db.count(u"Kisi"_s), 0);
    EXPECT_THROW(ds.remove(), RadaError);
}

TEST_F(DatasetTest, FieldsReadAndWriteByColumnName)
{
    const QList<qint64> ids = guests({u"Ali"_s});
    Dataset ds(db, Schema::kisi());
    ds.open();
    EXPECT_EQ(ds.text(kAdi), u"Ali"_s);
    EXPECT_EQ(ds.integer(u"ID"_s), ids[0]);
    EXPECT_EQ(ds.date(u"DogumTarihi"_s), QDate(1980, 1, 2));
    EXPECT_EQ(ds.dateTime(u"GelisTarihi"_s), QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
    EXPECT_TRUE(ds.boolean(u"Kalici"_s));
    EXPECT_TRUE(ds.isNull(u"TCKimlikNo"_s));
    EXPECT_FALSE(ds.isNull(kAdi));

    EXPECT_THROW(ds.setText(kAdi, u"Veli"_s), RadaError);
    EXPECT_THROW(ds.setBoolean(u"Kalici"_s, false), RadaError);
    EXPECT_THROW(ds.setDate(u"DogumTarihi"_s, QDate(2000, 1, 1)), RadaError);
    EXPECT_EQ(ds.state(), State::Browse);
    EXPECT_THROW(ds.text(u"Yok"_s), RadaError);

    ds.edit();
    EXPECT_THROW(ds.setText(u"Yok"_s, u"x"_s), RadaError);
    EXPECT_FALSE(ds.isModified());
    ds.setDate(u"DogumTarihi"_s, QDate(1990, 5, 6));
    EXPECT_TRUE(ds.isModified());
    ds.setDateTime(u"GelisTarihi"_s, QDateTime(QDate(2024, 4, 1), QTime(13, 45, 10)));
    ds.setBoolean(u"Kalici"_s, false);
    ds.setText(u"TCKimlikNo"_s, u"10000000146"_s);
    ds.setText(u"BabaAdi"_s, u"Hasan"_s);
    ds.setText(u"BabaAdi"_s, QString());
    ASSERT_TRUE(ds.post());

    Dataset again(db, Schema::kisi());
    again.open();
    EXPECT_EQ(again.date(u"DogumTarihi"_s), QDate(1990, 5, 6));
    EXPECT_EQ(again.text(u"GelisTarihi"_s), u"2024-04-01 13:45:10"_s);
    EXPECT_EQ(again.dateTime(u"GelisTarihi"_s), QDateTime(QDate(2024, 4, 1), QTime(13, 45, 10)));
    EXPECT_EQ(again.date(u"GelisTarihi"_s), QDate(2024, 4, 1));
    EXPECT_FALSE(again.boolean(u"Kalici"_s));
    EXPECT_FALSE(again.isNull(u"Kalici"_s));
    EXPECT_EQ(again.text(u"TCKimlikNo"_s), u"10000000146"_s);
    EXPECT_TRUE(again.isNull(u"BabaAdi"_s));

    Dataset ayar(db, Schema::ayar());
    ayar.open();
    ayar.edit();
    EXPECT_FALSE(ayar.date(u"tesiskodu"_s).has_value());
    ayar.setInteger(u"aktif"_s, 7);
    ASSERT_TRUE(ayar.post());
    ayar.open();
    EXPECT_EQ(ayar.integer(u"aktif"_s), 7);
}

TEST_F(DatasetTest, NextAndPriorStopAtTheEnds)
{
    guests({u"A"_s, u"B"_s});
    Dataset ds(db, Schema::kisi());
    std::vector<Flags> seen;
    QObject::connect(&ds, &Dataset::scrolled, [&] { seen.push_back(flags(ds)); });
    ds.open();
    const struct
    {
        bool (Dataset::*move)();
        Flags after;
        bool scrolls;
    } steps[] = {
        {&Dataset::prior, {0, true, false}, false}, {&Dataset::next, {1, false, false}, true},
        {&Dataset::next, {1, false, true}, false},  {&Dataset::next, {1, false, true}, false},
        {&Dataset::prior, {0, false, false}, true}, {&Dataset::prior, {0, true, false}, false},
        {&Dataset::last, {1, false, true}, true},   {&Dataset::first, {0, true, false}, true},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        seen.clear();
        (ds.*steps[i].move)();
        EXPECT_EQ(flags(ds), steps[i].after);
        // afterScroll already sees where the move went.
        EXPECT_EQ(seen, steps[i].scrolls ? std::vector<Flags>{steps[i].after} : std::vector<Flags>{});
    }

    // Both ends at once only when there is no row at all.
    ds.setFilter(kAdi, u"A"_s);
    for (auto move : {&Dataset::next, &Dataset::prior, &Dataset::next, &Dataset::first, &Dataset::last}) {
        (ds.*move)();
        EXPECT_FALSE(ds.bof() && ds.eof());
    }
    ds.setFilter(kAdi, u"Yok"_s);
    for (auto move : {&Dataset::next, &Dataset::prior, &Dataset::first, &Dataset::last}) {
        (ds.*move)();
        EXPECT_EQ(flags(ds), Flags(-1, true, true));
    }
}

TEST_F(DatasetTest, ANewRowsFirstValuesAreNoChangeAndAreSeenWithIt)
{
    Dataset ds(db, Schema::musteriler());
    ds.onNewRecord = [&] { ds.setText(u"Isi"_s, u"Öğrenci"_s); };
    ds.open();
    QStringList seen;
    QObject::connect(&ds, &Dataset::rowChanged, [&] { seen << ds.text(u"Isi"_s); });

    ASSERT_TRUE(ds.append());
    EXPECT_EQ(seen, QStringList{u"Öğrenci"_s});   // those who hear of the row see its values
    EXPECT_FALSE(ds.isModified());
    // Left as it began, the row is dropped by the next move, as a blank one is.
    ds.first();
    EXPECT_EQ(db.count(u"Musteriler"_s), 0);
    // Once something is typed it is stored with its first values.
    ASSERT_TRUE(ds.append());
    ds.setText(u"musteriKodu"_s, u"K1"_s);
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(db.column(u"SELECT Isi FROM Musteriler"_s), QList<QVariant>{u"Öğrenci"_s});
}

TEST_F(DatasetTest, RowsReadBackWhatTheStoreHoldsWithTheSameTypes)
{
    guests({u"Ali"_s});
    Dataset guest(db, Schema::kisi());
    guest.open();
    const struct
    {
        const char* column;
        QMetaType::Type type;
    } types[] = {{"ID", QMetaType::LongLong}, {"Kalici", QMetaType::LongLong}, {"Adi", QMetaType::QString},
                 {"DogumTarihi", QMetaType::QString}, {"TCKimlikNo", QMetaType::UnknownType}};
    for (const auto& t : types) {
        const QString col = QString::fromLatin1(t.column);
        EXPECT_EQ(guest.value(col).typeId(), t.type) << t.column;
        EXPECT_EQ(guest.rowValue(0, Schema::kisi().indexOf(col)), guest.value(col)) << t.column;
    }

    // Values of other kinds than their columns', and texts Qt reads differently
    // from their bytes, read as the store's own rows have them.
    const QString wide(20000, u'ş');
    const QStringList rows{
        u"('A1', 'Otel', 1)"_s,
        u"('', NULL, 'abc')"_s,                               // empty text; text in a number column
        u"('B', X'00FF41', 2.5)"_s,                           // bytes; a fraction
        u"('C', CAST(X'41FF42' AS TEXT), -7)"_s,              // not UTF-8
        u"('D', CAST(X'EFBBBF41' AS TEXT), NULL)"_s,          // a byte-order mark
        u"('E', CAST(X'EFBBBFEFBBBF41' AS TEXT), NULL)"_s,    // two of them
        u"('F', 'İz', '%1')"_s.arg(wide),                     // longer than 16 KiB
        u"('G', 'son', 0)"_s,
    };
    for (const QString& r : rows)
        db.exec(u"INSERT INTO Ayar (tesiskodu, tesisadi, aktif) VALUES "_s + r);
    QList<QList<QVariant>> want = storedRows(u"Ayar"_s);
    ASSERT_EQ(want.size(), rows.size());
    want[1][0] = QVariant(); // an empty text is held as empty
    Dataset ds(db, Schema::ayar());
    ds.open();
    ASSERT_EQ(ds.recordCount(), rows.size());
    for (int r = 0; r < ds.recordCount(); ++r) {
        for (int c = 0; c < 3; ++c) {
            const QVariant got = ds.rowValue(r, c);
            EXPECT_EQ(got.typeId(), want[r][c].typeId()) << r << "," << c;
            EXPECT_EQ(got, want[r][c]) << r << "," << c;
            EXPECT_EQ(ds.rowText(r, c), want[r][c].toString()) << r << "," << c;
        }
    }
    EXPECT_EQ(ds.rowValue(3, 1), QVariant(QString::fromUtf8("A\xFF" "B")));
    EXPECT_EQ(ds.rowText(4, 1), u"A"_s);
    EXPECT_EQ(ds.rowText(5, 1), u"\uFEFFA"_s);
    EXPECT_EQ(ds.rowText(6, 2), wide);
    EXPECT_EQ(ds.rowText(6, 1), u"İz"_s);
    EXPECT_EQ(ds.rowValue(2, 2), QVariant(2.5));

    // An edited row keeps what it was not told to change.
    ds.locate(u"tesiskodu"_s, u"F"_s);
    ds.edit();
    ds.setText(u"tesisadi"_s, u"Ilıca"_s);
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(ds.text(u"aktif"_s), wide);
    ds.locate(u"tesiskodu"_s, u"B"_s);
    EXPECT_THROW(ds.integer(u"tesiskodu"_s), RadaError);
    ds.edit();
    ds.setText(u"tesiskodu"_s, u"B2"_s);
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(ds.value(u"tesisadi"_s), QVariant(QByteArray("\x00\xFF\x41", 3)));
    EXPECT_EQ(ds.value(u"aktif"_s), QVariant(2.5));
    ds.open();
    EXPECT_EQ(ds.rowText(6, 1), u"Ilıca"_s);
    EXPECT_EQ(ds.rowText(6, 2), wide);
}

TEST_F(DatasetTest, ARowOfGuestDataTakesAFewHundredBytes)
{
    const TableDef& t = Schema::kisi();
    Store::Transaction tx = db.transaction();
    for (int i = 0; i < 500; ++i) {
        QList<QVariant> v(t.columns.size());
        const auto set = [&](const char* col, const QString& value) { v[t.indexOf(QString::fromLatin1(col))] = value; };
        set("TCKimlikNo", QString::number(10000000000LL + i));
        set("Adi", u"Ayşegül %1"_s.arg(i));
        set("Soyadi", u"Çelikkaya"_s);
        set("BabaAdi", u"Mehmet"_s);
        set("AnaAdi", u"Fatma"_s);
        set("DogumYeri", u"İzmir"_s);
        set("DogumTarihi", u"1980-05-17"_s);
        set("Uyrugu", u"TC"_s);
        set("KimlikBelgesiTuru", u"N"_s);
        set("KimlikSeriNo", u"A%1"_s.arg(400000 + i));
        set("NufusaKayitliOlduguIl", u"İzmir"_s);
        set("NufusaKayitliOlduguIlce", u"Karşıyaka"_s);
        set("NufusaKayitliOlduguMahalle", u"Bostanlı"_s);
        set("NufusCilt", u"12"_s);
        set("NufusAileSira", u"345"_s);
        set("NufusSiraNo", u"67"_s);
        set("Cinsiyet", u"K"_s);
        set("MedeniHali", u"E"_s);
        set("Isi", u"Öğretmen"_s);
        set("IkametAdresi", u"Cumhuriyet Bulvarı No: 12 Daire 4 Alsancak Konak İzmir"_s);
        set("GelisTarihi", u"2024-03-01"_s);
        set("GelisSaati", u"14:35:27"_s);
        v[t.indexOf(u"Kalici"_s)] = qint64(1);
        set("AyrilisTarihi", u"1899-12-30"_s);
        set("AyrilisSaati", u"00:00:00"_s);
        set("VerilenOdaNo", u"214"_s);
        set("AracPlakaNo", u"35ABC123"_s);
        db.insert(t.name, v);
    }
    tx.commit();
    Dataset ds(db, t);
    ds.open();
    ASSERT_EQ(ds.recordCount(), 500);
    const qsizetype perRow = ds.memoryUsed() / ds.recordCount();
    EXPECT_GT(perRow, 200); // the values themselves
    EXPECT_LT(perRow, 400);
    EXPECT_EQ(ds.rowText(499, u"IkametAdresi"_s), u"Cumhuriyet Bulvarı No: 12 Daire 4 Alsancak Konak İzmir"_s);

    // The copy a case-ignoring search folds is counted while it is held.
    const qsizetype before = ds.memoryUsed();
    ASSERT_TRUE(ds.locate(kAdi, u"AYŞEGÜL 49"_s, Dataset::Match::IgnoreTurkishCase));
    EXPECT_EQ(ds.recNo(), 49);
    EXPECT_GT(ds.memoryUsed(), before + 500 * 10);
    ds.close();
    EXPECT_EQ(ds.memoryUsed(), 0);
}

namespace {

// Every row of a dataset as keys and values, in stored order.
QList<QList<QVariant>> held(const Dataset& ds)
{
    QList<QList<QVariant>> rows;
    for (int r = 0; r < ds.recordCount(); ++r) {
        QList<QVariant> row{ds.rowKey(r)};
        for (int c = 0; c < ds.table().columns.size(); ++c)
            row << ds.rowValue(r, c);
        rows << row;
    }
    return rows;
}

} // namespace

TEST_F(DatasetTest, TablesOpenInTheirOrderWithTheRowsEachWouldReadAlone)
{
    guests({u"Ali"_s, u"Ayşe"_s, u"Zeki"_s});
    const TableDef& customers = Schema::musteriler();
    const auto addCustomer = [&](const QString& code) {
        QList<QVariant> v(customers.columns.size());
        v[customers.indexOf(u"musteriKodu"_s)] = code;
        db.insert(customers.name, v);
    };
    for (int i = 0; i < 3; ++i)
        addCustomer(u"M%1"_s.arg(i));
    FakePlatform fake;
    const auto openedAlone = [&](const TableDef& table) {
        Dataset alone(db, table);
        alone.open();
        return held(alone);
    };
    std::optional<Store::Transaction> tx;
    for (const bool inTransaction : {false, true}) {
        SCOPED_TRACE(inTransaction);
        if (inTransaction) {
            // What this connection has not committed yet is read too.
            tx.emplace(db.transaction());
            guests({u"Yeni"_s});
            addCustomer(u"Y"_s);
        }
        EXPECT_EQ(db.readsBeside(), !inTransaction);
        Tables tables(db, fake.clock, fake.dialogs);
        QStringList opened;
        for (Dataset* t : tables.openingOrder())
            QObject::connect(t, &Dataset::rowsChanged, [&opened, t] { opened << t->objectName(); });
        tables.openAll();
        QStringList order;
        for (Dataset* t : tables.openingOrder()) {
            order << t->objectName();
            EXPECT_EQ(held(*t), openedAlone(t->table())) << t->table().name.toStdString();
        }
        EXPECT_EQ(opened, order);
        EXPECT_EQ(tables.kisi->recordCount(), inTransaction ? 4 : 3);
        EXPECT_EQ(tables.musteriler->recordCount(), inTransaction ? 4 : 3);
    }
    tx->rollback();

    // A read told to stop stops at its next row.
    std::atomic<bool> stop{true};
    EXPECT_THROW(Dataset::readRows(db, Schema::kisi(), &stop), WorkAbandoned);
}

TEST_F(DatasetTest, RowsPackedTogetherReadBackWholeAcrossBlocksAndPastABlocksSize)
{
    // Small rows fill the arena's small first block; forty rows of 120 KB
    // fill more than one of its large blocks; a row of 3 MB fits in none and
    // has a block of its own.
    const QString large(60000, u'ğ');
    Store::Transaction tx = db.transaction();
    for (int i = 0; i < 100; ++i)
        db.exec(u"INSERT INTO Ayar (tesiskodu, aktif) VALUES (?, ?)"_s, {u"S%1"_s.arg(i), QString(1000, u'a')});
    for (int i = 0; i < 40; ++i)
        db.exec(u"INSERT INTO Ayar (tesiskodu, aktif) VALUES (?, ?)"_s, {u"T%1"_s.arg(i), large + QString::number(i)});
    db.exec(u"INSERT INTO Ayar (tesiskodu, aktif) VALUES ('H', ?)"_s, {QString(3000000, u'x')});
    tx.commit();
    Dataset ds(db, Schema::ayar());
    ds.open(Dataset::readRows(db, Schema::ayar()));
    const QList<QList<QVariant>> want = storedRows(u"Ayar"_s);
    ASSERT_EQ(ds.recordCount(), want.size());
    for (int r = 0; r < ds.recordCount(); ++r) {
        for (int c = 0; c < ds.table().columns.size(); ++c)
            ASSERT_EQ(ds.rowValue(r, c), want[r][c]) << r << "," << c;
    }
    EXPECT_EQ(ds.rowText(139, u"aktif"_s), large + u"39"_s);
    EXPECT_EQ(ds.rowText(140, u"aktif"_s).size(), 3000000);
}

namespace {

// A store that hands out its rows only as lists, as a store that streams
// nothing of its own would.
class ListStore : public Store
{
public:
    QList<StoreRow> rows;
    bool isOpen() const override { return true; }
    QList<StoreRow> load(const QString&) override { return rows; }
    qint64 insert(const QString&, const QList<QVariant>&) override { return 0; }
    void update(const QString&, qint64, const QList<QVariant>&) override {}
    void remove(const QString&, const QList<qint64>&) override {}
    int count(const QString&) override { return int(rows.size()); }
    void beginLevel(int) override {}
    void commitLevel(int) override {}
    void rollbackLevel(int) noexcept override {}
};

} // namespace

TEST(DatasetOverAnyStore, ReadsTheRowsAStoreListsWithTheirTypes)
{
    ListStore store;
    store.rows = {{7, {u"A1"_s, u"Otel Deniz"_s, qint64(1)}},
                  {9, {u""_s, QVariant(), 2.5}},
                  {12, {QByteArray("\x01\x02", 2), u"İ"_s, true}}};
    Dataset ds(store, Schema::ayar());
    ds.open();
    ASSERT_EQ(ds.recordCount(), 3);
    EXPECT_EQ(ds.rowKey(2), 12);
    const QList<QList<QVariant>> want{{u"A1"_s, u"Otel Deniz"_s, qint64(1)},
                                      {QVariant(), QVariant(), 2.5},
                                      {QByteArray("\x01\x02", 2), u"İ"_s, qint64(1)}};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(ds.rowValue(r, c).typeId(), want[r][c].typeId()) << r << "," << c;
            EXPECT_EQ(ds.rowValue(r, c), want[r][c]) << r << "," << c;
        }
    }
    EXPECT_TRUE(ds.locate(u"tesisadi"_s, u"i"_s, Dataset::Match::IgnoreTurkishCase));
    EXPECT_EQ(ds.key(), 12);
}

// Randomised comparison with a reference model: a cursor over Musteriler kept
// as plainly as the rules allow, a list of rows with a state, an index into the
// visible rows and a pending row.
namespace {

const QString kId = u"musteriID"_s, kKod = u"musteriKodu"_s, kPlaka = u"AracPlakaNo"_s;

struct ModelRow
{
    qint64 id = 0;
    QString kod, adi, plaka;
    QString& operator[](const QString& col) { return col == kKod ? kod : col == kAdi ? adi : plaka; }
    QString operator[](const QString& col) const { return col == kKod ? kod : col == kAdi ? adi : plaka; }
};

// Turkish upper case, letter by letter; a null text stays null.
QString modelFold(const QString& s)
{
    if (s.isNull())
        return s;
    QString out = s;
    for (QChar& c : out)
        c = c == u'i' ? QChar(u'İ') : c == u'ı' ? QChar(u'I') : c.toUpper();
    return out;
}

// Ascending by the Turkish alphabet ignoring case: characters below 'A'
// first by code, then the alphabet's letters, then the rest by code.
bool modelLess(const QString& a, const QString& b)
{
    static const QString alphabet = u"ABCÇDEFGĞHIİJKLMNOÖPQRSŞTUÜVWXYZ"_s;
    const auto key = [](const QString& s) {
        QList<std::pair<int, int>> k;
        for (QChar c : modelFold(s)) {
            const int letter = int(alphabet.indexOf(c));
            k << (c < u'A' ? std::pair{0, int(c.unicode())} : letter >= 0 ? std::pair{1, letter} : std::pair{2, int(c.unicode())});
        }
        return k;
    };
    const auto ka = key(a), kb = key(b);
    return std::lexicographical_compare(ka.begin(), ka.end(), kb.begin(), kb.end());
}

struct Model
{
    QList<ModelRow> stored;   // the database, by id
    QList<ModelRow> snapshot; // what was loaded, plus our own writes
    State state = State::Browse;
    int cur = -1;
    ModelRow pending;
    bool modified = false;
    std::optional<QString> filter; // on Adi
    QString sortColumn;
    std::optional<bool> bof, eof;  // unset where the rules leave them open
    qint64 lastId = 0;
    bool refuseInsert = false, refuseDelete = false;
    int scrolls = 0, cancels = 0, postErrors = 0, opens = 0;

    QList<int> visible() const
    {
        QList<int> v;
        for (int i = 0; i < snapshot.size(); ++i) {
            if (!filter || snapshot[i].adi == *filter)
                v << i;
        }
        if (!sortColumn.isEmpty())
            std::stable_sort(v.begin(), v.end(), [&](int a, int b) { return modelLess(snapshot[a][sortColumn], snapshot[b][sortColumn]); });
        return v;
    }
    int count() const { return int(visible().size()); }
    int indexOf(qint64 id) const
    {
        const QList<int> v = visible();
        const auto at = std::find_if(v.begin(), v.end(), [&](int i) { return snapshot[i].id == id; });
        return at == v.end() ? -1 : int(at - v.begin());
    }
    bool editing() const { return state != State::Browse; }
    ModelRow current() const { return editing() ? pending : cur < 0 ? ModelRow{} : snapshot[visible()[cur]]; }
    void scrollTo(int i) { cur = count() == 0 ? -1 : std::clamp(i, 0, count() - 1); ++scrolls; }
    void browse() { state = State::Browse; modified = false; }
    void cancel() { cancels += editing() ? 1 : 0; browse(); }
    // Opening lands on the first row; only a row to land on counts as a scroll.
    void reopen()
    {
        snapshot = stored;
        browse();
        ++opens;
        jump(false);
        if (cur < 0)
            --scrolls;
    }

    bool post()
    {
        if (!editing())
            return true;
        if (pending.adi.startsWith(u'X'))
            return false; // beforePost
        const bool taken = std::any_of(stored.begin(), stored.end(),
                                       [&](const ModelRow& r) { return r.kod == pending.kod && r.id != pending.id; });
        if (pending.kod.isEmpty() || pending.kod.size() > 20 || pending.plaka.size() > 20 || taken) {
            ++postErrors; // the store refuses
            return false;
        }
        if (state == State::Insert) {
            pending.id = ++lastId;
            stored << pending;
            snapshot << pending;
        } else {
            for (QList<ModelRow>* rows : {&stored, &snapshot})
                std::replace_if(rows->begin(), rows->end(), [&](const ModelRow& r) { return r.id == pending.id; }, pending);
        }
        browse();
        bof = eof = std::nullopt;
        // The posted row stays current; one that left the filter gives way to its successor.
        const int at = indexOf(pending.id);
        cur = at >= 0 ? at : count() == 0 ? -1 : std::min(cur, count() - 1);
        return true;
    }
    bool settle()
    {
        if (!modified)
            cancel();
        return post();
    }
    bool jump(bool toLast)
    {
        if (!settle())
            return false;
        scrollTo(toLast ? count() - 1 : 0);
        (toLast ? eof : bof) = true;
        (toLast ? bof : eof) = cur < 0;
        return true;
    }
    bool step(int by)
    {
        if (!settle())
            return false;
        if (cur + by >= 0 && cur + by < count()) {
            scrollTo(cur + by);
            bof = eof = false;
        } else {
            (by > 0 ? eof : bof) = true;
            (by > 0 ? bof : eof) = cur < 0;
        }
        return true;
    }
    bool locate(const QString& prefix, bool ignoreCase)
    {
        if (!settle())
            return false;
        const QList<int> v = visible();
        for (int i = 0; i < v.size(); ++i) {
            const QString& adi = snapshot[v[i]].adi;
            if (ignoreCase ? modelFold(adi).startsWith(modelFold(prefix)) : adi.startsWith(prefix)) {
                scrollTo(i);
                bof = eof = false;
                return true;
            }
        }
        return false;
    }
    bool setFilter(const std::optional<QString>& value)
    {
        if (!settle())
            return false;
        filter = value;
        return jump(false);
    }
    bool setSort(const QString& col)
    {
        if (!settle())
            return false;
        const qint64 id = current().id;
        sortColumn = col;
        scrollTo(std::max(indexOf(id), 0));
        bof = eof = std::nullopt;
        return true;
    }
    bool append()
    {
        if (!settle() || refuseInsert)
            return false;
        pending = {};
        state = State::Insert;
        modified = false;
        ++scrolls;
        return true;
    }
    bool edit()
    {
        if (!editing() && count() == 0)
            return append();
        if (!editing()) {
            pending = current();
            state = State::Edit;
            modified = false;
        }
        return true;
    }
    bool setText(const QString& col, const QString& value) // false: the dataset refuses
    {
        if (!editing())
            return false;
        pending[col] = value;
        modified = true;
        return true;
    }
    std::optional<bool> remove() // empty: the dataset throws
    {
        if (state == State::Insert) {
            cancel();
            return true;
        }
        if (cur < 0)
            return std::nullopt;
        if (refuseDelete)
            return false;
        const qint64 id = current().id;
        for (QList<ModelRow>* rows : {&stored, &snapshot})
            rows->removeIf([&](const ModelRow& r) { return r.id == id; });
        browse();
        cur = count() == 0 ? -1 : std::min(cur, count() - 1);
        bof = eof = std::nullopt;
        ++scrolls;
        return true;
    }
};

// Empty when the dataset agrees with the model, else what differs.
QString mismatch(const Dataset& ds, const Model& m, const Model& hooks)
{
    QStringList diff;
    const auto check = [&](bool same, const QString& what) {
        if (!same)
            diff << what;
    };
    const QList<int> v = m.visible();
    check(ds.state() == m.state && ds.isModified() == m.modified, u"state"_s);
    check(ds.recordCount() == v.size(), u"recordCount %1, model %2"_s.arg(ds.recordCount()).arg(v.size()));
    check(m.state == State::Insert || ds.recNo() == m.cur, u"recNo %1, model %2"_s.arg(ds.recNo()).arg(m.cur));
    for (int i = 0; i < std::min(int(v.size()), ds.recordCount()); ++i) {
        const ModelRow& r = m.snapshot[v[i]];
        check(ds.rowText(i, kId) == QString::number(r.id) && ds.rowText(i, kKod) == r.kod
                  && ds.rowText(i, kAdi) == r.adi && ds.rowText(i, kPlaka) == r.plaka,
              u"row %1"_s.arg(i));
    }
    const ModelRow cur = m.current();
    check(ds.key() == (m.state == State::Insert ? 0 : cur.id), u"key"_s);
    check(ds.text(kId) == (cur.id ? QString::number(cur.id) : QString()), u"current id"_s);
    for (const QString& col : {kKod, kAdi, kPlaka})
        check(ds.text(col) == cur[col], u"current "_s + col);
    check((!m.bof || ds.bof() == *m.bof) && (!m.eof || ds.eof() == *m.eof), u"bof/eof"_s);
    check(hooks.scrolls == m.scrolls && hooks.cancels == m.cancels && hooks.postErrors == m.postErrors
              && hooks.opens == m.opens,
          u"hook calls"_s);
    return diff.join(u", "_s);
}

} // namespace

TEST_F(DatasetTest, RandomOperationSequencesFollowTheReferenceModel)
{
    Database other(dir.databasePath());
    other.open();
    for (Database* d : {&db, &other})
        d->exec(u"PRAGMA synchronous = OFF"_s);
    const TableDef& table = Schema::musteriler();
    const QStringList codes{u"K1"_s, u"K2"_s, u"K3"_s, u"K4"_s, u"K5"_s, u"K6"_s, u"K7"_s,
                            u"K8"_s, u"K9"_s, QString(), QString(21, u'K')};
    const QStringList names{QString(), u"A"_s,     u"AB"_s,   u"B"_s,     u"BA"_s,  u"C"_s,    u"XA"_s,
                            u"XC"_s,   u"ali"_s,   u"ALİ"_s,  u"alı"_s,   u"Işıl"_s, u"ışıl"_s, u"İlker"_s,
                            u"ilkay"_s, u"Çağla"_s, u"cem"_s,  u"Şule"_s,  u"sule"_s, u"öykü"_s, u"Ümit"_s,
                            u"1A"_s};
    const QStringList plates{QString(), u"06C1"_s, u"34AB12"_s, u"35D"_s, QString(21, u'9')};
    const auto values = [&](const ModelRow& r) {
        QList<QVariant> out(table.columns.size());
        for (const QString& col : {kKod, kAdi, kPlaka})
            out[table.indexOf(col)] = r[col].isEmpty() ? QVariant() : QVariant(r[col]);
        return out;
    };
    int operations = 0;

    for (unsigned seed : {1u, 7u, 42u, 2024u}) {
        std::mt19937 rng(seed);
        const auto pick = [&](const QStringList& from) { return from[int(rng() % from.size())]; };
        for (int sequence = 0; sequence < 500; ++sequence) {
            db.exec(u"DELETE FROM Musteriler"_s);
            Model m;
            m.lastId = db.column(u"SELECT seq FROM sqlite_sequence WHERE name = 'Musteriler'"_s).value(0).toLongLong();
            for (int i = 0, n = int(rng() % 8); i < n; ++i) {
                ModelRow r{0, codes[i], pick(names), pick(plates.mid(0, 4))};
                m.lastId = r.id = db.insert(table.name, values(r));
                m.stored << r;
            }
            Dataset ds(db, table);
            Model hooks; // counts the dataset's hook calls
            ds.beforePost = [&] { return !ds.text(kAdi).startsWith(u'X'); };
            ds.beforeInsert = [&] { return !m.refuseInsert; };
            ds.beforeDelete = [&] { return !m.refuseDelete; };
            QObject::connect(&ds, &Dataset::scrolled, [&] { ++hooks.scrolls; });
            QObject::connect(&ds, &Dataset::cancelled, [&] { ++hooks.cancels; });
            QObject::connect(&ds, &Dataset::opened, [&] { ++hooks.opens; });
            ds.onPostError = [&](const StoreError&) { ++hooks.postErrors; };
            ds.open();
            m.reopen();

            QStringList log;
            for (int op = 0, ops = 20 + int(rng() % 21); op < ops; ++op, ++operations) {
                m.refuseInsert = rng() % 6 == 0;
                m.refuseDelete = rng() % 4 == 0;
                const QString col = pick({kKod, kAdi, kAdi, kPlaka});
                const QString value = pick(col == kKod ? codes : col == kAdi ? names : plates);
                const QString prefix = pick({u"A"_s, u"B"_s, u"C"_s, u"X"_s, u"AB"_s, u"Z"_s, u"al"_s, u"AlI"_s,
                                             u"i"_s, u"İL"_s, u"ı"_s, u"I"_s, u"ş"_s, u"S"_s, u"ç"_s, u"Ö"_s,
                                             u"ü"_s, u"1"_s, u""_s, QString()});
                const bool ignoreCase = rng() % 2;
                const QString sort = pick({QString(), kKod, kAdi, kPlaka});
                const QString filter = rng() % 2 ? m.current().adi : pick(names);
                std::optional<bool> got, want; // return values, where there is one
                switch (rng() % 20) {
                case 0: log << u"first"_s; got = ds.first(); want = m.jump(false); break;
                case 1: log << u"prior"_s; got = ds.prior(); want = m.step(-1); break;
                case 2: log << u"next"_s; got = ds.next(); want = m.step(1); break;
                case 3: log << u"last"_s; got = ds.last(); want = m.jump(true); break;
                case 4: case 5: case 6: log << u"edit"_s; got = ds.edit(); want = m.edit(); break;
                case 7: log << u"append"_s; got = ds.append(); want = m.append(); break;
                case 8: case 9: case 10: case 11:
                    log << u"set %1 '%2'"_s.arg(col, value);
                    got = true;
                    try {
                        ds.setText(col, value);
                    } catch (const RadaError&) {
                        got = false; // not editing
                    }
                    want = m.setText(col, value);
                    break;
                case 12: log << u"post"_s; got = ds.post(); want = m.post(); break;
                case 13: log << u"cancel"_s; ds.cancel(); m.cancel(); break;
                case 14:
                    log << u"remove"_s;
                    try {
                        got = ds.remove();
                    } catch (const RadaError&) {
                        got.reset(); // empty dataset
                    }
                    want = m.remove();
                    break;
                case 15:
                    log << u"locate '%1'%2"_s.arg(prefix, ignoreCase ? u" ignoring case"_s : QString());
                    got = ds.locate(kAdi, prefix, ignoreCase ? Dataset::Match::IgnoreTurkishCase : Dataset::Match::Exact);
                    want = m.locate(prefix, ignoreCase);
                    break;
                case 16: log << u"clearFilter"_s; got = ds.clearFilter(); want = m.setFilter(std::nullopt); break;
                case 17: log << u"setFilter '%1'"_s.arg(filter); got = ds.setFilter(kAdi, filter); want = m.setFilter(filter); break;
                case 18: log << u"setSort "_s + sort; got = ds.setSort(sort); want = m.setSort(sort); break;
                default:
                    if (rng() % 2) {
                        log << u"reopen"_s;
                        ds.close();
                        got = ds.state() == State::Inactive && ds.recordCount() == 0;
                        want = true;
                        ds.open();
                        m.reopen();
                    } else {
                        // Another program adds a row, unseen until the next open.
                        ModelRow r{0, u"E%1"_s.arg(m.lastId + 1), pick(names), QString()};
                        log << u"another connection adds "_s + r.kod;
                        m.lastId = r.id = other.insert(table.name, values(r));
                        m.stored << r;
                    }
                }
                const QString diff = got == want ? mismatch(ds, m, hooks) : u"return value"_s;
                if (!diff.isEmpty()) {
                    ADD_FAILURE() << "seed " << seed << ", sequence " << sequence << ": " << diff.toStdString()
                                  << "\nafter: " << log.join(u"; "_s).toStdString();
                    return;
                }
            }
        }
    }
    EXPECT_GT(operations, 10000);
}

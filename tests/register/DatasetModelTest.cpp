// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PgTestServer.h"
#include "support/StoreFixture.h"

#include "core/register/Dataset.h"
#include "core/register/DatasetModel.h"
#include "core/register/PgStore.h"
#include "core/register/RowChanges.h"
#include "core/register/Tables.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <random>
#include <utility>

using namespace Qt::StringLiterals;

using DatasetModelTest = StoreFixture;

TEST_P(DatasetModelTest, FollowsTheVisibleRowsOfItsDataset)
{
    Store& db = store();
    insertGuest(db, QStringLiteral("Zeynep"));
    insertGuest(db, QStringLiteral("Ali"));
    Dataset ds(db, Schema::kisi());
    DatasetModel model(&ds, {QStringLiteral("Adi"), QStringLiteral("Kalici")}, {QStringLiteral("Adı")});
    ds.open();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Adı"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Kalici"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("Zeynep"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("True"));
    EXPECT_FALSE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));

    ds.setSort(QStringLiteral("Adi"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("Ali"));
    ds.setFilter(QStringLiteral("Adi"), QStringLiteral("Zeynep"));
    EXPECT_EQ(model.rowCount(), 1);
    ds.remove();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_THROW(DatasetModel(&ds, {QStringLiteral("Yok")}, {}), RadaError);
}

INSTANTIATE_TEST_SUITE_P(Stores, DatasetModelTest, ::testing::Values(Backend::File, Backend::Server), backendName);

namespace {

// A second desk on the server's register: its own connection and tables,
// following the other desks' changes as the program does.
struct Desk
{
    explicit Desk(const QString& server) : store(server)
    {
        store.open();
        tables = std::make_unique<Tables>(store, fake.clock, fake.dialogs);
        tables->openAll();
    }

    FakePlatform fake;
    PgStore store;
    std::unique_ptr<Tables> tables;
};

// Runs the event loop until the condition holds or two seconds have passed.
bool waitFor(const std::function<bool()>& condition)
{
    QDeadlineTimer deadline(2000);
    while (!condition() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return condition();
}

// One desk showing its guests in a grid model, sorted by name, and another
// whose changes it follows.
struct TwoDesksModel
{
    TwoDesksModel()
    {
        const QString server = PgTestServer::instance().freshDatabase();
        other = std::make_unique<PgStore>(server);
        other->open();
        storeFacility(*other, u"01234"_s);
        for (const QString& name : {u"Cem"_s, u"Ali"_s, u"Eda"_s})
            ids << insertGuest(*other, name);
        here = std::make_unique<Desk>(server);
        guests().setSort(u"Adi"_s);
        model = std::make_unique<DatasetModel>(&guests(), QStringList{u"Adi"_s}, QStringList{});
        model->setRowIndicator(true);
    }
    Dataset& guests() { return *here->tables->kisi; }
    QStringList shown() const
    {
        QStringList out;
        for (int row = 0; row < model->rowCount(); ++row)
            out << model->data(model->index(row, 0)).toString();
        return out;
    }
    // Saves a change of a guest's name at the other desk.
    void rename(qint64 id, const QString& name)
    {
        Dataset theirs(*other, Schema::kisi());
        theirs.open();
        ASSERT_TRUE(theirs.locate(u"ID"_s, QString::number(id)));
        theirs.edit();
        theirs.setText(u"Adi"_s, name);
        ASSERT_TRUE(theirs.post());
    }

    std::unique_ptr<PgStore> other;
    QList<qint64> ids;
    std::unique_ptr<Desk> here;
    std::unique_ptr<DatasetModel> model;
};

} // namespace

TEST(DatasetModelTest, AChangedRowIsSignalledWithoutAReset)
{
    TwoDesksModel desks;
    const auto& model = desks.model;
    const auto shown = [&] { return desks.shown(); };
    ASSERT_EQ(shown(), (QStringList{u"Ali"_s, u"Cem"_s, u"Eda"_s}));
    QSignalSpy changed(model.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy resets(model.get(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model.get(), &QAbstractItemModel::rowsRemoved);

    desks.rename(desks.ids[0], u"Can"_s); // keeps its place between Ali and Eda
    ASSERT_TRUE(waitFor([&] { return !changed.isEmpty(); }));
    EXPECT_EQ(changed.first().at(0).toModelIndex().row(), 1);
    EXPECT_EQ(changed.first().at(1).toModelIndex().row(), 1);
    EXPECT_EQ(resets.size(), 0);
    EXPECT_EQ(inserted.size() + removed.size(), 0);
    EXPECT_EQ(shown(), (QStringList{u"Ali"_s, u"Can"_s, u"Eda"_s}));
}

// Rows added, deleted or moved elsewhere are signalled where they are, and
// the row indicator follows the current row to its new place.
TEST(DatasetModelTest, RowsAddedDeletedOrMovedElsewhereAreSignalledWhereTheyAre)
{
    TwoDesksModel desks;
    const auto& model = desks.model;
    const auto shown = [&] { return desks.shown(); };
    PgStore& other = *desks.other;
    const QList<qint64>& ids = desks.ids;
    ASSERT_TRUE(desks.guests().locate(u"Adi"_s, u"Cem"_s));
    QSignalSpy resets(model.get(), &QAbstractItemModel::modelReset);
    QSignalSpy headers(model.get(), &QAbstractItemModel::headerDataChanged);
    const auto wait = [&](QSignalSpy& spy) { return waitFor([&] { return !spy.isEmpty(); }); };
    const auto range = [](const QSignalSpy& spy) { return std::pair{spy.first().at(1).toInt(), spy.first().at(2).toInt()}; };

    QSignalSpy inserted(model.get(), &QAbstractItemModel::rowsInserted);
    insertGuest(other, u"Ada"_s);
    ASSERT_TRUE(wait(inserted));
    EXPECT_EQ(range(inserted), std::pair(0, 0));
    EXPECT_EQ(shown(), (QStringList{u"Ada"_s, u"Ali"_s, u"Cem"_s, u"Eda"_s}));
    EXPECT_EQ(desks.guests().recNo(), 2);
    EXPECT_EQ(model->headerData(2, Qt::Vertical).toString(), u"►"_s);
    const auto marks = [&] {
        QList<int> out;
        for (const QList<QVariant>& h : headers)
            out << h.at(1).toInt();
        return out;
    };
    EXPECT_TRUE(marks().contains(2));

    QSignalSpy removed(model.get(), &QAbstractItemModel::rowsRemoved);
    headers.clear();
    other.remove(Schema::kisi().name, {ids[1]}); // Ali
    ASSERT_TRUE(wait(removed));
    EXPECT_EQ(range(removed), std::pair(1, 1));
    EXPECT_EQ(shown(), (QStringList{u"Ada"_s, u"Cem"_s, u"Eda"_s}));
    EXPECT_EQ(model->headerData(1, Qt::Vertical).toString(), u"►"_s);
    EXPECT_TRUE(marks().contains(1));

    // Renamed past the others: taken out where it was and put in where it goes.
    removed.clear();
    inserted.clear();
    desks.rename(ids[2], u"Bora"_s); // Eda
    ASSERT_TRUE(wait(inserted));
    EXPECT_EQ(range(removed), std::pair(2, 2));
    EXPECT_EQ(range(inserted), std::pair(1, 1));
    EXPECT_EQ(shown(), (QStringList{u"Ada"_s, u"Bora"_s, u"Cem"_s}));
    EXPECT_EQ(resets.size(), 0);
}

void PrintTo(const RowChange& c, std::ostream* os)
{
    *os << "RFIU"[int(c.kind)] << ' ' << c.first << '-' << c.last;
}

// The changes that take one list of rows to another, applied one after
// another as a grid applies them, give the other list; a row read again
// is changed in place where it kept its place among the others.
TEST(RowChanges, TakeTheRowsShownBeforeToThoseShownNow)
{
    using Kind = RowChange::Kind;
    const struct
    {
        QList<qint64> before, after, changed;
        RowChanges want;
    } cases[] = {
        {{1, 2, 3}, {1, 2, 3}, {}, {}},
        {{1, 2, 3}, {1, 2, 3}, {2}, {{Kind::Updated, 1, 1}}},
        {{1, 2, 3, 4, 5}, {1, 4}, {}, {{Kind::Removed, 4, 4}, {Kind::Removed, 1, 2}}},
        {{1, 2}, {3, 1, 4, 2, 5}, {}, {{Kind::Inserted, 0, 0}, {Kind::Inserted, 2, 2}, {Kind::Inserted, 4, 4}}},
        {{1, 2, 3}, {2, 3, 1}, {1}, {{Kind::Removed, 0, 0}, {Kind::Inserted, 2, 2}}},
        {{1, 2, 3}, {3, 1, 2}, {3}, {{Kind::Removed, 2, 2}, {Kind::Inserted, 0, 0}}},
        {{1, 2, 3, 4}, {1, 3, 2, 4}, {2, 3}, {{Kind::Removed, 1, 1}, {Kind::Inserted, 2, 2}, {Kind::Updated, 1, 1}}},
    };
    for (const auto& c : cases) {
        const QSet<qint64> changed(c.changed.begin(), c.changed.end());
        const RowChanges got = rowChangesBetween(c.before, c.after, &changed);
        EXPECT_EQ(got, c.want) << ::testing::PrintToString(c.after);
    }

    // Every row read again, in the order it had: each changed in place.
    EXPECT_EQ(rowChangesBetween({4, 5, 6}, {4, 5, 6}, nullptr), (RowChanges{{Kind::Updated, 0, 2}}));

    std::mt19937 rng(7);
    for (int round = 0; round < 500; ++round) {
        SCOPED_TRACE(round);
        QList<qint64> before;
        for (qint64 key = 1; key <= 12; ++key) {
            if (rng() % 3)
                before << key;
        }
        QList<qint64> after;
        QSet<qint64> changed;
        for (qint64 key = 1; key <= 14; ++key) {
            const bool kept = before.contains(key) ? rng() % 4 != 0 : rng() % 3 == 0;
            if (kept)
                after << key;
            if (rng() % 4 == 0 || !before.contains(key))
                changed.insert(key);
        }
        // The rows read again may move; the others keep their order.
        for (int i = 0; i + 1 < after.size(); ++i) {
            if (changed.contains(after[i]) && rng() % 2)
                std::swap(after[i], after[std::size_t(rng() % after.size())]);
        }
        QList<qint64> shown = before;
        for (const RowChange& c : rowChangesBetween(before, after, &changed)) {
            ASSERT_LE(c.first, c.last);
            if (c.kind == Kind::Removed) {
                ASSERT_LT(c.last, shown.size());
                shown.remove(c.first, c.last - c.first + 1);
            } else if (c.kind == Kind::Inserted) {
                ASSERT_LE(c.first, shown.size());
                for (int at = c.first; at <= c.last; ++at)
                    shown.insert(at, after.value(at));
            } else {
                ASSERT_EQ(c.kind, Kind::Updated);
                ASSERT_LT(c.last, shown.size());
                for (int at = c.first; at <= c.last; ++at)
                    EXPECT_TRUE(changed.contains(shown[at]) && shown[at] == after.value(at)) << at;
            }
        }
        EXPECT_EQ(shown, after);
    }
}

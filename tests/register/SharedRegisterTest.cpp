// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PgTestServer.h"
#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/PgStore.h"
#include "core/register/RoomBoard.h"
#include "core/register/Schema.h"
#include "core/register/SharedEditing.h"
#include "core/register/Tables.h"
#include "core/shell/Facility.h"
#include "core/transfer/Compaction.h"
#include "core/transfer/Completeness.h"
#include "core/transfer/TransferRun.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>
#include <optional>
#include <memory>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QString kAdi = u"Adi"_s;
const QString kOda = u"VerilenOdaNo"_s;
const QString kIsi = u"Isi"_s;

// One reception desk on the shared register: its own connection, tables,
// dialogs and run.
struct Desk
{
    explicit Desk(const QString& server) : store(server)
    {
        store.open();
        tables = std::make_unique<Tables>(store, fake.clock, fake.dialogs);
        tables->openAll();
        run = std::make_unique<TransferRun>(fake.platform, store, *tables, nullptr, [] { return u"01234"_s; });
    }
    Dataset& guests() { return *tables->kisi; }
    bool moveTo(const QString& name)
    {
        return guests().locate(kAdi, name);
    }

    FakePlatform fake;
    PgStore store;
    std::unique_ptr<Tables> tables;
    std::unique_ptr<TransferRun> run;
};

// Runs the event loop until the condition holds or the time (two seconds
// unless given) has passed.
bool waitFor(const std::function<bool()>& condition, int ms = 2000)
{
    QDeadlineTimer deadline(ms);
    while (!condition() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return condition();
}

// Gives the guests the condition picks one document, as a desk's save
// would (the row version goes up).
void sameDocument(PgStore& store, const QString& condition)
{
    store.exec(u"UPDATE \"Kisi\" SET \"KimlikSeriNo\" = 'AYNI', \"SatirSurumu\" = \"SatirSurumu\" + 1 WHERE %1"_s
                   .arg(condition));
}

QStringList names(Store& store)
{
    QStringList out;
    for (const StoreRow& row : store.load(Schema::kisi().name))
        out << row.values.value(Schema::kisi().indexOf(kAdi)).toString();
    return out;
}

struct TwoDesks : ::testing::Test
{
    void SetUp() override
    {
        const QString server = PgTestServer::instance().freshDatabase();
        {
            PgStore setup(server);
            setup.open();
            storeFacility(setup, u"01234"_s);
            insertGuest(setup, u"Ayşe"_s, true);
            insertGuest(setup, u"Bora"_s, false);
        }
        a = std::make_unique<Desk>(server);
        b = std::make_unique<Desk>(server);
    }

    TestDir dir;
    std::unique_ptr<Desk> a;
    std::unique_ptr<Desk> b;
};

} // namespace

TEST_F(TwoDesks, TheSecondSaveOfARowIsRefusedAndKeepsBothDesksChanges)
{
    ASSERT_TRUE(a->moveTo(u"Ayşe"_s));
    ASSERT_TRUE(b->moveTo(u"Ayşe"_s));
    a->guests().edit();
    a->guests().setText(kAdi, u"Ayşegül"_s);
    a->guests().setText(kOda, u"101"_s);
    b->guests().edit();
    b->guests().setText(kOda, u"102"_s);
    b->guests().setText(kIsi, u"Mimar"_s);
    ASSERT_TRUE(a->guests().post());

    EXPECT_FALSE(b->guests().post());
    EXPECT_EQ(b->fake.dialogs.texts(),
              QStringList{SharedEditing::kChanged + u"\rİki bilgisayarda da değiştirilen alanlar: Oda No"_s});
    // The other desk's name, this desk's room and job, not yet stored.
    EXPECT_EQ(b->guests().state(), Dataset::State::Edit);
    EXPECT_EQ(b->guests().text(kAdi), u"Ayşegül"_s);
    EXPECT_EQ(b->guests().text(kOda), u"102"_s);
    EXPECT_EQ(names(b->store), (QStringList{u"Ayşegül"_s, u"Bora"_s}));

    ASSERT_TRUE(b->guests().post());
    const QList<QVariant> row = a->store.load(Schema::kisi().name).first().values;
    EXPECT_EQ(row[Schema::kisi().indexOf(kAdi)].toString(), u"Ayşegül"_s);
    EXPECT_EQ(row[Schema::kisi().indexOf(kOda)].toString(), u"102"_s);
    EXPECT_EQ(row[Schema::kisi().indexOf(kIsi)].toString(), u"Mimar"_s);
}

// A room's check-out writes its guests at the versions this desk read them
// at: one changed at the other desk meanwhile is named, and none leaves.
TEST_F(TwoDesks, ARoomWithAGuestChangedElsewhereIsNotCheckedOut)
{
    insertGuest(a->store, u"Cem"_s);
    a->store.exec(u"UPDATE \"Kisi\" SET \"VerilenOdaNo\" = '101', \"SatirSurumu\" = \"SatirSurumu\" + 1 "
                  u"WHERE \"Kalici\" = 1"_s);
    // What a desk writes itself it reads again itself; the other desk hears of it.
    a->guests().refreshRows({});
    const QList<RoomBoard::Guest> leaving = RoomBoard::stayingIn(a->guests(), u"101"_s);
    ASSERT_TRUE(waitFor([&] { return b->moveTo(u"Cem"_s) && b->guests().text(kOda) == u"101"_s; }));
    b->guests().edit();
    b->guests().setText(kIsi, u"Pilot"_s);
    ASSERT_TRUE(b->guests().post());

    const RoomBoard::CheckOut result = RoomBoard::checkOut(a->guests(), leaving, QDateTime(QDate(2026, 5, 14), QTime(11, 0)));

    EXPECT_FALSE(result.done);
    EXPECT_EQ(result.refusal, RoomBoard::kCheckOutConflict.arg(u"Cem"_s, u"Yılmaz"_s));
    const TableDef& t = Schema::kisi();
    for (const StoreRow& row : b->store.load(t.name)) {
        if (row.values[t.indexOf(kOda)].toString() == u"101"_s) {
            EXPECT_EQ(row.values[t.indexOf(u"Kalici"_s)].toLongLong(), 1) << row.values[t.indexOf(kAdi)].toString().toStdString();
        }
    }
}

TEST_F(TwoDesks, ARowDeletedAtTheOtherDeskKeepsWhatWasTypedAndIsSavedAsANewGuest)
{
    ASSERT_TRUE(b->moveTo(u"Bora"_s));
    b->guests().edit();
    b->guests().setText(kIsi, u"Pilot"_s);
    ASSERT_TRUE(a->moveTo(u"Bora"_s));
    a->fake.dialogs.setNextAnswer(Dialogs::Yes);
    ASSERT_TRUE(a->guests().remove());

    EXPECT_FALSE(b->guests().post());
    EXPECT_EQ(b->fake.dialogs.texts(), QStringList{SharedEditing::kDeleted});
    EXPECT_EQ(b->guests().state(), Dataset::State::Insert);
    EXPECT_EQ(b->guests().text(kIsi), u"Pilot"_s);
    ASSERT_TRUE(b->guests().post());
    EXPECT_EQ(names(a->store), (QStringList{u"Ayşe"_s, u"Bora"_s}));
    EXPECT_EQ(b->guests().recordCount(), 2);
}

// A delete is made only of the guest as this desk saw it.
TEST_F(TwoDesks, ADeleteOfARowTheOtherDeskChangedOrDeletedIsToldAndDeletesNothingElse)
{
    for (const bool otherDeletes : {false, true}) {
        SCOPED_TRACE(otherDeletes ? "deleted there" : "changed there");
        ASSERT_TRUE(a->moveTo(u"Ayşe"_s));
        ASSERT_TRUE(b->moveTo(u"Ayşe"_s));
        b->fake.dialogs.setNextAnswer(Dialogs::Yes);
        if (otherDeletes) {
            ASSERT_TRUE(b->guests().remove());
        } else {
            b->guests().edit();
            b->guests().setText(kOda, u"101"_s);
            ASSERT_TRUE(b->guests().post());
        }
        a->fake.dialogs.clear();
        a->fake.dialogs.setNextAnswer(Dialogs::Yes);
        EXPECT_EQ(a->guests().remove(), otherDeletes);
        EXPECT_EQ(a->fake.dialogs.texts().last(), otherDeletes ? SharedEditing::kDeleted : SharedEditing::kChanged);
        EXPECT_EQ(names(a->store), otherDeletes ? QStringList{u"Bora"_s} : (QStringList{u"Ayşe"_s, u"Bora"_s}));
        EXPECT_EQ(a->guests().recordCount(), otherDeletes ? 1 : 2);
        if (!otherDeletes) {
            EXPECT_EQ(a->guests().text(kOda), u"101"_s);
        }
    }
}

// The other desk's delete arriving while the question is shown leaves the
// next guest alone.
TEST_F(TwoDesks, ARowGoneWhileTheDeleteQuestionIsShownDeletesNoOtherRow)
{
    ASSERT_TRUE(a->moveTo(u"Ayşe"_s));
    ASSERT_TRUE(b->moveTo(u"Ayşe"_s));
    a->fake.dialogs.onNextMessage([&] {
        b->fake.dialogs.setNextAnswer(Dialogs::Yes);
        ASSERT_TRUE(b->guests().remove());
        ASSERT_TRUE(waitFor([&] { return a->guests().recordCount() == 1; }));
    });
    a->fake.dialogs.setNextAnswer(Dialogs::Yes);
    EXPECT_FALSE(a->guests().remove());
    EXPECT_EQ(names(b->store), QStringList{u"Bora"_s});
}

// Another desk's new, changed and deleted rows come in through the server's
// notification; the row being edited here keeps the version it was read at.
TEST_F(TwoDesks, TheOtherDesksCommittedChangesAppearWithoutAReload)
{
    ASSERT_TRUE(b->moveTo(u"Ayşe"_s));
    b->guests().edit();
    b->guests().setText(kIsi, u"Mimar"_s);

    insertGuest(a->store, u"Cem"_s);
    ASSERT_TRUE(a->moveTo(u"Ayşe"_s));
    a->guests().edit();
    a->guests().setText(kOda, u"101"_s);
    ASSERT_TRUE(a->guests().post());
    ASSERT_TRUE(a->moveTo(u"Bora"_s));
    a->fake.dialogs.setNextAnswer(Dialogs::Yes);
    ASSERT_TRUE(a->guests().remove());

    ASSERT_TRUE(waitFor([&] { return b->guests().recordCount() == 2 && b->guests().rowText(1, kAdi) == u"Cem"_s; }));
    EXPECT_EQ(b->guests().text(kIsi), u"Mimar"_s);
    EXPECT_EQ(b->guests().text(kOda), QString());
    EXPECT_FALSE(b->guests().post());
    EXPECT_EQ(b->fake.dialogs.texts(), QStringList{SharedEditing::kChanged});
    EXPECT_EQ(b->guests().text(kOda), u"101"_s);
}

// The person tables are read at the opening on connections of their own:
// the desk still deletes their rows only at the versions it read, so a row
// the other desk changed since is refused and the desk's own goes.
TEST_F(TwoDesks, RowsReadAtTheOpeningAreDeletedOnlyAtTheVersionsRead)
{
    for (const TableDef* table : {&Schema::kisi(), &Schema::musteriler()}) {
        SCOPED_TRACE(table->name.toStdString());
        const QString key = PgStore::keyColumn(*table);
        for (int i = 0; i < 2; ++i) {
            if (table == &Schema::kisi()) {
                insertGuest(a->store, u"Misafir %1"_s.arg(i));
                continue;
            }
            QList<QVariant> values(table->columns.size());
            values[table->indexOf(u"musteriKodu"_s)] = u"M%1"_s.arg(i);
            a->store.insert(table->name, values);
        }
        const QList<StoreRow> rows = a->store.load(table->name);
        ASSERT_GE(rows.size(), 2);
        const qint64 changed = rows[rows.size() - 2].key;
        const qint64 kept = rows.last().key;
        b->tables->openAll();
        a->store.exec(u"UPDATE \"%1\" SET \"SatirSurumu\" = \"SatirSurumu\" + 1 WHERE \"%2\" = $1"_s.arg(table->name, key),
                      {changed});

        try {
            b->store.remove(table->name, {changed});
            ADD_FAILURE() << "a row changed elsewhere was deleted";
        } catch (const StoreConflict& e) {
            EXPECT_EQ(e.kind(), StoreConflict::Kind::Changed);
        }
        EXPECT_NO_THROW(b->store.remove(table->name, {kept}));
        EXPECT_EQ(a->store.count(table->name), rows.size() - 1);
    }
}

// The guest on screen is shown again only when it is the one that changed.
TEST_F(TwoDesks, AnotherRowsChangeLeavesTheGuestOnScreenAlone)
{
    ASSERT_TRUE(b->moveTo(u"Ayşe"_s));
    int shown = 0;
    const QObject watching;
    QObject::connect(&b->guests(), &Dataset::scrolled, &watching, [&] { ++shown; });
    for (const QString& name : {u"Bora"_s, u"Ayşe"_s}) {
        ASSERT_TRUE(a->moveTo(name));
        a->guests().edit();
        a->guests().setText(kOda, name == u"Bora"_s ? u"7"_s : u"8"_s);
        ASSERT_TRUE(a->guests().post());
        ASSERT_TRUE(waitFor([&] { return b->guests().rowText(name == u"Bora"_s ? 1 : 0, kOda) != QString(); }));
        EXPECT_EQ(shown, name == u"Bora"_s ? 0 : 1);
    }
    EXPECT_EQ(b->guests().text(kOda), u"8"_s);
}

TEST_F(TwoDesks, AConnectionDroppedMidSaveKeepsWhatWasTypedAndTheNextSaveStoresIt)
{
    ASSERT_TRUE(a->moveTo(u"Ayşe"_s));
    a->guests().edit();
    a->guests().setText(kIsi, u"Mimar"_s);
    b->store.exec(u"SELECT pg_terminate_backend($1)"_s, {a->store.connection().backendPid()});

    EXPECT_FALSE(a->guests().post());
    ASSERT_EQ(a->fake.dialogs.texts().size(), 1);
    // The Turkish line first, the server's own text below it.
    const QStringList lines = a->fake.dialogs.texts()[0].split(u'\r');
    ASSERT_EQ(lines.size(), 2) << a->fake.dialogs.texts()[0].toStdString();
    EXPECT_EQ(lines[0], SharedEditing::kNotSaved.arg(Failure::kConnectionLostLine));
    EXPECT_TRUE(lines[1].contains(u"terminating connection"_s)) << lines[1].toStdString();
    EXPECT_EQ(a->guests().state(), Dataset::State::Edit);
    EXPECT_EQ(a->guests().text(kIsi), u"Mimar"_s);

    ASSERT_TRUE(a->guests().post());
    EXPECT_EQ(b->store.load(Schema::kisi().name).first().values[Schema::kisi().indexOf(kIsi)], QVariant(u"Mimar"_s));
    // The new connection listens again.
    insertGuest(b->store, u"Cem"_s);
    EXPECT_TRUE(waitFor([&] { return a->guests().recordCount() == 3; }));
}

// An idle desk whose connection broke (its server process ended, as in a
// restart of the server) connects again by itself, says so, and catches up
// with what the other desk saved meanwhile.
TEST_F(TwoDesks, AnIdleDeskWhoseConnectionBrokeConnectsAgainByItselfAndCatchesUp)
{
    QList<bool> told;
    a->store.onConnection = [&told](bool connected) { told << connected; };
    b->store.exec(u"SELECT pg_terminate_backend($1, 5000)"_s, {a->store.connection().backendPid()});
    EXPECT_TRUE(waitFor([&] { return !told.isEmpty(); }));
    ASSERT_TRUE(b->moveTo(u"Ayşe"_s));
    b->guests().edit();
    b->guests().setText(kIsi, u"Mimar"_s);
    ASSERT_TRUE(b->guests().post());

    EXPECT_TRUE(waitFor([&] { return a->moveTo(u"Ayşe"_s) && a->guests().text(kIsi) == u"Mimar"_s; }, 6000));
    EXPECT_EQ(told, (QList<bool>{false, true}));
    EXPECT_TRUE(a->store.isOpen());
}

// A departed guest changed at the other desk while the file is written
// stays, for the next file; a second desk cannot run meanwhile.
TEST_F(TwoDesks, TheRunDeletesOnlyTheRowsAsItWroteThemAndRunsAtOneDeskAtATime)
{
    insertGuest(a->store, u"Cem"_s, false);
    a->fake.dialogs.setNextFileName(dir.path(u"first.xml"_s));
    a->run->onStep = [&](TransferRun::Step step) {
        if (step != TransferRun::Step::Written)
            return;
        EXPECT_FALSE(b->run->runTo(dir.path(u"other.xml"_s)));
        EXPECT_EQ(b->fake.dialogs.texts(), QStringList{TransferRun::kBusyText});
        ASSERT_TRUE(b->moveTo(u"Bora"_s));
        b->guests().edit();
        b->guests().setText(kOda, u"7"_s);
        ASSERT_TRUE(b->guests().post());
    };
    ASSERT_TRUE(a->run->run());
    a->run->onStep = nullptr;

    QFile first(dir.path(u"first.xml"_s));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll().count("<Kisi SiraNo="), 3);
    EXPECT_FALSE(QFile::exists(dir.path(u"other.xml"_s)));
    EXPECT_EQ(names(a->store), (QStringList{u"Ayşe"_s, u"Bora"_s}));
    EXPECT_EQ(a->guests().recordCount(), 2);

    b->fake.dialogs.clear();
    ASSERT_TRUE(b->run->runTo(dir.path(u"second.xml"_s)));
    EXPECT_EQ(names(b->store), QStringList{u"Ayşe"_s});
}

// The run's lock goes with its connection. A run whose connection broke
// while the check was on screen writes nothing (another desk may have run
// meanwhile); one whose connection broke after the file was written purges
// nobody.
TEST_F(TwoDesks, ARunWhoseConnectionBrokeEndsThereAndPurgesNobody)
{
    // Waits until the server process has gone, and its lock with it.
    const auto breakDeskA = [&] {
        b->store.exec(u"SELECT pg_terminate_backend($1, 5000)"_s, {a->store.connection().backendPid()});
    };
    // The same document at two staying guests: the check has something to show.
    insertGuest(b->store, u"Deniz"_s);
    sameDocument(b->store, u"TRUE"_s);
    a->run->reviewFindings = [&](const QList<Completeness::Finding>&) {
        breakDeskA();
        EXPECT_TRUE(b->run->runTo(dir.path(u"second.xml"_s)));
        return Completeness::Decision{Completeness::Decision::GoOn, 0};
    };
    EXPECT_FALSE(a->run->runTo(dir.path(u"first.xml"_s)));
    EXPECT_FALSE(QFile::exists(dir.path(u"first.xml"_s)));
    ASSERT_FALSE(a->fake.dialogs.texts().isEmpty());
    EXPECT_TRUE(a->fake.dialogs.texts().first().startsWith(TransferRun::kConnectionLostText));

    insertGuest(b->store, u"Cem"_s, false);
    a->fake.dialogs.clear();
    a->run->reviewFindings = [](const QList<Completeness::Finding>&) {
        return Completeness::Decision{Completeness::Decision::GoOn, 0};
    };
    a->run->onStep = [&](TransferRun::Step step) {
        if (step == TransferRun::Step::Written)
            breakDeskA();
    };
    const QString third = dir.path(u"third.xml"_s);
    EXPECT_FALSE(a->run->runTo(third));
    EXPECT_TRUE(QFile::exists(third));
    EXPECT_TRUE(a->fake.dialogs.texts().join(u'\n').contains(TransferRun::kNotPurgedText.arg(QDir::toNativeSeparators(third))));
    EXPECT_EQ(names(b->store), (QStringList{u"Ayşe"_s, u"Deniz"_s, u"Cem"_s}));
    // The run over, the desk connects again.
    a->run->onStep = nullptr;
    a->fake.dialogs.clear();
    EXPECT_TRUE(a->run->runTo(dir.path(u"fourth.xml"_s))) << a->fake.dialogs.texts().join(u' ').toStdString();
    EXPECT_EQ(names(b->store), (QStringList{u"Ayşe"_s, u"Deniz"_s}));
}

// A guest saved at the other desk while the check is on screen is checked
// before anything is written: its problem brings the list back.
TEST_F(TwoDesks, AGuestSavedElsewhereWhileTheCheckIsShownIsCheckedBeforeTheFileIsWritten)
{
    insertGuest(b->store, u"Deniz"_s);
    sameDocument(b->store, u"\"Adi\" IN ('Ayşe', 'Deniz')"_s);
    ASSERT_TRUE(waitFor([&] { return a->guests().recordCount() == 3; }));
    qint64 cem = 0;
    QList<QList<qint64>> shown;
    a->run->reviewFindings = [&](const QList<Completeness::Finding>& findings) {
        QList<qint64> keys;
        for (const Completeness::Finding& f : findings)
            keys << f.key;
        shown << keys;
        if (shown.size() > 1)
            return Completeness::Decision{Completeness::Decision::GoToGuest, cem};
        // Meanwhile the other desk stores a guest with the same document,
        // and this desk hears of it while its list is open.
        cem = insertGuest(b->store, u"Cem"_s);
        sameDocument(b->store, u"\"Adi\" = 'Cem'"_s);
        EXPECT_TRUE(waitFor([&] { return a->guests().recordCount() == 4; }));
        return Completeness::Decision{Completeness::Decision::GoOn, 0};
    };

    EXPECT_FALSE(a->run->runTo(dir.path(u"a.xml"_s)));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_FALSE(shown[0].contains(cem));
    EXPECT_TRUE(shown[1].contains(cem));
    EXPECT_FALSE(QFile::exists(dir.path(u"a.xml"_s)));
    EXPECT_EQ(a->guests().key(), cem);
}

// Two desks setting up an empty database: the second finds the facility
// set, whether it had heard of it already, not yet, or both stored at the
// same moment, and reads it as stored; the first desk's row is the only one,
// as it stored it.
TEST(SharedRegister, TheSecondSetUpOfAFacilityFindsItSetAndStoresNothing)
{
    enum When { Heard, NotYetHeard, SameMoment };
    for (const When when : {Heard, NotYetHeard, SameMoment}) {
        const bool sameMoment = when == SameMoment;
        SCOPED_TRACE(when == Heard ? "heard of" : sameMoment ? "at the same moment" : "not yet heard of");
        const QString server = PgTestServer::instance().freshDatabase();
        Desk second(server);
        Dataset& ayar = *second.tables->ayar;
        PgStore first(server);
        first.open();
        std::optional<Store::Transaction> tx;
        std::thread committer;
        if (sameMoment) {
            // The first desk's row is on its way: committed while the second
            // desk's save waits.
            tx.emplace(first.transaction());
            storeFacility(first, u"01234"_s, u"Deniz Otel"_s);
            committer = std::thread([&tx] {
                QThread::msleep(300);
                tx->commit();
            });
        } else {
            storeFacility(first, u"01234"_s, u"Deniz Otel"_s);
            if (when == Heard)
                ayar.catchUp();
        }

        EXPECT_EQ(Facility::store(ayar, u"99999"_s, u"Başka Otel"_s), Facility::Stored::SetElsewhere);
        if (committer.joinable())
            committer.join();

        EXPECT_TRUE(Facility::isSetUp(ayar));
        EXPECT_EQ(Facility::code(ayar), u"01234"_s);
        EXPECT_EQ(Facility::name(ayar), u"Deniz Otel"_s);
        EXPECT_EQ(Facility::setElsewhereText(ayar), Facility::kSetElsewhere.arg(u"01234"_s, u"Deniz Otel"_s));
        EXPECT_EQ(ayar.state(), Dataset::State::Browse);
        const QList<StoreRow> rows = first.load(Schema::ayar().name);
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0].values[Schema::ayar().indexOf(u"tesiskodu"_s)], QVariant(u"01234"_s));
        EXPECT_EQ(rows[0].values[Schema::ayar().indexOf(u"tesisadi"_s)], QVariant(u"Deniz Otel"_s));
    }
}

// The same guests give the same file, byte for byte, from either store.
TEST(SharedRegister, TheNotificationFileIsTheSameFromTheFileAndFromTheServer)
{
    TestDir dir;
    Database file(Database::kFileName);
    file.open();
    PgStore server(PgTestServer::instance().freshDatabase());
    server.open();
    insertGuest(file, u"Şükrü"_s, true);
    insertGuest(file, u"İlkay"_s, false);
    for (const StoreRow& row : file.load(Schema::kisi().name))
        server.insert(Schema::kisi().name, row.values);
    QByteArray written[2];
    int at = 0;
    for (Store* store : {static_cast<Store*>(&file), static_cast<Store*>(&server)}) {
        storeFacility(*store, u"01234"_s);
        FakePlatform fake;
        Tables tables(*store, fake.clock, fake.dialogs);
        tables.openAll();
        Compaction compaction(file, fake.fs, fake.dialogs);
        TransferRun run(fake.platform, *store, tables, store == &file ? &compaction : nullptr,
                        [] { return u"01234"_s; });
        const QString path = dir.path(QString::number(at) + u".xml"_s);
        ASSERT_TRUE(run.runTo(path)) << fake.dialogs.texts().join(u' ').toStdString();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        written[at++] = f.readAll();
        EXPECT_EQ(store->count(Schema::kisi().name), 1);
        EXPECT_EQ(store->count(Schema::transferGecmisi().name), 1);
    }
    EXPECT_GT(written[0].size(), 500);
    EXPECT_EQ(written[0], written[1]);
}

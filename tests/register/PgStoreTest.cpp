// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PgTestServer.h"
#include "support/TcpRelay.h"
#include "support/TestSupport.h"

#include "doubles/ScriptedDialogs.h"

#include "core/register/Database.h"
#include "core/register/PgStore.h"
#include "core/register/Schema.h"

#include <QProcess>
#include <QTcpServer>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

namespace {

QStringList serverColumns(PgStore& store, const QString& table)
{
    const PgConnection::Result r = store.exec(
        QStringLiteral("SELECT column_name FROM information_schema.columns WHERE table_schema = current_schema() "
                       "AND table_name = $1 ORDER BY ordinal_position"),
        {table});
    QStringList names;
    for (int i = 0; i < r.rows(); ++i)
        names << r.text(i, 0);
    return names;
}

QList<QVariant> guestRow(Store& store, qint64 key)
{
    for (const StoreRow& row : store.load(Schema::kisi().name)) {
        if (row.key == key)
            return row.values;
    }
    return {};
}

void setColumn(QList<QVariant>& row, const char* column, const QVariant& value)
{
    row[Schema::kisi().indexOf(QString::fromLatin1(column))] = value;
}

} // namespace

TEST(PgStore, MakesTheRegistersTablesOnAnEmptyDatabaseAndAcceptsThemOnTheNextOpen)
{
    TestDir dir;
    Database file(Database::kFileName);
    file.open();
    ASSERT_GT(file.count(Schema::ulke().name), 0);
    const QString server = PgTestServer::instance().freshDatabase();
    for (bool first : {true, false}) {
        PgStore pg(server);
        pg.open();
        EXPECT_EQ(pg.createdNew(), first);
        for (const TableDef* t : Schema::allTables()) {
            QStringList expected = t->columnNames();
            if (t->autoIdColumn().isEmpty())
                expected << PgStore::kRowNumberColumn;
            expected << PgStore::kVersionColumn;
            EXPECT_EQ(serverColumns(pg, t->name), expected) << t->name.toStdString();
            // The lookup rows once, as in a new file.
            EXPECT_EQ(pg.count(t->name), file.count(t->name)) << t->name.toStdString();
        }
    }
}

TEST(PgStore, HandsRowsBackInTheFilesStorageForms)
{
    TestDir dir;
    Database file(Database::kFileName);
    file.open();
    PgStore pg(PgTestServer::instance().freshDatabase());
    pg.open();
    const QList<QVariant> fromFile = guestRow(file, insertGuest(file, QStringLiteral("Şükrü"), false));
    const QList<QVariant> fromServer = guestRow(pg, pg.insert(Schema::kisi().name, fromFile));
    ASSERT_EQ(fromServer.size(), fromFile.size());
    for (qsizetype i = 0; i < fromFile.size(); ++i) {
        const QString column = Schema::kisi().columns[i].name;
        EXPECT_EQ(fromServer[i], fromFile[i]) << column.toStdString();
        EXPECT_EQ(fromServer[i].typeId(), fromFile[i].typeId()) << column.toStdString();
    }
}

TEST(PgStore, RefusesTheValuesTheFileRefuses)
{
    struct Case { const char* column; QVariant value; bool refused; };
    const Case cases[] = {
        {"Adi", QString(80, u'ş'), false}, // sizes count characters, not bytes
        {"Adi", QString(81, u'a'), true},
        {"Adi", QString(), true},
        {"Adi", QStringLiteral(""), true},
        {"Uyrugu", QStringLiteral("ABCDEF"), true},
        {"Kalici", qint64(2), true},
    };
    TestDir dir;
    Database file(Database::kFileName);
    file.open();
    PgStore pg(PgTestServer::instance().freshDatabase());
    pg.open();
    for (Store* store : {static_cast<Store*>(&file), static_cast<Store*>(&pg)}) {
        const QList<QVariant> valid = guestRow(*store, insertGuest(*store, QStringLiteral("Ali")));
        for (const Case& c : cases) {
            QList<QVariant> row = valid;
            setColumn(row, c.column, c.value);
            bool refused = false;
            try {
                store->insert(Schema::kisi().name, row);
            } catch (const StoreError&) {
                refused = true;
            }
            EXPECT_EQ(refused, c.refused) << (store == &pg ? "server: " : "file: ") << c.column << " "
                                          << c.value.toString().toStdString();
        }
    }
}

TEST(PgStore, AddsTheTablesOfALaterVersionAndRefusesADatabaseWithoutAColumn)
{
    const QString server = PgTestServer::instance().freshDatabase();
    {
        PgStore pg(server);
        pg.open();
        pg.exec(QStringLiteral("DROP TABLE \"TransferGecmisi\""));
    }
    PgStore pg(server);
    pg.open();
    EXPECT_EQ(serverColumns(pg, Schema::transferGecmisi().name).mid(0, Schema::transferGecmisi().columns.size()),
              Schema::transferGecmisi().columnNames());

    const std::pair<QString, QString> dropped[] = {
        {QStringLiteral("Kisi"), QStringLiteral("Isi")},
        {QStringLiteral("Kisi"), PgStore::kVersionColumn},
        {QStringLiteral("Ulke"), PgStore::kRowNumberColumn},
    };
    for (const auto& [table, column] : dropped) {
        const QString database = PgTestServer::instance().freshDatabase();
        PgStore damaged(database);
        damaged.open();
        damaged.exec(QStringLiteral("ALTER TABLE \"%1\" DROP COLUMN \"%2\"").arg(table, column));
        damaged.close();
        try {
            damaged.open();
            ADD_FAILURE() << "opened without " << column.toStdString();
        } catch (const StoreError& e) {
            EXPECT_TRUE(e.text().contains(table + QLatin1Char('.') + column)) << e.text().toStdString();
        }
        EXPECT_FALSE(damaged.isOpen());
    }

    // A database in another encoding would count sizes in bytes.
    PgStore ascii(PgTestServer::instance().freshDatabase(QStringLiteral("ENCODING 'SQL_ASCII' TEMPLATE template0")));
    EXPECT_THROW(ascii.open(), StoreError);
    EXPECT_FALSE(ascii.isOpen());
}

// Five seconds to connect and for a statement, unless the connection string
// (or the server) sets a time of its own.
TEST(PgStore, ConnectsWithATimeOfFiveSecondsUnlessTheConnectionStringSetsOne)
{
    const QString server = PgTestServer::instance().freshDatabase();
    struct Case { QString connection; QString connectTimeout; QString statementTimeout; };
    const Case cases[] = {
        {server, QStringLiteral("5"), QStringLiteral("5s")},
        {server + QStringLiteral(" connect_timeout=2"), QStringLiteral("2"), QStringLiteral("5s")},
        {server + QStringLiteral(" options='-c statement_timeout=7000'"), QStringLiteral("5"), QStringLiteral("7s")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.connection.toStdString());
        PgConnection connection(c.connection);
        connection.open();
        EXPECT_EQ(connection.option(QStringLiteral("connect_timeout")), c.connectTimeout);
        EXPECT_EQ(connection.exec(QStringLiteral("SHOW statement_timeout")).text(0, 0), c.statementTimeout);
    }
}

// A connection that cannot be made says first, in Turkish, whether the
// server was not reached or refused the login, and then libpq's reason.
TEST(PgStore, AConnectionThatCannotBeMadeSaysWhetherTheServerRefusedIt)
{
    const QString server = PgTestServer::instance().freshDatabase();
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    const struct
    {
        const char* name;
        QString connection;
        QString line;
    } cases[] = {
        {"a closed port", QStringLiteral("host=127.0.0.1 port=%1 dbname=otel").arg(port), Failure::kUnreachableLine},
        {"an unknown user", server + QStringLiteral(" user=yok"), Failure::kLoginRefusedLine},
        {"an unknown database", server + QStringLiteral(" dbname=yok"), Failure::kLoginRefusedLine},
    };
    for (const auto& c : cases) {
        PgConnection connection(c.connection);
        try {
            connection.open();
            ADD_FAILURE() << c.name << ": connected";
        } catch (const StoreUnreachable& e) {
            EXPECT_TRUE(e.text().startsWith(c.line + QLatin1Char('\r'))) << c.name << ": " << e.text().toStdString();
            EXPECT_FALSE(e.detail().isEmpty()) << c.name;
        }
    }
}

// Two desks on one register: a write over a row the other desk changed or
// deleted since it was read is refused, and nothing of either is lost.
TEST(PgStore, AWriteOverARowAnotherDeskChangedOrDeletedIsRefused)
{
    struct Case { const char* name; bool otherDeletes; bool thisRemoves; StoreConflict::Kind kind; };
    const Case cases[] = {
        {"update of a changed row", false, false, StoreConflict::Kind::Changed},
        {"delete of a changed row", false, true, StoreConflict::Kind::Changed},
        {"update of a deleted row", true, false, StoreConflict::Kind::Deleted},
        {"delete of a deleted row", true, true, StoreConflict::Kind::Deleted},
    };
    const QString kisi = Schema::kisi().name;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString server = PgTestServer::instance().freshDatabase();
        PgStore here(server);
        PgStore there(server);
        here.open();
        there.open();
        const qint64 ayse = insertGuest(here, QStringLiteral("Ayşe"));
        const qint64 bora = insertGuest(here, QStringLiteral("Bora"));
        QList<QVariant> theirs = guestRow(there, ayse);
        QList<QVariant> mine = guestRow(here, ayse);
        setColumn(theirs, "VerilenOdaNo", QStringLiteral("101"));
        setColumn(mine, "Isi", QStringLiteral("Mimar"));
        if (c.otherDeletes)
            there.remove(kisi, {ayse});
        else
            there.update(kisi, ayse, theirs);

        try {
            if (c.thisRemoves)
                here.remove(kisi, {bora, ayse});
            else
                here.update(kisi, ayse, mine);
            ADD_FAILURE() << "the write went through";
        } catch (const StoreConflict& e) {
            EXPECT_EQ(e.kind(), c.kind);
        }
        // The other desk's change stands, and the refused delete took no row.
        EXPECT_EQ(guestRow(there, ayse), c.otherDeletes ? QList<QVariant>() : theirs);
        EXPECT_FALSE(guestRow(there, bora).isEmpty());
        // Read again, the row takes this desk's change.
        if (!c.otherDeletes) {
            here.load(kisi);
            setColumn(theirs, "Isi", QStringLiteral("Mimar"));
            EXPECT_NO_THROW(here.update(kisi, ayse, theirs));
            EXPECT_EQ(guestRow(there, ayse), theirs);
        }
    }
}

// The purge deletes the rows at the versions it was given, in one
// statement. A row another desk changed is kept, whether the change was
// committed before the purge or while the purge waited for the row; the
// others go, and only the rows deleted are reported.
TEST(PgStore, APurgeKeepsARowChangedBeforeItOrWhileItWaitsForTheRow)
{
    const QString kisi = Schema::kisi().name;
    for (const bool whileWaiting : {false, true}) {
        SCOPED_TRACE(whileWaiting ? "committed while the purge waits" : "committed before the purge");
        const QString server = PgTestServer::instance().freshDatabase();
        PgStore here(server);
        PgStore there(server);
        here.open();
        there.open();
        const qint64 ayse = insertGuest(here, QStringLiteral("Ayşe"), false);
        const qint64 bora = insertGuest(here, QStringLiteral("Bora"), false);
        const qint64 cem = insertGuest(here, QStringLiteral("Cem"), false);
        QList<Store::VersionedKey> rows;
        for (const StoreRow& row : here.load(kisi))
            rows << Store::VersionedKey{row.key, here.readVersion(kisi, row.key)};
        QList<QVariant> theirs = guestRow(there, bora);
        setColumn(theirs, "VerilenOdaNo", QStringLiteral("101"));
        std::optional<Store::Transaction> tx;
        std::thread committer;
        if (whileWaiting) {
            // The other desk holds the row until the purge is waiting for it.
            tx.emplace(there.transaction());
            there.update(kisi, bora, theirs);
            committer = std::thread([&tx] {
                QThread::msleep(300);
                tx->commit();
            });
        } else {
            there.update(kisi, bora, theirs);
        }

        QList<qint64> gone = here.removeUnchanged(kisi, rows);
        if (committer.joinable())
            committer.join();
        std::sort(gone.begin(), gone.end());
        EXPECT_EQ(gone, (QList<qint64>{ayse, cem}));
        EXPECT_EQ(guestRow(there, bora), theirs);
        EXPECT_EQ(there.count(kisi), 1);
    }
}

TEST(PgStore, ASaveOnABrokenConnectionFailsAndTheNextSaveConnectsAgain)
{
    const QString server = PgTestServer::instance().freshDatabase();
    PgStore here(server);
    PgStore there(server);
    here.open();
    there.open();
    const qint64 ayse = insertGuest(here, QStringLiteral("Ayşe"));
    QList<QVariant> row = guestRow(here, ayse);
    setColumn(row, "Isi", QStringLiteral("Mimar"));
    there.exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                              "WHERE datname = current_database() AND pid <> pg_backend_pid()"));
    EXPECT_THROW(here.update(Schema::kisi().name, ayse, row), StoreUnreachable);
    EXPECT_EQ(guestRow(there, ayse).value(Schema::kisi().indexOf(QStringLiteral("Isi"))), QVariant());
    EXPECT_NO_THROW(here.update(Schema::kisi().name, ayse, row));
    EXPECT_EQ(guestRow(there, ayse), row);
}

// The connection breaks after the commit has reached the server and before
// its answer is back: the desk finds out that it went through, and the save
// is done once.
TEST(PgStore, AWriteWhoseCommitsAnswerWasLostIsStoredOnceAndReportedDone)
{
    const QString kisi = Schema::kisi().name;
    const QString musteriler = Schema::musteriler().name;
    struct Case
    {
        const char* name;
        // The guest's row as stored, read before the relay is set to cut.
        std::function<void(PgStore&, qint64 guest, QList<QVariant> row)> write;
        std::function<void(PgStore&)> check;
    };
    const Case cases[] = {
        {"a new guest", [](PgStore& s, qint64, QList<QVariant>) { insertGuest(s, QStringLiteral("Cem")); },
         [&](PgStore& s) { EXPECT_EQ(s.count(kisi), 2); }},
        {"a change",
         [&](PgStore& s, qint64 guest, QList<QVariant> row) {
             setColumn(row, "Isi", QStringLiteral("Mimar"));
             s.update(kisi, guest, row);
             // The row's new version is known: the next change goes through.
             setColumn(row, "VerilenOdaNo", QStringLiteral("101"));
             s.update(kisi, guest, row);
         },
         [&](PgStore& s) {
             const QList<QVariant> row = s.load(kisi).first().values;
             EXPECT_EQ(row[Schema::kisi().indexOf(QStringLiteral("Isi"))], QVariant(QStringLiteral("Mimar")));
             EXPECT_EQ(row[Schema::kisi().indexOf(QStringLiteral("VerilenOdaNo"))], QVariant(QStringLiteral("101")));
         }},
        {"a new customer",
         [&](PgStore& s, qint64, QList<QVariant>) {
             QList<QVariant> row(Schema::musteriler().columns.size());
             row[Schema::musteriler().indexOf(QStringLiteral("musteriKodu"))] = QStringLiteral("M1");
             s.insert(musteriler, row);
         },
         [&](PgStore& s) { EXPECT_EQ(s.count(musteriler), 1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString server = PgTestServer::instance().freshDatabase();
        TcpRelay relay(server);
        PgStore here(relay.connectionString());
        here.open();
        const qint64 guest = insertGuest(here, QStringLiteral("Ayşe"));
        const QList<QVariant> row = guestRow(here, guest);
        relay.setMode(TcpRelay::Mode::CutAnswerAfterCommit);
        EXPECT_NO_THROW(c.write(here, guest, row));
        EXPECT_EQ(relay.cuts(), 1);
        PgStore there(server);
        there.open();
        c.check(there);
    }
}

// When the server cannot be asked, the desk says it does not know.
TEST(PgStore, AWriteWhoseCommitsOutcomeCannotBeLearntSaysSo)
{
    const QString server = PgTestServer::instance().freshDatabase();
    TcpRelay relay(server);
    PgStore here(relay.connectionString() + QStringLiteral(" connect_timeout=1"));
    here.open();
    relay.setMode(TcpRelay::Mode::CutAnswerAfterCommit);
    relay.setRefusing(true);
    EXPECT_THROW(insertGuest(here, QStringLiteral("Cem")), StoreOutcomeUnknown);
}

// A server that stops answering: the call gives up at its deadline, shows
// meanwhile that the program waits, and the next save goes through.
TEST(PgStore, ACallOnAServerThatStoppedAnsweringEndsAtItsDeadline)
{
    const QString kisi = Schema::kisi().name;
    for (const bool stopProcess : {false, true}) {
        if (stopProcess && kOnWindows)
            GTEST_SKIP() << "the server is stopped with the build machine's kill -STOP, which a Windows program cannot run";
        SCOPED_TRACE(stopProcess ? "the server process stopped" : "a relay that passes nothing");
        const QString server = PgTestServer::instance().freshDatabase();
        TcpRelay relay(server);
        ScriptedDialogs dialogs;
        PgStore here(relay.connectionString());
        here.setDialogs(&dialogs);
        here.open();
        const qint64 guest = insertGuest(here, QStringLiteral("Ayşe"));
        QList<QVariant> row = guestRow(here, guest);
        setColumn(row, "Isi", QStringLiteral("Mimar"));
        dialogs.works.clear();
        const QString serverPid = QString::number(here.connection().backendPid());
        if (stopProcess)
            ASSERT_EQ(QProcess::execute(QStringLiteral("kill"), {QStringLiteral("-STOP"), serverPid}), 0);
        else
            relay.setMode(TcpRelay::Mode::Swallow);

        EXPECT_THROW(here.update(kisi, guest, row), StoreUnreachable);
        ASSERT_FALSE(dialogs.works.isEmpty());
        EXPECT_EQ(dialogs.works.first().text, PgConnection::kWaitText);

        if (stopProcess)
            QProcess::execute(QStringLiteral("kill"), {QStringLiteral("-CONT"), serverPid});
        relay.setMode(TcpRelay::Mode::Pass);
        EXPECT_NO_THROW(here.update(kisi, guest, row));
        PgStore there(server);
        there.open();
        EXPECT_EQ(guestRow(there, guest), row);
    }
}

TEST(PgStore, TwoDesksStartingOnAnEmptyDatabaseMakeTheTablesOnce)
{
    TestDir dir;
    Database file(Database::kFileName);
    file.open();
    const QString server = PgTestServer::instance().freshDatabase();
    std::atomic<int> waiting{2};
    auto start = [&](QString* failure) {
        PgStore desk(server);
        --waiting;
        while (waiting > 0)
            std::this_thread::yield();
        try {
            desk.open();
        } catch (const StoreError& e) {
            *failure = e.text();
        }
    };
    QString failures[2];
    std::thread other(start, &failures[1]);
    start(&failures[0]);
    other.join();
    EXPECT_EQ(failures[0], QString());
    EXPECT_EQ(failures[1], QString());
    PgStore pg(server);
    pg.open();
    EXPECT_EQ(pg.count(Schema::ulke().name), file.count(Schema::ulke().name));
}

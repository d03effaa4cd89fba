// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PgTestServer.h"
#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "core/register/PgStore.h"
#include "core/register/RegisterPassword.h"
#include "core/register/Schema.h"
#include "core/register/ServerCopy.h"
#include "core/transfer/RunHistory.h"
#include "doubles/FakePlatform.h"

#include <QCryptographicHash>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Every row's values (the keys left out: tables without an auto-number are
// keyed differently on each store), in stored order.
QList<QList<QVariant>> rowsOf(Store& store, const QString& table)
{
    QList<QList<QVariant>> rows;
    for (const StoreRow& row : store.load(table))
        rows << row.values;
    return rows;
}

QByteArray digestOf(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// A register with guests, customers, a facility and a run in its history;
// the last guest and customer deleted again, so the file has given numbers
// that none of its rows holds.
void fillRegister(Database& file)
{
    storeFacility(file);
    for (const QString& name : {u"Ayşe"_s, u"Bora"_s, u"Cem"_s})
        insertGuest(file, name);
    const qint64 dropped = insertGuest(file, u"Dilek"_s);
    file.remove(Schema::kisi().name, {dropped});
    for (const QString& code : {u"K1"_s, u"K2"_s, u"K3"_s})
        file.exec(u"INSERT INTO Musteriler (musteriKodu, Adi, Soyadi) VALUES (?, 'Deniz', 'Şahin')"_s, {code});
    file.exec(u"DELETE FROM Musteriler WHERE musteriKodu = 'K3'"_s);
    RunHistory::Run run;
    run.moment = QDateTime(QDate(2024, 5, 6), QTime(9, 8, 7));
    run.path = u"2024-05-06 09-08-07.xml"_s;
    run.written = 3;
    run.outcome = RunHistory::kWrittenAndPurged;
    ASSERT_TRUE(RunHistory::record(file, run));
}

} // namespace

TEST(ServerCopy, CopiesEveryRowWithItsNumberAskingForThePasswordAndLeavesTheFileAsItWas)
{
    TestDir dir;
    {
        Database file(Database::kFileName);
        file.open();
        fillRegister(file);
        ASSERT_EQ(RegisterPassword::change(file, u"kapı-anahtarı"_s), std::nullopt);
    }
    const QByteArray before = digestOf(dir.databasePath());
    const QString server = PgTestServer::instance().freshDatabase();
    FakePlatform fake;
    fake.dialogs.setNextInput(u"kapı-anahtarı"_s);
    // The copy shows that it works, once the password is given, and its
    // report comes after it.
    QStringList during;
    fake.dialogs.duringWork = [&](const QString& text) { during << text; };
    bool workingAtTheEnd = true;
    fake.dialogs.onNextMessage([&] { workingAtTheEnd = Dialogs::working(); });

    EXPECT_EQ(ServerCopy::run(fake.dialogs, Database::kFileName, server), 0);

    ASSERT_FALSE(fake.dialogs.works.isEmpty());
    EXPECT_EQ(fake.dialogs.works.first().text, ServerCopy::kWorkText);
    EXPECT_TRUE(during.contains(ServerCopy::kWorkText));
    EXPECT_FALSE(workingAtTheEnd);
    EXPECT_EQ(fake.dialogs.inputRequests.size(), 1);
    ASSERT_EQ(fake.dialogs.texts().size(), 1);
    EXPECT_TRUE(fake.dialogs.texts().first().startsWith(u"Kayıt dosyası sunucuya aktarıldı"_s));
    EXPECT_TRUE(fake.dialogs.texts().first().contains(u"Kisi: 3 satır"_s)) << fake.dialogs.texts().first().toStdString();
    EXPECT_EQ(digestOf(dir.databasePath()), before);
    Database file(Database::kFileName, RegisterPassword::keyFor(u"kapı-anahtarı"_s));
    file.open();
    PgStore pg(server);
    pg.open();
    EXPECT_FALSE(pg.createdNew());
    for (const TableDef* t : Schema::allTables())
        EXPECT_EQ(rowsOf(pg, t->name), rowsOf(file, t->name)) << t->name.toStdString();
    EXPECT_EQ(pg.count(RunHistory::kTable), 1);
    // Neither a copied number nor one the file gave to a deleted row again.
    EXPECT_EQ(insertGuest(pg, u"Ece"_s), insertGuest(file, u"Ece"_s));
    QList<QVariant> customer(Schema::musteriler().columns.size());
    customer[Schema::musteriler().indexOf(u"musteriKodu"_s)] = u"K9"_s;
    EXPECT_EQ(pg.insert(Schema::musteriler().name, customer), file.insert(Schema::musteriler().name, customer));
}

TEST(ServerCopy, RefusesADatabaseThatHoldsTheRegistersTablesAndWritesNothing)
{
    TestDir dir;
    Database file(Database::kFileName);
    file.open();
    fillRegister(file);
    const QString server = PgTestServer::instance().freshDatabase();
    PgStore pg(server);
    pg.open();
    insertGuest(pg, u"Zeynep"_s);
    const int lookups = pg.count(Schema::ulke().name);

    PgStore target(server);
    try {
        ServerCopy::copy(file, target);
        ADD_FAILURE() << "copied into a database in use";
    } catch (const StoreError& e) {
        EXPECT_TRUE(e.text().startsWith(u"Sunucudaki veritabanı boş değil"_s)) << e.text().toStdString();
    }
    EXPECT_EQ(rowsOf(pg, Schema::kisi().name).size(), 1);
    EXPECT_EQ(pg.count(RunHistory::kTable), 0);
    EXPECT_EQ(pg.count(Schema::ulke().name), lookups);
}

// A database every desk would refuse for its encoding gets nothing: the
// copy says why as a desk says it, in its message box and on the standard
// error, and ends with a failure status.
TEST(ServerCopy, RefusesADatabaseTheDesksRefuseBeforeWritingAnything)
{
    TestDir dir;
    {
        Database file(Database::kFileName);
        file.open();
        fillRegister(file);
    }
    const QString server = PgTestServer::instance().freshDatabase(u"ENCODING 'LATIN5' TEMPLATE template0"_s);
    FakePlatform fake;
    QStringList written;
    const auto write = [&written](const QString& text, Console::Stream stream) {
        written << (stream == Console::Stream::Error ? u"err:"_s : u"out:"_s) + text;
        return true;
    };

    EXPECT_NE(ServerCopy::run(fake.dialogs, Database::kFileName, server, write), 0);

    const QString reason = PgStore::kEncodingText.arg(u"LATIN5"_s);
    ASSERT_EQ(fake.dialogs.texts().size(), 1);
    EXPECT_TRUE(fake.dialogs.texts().first().contains(reason)) << fake.dialogs.texts().first().toStdString();
    ASSERT_EQ(written.size(), 1);
    EXPECT_TRUE(written.first().startsWith(u"err:Kayıt dosyası sunucuya aktarılamadı.\n"_s))
        << written.first().toStdString();
    EXPECT_TRUE(written.first().contains(reason));
    PgConnection pg(server);
    pg.open();
    EXPECT_EQ(pg.exec(u"SELECT count(*) FROM information_schema.tables WHERE table_schema = current_schema()"_s)
                  .integer(0, 0),
              0);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PgTestServer.h"
#include "support/TestSupport.h"

#include "core/customers/CustomerDestruction.h"
#include "core/customers/DestructionLog.h"
#include "core/customers/LastStayRecorder.h"
#include "core/customers/PersonalDataCommands.h"
#include "core/customers/PersonalDataSearch.h"
#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/PgStore.h"
#include "core/register/Schema.h"
#include "core/register/Tables.h"
#include "core/transfer/Compaction.h"

#include <QFile>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The day the register first meets the retention.
const QDateTime kStart(QDate(2024, 3, 7), QTime(14, 5, 9));

// The register, its tables and the destruction over them; the retention
// begins at kStart.
struct RetentionFixture : ::testing::Test
{
    TestDir dir;
    FakePlatform fake;
    Database db{Database::kFileName};
    std::unique_ptr<Tables> tables;
    std::unique_ptr<Compaction> compaction;
    std::unique_ptr<CustomerDestruction> destruction;

    void SetUp() override
    {
        fake.clock.set(kStart);
        db.open();
        open();
    }
    void open()
    {
        tables = std::make_unique<Tables>(db, fake.clock, fake.dialogs);
        tables->openAll();
        compaction = std::make_unique<Compaction>(db, fake.fs, fake.dialogs);
        destruction = std::make_unique<CustomerDestruction>(db, *tables, compaction.get(), fake.clock);
        destruction->settings();
    }
    qint64 customer(const QString& code, const QString& adi = u"Ayşe"_s, const QString& soyadi = u"Yılmaz"_s,
                    const QString& tc = {}, const QString& seri = {})
    {
        db.exec(u"INSERT INTO Musteriler (musteriKodu, Adi, Soyadi, TCKimlikNo, KimlikSeriNo, IkametAdresi) "
                u"VALUES (?, ?, ?, ?, ?, ?)"_s,
                {code, adi, soyadi, tc.isEmpty() ? QVariant() : QVariant(tc),
                 seri.isEmpty() ? QVariant() : QVariant(seri), QString(200, u'x')});
        return db.column(u"SELECT max(musteriID) FROM Musteriler"_s).value(0).toLongLong();
    }
    void lastStay(qint64 key, const QDate& day) { LastStayRecorder::stamp(db, key, day); }
    QVariant lastStayOf(qint64 key)
    {
        return db.column(u"SELECT SonKonaklama FROM MusteriKonaklama WHERE musteriID = ?"_s, {key}).value(0);
    }
    QStringList customerCodes()
    {
        QStringList codes;
        for (const QVariant& v : db.column(u"SELECT musteriKodu FROM Musteriler ORDER BY musteriID"_s))
            codes << v.toString();
        return codes;
    }
    // Every row of the log, oldest first, as "Tarih|Kategori|Adet|Yontem|Gerekce".
    QStringList logRows()
    {
        QStringList out;
        for (const QVariant& v : db.column(u"SELECT Tarih || '|' || Kategori || '|' || Adet || '|' || Yontem || '|' "
                                           u"|| Gerekce FROM ImhaKayitlari ORDER BY ID"_s))
            out << v.toString();
        return out;
    }
};

} // namespace

TEST_F(RetentionFixture, TheCopiedCustomersLastStayIsSetAtTheGuestsFirstSaveAndDroppedOnCancel)
{
    const qint64 kept = customer(u"K1"_s);
    const qint64 dropped = customer(u"K2"_s);
    tables->musteriler->close();
    tables->musteriler->open();
    LastStayRecorder recorder(*tables, fake.clock);
    Dataset& guests = *tables->kisi;
    fake.clock.set(kStart.addDays(10));

    // Copied into a guest that is then cancelled: nothing is stamped, not
    // even by the next guest's save.
    ASSERT_TRUE(guests.append());
    guests.setText(u"Adi"_s, u"Ayşe"_s);
    recorder.customerCopied(dropped);
    guests.cancel();
    EXPECT_FALSE(recorder.pendingCustomer());

    // Copied into a guest that is saved: stamped on that save only.
    insertGuest(db, u"Ali"_s);
    tables->kisi->close();
    tables->kisi->open();
    ASSERT_TRUE(guests.edit());
    guests.setText(u"Adi"_s, u"Ayşe"_s);
    recorder.customerCopied(kept);
    ASSERT_TRUE(guests.post());
    fake.clock.set(kStart.addDays(11));
    ASSERT_TRUE(guests.edit());
    guests.setText(u"Adi"_s, u"Ayla"_s);
    ASSERT_TRUE(guests.post());

    EXPECT_EQ(lastStayOf(kept), QVariant(u"2024-03-17"_s));
    EXPECT_TRUE(lastStayOf(dropped).isNull());
}

TEST_F(RetentionFixture, ACustomerMadeOrChangedIsStampedWithTheDay)
{
    LastStayRecorder recorder(*tables, fake.clock);
    Dataset& customers = *tables->musteriler;
    fake.clock.set(kStart.addDays(3));
    ASSERT_TRUE(customers.append());
    customers.setText(u"musteriKodu"_s, u"K9"_s);
    customers.setText(u"Adi"_s, u"Cem"_s);
    ASSERT_TRUE(customers.post());
    const qint64 key = customers.key();
    EXPECT_EQ(lastStayOf(key), QVariant(u"2024-03-10"_s));

    fake.clock.set(kStart.addDays(40));
    ASSERT_TRUE(customers.edit());
    customers.setText(u"Adi"_s, u"Can"_s);
    ASSERT_TRUE(customers.post());
    EXPECT_EQ(lastStayOf(key), QVariant(u"2024-04-16"_s));
    EXPECT_EQ(db.count(u"MusteriKonaklama"_s), 1);
}

// A customer last seen long ago goes at the six-month mark, not a second
// before; one without a row counts as seen when the retention began.
TEST_F(RetentionFixture, ExpiredCustomersAreDestroyedAtTheSixMonthMarkAndNotBefore)
{
    const qint64 old = customer(u"OLD"_s);
    const qint64 recent = customer(u"RECENT"_s);
    customer(u"NOROW"_s);
    lastStay(old, kStart.date().addMonths(-40));
    lastStay(recent, kStart.date().addMonths(-1));

    // The retention began on a day: the mark is that day's start.
    const QDateTime mark(QDate(2024, 9, 7), QTime(0, 0));
    fake.clock.set(mark.addSecs(-1));
    EXPECT_FALSE(destruction->destroyExpiredIfDue());
    EXPECT_EQ(customerCodes(), (QStringList{u"OLD"_s, u"RECENT"_s, u"NOROW"_s}));

    fake.clock.set(mark);
    const auto outcome = destruction->destroyExpiredIfDue();
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->destroyed, 1);
    EXPECT_EQ(customerCodes(), (QStringList{u"RECENT"_s, u"NOROW"_s}));
    EXPECT_EQ(tables->musteriler->recordCount(), 2);
    EXPECT_TRUE(lastStayOf(old).isNull());
    EXPECT_EQ(logRows(), QStringList{u"2024-09-07 00:00:00|Müşteri Kaydı|1|Silme|Saklama süresi doldu"_s});
    EXPECT_EQ(db.column(u"SELECT SonImha FROM KvkkAyar"_s), QList<QVariant>{u"2024-09-07 00:00:00"_s});

    // The next one is six months after this one.
    fake.clock.set(mark.addMonths(6).addSecs(-1));
    EXPECT_FALSE(destruction->destroyExpiredIfDue());
    fake.clock.set(mark.addMonths(6));
    EXPECT_TRUE(destruction->destroyExpiredIfDue());
}

TEST_F(RetentionFixture, ADestructionWithNobodyToDestroyIsRecordedAllTheSame)
{
    customer(u"K1"_s, u"Ayşe"_s, u"Yılmaz"_s, u"10000000146"_s);
    fake.clock.set(kStart.addMonths(7));
    const auto outcome = destruction->destroyExpired();
    EXPECT_EQ(outcome.destroyed, 0);
    EXPECT_EQ(customerCodes(), QStringList{u"K1"_s});
    const QStringList rows = logRows();
    EXPECT_EQ(rows, QStringList{u"2024-10-07 14:05:09|Müşteri Kaydı|0|Silme|Saklama süresi doldu"_s});
}

// Without the compaction the deleted pages stay in the file as free pages.
TEST_F(RetentionFixture, NoFreePageIsLeftAfterADestruction)
{
    for (const bool compacted : {true, false}) {
        SCOPED_TRACE(compacted ? "compacted" : "compaction skipped");
        for (int i = 0; i < 300; ++i)
            lastStay(customer(u"K%1-%2"_s.arg(compacted).arg(i)), kStart.date().addYears(-5));
        destruction->skipCompaction = !compacted;
        EXPECT_EQ(destruction->destroyExpired().destroyed, 300);
        const qint64 free = db.column(u"PRAGMA freelist_count"_s).value(0).toLongLong();
        if (compacted)
            EXPECT_EQ(free, 0);
        else
            EXPECT_GT(free, 0);
    }
}

TEST_F(RetentionFixture, ThePeriodIsTwelveToOneHundredTwentyMonthsAndKept)
{
    const std::pair<int, int> cases[] = {{11, 36}, {12, 12}, {120, 120}, {121, 36}};
    for (const auto& [asked, kept] : cases) {
        SCOPED_TRACE(asked);
        RetentionSettings settings(db);
        settings.load(kStart.date());
        ASSERT_TRUE(settings.setMonths(36));
        EXPECT_EQ(settings.setMonths(asked), asked == kept);
        RetentionSettings reread(db);
        reread.load(kStart.date().addDays(1));
        EXPECT_EQ(reread.months(), kept);
        EXPECT_EQ(reread.start(), kStart.date());
    }
}

TEST_F(RetentionFixture, LogRowsOlderThanThreeYearsGoAtTheNextDestruction)
{
    fake.clock.set(QDateTime(QDate(2027, 6, 1), QTime(10, 0, 0)));
    db.exec(u"INSERT INTO ImhaKayitlari (Tarih, Kategori, Adet, Yontem, Gerekce) VALUES "
            u"('2024-05-31 09:59:59', 'Müşteri Kaydı', 4, 'Silme', 'Saklama süresi doldu'), "
            u"('2024-06-01 10:00:00', 'Müşteri Kaydı', 2, 'Silme', 'İlgili kişi başvurusu')"_s);
    destruction->destroyExpired();
    EXPECT_EQ(logRows(), (QStringList{u"2024-06-01 10:00:00|Müşteri Kaydı|2|Silme|İlgili kişi başvurusu"_s,
                                      u"2027-06-01 10:00:00|Müşteri Kaydı|0|Silme|Saklama süresi doldu"_s}));
    const QList<DestructionLog::Entry> newestFirst = DestructionLog::readAll(db);
    ASSERT_EQ(newestFirst.size(), 2);
    EXPECT_EQ(newestFirst[0].moment, fake.clock.now());
}

TEST_F(RetentionFixture, ARequestFindsThePersonByEachKey)
{
    customer(u"K1"_s, u"Ayşe"_s, u"Işık"_s, u"10000000146"_s, u"U12345678"_s);
    customer(u"K2"_s, u"Ayse"_s, u"Isik"_s, u"10000000078"_s, u"U99"_s);
    const qint64 guest = insertGuest(db, u"AYŞE"_s);
    db.exec(u"UPDATE Kisi SET Soyadi = 'IŞIK', TCKimlikNo = '10000000146' WHERE ID = ?"_s, {guest});
    const QString guestDocument =
        db.column(u"SELECT KimlikSeriNo FROM Kisi WHERE ID = ?"_s, {guest}).value(0).toString();

    using By = PersonalDataSearch::Query::By;
    struct Case
    {
        PersonalDataSearch::Query query;
        QStringList customers;
        int guests;
    };
    const Case cases[] = {
        {{By::IdentityNumber, u" 10000000146 "_s, {}}, {u"K1"_s}, 1},
        {{By::DocumentNumber, u"u12345678"_s, {}}, {u"K1"_s}, 0},
        {{By::DocumentNumber, guestDocument, {}}, {}, 1},
        // "ı" is the small "I", "i" the small "İ": Ayse Isik is someone else.
        {{By::Name, u"ayşe"_s, u"ışık"_s}, {u"K1"_s}, 1},
        {{By::Name, u"AYSE"_s, u"ISİK"_s}, {u"K2"_s}, 0},
        {{By::Name, u"AYSE"_s, u"ISIK"_s}, {}, 0},
        {{By::Name, u"Ayşe"_s, {}}, {}, 0},
    };
    const int code = Schema::musteriler().indexOf(u"musteriKodu"_s);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query.value.toStdString() + " " + c.query.surname.toStdString());
        const PersonalDataSearch::Findings found = PersonalDataSearch::find(db, c.query);
        QStringList codes;
        for (const auto& r : found.customers)
            codes << r.values.value(code).toString();
        EXPECT_EQ(codes, c.customers);
        EXPECT_EQ(found.guests.size(), c.guests);
    }
}

// The request erases the customer records only: the guest row of the same
// person leaves the register through the transfer run.
TEST_F(RetentionFixture, ARequestErasesTheCustomerRecordsAndNeverAGuestRow)
{
    const qint64 person = customer(u"K1"_s, u"Ayşe"_s, u"Işık"_s, u"10000000146"_s);
    lastStay(person, kStart.date());
    customer(u"K2"_s, u"Cem"_s, u"Kaya"_s);
    const qint64 guest = insertGuest(db, u"Ayşe"_s);
    db.exec(u"UPDATE Kisi SET TCKimlikNo = '10000000146' WHERE ID = ?"_s, {guest});
    tables->closeAll();
    tables->openAll();
    fake.clock.set(kStart.addDays(2));

    const auto found = PersonalDataSearch::find(db, {PersonalDataSearch::Query::By::IdentityNumber, u"10000000146"_s, {}});
    ASSERT_EQ(found.customers.size(), 1);
    ASSERT_EQ(found.guests.size(), 1);
    QList<qint64> keys;
    for (const auto& r : found.customers)
        keys << r.key;
    EXPECT_EQ(destruction->eraseOnRequest(keys).destroyed, 1);

    EXPECT_EQ(customerCodes(), QStringList{u"K2"_s});
    EXPECT_EQ(db.count(u"MusteriKonaklama"_s), 0);
    EXPECT_EQ(db.column(u"SELECT ID FROM Kisi"_s), QList<QVariant>{guest});
    EXPECT_EQ(logRows(), QStringList{u"2024-03-09 14:05:09|Müşteri Kaydı|1|Silme|İlgili kişi başvurusu"_s});
    // Not the periodic destruction: its clock is not reset.
    EXPECT_EQ(db.column(u"SELECT SonImha FROM KvkkAyar"_s), QList<QVariant>{QVariant()});
    EXPECT_EQ(db.column(u"PRAGMA freelist_count"_s).value(0).toLongLong(), 0);
}

// The log counts the customers destroyed, whatever is stored meanwhile (here
// a customer stored as the deletion runs, as another desk would).
TEST_F(RetentionFixture, TheCountDestroyedIsOfTheRowsDeletedWhateverIsStoredMeanwhile)
{
    const qint64 person = customer(u"K1"_s);
    db.exec(u"CREATE TEMP TRIGGER meanwhile AFTER DELETE ON Musteriler BEGIN "
            u"INSERT INTO Musteriler (musteriKodu) VALUES ('K2'); END"_s);
    EXPECT_EQ(destruction->eraseOnRequest({person}).destroyed, 1);
}

// The commands settle what is pending first: a customer edit that cannot be
// stored keeps both the destruction and the request window back. "Hayır" at
// the question destroys nobody.
TEST_F(RetentionFixture, TheCommandsWaitForPendingEditsAndDestroyOnlyWhenTheClerkAgrees)
{
    lastStay(customer(u"OLD"_s), kStart.date().addYears(-5));
    customer(u"NEW"_s);
    open();
    PersonalDataCommands commands(*tables, *destruction, fake.dialogs);
    int requestsOpened = 0;
    commands.openRequest = [&] { ++requestsOpened; };

    Dataset& customers = *tables->musteriler;
    ASSERT_TRUE(customers.edit());
    customers.setText(u"musteriKodu"_s, QString());
    fake.dialogs.clear();
    commands.destroyNow();
    commands.answerRequest();
    EXPECT_EQ(requestsOpened, 0);
    EXPECT_FALSE(fake.dialogs.texts().contains(PersonalDataCommands::kDestroyQuestion.arg(1)));
    EXPECT_EQ(customerCodes(), (QStringList{u"OLD"_s, u"NEW"_s}));

    customers.cancel();
    fake.dialogs.clear();
    fake.dialogs.setNextAnswer(Dialogs::Hayir);
    commands.destroyNow();
    EXPECT_EQ(fake.dialogs.texts(), QStringList{PersonalDataCommands::kDestroyQuestion.arg(1)});
    EXPECT_EQ(customerCodes(), (QStringList{u"OLD"_s, u"NEW"_s}));
    EXPECT_TRUE(logRows().isEmpty());
    commands.answerRequest();
    EXPECT_EQ(requestsOpened, 1);
}

// A register made before the retention: it gains the tables, empty, and
// nobody in it is past the period the day the retention begins.
TEST(RetentionOfAnEarlierRegister, OpensWithTheNewTablesAndDestroysNobodyOnTheFirstDay)
{
    TestDir dir;
    FakePlatform fake;
    ASSERT_TRUE(QFile::copy(QStringLiteral(RADADIR_TEST_DATA "/register-without-history.dve"), dir.databasePath()));
    QFile::setPermissions(dir.databasePath(), QFile::ReadOwner | QFile::WriteOwner);
    Database db(Database::kFileName);
    db.open(Database::Missing::Refuse);
    for (const TableDef* t : {&Schema::musteriKonaklama(), &Schema::kvkkAyar(), &Schema::imhaKayitlari()}) {
        EXPECT_EQ(db.columnNames(t->name), t->columnNames());
        EXPECT_EQ(db.count(t->name), 0);
    }
    Tables tables(db, fake.clock, fake.dialogs);
    tables.openAll();
    Compaction compaction(db, fake.fs, fake.dialogs);
    CustomerDestruction destruction(db, tables, &compaction, fake.clock);
    EXPECT_EQ(destruction.settings().months(), RetentionSettings::kDefaultMonths);
    EXPECT_EQ(destruction.settings().start(), fake.clock.now().date());
    ASSERT_EQ(db.count(u"Musteriler"_s), 1);
    EXPECT_TRUE(destruction.expiredCustomers().isEmpty());
}

TEST(RetentionOnAServer, ExpiredCustomersAndTheirLastStaysLeaveTheServerWithoutACompaction)
{
    TestDir dir;
    FakePlatform fake;
    fake.clock.set(kStart);
    PgStore pg(PgTestServer::instance().freshDatabase());
    pg.open();
    const auto customer = [&pg](const QString& code) {
        QList<QVariant> values(Schema::musteriler().columns.size());
        values[Schema::musteriler().indexOf(u"musteriKodu"_s)] = code;
        return pg.insert(Schema::musteriler().name, values);
    };
    const qint64 old = customer(u"K1"_s);
    const qint64 unseen = customer(u"K2"_s);
    const qint64 recent = customer(u"K3"_s);
    LastStayRecorder::stamp(pg, old, kStart.date());
    // Stamped again: the row of the earlier stamp gives way.
    LastStayRecorder::stamp(pg, recent, kStart.date());
    LastStayRecorder::stamp(pg, recent, kStart.date().addMonths(39));
    // A last stay whose customer is gone already.
    LastStayRecorder::stamp(pg, recent + 100, kStart.date());
    Tables tables(pg, fake.clock, fake.dialogs);
    tables.openAll();
    CustomerDestruction destruction(pg, tables, nullptr, fake.clock);
    destruction.settings();
    fake.clock.set(kStart.addMonths(40));

    EXPECT_EQ(destruction.expiredCustomers(), (QList<qint64>{old, unseen}));
    EXPECT_EQ(destruction.destroyExpired().destroyed, 2);

    QList<qint64> customers;
    for (const StoreRow& row : pg.load(Schema::musteriler().name))
        customers << row.key;
    EXPECT_EQ(customers, QList<qint64>{recent});
    const QList<StoreRow> stays = pg.load(Schema::musteriKonaklama().name);
    ASSERT_EQ(stays.size(), 1);
    EXPECT_EQ(stays[0].values, (QList<QVariant>{recent, u"2027-06-07"_s}));
    const QList<DestructionLog::Entry> log = DestructionLog::readAll(pg);
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log[0].count, 2);
}

// The erasure commits while another desk is reading the customers: it is
// done and said so, the rewrite of the server's files waits for the table
// only a few seconds and stays due, and is done the next time it is tried.
TEST(RetentionOnAServer, AnErasureIsDoneWithItsCommitAndARewriteThatHadToWaitIsDoneLater)
{
    FakePlatform fake;
    fake.clock.set(kStart);
    const QString server = PgTestServer::instance().freshDatabase();
    PgStore pg(server);
    pg.open();
    QList<qint64> keys;
    for (const QString& code : {u"K1"_s, u"K2"_s, u"K3"_s}) {
        QList<QVariant> values(Schema::musteriler().columns.size());
        values[Schema::musteriler().indexOf(u"musteriKodu"_s)] = code;
        keys << pg.insert(Schema::musteriler().name, values);
    }
    Tables tables(pg, fake.clock, fake.dialogs);
    tables.openAll();
    CustomerDestruction destruction(pg, tables, nullptr, fake.clock);
    // The other desk's transaction holds the customer table.
    PgConnection otherDesk(server);
    otherDesk.open();
    otherDesk.exec(u"BEGIN"_s);
    otherDesk.exec(u"SELECT count(*) FROM \"Musteriler\""_s);

    CustomerDestruction::Outcome outcome;
    ASSERT_NO_THROW(outcome = destruction.eraseOnRequest(keys.mid(0, 2)));
    EXPECT_EQ(outcome.destroyed, 2);
    EXPECT_FALSE(outcome.rewritten);
    EXPECT_EQ(pg.count(Schema::musteriler().name), 1);
    EXPECT_EQ(pg.rewritesDue(), QStringList{Schema::musteriler().name});

    otherDesk.exec(u"COMMIT"_s);
    EXPECT_TRUE(destruction.rewriteIfDue());
    EXPECT_TRUE(pg.rewritesDue().isEmpty());
    EXPECT_EQ(pg.count(Schema::musteriler().name), 1);
}

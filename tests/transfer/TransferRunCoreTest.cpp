// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RunFixture.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Tables.h"
#include "core/transfer/Compaction.h"
#include "core/transfer/StayStatistics.h"
#include "core/transfer/TransferRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The run over the tables alone, with what it tells the window.
struct TransferRunAlone : RunFixture
{
    QStringList heard;

    void SetUp() override
    {
        RunFixture::SetUp();
        QObject::connect(run.get(), &TransferRun::succeeded, [this] { heard << u"succeeded"_s; });
    }
};

} // namespace

TEST_F(TransferRunAlone, WritesPurgesCompactsAndReopensEveryTable)
{
    fake.dialogs.setNextFileName(dir.path(u"kbs"_s));
    ASSERT_TRUE(run->run());

    QFile file(dir.path(u"kbs.xml"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("<Kisi SiraNo="), 3);
    EXPECT_TRUE(bytes.contains("TesisKodu=\"01234\""));
    EXPECT_EQ(heard, (QStringList{u"succeeded"_s}));
    EXPECT_TRUE(tables->allOpen());
    ASSERT_EQ(fake.dialogs.messages.size(), 1);
    EXPECT_EQ(fake.dialogs.messages[0].caption, u"Information"_s);

    // The departed guest is gone from the register and from the reopened table.
    EXPECT_EQ(db.column(u"SELECT Adi FROM Kisi ORDER BY ID"_s), (QList<QVariant>{u"Ayşe"_s, u"Cem"_s}));
    EXPECT_EQ(tables->kisi->recordCount(), 2);
    EXPECT_EQ(tables->kisi->recNo(), 0);
    EXPECT_FALSE(QFile::exists(dir.path(u"radadir.dvb"_s)));
    EXPECT_EQ(db.integrityCheck(), u"ok"_s);
}

TEST_F(TransferRunAlone, ACancelledDialogTellsTheWindowNothing)
{
    EXPECT_FALSE(run->run());
    EXPECT_TRUE(heard.isEmpty());
    EXPECT_EQ(db.count(u"Kisi"_s), 3);
}

namespace {

const QString kFailure = u"Dosya Oluşturulurken Hata Oluştu. Lütfen Program Satıcınız İle Temasa Geçiniz."_s;

QStringList storedNames(Database& db)
{
    QStringList names;
    for (const QVariant& v : db.column(u"SELECT Adi FROM Kisi ORDER BY ID"_s))
        names << v.toString();
    return names;
}

} // namespace

TEST_F(TransferRunAlone, APurgeTheDatabaseRefusesDeletesNobodyAndTheNextPurgeIsStillAllOrNothing)
{
    {
        // Another connection holds the write lock past the busy timeout.
        Database other(Database::kFileName);
        other.open();
        Store::Transaction held = other.transaction();
        ASSERT_FALSE(run->runTo(dir.path(u"a.xml"_s)));
        held.rollback();
    }
    EXPECT_TRUE(QFile::exists(dir.path(u"a.xml"_s)));
    ASSERT_EQ(fake.dialogs.texts().size(), 2);
    EXPECT_EQ(fake.dialogs.texts()[0], kFailure);
    EXPECT_EQ(storedNames(db), (QStringList{u"Ayşe"_s, u"Bora"_s, u"Cem"_s}));
    EXPECT_TRUE(tables->allOpen());
    EXPECT_EQ(tables->kisi->recordCount(), 3);
    EXPECT_TRUE(heard.isEmpty());

    // A second departed guest whose deletion the database refuses: the
    // other departure stays as well.
    const qint64 dora = insertGuest(db, u"Dora"_s, false);
    db.exec(u"CREATE TRIGGER refuse BEFORE DELETE ON Kisi WHEN old.ID = %1 BEGIN SELECT RAISE(ABORT, 'no'); END"_s
                .arg(dora));
    tables->kisi->open();
    fake.dialogs.clear();
    ASSERT_FALSE(run->runTo(dir.path(u"b.xml"_s)));
    EXPECT_EQ(fake.dialogs.texts().value(0), kFailure);
    EXPECT_EQ(storedNames(db), (QStringList{u"Ayşe"_s, u"Bora"_s, u"Cem"_s, u"Dora"_s}));
}

// The monthly figures keep the purged guest (Bora: 1 to 5 March 2024), in
// the purge's own transaction: a purge refused counts nobody.
TEST_F(TransferRunAlone, ThePurgeCountsTheDepartedInTheMonthlyFiguresAndARefusedOneCountsNobody)
{
    db.exec(u"CREATE TRIGGER refuse BEFORE DELETE ON Kisi BEGIN SELECT RAISE(ABORT, 'no'); END"_s);
    ASSERT_FALSE(run->runTo(dir.path(u"a.xml"_s)));
    EXPECT_EQ(db.count(u"KonaklamaIstatistik"_s), 0);
    EXPECT_EQ(StayStatistics::countingSince(db), std::nullopt);

    db.exec(u"DROP TRIGGER refuse"_s);
    ASSERT_TRUE(run->runTo(dir.path(u"b.xml"_s)));
    using Counts = QMap<QString, StayStatistics::Count>;
    EXPECT_EQ(StayStatistics::stored(db, u"2024-03"_s), (Counts{{u"DEU"_s, {1, 4}}}));
    EXPECT_EQ(StayStatistics::countingSince(db), fake.clock.now().date());
}

TEST_F(TransferRunAlone, AFailureAfterThePurgeNamesTheFileThatHoldsTheDepartures)
{
    // The register is taken away during the compaction: it cannot be opened again.
    compaction->beforeStep = [this](Compaction::Step s) {
        if (s == Compaction::Step::Replace)
            QFile::remove(dir.databasePath());
        return s != Compaction::Step::Replace;
    };
    ASSERT_FALSE(run->runTo(dir.path(u"kbs.xml"_s)));
    const QString path = QDir::toNativeSeparators(dir.path(u"kbs.xml"_s));
    // Then the general error report says why the tables could not be opened.
    ASSERT_EQ(fake.dialogs.messages.size(), 4);
    EXPECT_EQ(fake.dialogs.messages[0].text,
              u"Veri Tabanı Onarımınında Hata Oluştu.\rLütfen Program Satıcınız İle Temasa Geçiniz!"_s);
    EXPECT_EQ(fake.dialogs.messages[1].text, kFailure);
    EXPECT_EQ(fake.dialogs.messages[2].text,
              u"Bildirim dosyası eksiksiz yazıldı ve ayrılan misafirler kayıttan silindi.\rDosya: "_s + path +
                  u"\rDosyadaki misafir sayısı: 3\rLütfen bu dosyayı bildiriniz: ayrılan bu misafirler yeni bir "
                  u"transfer dosyasında yer almaz."_s);
    EXPECT_EQ(fake.dialogs.messages[2].caption, u"Rirede Zarevave Rurored"_s);
    EXPECT_TRUE(fake.dialogs.messages[3].text.contains(u"Dosya bulunamadı."_s));
    EXPECT_TRUE(QFile::exists(path));
}

// Killed once the file is written, and inside the purge: every guest is
// still in the register or in the complete file, and the register is sound.
TEST_F(TransferRunAlone, AProcessKilledBetweenTheWriteAndThePurgeLosesNobody)
{
    tables->closeAll();
    db.close();
    for (const char* step : {"Written", "Purging"}) {
        SCOPED_TRACE(step);
        QFile::remove(dir.path(u"kbs.xml"_s));
        QProcess child;
        child.start(QStringLiteral(RADADIR_CRASH_CHILD), {dir.path(), QString::fromLatin1(step)});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 9);

        QFile file(dir.path(u"kbs.xml"_s));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.endsWith("</Konaklama>"));
        Database after(Database::kFileName);
        after.open(Database::Missing::Refuse);
        EXPECT_EQ(after.integrityCheck(), u"ok"_s);
        // The file is complete, and as the purge never committed, nobody has
        // left the register either.
        EXPECT_EQ(bytes.count("<Kisi SiraNo="), 3);
        EXPECT_EQ(storedNames(after), (QStringList{u"Ayşe"_s, u"Bora"_s, u"Cem"_s}));
    }
}

TEST_F(TransferRunAlone, ABackupFollowsTheCompactionAndItsFailureFollowsTheSuccessMessage)
{
    int backups = 0;
    run->backUp = [&] {
        ++backups;
        EXPECT_TRUE(tables->allOpen());
        EXPECT_EQ(db.count(u"Kisi"_s), 2);
        return std::optional<QString>(u"Yedek alınamadı"_s);
    };
    ASSERT_TRUE(run->runTo(dir.path(u"a.xml"_s)));
    EXPECT_EQ(backups, 1);
    ASSERT_EQ(fake.dialogs.messages.size(), 2);
    EXPECT_EQ(fake.dialogs.messages[0].caption, u"Information"_s);
    EXPECT_EQ(fake.dialogs.messages[1].text, u"Yedek alınamadı"_s);
}

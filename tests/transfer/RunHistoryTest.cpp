// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"
#include "support/RunFixture.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Schema.h"
#include "core/register/Tables.h"
#include "core/transfer/Compaction.h"
#include "core/transfer/RunHistory.h"
#include "core/transfer/TransferRun.h"
#include "gui/transfer/HistoryWindow.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A run over the tables alone, with its record.
struct RunRecord : RunFixture
{
    void SetUp() override
    {
        RunFixture::SetUp();
        fake.clock.set(QDateTime(QDate(2024, 3, 7), QTime(9, 5, 30)));
    }
    QList<RunHistory::Run> runs() { return RunHistory::readAll(db); }
    QByteArray hashOf(const QString& path)
    {
        QFile f(path);
        const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        return bytes.mid(bytes.indexOf("<?hash ") + 7, 32);
    }
};

} // namespace

TEST_F(RunRecord, ASuccessfulRunIsRecordedWithItsFileAndCountsBeforeTheMessage)
{
    // A program ended while the success message is up has recorded its run.
    int recordedAtMessage = -1;
    fake.dialogs.onNextMessage([&] { recordedAtMessage = int(runs().size()); });
    fake.dialogs.setNextFileName(dir.path(u"a.xml"_s));
    ASSERT_TRUE(run->run());
    EXPECT_EQ(recordedAtMessage, 1);
    const QList<RunHistory::Run> all = runs();
    ASSERT_EQ(all.size(), 1);
    const RunHistory::Run& r = all[0];
    EXPECT_EQ(r.moment, QDateTime(QDate(2024, 3, 7), QTime(9, 5, 30)));
    EXPECT_EQ(r.path, QDir::toNativeSeparators(dir.path(u"a.xml"_s)));
    EXPECT_EQ(r.digest.toLatin1(), hashOf(dir.path(u"a.xml"_s)));
    EXPECT_EQ(r.written, 3);
    EXPECT_EQ(r.purged, 1);
    EXPECT_EQ(r.outcome, u"Yazıldı ve silindi"_s);
    EXPECT_TRUE(r.failure.isEmpty());
    // Nothing of a guest is kept.
    const QString everything = db.column(u"SELECT Zaman || DosyaYolu || Ozet || Sonuc || ifnull(Hata, '') "
                                         u"FROM TransferGecmisi"_s).value(0).toString();
    for (const QString& name : {u"Ayşe"_s, u"Bora"_s, u"Cem"_s, u"Yılmaz"_s})
        EXPECT_FALSE(everything.contains(name));
}

TEST_F(RunRecord, ARunThatStoppedBeforeWritingRecordsNothingOrWhyNothingWasWritten)
{
    // The dialog cancelled: no record.
    EXPECT_FALSE(run->run());
    // The check's "Kayda Git": no record.
    db.exec(u"UPDATE Kisi SET KimlikSeriNo = 'AYNI'"_s);
    tables->kisi->open();
    run->reviewFindings = [](const QList<Completeness::Finding>& f) {
        return Completeness::Decision{Completeness::Decision::GoToGuest, f.first().key};
    };
    fake.dialogs.setNextFileName(dir.path(u"b.xml"_s));
    EXPECT_FALSE(run->run());
    EXPECT_TRUE(runs().isEmpty());

    // Going on, but the file cannot be written.
    run->reviewFindings = [](const QList<Completeness::Finding>&) {
        return Completeness::Decision{Completeness::Decision::GoOn, 0};
    };
    fake.fs.before = [](FaultyFileSystem::Op op, const QString&) { return op != FaultyFileSystem::Op::Write; };
    fake.dialogs.setNextFileName(dir.path(u"c.xml"_s));
    EXPECT_FALSE(run->run());
    ASSERT_EQ(runs().size(), 1);
    EXPECT_EQ(runs()[0].outcome, u"Yazılmadı"_s);
    EXPECT_EQ(runs()[0].failure, u"Dosya yazılamadı"_s);
    EXPECT_EQ(runs()[0].written, 0);
    EXPECT_EQ(runs()[0].purged, 0);
}

TEST_F(RunRecord, AFailedPurgeIsRecordedBeforeTheClerkIsToldOrSaidNotToBe)
{
    const QString notPurged = u"Bildirim dosyası eksiksiz yazıldı, ancak ayrılan misafirler kayıttan silinemedi."
                              u"\rDosya: %1\rAyrılan misafirler kayıtta duruyor ve bir sonraki transfer dosyasında "
                              u"da yer alacak."_s;
    // The database refuses the deletion itself: the record still goes in.
    db.exec(u"CREATE TRIGGER refuse BEFORE DELETE ON Kisi BEGIN SELECT RAISE(ABORT, 'no'); END"_s);
    int recordedAtMessage = -1;
    fake.dialogs.onNextMessage([&] { recordedAtMessage = int(runs().size()); });
    fake.dialogs.setNextFileName(dir.path(u"a.xml"_s));
    EXPECT_FALSE(run->run());
    EXPECT_EQ(recordedAtMessage, 1);
    ASSERT_EQ(fake.dialogs.messages.size(), 2);
    EXPECT_EQ(fake.dialogs.messages[1].text, notPurged.arg(QDir::toNativeSeparators(dir.path(u"a.xml"_s))));
    ASSERT_EQ(runs().size(), 1);
    EXPECT_EQ(runs()[0].outcome, u"Yazıldı, silinemedi"_s);
    EXPECT_EQ(runs()[0].failure, u"Silme veritabanınca reddedildi"_s);
    EXPECT_EQ(runs()[0].written, 3);
    EXPECT_EQ(runs()[0].purged, 0);
    db.exec(u"DROP TRIGGER refuse"_s);

    {
        // Another connection holds the write lock through the whole run: the
        // record is refused as well, and the clerk is told so.
        Database other(Database::kFileName);
        other.open();
        other.begin();
        fake.dialogs.clear();
        fake.dialogs.setNextFileName(dir.path(u"b.xml"_s));
        EXPECT_FALSE(run->run());
        other.rollback();
    }
    ASSERT_EQ(fake.dialogs.messages.size(), 2);
    EXPECT_EQ(fake.dialogs.messages[1].text, notPurged.arg(QDir::toNativeSeparators(dir.path(u"b.xml"_s))) +
                                                 u"\rBu işlem kayda geçirilemedi."_s);
    EXPECT_EQ(runs().size(), 1);
}

TEST_F(RunRecord, AFailureAfterThePurgeIsRecorded)
{
    // The register is away while the connection is opened again after the
    // compaction, and back by the time the clerk has read the message.
    const QString away = dir.path(u"away.dve"_s);
    compaction->beforeStep = [&](Compaction::Step s) {
        if (s == Compaction::Step::Replace)
            QFile::rename(dir.databasePath(), away);
        return s != Compaction::Step::Replace;
    };
    fake.dialogs.onNextMessage([] {});
    fake.dialogs.onNextMessage([&] { QFile::rename(away, dir.databasePath()); });
    fake.dialogs.setNextFileName(dir.path(u"b.xml"_s));
    EXPECT_FALSE(run->run());
    ASSERT_EQ(runs().size(), 1);
    EXPECT_EQ(runs()[0].outcome, u"Yazıldı ve silindi"_s);
    EXPECT_EQ(runs()[0].failure, u"Veritabanı yeniden açılamadı"_s);
    EXPECT_EQ(runs()[0].purged, 1);
}

TEST_F(RunRecord, ARecordThatCannotBeWrittenChangesNothingElse)
{
    // Someone holds the (compacted) register's write lock from the moment
    // the tables are open again.
    std::unique_ptr<Database> other;
    bool closed = false;
    QObject::connect(tables->kisi, &Dataset::stateChanged, [&] {
        if (!tables->kisi->isOpen()) {
            closed = true;
        } else if (closed && !other) {
            other = std::make_unique<Database>(Database::kFileName);
            other->open();
            other->begin();
        }
    });
    fake.dialogs.setNextFileName(dir.path(u"a.xml"_s));
    EXPECT_TRUE(run->run());
    ASSERT_TRUE(other);
    other->rollback();
    EXPECT_EQ(fake.dialogs.messages.size(), 1);
    EXPECT_EQ(fake.dialogs.messages[0].caption, u"Information"_s);
    EXPECT_TRUE(runs().isEmpty());
}

TEST(RunHistory, TheTimeSinceTheLastSuccessfulRun)
{
    const QDateTime now(QDate(2024, 3, 10), QTime(12, 0));
    auto at = [](const QDateTime& t, const QString& outcome) {
        RunHistory::Run r;
        r.moment = t;
        r.outcome = outcome;
        return r;
    };
    EXPECT_EQ(RunHistory::sinceLastSuccess({}, now), u"Henüz başarılı bir transfer yapılmamış."_s);
    EXPECT_EQ(RunHistory::sinceLastSuccess({at(now.addSecs(-60), RunHistory::kNothingWritten)}, now),
              u"Henüz başarılı bir transfer yapılmamış."_s);
    // Newest first: the failed newer run does not count.
    EXPECT_EQ(RunHistory::sinceLastSuccess({at(now.addSecs(-60), RunHistory::kPurgeFailed),
                                            at(now.addSecs(-(2 * 86400 + 3 * 3600 + 59)), RunHistory::kWrittenAndPurged)},
                                           now),
              u"Son başarılı transfer: 2 gün 3 saat önce (2024-03-08 08:59:01)"_s);
    EXPECT_EQ(RunHistory::sinceLastSuccess({at(now.addSecs(-(5 * 3600 + 7 * 60)), RunHistory::kWrittenAndPurged)}, now),
              u"Son başarılı transfer: 5 saat 7 dakika önce (2024-03-10 06:53:00)"_s);
    EXPECT_EQ(RunHistory::sinceLastSuccess({at(now.addSecs(-180), RunHistory::kWrittenAndPurged)}, now),
              u"Son başarılı transfer: 3 dakika önce (2024-03-10 11:57:00)"_s);
}

// A register made before the record existed, kept as it was made.
TEST(RunHistory, ARegisterMadeWithoutTheRecordGetsItAndNothingElseChanges)
{
    SKIP_ON_WINDOWS("the register is read with the build machine's sqlcipher command-line tool; the Windows build has none");
    TestDir dir;
    ASSERT_TRUE(QFile::copy(QStringLiteral(RADADIR_TEST_DATA "/register-without-history.dve"), dir.databasePath()));
    QFile::setPermissions(dir.databasePath(), QFile::ReadOwner | QFile::WriteOwner);
    const QString before = sqlcipherCli(dir.databasePath(),
                                        u"PRAGMA key = 'vorpalquintezbrask';\nSELECT type, name, sql FROM sqlite_master "
                                        u"ORDER BY name;\nSELECT * FROM Kisi;\nSELECT * FROM Musteriler;\nSELECT * FROM Ayar;\n"_s);
    ASSERT_FALSE(before.contains(u"TransferGecmisi"_s));
    ASSERT_TRUE(before.contains(u"Ayşe"_s));
    {
        Database db(Database::kFileName);
        db.open(Database::Missing::Refuse);
        EXPECT_FALSE(db.createdNew());
        EXPECT_EQ(db.columnNames(u"TransferGecmisi"_s), Schema::transferGecmisi().columnNames());
        EXPECT_EQ(db.count(u"TransferGecmisi"_s), 0);
        EXPECT_EQ(db.columnNames(u"YedekAyar"_s), Schema::yedekAyar().columnNames());
    }
    QStringList added;
    for (const TableDef* t : Schema::laterTables())
        added << u"'%1'"_s.arg(t->name);
    const QString after = sqlcipherCli(dir.databasePath(),
                                       u"PRAGMA key = 'vorpalquintezbrask';\nSELECT type, name, sql FROM sqlite_master "
                                       u"WHERE name NOT IN (%1) "
                                       u"ORDER BY name;\nSELECT * FROM Kisi;\n"
                                       u"SELECT * FROM Musteriler;\nSELECT * FROM Ayar;\n"_s.arg(added.join(u", "_s)));
    EXPECT_EQ(after, before);
    // Opened again: nothing more is added.
    Database again(Database::kFileName);
    again.open(Database::Missing::Refuse);
    EXPECT_EQ(again.count(u"Kisi"_s), 1);
}

TEST(RunHistoryWindow, ListsTheRunsNewestFirstAndOpensTheirFolder)
{
    ProgramFixture p;
    p.open({u"Ali"_s}, false);
    p.fake.dialogs.setNextFileName(p.dir.path(u"ilk.xml"_s));
    p.program->transfer()->run();
    p.fake.clock.set(p.now.addSecs(3600));
    QDir().mkpath(p.dir.path(u"arsiv"_s));
    p.fake.dialogs.setNextFileName(p.dir.path(u"arsiv/ikinci.xml"_s));
    p.program->transfer()->run();
    QFile::remove(p.dir.path(u"ilk.xml"_s));
    p.fake.clock.set(p.now.addSecs(3600 + 25 * 60));

    QStringList files;
    QString since;
    onNextModal([&](QDialog* dialog) {
        auto* w = qobject_cast<HistoryWindow*>(dialog);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->windowTitle(), u"Transfer Geçmişi"_s);
        since = w->SinceLabel->text();
        for (int i = 0; i < w->RunList->topLevelItemCount(); ++i)
            files << w->RunList->topLevelItem(i)->text(1);
        EXPECT_EQ(w->RunList->topLevelItem(0)->text(4), u"Yazıldı ve silindi"_s);
        EXPECT_EQ(w->RunList->topLevelItem(1)->text(2), u"1"_s);
        EXPECT_EQ(w->RunList->topLevelItem(1)->text(3), u"1"_s);
        QTest::mouseClick(w->FolderButton, Qt::LeftButton);
        dialog->reject();
    });
    p.form().historyAction->trigger();
    EXPECT_EQ(files, (QStringList{QDir::toNativeSeparators(p.dir.path(u"arsiv/ikinci.xml"_s)),
                                  QDir::toNativeSeparators(p.dir.path(u"ilk.xml"_s)) + HistoryWindow::kGone}));
    EXPECT_EQ(since, u"Son başarılı transfer: 25 dakika önce (2024-05-06 10:08:07)"_s);
    ASSERT_EQ(p.fake.shell.opened.size(), 1);
    EXPECT_EQ(p.fake.shell.opened[0], QUrl::fromLocalFile(p.dir.path(u"arsiv"_s)));
}

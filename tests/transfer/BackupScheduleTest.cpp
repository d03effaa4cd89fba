// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"
#include "support/TestSupport.h"

#include "core/register/Dataset.h"
#include "core/register/Tables.h"
#include "core/transfer/BackupSchedule.h"
#include "core/transfer/Backups.h"
#include "gui/register/GuestEntry.h"
#include "core/customers/PersonalDataCommands.h"
#include "gui/transfer/RestoreWindow.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBGrid.h"
#include "gui/widgets/DBMaskEdit.h"
#include "gui/register/DocumentReaderDialog.h"
#include "platform/gui/QtDialogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

int backupsIn(const QString& folder)
{
    return int(QDir(folder).entryList({u"radadir-*.dve"_s}, QDir::Files).size());
}

} // namespace

TEST(BackupSchedule, OneADayAfterEveryRunAndADayAfterTheNewestAndAFailureReportedOnce)
{
    TestDir dir;
    FakePlatform fake;
    Database db(Database::kFileName);
    db.open();
    Backups backups(db, fake.fs, fake.clock);
    BackupSchedule schedule(backups, fake.clock);
    const QString folder = dir.path(u"Yedekler"_s);
    QDateTime now(QDate(2026, 12, 9), QTime(8, 0));
    const auto at = [&](qint64 seconds) {
        now = now.addSecs(seconds);
        fake.clock.set(now);
    };
    at(0);

    struct Step { const char* what; qint64 after; std::function<std::optional<QString>()> occasion; int made; };
    const Step steps[] = {
        {"first start of the day", 0, [&] { return schedule.atStart(); }, 1},
        {"another start that day", 60, [&] { return schedule.atStart(); }, 1},
        {"running, newest an hour old", 3600, [&] { return schedule.whileRunning(false); }, 1},
        {"a day on, but an edit is pending", 86400, [&] { return schedule.whileRunning(true); }, 1},
        {"a day on, nothing edited", 1, [&] { return schedule.whileRunning(false); }, 2},
        {"after a run", 60, [&] { return schedule.afterRun(); }, 3},
        {"next morning's start", 86400, [&] { return schedule.atStart(); }, 4},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        at(s.after);
        EXPECT_EQ(s.occasion(), std::nullopt);
        EXPECT_EQ(backupsIn(folder), s.made);
    }

    // A folder that cannot be made: said once, tried again each time, said
    // again after a success.
    QFile plain(dir.path(u"plain"_s));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    ASSERT_TRUE(backups.setFolder(dir.path(u"plain/Yedekler"_s)));
    at(60);
    EXPECT_TRUE(schedule.afterRun());
    at(60);
    EXPECT_EQ(schedule.afterRun(), std::nullopt);
    ASSERT_TRUE(backups.setFolder(QString()));
    at(60);
    EXPECT_EQ(schedule.afterRun(), std::nullopt);
    EXPECT_EQ(backupsIn(folder), 5);
    ASSERT_TRUE(backups.setFolder(dir.path(u"plain/Yedekler"_s)));
    at(60);
    EXPECT_TRUE(schedule.afterRun());
}

TEST(BackupMenu, AChosenFolderGetsABackupAtOnceAndARestoreBringsItsGuestsBack)
{
    ProgramFixture p;
    // A customer past the retention period, kept for now: no destruction is
    // due on the first day.
    p.open({u"Ali"_s, u"Veli"_s}, true,
           {u"INSERT INTO Musteriler (musteriKodu, Adi) VALUES ('K1', 'Cem')"_s,
            u"INSERT INTO MusteriKonaklama (musteriID, SonKonaklama) VALUES (1, '2020-01-01')"_s});
    ASSERT_EQ(p.storedCount(u"Musteriler"_s), 1);
    const QString usb = p.dir.path(u"usb"_s);
    p.dialogs().setNextFolder(usb);
    p.form().backupFolderAction->trigger();
    EXPECT_EQ(p.dialogs().texts(), QStringList{u"Yedekler bundan sonra bu klasöre alınacak:\r"_s +
                                               QDir::toNativeSeparators(usb)});
    ASSERT_EQ(backupsIn(usb), 1);

    // A guest stored after the backup, and one being typed.
    insertGuest(p.program->database(), u"Cem"_s);
    p.guests().open();
    ASSERT_EQ(p.guests().recordCount(), 3);
    p.fake.clock.set(p.now.addSecs(60));
    p.dialogs().clear();
    p.dialogs().setNextAnswer(Dialogs::Evet);
    int listed = -1;
    onNextModal([&](QDialog* d) {
        auto* w = qobject_cast<RestoreWindow*>(d);
        if (!w) {
            d->reject();
            return;
        }
        listed = w->BackupList->topLevelItemCount();
        EXPECT_EQ(w->BackupList->topLevelItem(0)->text(1), u"2"_s);
        QTest::keyClick(w->BackupList, Qt::Key_Return);
    });
    p.form().restoreAction->trigger();
    EXPECT_EQ(listed, 1);
    ASSERT_EQ(p.dialogs().messages.size(), 3);
    EXPECT_TRUE(p.dialogs().messages[0].text.contains(u"bir sonraki transfer dosyasında yeniden yer alacak"_s));
    EXPECT_EQ(p.dialogs().messages[0].defaultButton, Dialogs::Hayir);
    EXPECT_EQ(p.dialogs().messages[1].text, u"Yedek geri yüklendi."_s);
    // What the backup brought back past its period goes at once.
    EXPECT_EQ(p.dialogs().messages[2].text, PersonalDataCommands::kDestroyedText.arg(1));
    EXPECT_EQ(p.storedCount(u"Musteriler"_s), 0);
    EXPECT_EQ(p.guests().recordCount(), 2);
    EXPECT_EQ(p.storedCount(), 2);
    EXPECT_EQ(p.entry().nameBox->text(), u"Ali"_s);
    // The register as it was before the restore is a backup of its own.
    EXPECT_EQ(backupsIn(usb), 2);
}

// A backup on a slow disk, started from the menu: after half a second its
// dialog says what it does and offers "İptal"; meanwhile a key for another
// command and the backup timer start nothing; "İptal" leaves no backup and
// the folder chosen before.
TEST(BackupMenu, ASlowBackupShowsItsDialogStartsNothingElseAndCanBeAbandoned)
{
    ProgramFixture p;
    p.open({u"Ali"_s});
    ScriptedDialogs& dialogs = p.dialogs();
    dialogs.showWork = [&dialogs](const Dialogs::WorkRequest& r) { return QtDialogs::shownWork(dialogs, r); };
    const QString before = p.program->backups()->folder();
    const QString usb = p.dir.path(u"usb"_s);
    QString shown;
    bool cancelOffered = false;
    int readers = 0;
    // Were the key to get through, its window would wait for an answer.
    QTimer closeReader;
    QObject::connect(&closeReader, &QTimer::timeout, [&readers] {
        if (auto* reader = qobject_cast<DocumentReaderDialog*>(QApplication::activeModalWidget())) {
            ++readers;
            reader->reject();
        }
    });
    closeReader.start(20);
    bool slowed = false;
    p.fake.fs.before = [&](FaultyFileSystem::Op op, const QString& path) {
        if (slowed || op != FaultyFileSystem::Op::Exists || !path.startsWith(usb) || !Dialogs::currentWork())
            return true;
        slowed = true;
        QElapsedTimer clock;
        clock.start();
        QProgressDialog* dialog = nullptr;
        while (!dialog && clock.elapsed() < 3000) {
            Dialogs::currentWork()->keepGoing();
            QThread::msleep(5);
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->objectName() == u"WorkProgress"_s && w->isVisible())
                    dialog = static_cast<QProgressDialog*>(w);
            }
        }
        if (!dialog)
            return true;
        EXPECT_GE(clock.elapsed(), 450);
        shown = dialog->labelText();
        QTest::keyClick(&p.form(), Qt::Key_F8);
        p.fake.clock.set(p.now.addDays(2));
        // A day past the newest backup, the timer's next round would make one.
        p.program->backupTimer()->start(0);
        for (int i = 0; i < 10; ++i) {
            Dialogs::currentWork()->keepGoing();
            QThread::msleep(10);
        }
        p.program->backupTimer()->stop();
        auto* cancel = dialog->findChild<QPushButton*>(u"WorkCancel"_s);
        cancelOffered = cancel && cancel->text() == u"İptal"_s;
        if (cancel)
            QTest::mouseClick(cancel, Qt::LeftButton);
        return true;
    };
    dialogs.clear();
    dialogs.setNextFolder(usb);
    p.form().backupFolderAction->trigger();
    closeReader.stop();
    EXPECT_TRUE(slowed);
    EXPECT_EQ(shown, Backups::kMaking);
    EXPECT_TRUE(cancelOffered);
    EXPECT_EQ(readers, 0);
    QStringList works;
    for (const Dialogs::WorkRequest& w : dialogs.works)
        works << w.text;
    EXPECT_EQ(works, QStringList{Backups::kMaking});
    EXPECT_EQ(dialogs.texts(), QStringList());
    EXPECT_EQ(backupsIn(usb), 0);
    EXPECT_EQ(QDir(usb).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_EQ(p.program->backups()->folder(), before);
    EXPECT_FALSE(Dialogs::working());
}

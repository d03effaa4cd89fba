// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"

#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/Tables.h"
#include "gui/shell/FacilitySetupWindow.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/Program.h"
#include "gui/shell/SplashScreen.h"
#include "Version.h"
#include "gui/widgets/EngravedLabel.h"
#include "gui/widgets/LedDisplay.h"
#include "platform/core/RegisterLock.h"
#include "platform/core/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLCDNumber>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QOperatingSystemVersion>
#include <QProcess>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QUuid>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>

using namespace Qt::StringLiterals;

using Started = ProgramFixture;

TEST(Startup, FirstStartCreatesTheDatabaseAndOpensEveryTable)
{
    Started s;
    s.start();
    ASSERT_TRUE(s.program);
    EXPECT_EQ(s.exitCode, 0);
    EXPECT_TRUE(QFile::exists(s.dir.databasePath()));
    MainWindow& f = *s.program->mainWindow();
    for (Dataset* t : s.tables().openingOrder())
        EXPECT_TRUE(t->isOpen()) << t->objectName().toStdString();
    EXPECT_EQ(s.tables().iller->recordCount(), 81);
    EXPECT_TRUE(s.fake.dialogs.messages.isEmpty());
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Rirede Zarevave Rurored"));
}

TEST(Startup, SplashStatusesRepaintAndPauseInOrder)
{
    for (const bool setUp : {false, true}) {
        Started s;
        if (setUp)
            s.setUpFacility(QStringLiteral("01234"), QStringLiteral("Otel Deniz"));
        QStringList statuses;
        s.fake.clock.onSleep = [&](int ms) {
            SplashScreen* splash = SplashScreen::last();
            ASSERT_NE(splash, nullptr);
            EXPECT_TRUE(splash->isVisible());
            statuses << QStringLiteral("%1 %2").arg(splash->status()).arg(ms);
        };
        s.start();
        ASSERT_TRUE(s.program);
        QStringList expected = {QStringLiteral("Program ayarları yapılıyor... 500"),
                                QStringLiteral("Ana Form ayarları yapılıyor... 500")};
        if (setUp)
            expected << QStringLiteral("Internet bağlantısı kontrol ediliyor... 500");
        EXPECT_EQ(statuses, expected);
        EXPECT_FALSE(s.program->splash()->isVisible());
        EXPECT_EQ(s.program->splash()->windowOpacity(), 220.0 / 255.0);
        EXPECT_EQ(s.program->splash()->size(), QSize(404, 101));
    }
}

TEST(Startup, TheSplashBusyPictureTurnsWhileTheSplashIsUp)
{
    ManualClock clock;
    SplashScreen splash(clock);
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    const int before = splash.busyFrames();
    EXPECT_TRUE(waitFor([&] { return splash.busyFrames() >= before + 3; }));
    splash.hide();
    const int hidden = splash.busyFrames();
    QTest::qWait(300);
    EXPECT_EQ(splash.busyFrames(), hidden);
}

TEST(Startup, SecondCopyIsRefusedWithoutTouchingTheDatabase)
{
    Started first;
    first.start();
    ASSERT_TRUE(first.program);

    TestDir other;
    FakePlatform fake;
    SingleInstance guard(first.key, first.dir.path());
    QSignalSpy woken(first.guard.get(), &SingleInstance::activationRequested);
    int exitCode = -1;
    EXPECT_FALSE(startProgram(fake.platform, guard, Database::kFileName, exitCode));
    ASSERT_EQ(fake.dialogs.messages.size(), 1);
    const ScriptedDialogs::Shown& box = fake.dialogs.messages[0];
    EXPECT_EQ(box.caption, QStringLiteral("Program Zaten Açık..."));
    EXPECT_EQ(box.text, QString::fromUtf8("Aynı anda yalnızca bir Rirede Zarevave Rurored programı kullanılabilir.\r\n\r\n"
                                          "Lütfen \"Tamam\" tuşuna basarak bu programı sonlandırınız."));
    EXPECT_EQ(box.icon, Dialogs::Icon::Error);
    EXPECT_EQ(box.buttons, Dialogs::Buttons(Dialogs::Ok));
    EXPECT_FALSE(QFile::exists(other.databasePath()));
    EXPECT_EQ(SplashScreen::last(), first.program->splash());
    // The running copy is asked to come forward. Not seen on Windows, where
    // both copies share this test's thread and a pipe takes the request only
    // once the running copy reads it (the guard's own test asks from a
    // thread of its own).
    if (!kOnWindows) {
        EXPECT_TRUE(waitFor([&] { return woken.count() == 1; }, 5000));
    }
}

// A guard that cannot be used is reported as what it is, not as a copy
// already running: here a socket path longer than a socket address holds,
// which the system would otherwise cut short.
TEST(Startup, AGuardThatCannotBeUsedIsReportedAndEndsTheStart)
{
    SKIP_ON_WINDOWS("the length a socket address holds is a Unix socket's; on Windows the guard is a named pipe");
    TestDir dir;
    const QString deep = dir.path(QString(100, QLatin1Char('k')));
    FakePlatform fake;
    SingleInstance guard(uniqueGuardKey(), deep);
    int exitCode = -1;
    EXPECT_FALSE(startProgram(fake.platform, guard, Database::kFileName, exitCode));
    EXPECT_EQ(exitCode, 1);
    ASSERT_EQ(fake.dialogs.messages.size(), 1);
    EXPECT_EQ(fake.dialogs.messages[0].icon, Dialogs::Icon::Error);
    const QString socket = guard.socketPath();
    ASSERT_TRUE(socket.startsWith(deep));
    EXPECT_EQ(fake.dialogs.messages[0].text,
              QStringLiteral("Program başlatılamadı.\rYerel soket yolu çok uzun (%1 bayt; en çok 107 olabilir):\r%2")
                  .arg(QFile::encodeName(socket).size())
                  .arg(socket));
    EXPECT_FALSE(QFile::exists(dir.databasePath()));
}

// Another user, or another machine over a shared folder: not the same
// single-instance guard, but the same register.
TEST(Startup, ASecondCopyOnTheSameRegisterIsRefusedWithoutTouchingIt)
{
    SKIP_ON_WINDOWS("the register is read with the build machine's sqlcipher command-line tool; the Windows build has none");
    Started first;
    first.start();
    ASSERT_TRUE(first.program);
    QFile stale(first.dir.path(QStringLiteral("radadir.dvb")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("a copy being written");
    stale.close();
    const QByteArray before = fileHead(first.dir.databasePath(), 1 << 20);

    FakePlatform fake;
    SingleInstance guard(uniqueGuardKey(), first.dir.path());
    int exitCode = -1;
    EXPECT_FALSE(startProgram(fake.platform, guard, Database::kFileName, exitCode));
    EXPECT_EQ(exitCode, 1);
    ASSERT_EQ(fake.dialogs.messages.size(), 1);
    EXPECT_EQ(fake.dialogs.messages[0].icon, Dialogs::Icon::Error);
    EXPECT_EQ(fake.dialogs.messages[0].text,
              QStringLiteral("Kayıt dosyası şu anda başka bir programda açık:\r%1\rKullanan: %2\r"
                             "Aynı kayıt dosyası aynı anda yalnızca bir programda kullanılabilir.")
                  .arg(QDir::toNativeSeparators(first.dir.databasePath()), RegisterLock::thisHolder()));
    EXPECT_EQ(fileHead(first.dir.databasePath(), 1 << 20), before);
    // The running copy's compaction file is not the refused copy's to remove.
    EXPECT_TRUE(QFile::exists(first.dir.path(QStringLiteral("radadir.dvb"))));
    // Tools still read the register while it is held.
    EXPECT_TRUE(sqlcipherCli(first.dir.databasePath(),
                             QStringLiteral("PRAGMA key = 'vorpalquintezbrask';\nSELECT count(*) FROM Iller;\n"))
                    .contains(QStringLiteral("81")));
}

TEST(Startup, TheRegisterLockGoesWithAProcessThatDies)
{
    TestDir dir;
    QProcess holder;
    holder.start(QStringLiteral(RADADIR_CRASH_CHILD), {dir.path(), QStringLiteral("hold")});
    ASSERT_TRUE(holder.waitForReadyRead(30000));
    RegisterLock lock(dir.databasePath());
    EXPECT_EQ(lock.acquire(), RegisterLock::Result::HeldByOther);
    EXPECT_TRUE(lock.detail().contains(QStringLiteral("(pid %1)").arg(holder.processId()))) << lock.detail().toStdString();
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(30000));
    EXPECT_EQ(lock.acquire(), RegisterLock::Result::Acquired);
    EXPECT_TRUE(lock.isHeld());
}

// A copy that opens the register itself and one that reaches it through a
// link meet the same lock; the message names the register as it was given.
TEST(Startup, ARegisterReachedThroughALinkIsLockedAtTheFileItself)
{
    SKIP_ON_WINDOWS("QFile::link makes a shell link on Windows, no symbolic link a register could be opened through");
    Started s;
    ASSERT_TRUE(QDir().mkpath(s.dir.path(QStringLiteral("elsewhere"))));
    {
        Database db(s.dir.path(QStringLiteral("elsewhere/radadir.dve")));
        db.open();
    }
    ASSERT_TRUE(QFile::link(s.dir.path(QStringLiteral("elsewhere/radadir.dve")), s.dir.databasePath()));
    QProcess holder;
    holder.start(QStringLiteral(RADADIR_CRASH_CHILD), {s.dir.path(QStringLiteral("elsewhere")), QStringLiteral("hold")});
    ASSERT_TRUE(holder.waitForReadyRead(30000));

    s.start();
    holder.kill();
    holder.waitForFinished(30000);
    EXPECT_FALSE(s.program);
    EXPECT_EQ(s.exitCode, 1);
    ASSERT_EQ(s.fake.dialogs.messages.size(), 1);
    EXPECT_TRUE(s.fake.dialogs.messages[0].text.startsWith(
        QStringLiteral("Kayıt dosyası şu anda başka bir programda açık:\r%1\rKullanan: ")
            .arg(QDir::toNativeSeparators(s.dir.databasePath()))))
        << s.fake.dialogs.messages[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(s.dir.path(QStringLiteral("radadir.dve.lock"))));
}

TEST(Startup, ACompactionCopyLeftByACrashIsRemovedAtStart)
{
    Started s;
    {
        Database db(Database::kFileName);
        db.open();
    }
    QFile stale(s.dir.path(QStringLiteral("radadir.dvb")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("left by a crash");
    stale.close();
    s.start();
    ASSERT_TRUE(s.program);
    EXPECT_FALSE(QFile::exists(s.dir.path(QStringLiteral("radadir.dvb"))));
}

TEST(Startup, MainWindowFrame)
{
    Started s;
    s.start();
    ASSERT_TRUE(s.program);
    MainWindow& f = *s.program->mainWindow();
    EXPECT_EQ(f.size(), QSize(688, 550));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());

    struct Region { const char* name; QRect geometry; };
    const Region regions[] = {
        {"GroupBox1", {8, 11, 217, 465}}, {"GroupBox3", {232, 11, 217, 233}}, {"GroupBox4", {456, 11, 215, 465}},
        {"Panel1", {232, 250, 147, 63}},  {"TesisKoduLed", {384, 264, 65, 49}}, {"AnnouncementPanel", {232, 320, 216, 90}},
        {"TesisAdiLabel", {232, 416, 217, 57}},
    };
    for (const Region& r : regions) {
        auto* w = f.findChild<QWidget*>(QString::fromLatin1(r.name));
        ASSERT_NE(w, nullptr) << r.name;
        EXPECT_EQ(w->geometry(), r.geometry) << r.name;
    }
    // "Tesis Kodu" whole, right above the code display, clear of the right group.
    auto* codeLabel = f.findChild<QLabel*>(QStringLiteral("Label30"));
    ASSERT_NE(codeLabel, nullptr);
    EXPECT_GE(codeLabel->width(), codeLabel->fontMetrics().horizontalAdvance(codeLabel->text()));
    EXPECT_GE(codeLabel->height(), codeLabel->fontMetrics().height());
    EXPECT_LT(codeLabel->geometry().bottom(), f.TesisKoduLed->geometry().top());
    EXPECT_LT(codeLabel->geometry().right(), 456);
    EXPECT_EQ(f.findChild<QGroupBox*>(QStringLiteral("GroupBox1"))->title(), QStringLiteral(" [ Herkes İçin Zorunlu ] "));
    EXPECT_EQ(f.findChild<QGroupBox*>(QStringLiteral("GroupBox3"))->title(), QStringLiteral(" [ T.C. Vatandaşları İçin Zorunlu ] "));
    EXPECT_EQ(f.findChild<QGroupBox*>(QStringLiteral("GroupBox4"))->title(), QStringLiteral(" [ Diğer Bilgiler ] "));

    // Menu.
    QStringList menus;
    for (QAction* a : f.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{QStringLiteral("Ayarlar"), QStringLiteral("İşlemler"), QStringLiteral("Hakkında")}));
    QStringList items;
    for (QAction* a : f.menuBar()->actions().first()->menu()->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(items, (QStringList{QStringLiteral("Kısayol Oluştur"), QStringLiteral("-"),
                                  QStringLiteral("Tesis Adını Değiştir"), QStringLiteral("-"), QStringLiteral("Çıkış")}));
    QStringList shortcuts;
    for (QAction* a : f.menuBar()->actions().first()->menu()->actions().first()->menu()->actions())
        shortcuts << a->text();
    EXPECT_EQ(shortcuts, (QStringList{QStringLiteral("Masaüstü'ne"), QStringLiteral("Hızlı Başlat Çubuğu'na")}));
    EXPECT_FALSE(f.renameFacilityAction->isEnabled());

    // Facility not set up: code display stays at its initial text.
    EXPECT_EQ(f.TesisKoduLed->digitCount(), 5);
    EXPECT_EQ(f.TesisKoduLed->text(), QStringLiteral("00000"));
    EXPECT_TRUE(f.TesisAdiLabel->text().isEmpty());
}

TEST(Startup, StatusBarClockTicksEverySecond)
{
    Started s;
    s.setUpFacility();
    s.fake.clock.set(QDateTime(QDate(2024, 3, 5), QTime(14, 5, 9)));
    s.start();
    ASSERT_TRUE(s.program);
    MainWindow& f = *s.program->mainWindow();
    EXPECT_EQ(f.StatusPanels[0]->text(), QStringLiteral("00.00.0000"));
    EXPECT_EQ(f.StatusPanels[1]->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(f.StatusPanels[2]->text(), QStringLiteral("v1.4.5"));
    EXPECT_TRUE(f.StatusPanels[3]->text().startsWith(QStringLiteral("E-Mail : ")));
    EXPECT_TRUE(f.StatusPanels[3]->text().contains(QStringLiteral("    Tel. : ")));
    EXPECT_EQ(f.clockTimer->interval(), 1000);
    EXPECT_TRUE(f.clockTimer->isActive());

    // At least its 155 pixels, and every date of the year fits without being
    // cut off; so do the other panels' texts.
    s.show();
    EXPECT_GE(f.StatusPanels[0]->width(), 155);
    const QFontMetrics metrics(f.StatusPanels[0]->font());
    for (QDate d(2028, 1, 1); d.year() == 2028; d = d.addDays(1))
        ASSERT_LE(metrics.horizontalAdvance(Formats::longDate(d)), f.StatusPanels[0]->contentsRect().width())
            << Formats::longDate(d).toStdString();
    for (int i = 1; i < 4; ++i)
        EXPECT_LE(QFontMetrics(f.StatusPanels[i]->font()).horizontalAdvance(f.StatusPanels[i]->text()),
                  f.StatusPanels[i]->contentsRect().width())
            << i;

    // The start-up pauses have moved the pinned clock on; pin it again.
    s.fake.clock.set(QDateTime(QDate(2024, 3, 5), QTime(14, 5, 9)));
    EXPECT_TRUE(waitFor([&] { return f.StatusPanels[1]->text() == QStringLiteral("14:05:09"); }, 3000))
        << f.StatusPanels[1]->text().toStdString();
    const QString expectedDate = QStringLiteral("05 ") + QLocale::system().monthName(3) + QStringLiteral(" 2024 ") +
                                 QLocale::system().dayName(2);
    EXPECT_EQ(f.StatusPanels[0]->text(), expectedDate);
    s.fake.clock.set(QDateTime(QDate(2024, 3, 5), QTime(23, 59, 58)));
    EXPECT_TRUE(waitFor([&] { return f.StatusPanels[1]->text() == QStringLiteral("23:59:58"); }, 3000));
}

TEST(Startup, SetUpFacilityIsShownAndItsMenuEnabled)
{
    Started s;
    s.setUpFacility(QStringLiteral("01234"), QStringLiteral("Otel Deniz"));
    s.start();
    ASSERT_TRUE(s.program);
    MainWindow& f = *s.program->mainWindow();
    EXPECT_TRUE(f.renameFacilityAction->isEnabled());
    EXPECT_EQ(f.TesisAdiLabel->text(), QStringLiteral("Otel Deniz"));
    EXPECT_EQ(f.TesisKoduLed->text(), QStringLiteral("01234"));
}

TEST(Startup, UnopenableDatabaseEndsWithAReason)
{
    Started s;
    QFile f(s.dir.databasePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(2048, 'z'));
    f.close();
    s.start();
    EXPECT_FALSE(s.program);
    EXPECT_EQ(s.exitCode, 1);
    ASSERT_EQ(s.fake.dialogs.messages.size(), 1);
    EXPECT_TRUE(s.fake.dialogs.messages[0].text.startsWith(QStringLiteral("Veritabanı açılamadı: ")));
    EXPECT_EQ(s.fake.dialogs.messages[0].icon, Dialogs::Icon::Error);
    EXPECT_EQ(fileHead(s.dir.databasePath(), 4096), QByteArray(2048, 'z'));
}

namespace {
// Runs the crash child's open of the register in dir as a user who may not
// write the register. Root writes any file whatever its mode, so there the
// child runs as nobody; null when neither way is open here.
std::unique_ptr<QProcess> openAsUserWithoutWriteAccess(const QString& dir)
{
    const QString child = QStringLiteral(RADADIR_CRASH_CHILD);
    const QStringList dropToNobody = {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                      QStringLiteral("--clear-groups"), QStringLiteral("--")};
    auto p = std::make_unique<QProcess>();
    QFile probe(QDir(dir).filePath(Database::kFileName));
    if (!probe.open(QIODevice::ReadWrite)) {
        p->start(child, {dir, QStringLiteral("open")});
    } else {
        probe.close();
        QProcess canDrop;
        canDrop.start(QStringLiteral("setpriv"), dropToNobody + QStringList{QStringLiteral("true")});
        if (!canDrop.waitForFinished(10000) || canDrop.exitStatus() != QProcess::NormalExit || canDrop.exitCode() != 0)
            return nullptr;
        p->start(QStringLiteral("setpriv"), dropToNobody + QStringList{child, dir, QStringLiteral("open")});
    }
    if (!p->waitForFinished(60000))
        p->kill();
    return p;
}
} // namespace

// A register the clerk's user cannot write (its mode, a read-only mount)
// would open for reading only and fail at the first save: the start refuses
// it, naming the file and the missing permission, and changes nothing.
TEST(Startup, ARegisterThatCannotBeWrittenIsRefusedAndLeftAsItIs)
{
    TestDir dir;
    {
        Database db(dir.databasePath());
        db.open();
        insertGuest(db, QStringLiteral("Misafir"));
    }
    const QFileDevice::Permissions readOnly =
        QFileDevice::ReadOwner | QFileDevice::ReadUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(dir.databasePath(), readOnly));
    ASSERT_TRUE(QFile::setPermissions(dir.path(), readOnly | QFileDevice::ExeOwner | QFileDevice::ExeUser |
                                                      QFileDevice::ExeGroup | QFileDevice::ExeOther |
                                                      QFileDevice::WriteOwner | QFileDevice::WriteUser));
    const QByteArray before = fileHead(dir.databasePath(), 1 << 20);
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);

    const std::unique_ptr<QProcess> child = openAsUserWithoutWriteAccess(dir.path());
    if (!child)
        GTEST_SKIP() << "running as root and setpriv cannot drop to the user nobody here";
    ASSERT_EQ(child->exitStatus(), QProcess::NormalExit) << child->readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(child->readAllStandardOutput()),
              QStringLiteral("Veritabanı açılamadı: %1\rBu dosyaya yazma izni yok: kayıtlar saklanamaz.")
                  .arg(QDir::toNativeSeparators(dir.databasePath())));
    EXPECT_EQ(child->exitCode(), 5);
    EXPECT_EQ(fileHead(dir.databasePath(), 1 << 20), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
}

// What the launcher could not make is shown with the reason, and the
// program ends.
TEST(Startup, ADataFolderTheLauncherCouldNotMakeIsReported)
{
    SKIP_ON_WINDOWS("the data folder under $HOME/.local/share is the Linux launcher's");
    TestDir dir;
    QFile file(dir.path(QStringLiteral("home-file")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const struct
    {
        QString folder;
        QString reason;
    } cases[] = {
        {dir.path(QStringLiteral("home-file/.local/share/RadaDIR")), QString::fromLocal8Bit(std::strerror(ENOTDIR))},
        {QStringLiteral("$HOME/.local/share/RadaDIR"), QStringLiteral("Ev klasörü (HOME) belirlenemedi.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        FakePlatform fake;
        EXPECT_NE(reportDataFolderFailure(fake.platform, c.folder), 0);
        ASSERT_EQ(fake.dialogs.messages.size(), 1);
        EXPECT_EQ(fake.dialogs.messages[0].icon, Dialogs::Icon::Error);
        EXPECT_EQ(fake.dialogs.messages[0].text,
                  QStringLiteral("Veri klasörü oluşturulamadı: %1\r%2").arg(c.folder, c.reason));
    }
}

TEST(Startup, AboutBoxOpensWithF1AndExitClosesTheWindow)
{
    Started s;
    s.setUpFacility();
    s.show();
    MainWindow& f = s.form();
    QTest::keyClick(&f, Qt::Key_F1);
    ASSERT_EQ(s.fake.dialogs.aboutBoxes.size(), 1);
    EXPECT_EQ(s.fake.dialogs.aboutBoxes[0][0], QStringLiteral("Rirede Zarevave Rurored v1.4.5"));
    f.quitAction->trigger();
    EXPECT_FALSE(f.isVisible());
}

// What the command line asks for other than a start is answered on the
// terminal, and in a message box where there is none (a shortcut on
// Windows); a refusal is also shown, since a shortcut's ini file may be the
// cause; the exit code says which.
TEST(Startup, TheCommandLineIsAnsweredOnTheTerminalOrInAMessageBox)
{
    using Action = StartOptions::Action;
    struct Case { Action action; bool terminal; std::optional<int> exit; QStringList written; int boxes; };
    const Case cases[] = {
        {Action::Print, true, 0, {u"out:T"_s}, 0},
        {Action::Print, false, 0, {u"out:T"_s}, 1},
        {Action::Refuse, true, StartOptions::kUsageExit, {u"err:T"_s}, 1},
        {Action::Refuse, false, StartOptions::kUsageExit, {u"err:T"_s}, 1},
        {Action::Start, true, std::nullopt, {}, 0},
        {Action::CopyToServer, true, std::nullopt, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.action) * 10 + int(c.terminal));
        ScriptedDialogs dialogs;
        StartOptions options;
        options.action = c.action;
        options.text = u"T"_s;
        QStringList written;
        const auto write = [&](const QString& text, Console::Stream stream) {
            written << (stream == Console::Stream::Output ? u"out:"_s : u"err:"_s) + text;
            return c.terminal;
        };
        EXPECT_EQ(answerCommandLine(options, dialogs, write), c.exit);
        EXPECT_EQ(written, c.written);
        ASSERT_EQ(dialogs.messages.size(), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(dialogs.messages[0].text, u"T"_s);
        }
    }
}

// The program itself prints its version on the terminal and ends, opening
// nothing: no register file appears in its working folder.
TEST(Startup, TheProgramPrintsItsVersionAndEnds)
{
    TestDir dir;
    QProcess program;
    program.setWorkingDirectory(dir.path());
    program.start(QStringLiteral(RADADIR_BINARY), {u"--version"_s});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    // One line, ended as the system's terminal ends lines.
    const QString lineEnd =
        QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows ? u"\r\n"_s : u"\n"_s;
    EXPECT_EQ(QString::fromUtf8(program.readAllStandardOutput()), kAppTitle + u' ' + kVersion + lineEnd);
    EXPECT_FALSE(QFile::exists(dir.databasePath()));
}

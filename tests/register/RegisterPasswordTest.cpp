// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"
#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "gui/register/PasswordWindow.h"
#include "core/register/RegisterPassword.h"
#include "core/transfer/Backups.h"
#include "gui/shell/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

using namespace Qt::StringLiterals;
namespace RP = RegisterPassword;

namespace {

const QString kNew = u"Çam-Ağacı 42"_s;

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A register with a few guests, closed.
struct Register : ::testing::Test
{
    TestDir dir;
    void SetUp() override
    {
        Database db(Database::kFileName);
        db.open();
        for (const QString& name : {u"Ayşe"_s, u"Bora"_s, u"Cem"_s})
            insertGuest(db, name);
    }
    bool opensWith(const QByteArray& key) const { return Database::opensWith(dir.databasePath(), key); }
};

} // namespace

TEST(RegisterPasswordRules, TheBoxesAreCheckedInOrder)
{
    TestDir dir;
    Database plain(Database::kFileName);
    Database own(Database::kFileName, RP::keyFor(u"eski-parola"_s));
    struct Case { const Database* db; QString current, next, again; std::optional<RP::Box> refused; };
    const Case cases[] = {
        {&plain, {}, u"12345678"_s, u"12345678"_s, std::nullopt},
        {&plain, {}, u"1234567"_s, u"1234567"_s, RP::Box::New},
        {&plain, {}, u"12345678"_s, u"12345679"_s, RP::Box::Again},
        {&plain, {}, {}, {}, std::nullopt},
        {&own, u"yanlış"_s, u"12345678"_s, u"12345678"_s, RP::Box::Current},
        {&own, u"eski-parola"_s, {}, {}, std::nullopt},
        {&own, u"eski-parola"_s, u"kısa"_s, u"kısa"_s, RP::Box::New},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.current + u'|' + c.next + u'|' + c.again).toStdString());
        const auto refusal = RP::check(*c.db, c.current, c.next, c.again);
        EXPECT_EQ(refusal ? std::optional(refusal->box) : std::nullopt, c.refused);
    }
    EXPECT_TRUE(RP::needsWarning(plain, u"12345678"_s));
    EXPECT_FALSE(RP::needsWarning(own, u"12345678"_s));
    EXPECT_EQ(RP::keyFor({}), Database::kPassword);
}

// Removing the password: a wrong current one is refused at its box; the
// right one brings back the built-in key, and what follows the register is
// given the old key before the clerk is told. With none set, removing
// closes the window without a word.
TEST_F(Register, RemovingThePasswordGoesBackToTheBuiltInKeyAndTheFollowersComeFirst)
{
    Database db(Database::kFileName);
    db.open();
    ASSERT_EQ(RP::change(db, kNew), std::nullopt);
    FakePlatform fake;
    QStringList order;
    const auto follow = [&](const QByteArray& oldKey) { order << (oldKey == RP::keyFor(kNew) ? u"old key"_s : u"?"_s); };

    const RP::Confirmation wrong = RP::confirm(db, fake.dialogs, u"yanlış"_s, {}, {}, follow);
    EXPECT_EQ(wrong.outcome, RP::Confirmed::Refused);
    EXPECT_EQ(wrong.box, RP::Box::Current);
    EXPECT_EQ(fake.dialogs.texts(), QStringList{RP::kWrongCurrent});
    EXPECT_TRUE(db.hasOwnPassword());

    fake.dialogs.clear();
    fake.dialogs.onNextMessage([&] { order << u"told"_s; });
    EXPECT_EQ(RP::confirm(db, fake.dialogs, kNew, {}, {}, follow).outcome, RP::Confirmed::Done);
    EXPECT_EQ(order, (QStringList{u"old key"_s, u"told"_s}));
    EXPECT_EQ(fake.dialogs.texts(), QStringList{RP::kRemoved});
    EXPECT_FALSE(db.hasOwnPassword());
    EXPECT_TRUE(opensWith(Database::kPassword));

    fake.dialogs.clear();
    EXPECT_EQ(RP::confirm(db, fake.dialogs, {}, {}, {}, follow).outcome, RP::Confirmed::Done);
    EXPECT_TRUE(fake.dialogs.texts().isEmpty());
    EXPECT_EQ(order.size(), 2);
}

TEST_F(Register, ASetPasswordIsAskedAtStartThreeTimesAtMost)
{
    {
        Database db(Database::kFileName);
        db.open();
        ASSERT_EQ(RP::change(db, kNew), std::nullopt);
        EXPECT_TRUE(db.hasOwnPassword());
        EXPECT_EQ(db.count(u"Kisi"_s), 3);
    }
    EXPECT_TRUE(opensWith(kNew.toUtf8()));
    EXPECT_FALSE(opensWith(Database::kPassword));

    // Right at the second try.
    FakePlatform fake;
    {
        Database db(Database::kFileName);
        fake.dialogs.setNextInput(u"yanlış parola"_s);
        fake.dialogs.setNextInput(kNew);
        RP::openAsking(db, fake.dialogs);
        EXPECT_EQ(db.count(u"Kisi"_s), 3);
        EXPECT_EQ(fake.dialogs.texts(), QStringList{u"Parola yanlış."_s});
        ASSERT_EQ(fake.dialogs.inputRequests.size(), 2);
        EXPECT_EQ(fake.dialogs.inputRequests[0][0], u"Kayıt Parolası"_s);
    }

    // Wrong three times: the program ends and the file is as it was.
    const QByteArray before = bytesOf(dir.databasePath());
    fake.dialogs.clear();
    Database db(Database::kFileName);
    for (int i = 0; i < 3; ++i)
        fake.dialogs.setNextInput(u"yanlış %1"_s.arg(i));
    try {
        RP::openAsking(db, fake.dialogs);
        ADD_FAILURE() << "opened with a wrong password";
    } catch (const DatabaseOpenError& e) {
        EXPECT_EQ(e.text(), u"Kayıt dosyası açılamadı: "_s + QDir::toNativeSeparators(dir.databasePath()) +
                                u"\rParola yanlış ya da dosya bir kayıt dosyası değil."_s);
    }
    EXPECT_EQ(fake.dialogs.texts(), (QStringList{u"Parola yanlış."_s, u"Parola yanlış."_s}));
    EXPECT_EQ(bytesOf(dir.databasePath()), before);

    // Removed again: the register opens without a question.
    Database again(Database::kFileName, kNew.toUtf8());
    again.open(Database::Missing::Refuse);
    ASSERT_EQ(RP::change(again, QString()), std::nullopt);
    EXPECT_FALSE(again.hasOwnPassword());
    EXPECT_TRUE(opensWith(Database::kPassword));
    EXPECT_FALSE(opensWith(kNew.toUtf8()));
}

TEST_F(Register, AChangeTheFileRefusesKeepsTheOldPasswordAndAWorkingConnection)
{
    Database db(Database::kFileName);
    db.open();
    // Another reader holds the file: the rewrite cannot take it.
    Database reader(Database::kFileName);
    reader.open();
    reader.begin();
    reader.column(u"SELECT count(*) FROM Kisi"_s);
    const std::optional<QString> failed = RP::change(db, kNew);
    reader.rollback();
    ASSERT_TRUE(failed);
    EXPECT_TRUE(failed->startsWith(u"Parola değiştirilemedi: "_s)) << failed->toStdString();
    EXPECT_FALSE(db.hasOwnPassword());
    EXPECT_TRUE(opensWith(Database::kPassword));
    EXPECT_FALSE(opensWith(kNew.toUtf8()));
    EXPECT_EQ(db.count(u"Kisi"_s), 3);
    insertGuest(db, u"Dora"_s);
    EXPECT_EQ(db.count(u"Kisi"_s), 4);
}

TEST_F(Register, KilledWhileChangingTheRegisterOpensWithExactlyOneKey)
{
    {
        Database db(Database::kFileName);
        db.open();
        db.begin();
        for (int i = 0; i < 3000; ++i)
            insertGuest(db, u"Misafir %1"_s.arg(i));
        db.commit();
    }
    const QByteArray other = QByteArrayLiteral("parola-12345");
    for (int delay : {5, 20, 45, 80, 130, 200}) {
        SCOPED_TRACE(delay);
        QProcess child;
        child.start(QStringLiteral(RADADIR_CRASH_CHILD), {dir.path(), u"rekey"_s});
        ASSERT_TRUE(child.waitForReadyRead(20000));
        QThread::msleep(delay);
        child.kill();
        child.waitForFinished();
        // Opened as the start opens it: the built-in key first, and a key
        // refused as such (so that the password is asked for), never as a
        // damaged file. The first connection that writes rolls a change cut
        // short back.
        Database db(Database::kFileName);
        try {
            db.open(Database::Missing::Refuse);
        } catch (const DatabaseOpenError& e) {
            ASSERT_TRUE(e.wrongKey()) << e.text().toStdString();
            db.setPassword(other);
            db.open(Database::Missing::Refuse);
        }
        EXPECT_EQ(db.integrityCheck(), u"ok"_s);
        EXPECT_EQ(db.count(u"Kisi"_s), 3003);
        EXPECT_NE(opensWith(Database::kPassword), opensWith(other));
    }
}

TEST_F(Register, AJournalLeftByAKillIsRolledBackByEveryReadOfTheKey)
{
    // A connection killed half-way through a change leaves the file and a
    // journal naming the pages it changed: made here by copying both while
    // a large change is under way, its pages spilt to the file.
    const QString copy = dir.path(u"kopya"_s);
    ASSERT_TRUE(QDir().mkpath(copy));
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(dir.databasePath()).constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        sqlite3_key(db, Database::kPassword.constData(), int(Database::kPassword.size()));
        ASSERT_EQ(sqlite3_exec(db,
                               "BEGIN; UPDATE Kisi SET ADI = 'Değişti';"
                               "CREATE TABLE Dolgu AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                               "WHERE i < 6000) SELECT randomblob(1000) AS b FROM n;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        ASSERT_GT(QFileInfo(dir.databasePath() + u"-journal"_s).size(), 0);
        for (const QString& suffix : {QString(), u"-journal"_s})
            ASSERT_TRUE(QFile::copy(dir.databasePath() + suffix, copy + u"/orijinal.dve"_s + suffix));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const QByteArray other = QByteArrayLiteral("parola-12345");
    struct Case { const char* what; std::function<bool(const QString&)> read; };
    const Case cases[] = {
        {"the key's check", [](const QString& f) { return Database::opensWith(f, Database::kPassword); }},
        {"another key's check first",
         [&](const QString& f) { return !Database::opensWith(f, other) && Database::opensWith(f, Database::kPassword); }},
        {"the first page's check", [](const QString& f) { return Database::firstPageOpensWith(f, Database::kPassword); }},
        {"a connection for reading",
         [](const QString& f) {
             Database db(f);
             db.openForReading();
             return db.count(u"Kisi"_s) == 3;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = copy + u"/kayit.dve"_s;
        for (const QString& suffix : {QString(), u"-journal"_s}) {
            QFile::remove(file + suffix);
            ASSERT_TRUE(QFile::copy(copy + u"/orijinal.dve"_s + suffix, file + suffix));
        }
        EXPECT_TRUE(c.read(file));
        // The change cut short is undone, not half kept.
        Database db(file);
        db.openForReading();
        EXPECT_EQ(db.integrityCheck(), u"ok"_s);
        EXPECT_EQ(db.column(u"SELECT ADI FROM Kisi ORDER BY ADI"_s), (QList<QVariant>{u"Ayşe"_s, u"Bora"_s, u"Cem"_s}));
        EXPECT_TRUE(db.column(u"SELECT name FROM sqlite_master WHERE name = 'Dolgu'"_s).isEmpty());
    }
}

TEST(PasswordWindow, EnterGoesFromBoxToBoxAndAFirstPasswordIsAskedAbout)
{
    ProgramFixture p;
    p.setUpFacility();
    p.show();
    struct Step { Dialogs::Button answer; bool set; };
    for (const Step& step : {Step{Dialogs::Hayir, false}, Step{Dialogs::Evet, true}}) {
        SCOPED_TRACE(step.set);
        p.dialogs().clear();
        p.dialogs().setNextAnswer(step.answer);
        bool shown = false;
        onNextModal([&](QDialog* d) {
            auto* w = qobject_cast<PasswordWindow*>(d);
            if (!w) {
                d->reject();
                return;
            }
            shown = true;
            EXPECT_EQ(w->windowTitle(), u"Kayıt Parolasını Değiştir"_s);
            EXPECT_EQ(w->CurrentPassword, nullptr);
            ASSERT_TRUE(focusOn(w->NewPassword));
            typeText(w->NewPassword, kNew);
            QTest::keyClick(w->NewPassword, Qt::Key_Return);
            EXPECT_TRUE(w->NewPasswordAgain->hasFocus());
            typeText(w->NewPasswordAgain, kNew);
            QTest::keyClick(w->NewPasswordAgain, Qt::Key_Return);
            if (w->isVisible())
                w->reject();
        });
        // The clerk is told once the backups have followed the register too.
        bool backupsFollowedWhenTold = false;
        if (step.set) {
            p.dialogs().onNextMessage([] {});
            p.dialogs().onNextMessage([&] {
                const QList<Backups::Entry> made = p.program->backups()->list(kNew.toUtf8());
                backupsFollowedWhenTold = !made.isEmpty() && std::all_of(made.begin(), made.end(), [](const auto& e) {
                    return e.opensWithKey && !Database::opensWith(e.path, Database::kPassword);
                });
            });
        }
        p.form().passwordAction->trigger();
        EXPECT_TRUE(shown);
        EXPECT_EQ(backupsFollowedWhenTold, step.set);
        ASSERT_FALSE(p.dialogs().messages.isEmpty());
        EXPECT_EQ(p.dialogs().messages[0].text, RP::kFirstWarning);
        EXPECT_EQ(p.dialogs().messages[0].defaultButton, Dialogs::Hayir);
        EXPECT_EQ(p.program->database().hasOwnPassword(), step.set);
    }
    EXPECT_EQ(p.dialogs().texts().last(), u"Kayıt parolası değiştirildi."_s);
    EXPECT_TRUE(Database::opensWith(p.program->database().filePath(), kNew.toUtf8()));
    // The day's backup, taken at the start, followed the register, its
    // progress shown.
    const QList<Backups::Entry> backups = p.program->backups()->list(kNew.toUtf8());
    ASSERT_FALSE(backups.isEmpty());
    for (const Backups::Entry& e : backups) {
        EXPECT_TRUE(e.opensWithKey) << e.path.toStdString();
        EXPECT_FALSE(Database::opensWith(e.path, Database::kPassword)) << e.path.toStdString();
    }
    ASSERT_FALSE(p.dialogs().works.isEmpty());
    EXPECT_EQ(p.dialogs().works.last().text, u"Yedekler yeni parolayla şifreleniyor..."_s);
}

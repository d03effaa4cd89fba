// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "core/register/Schema.h"
#include "core/transfer/Compaction.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every table's row count, read through a connection of its own.
QList<int> counts(const QString& path)
{
    Database db(path);
    db.open(Database::Missing::Refuse);
    QList<int> out;
    for (const TableDef* t : Schema::allTables())
        out << db.count(t->name);
    return out;
}

struct CompactionFixture : ::testing::Test
{
    TestDir dir;
    ScriptedDialogs dialogs;
    FaultyFileSystem fs;
    Database db{Database::kFileName};
    QList<int> before;

    void SetUp() override
    {
        db.open();
        Store::Transaction tx = db.transaction();
        for (int i = 0; i < 300; ++i)
            insertGuest(db, QStringLiteral("Misafir %1").arg(i), i % 2 == 0);
        tx.commit();
        // Deleted rows leave space for the compaction to give back.
        db.exec(QStringLiteral("DELETE FROM Kisi WHERE ID % 3 = 0"));
        before = counts(dir.databasePath());
    }
    QString dvb() const { return dir.path(QStringLiteral("radadir.dvb")); }
};

} // namespace

TEST_F(CompactionFixture, AFileSystemWithoutModesDoesNotFailIt)
{
    fs.before = [](FaultyFileSystem::Op op, const QString&) { return op != FaultyFileSystem::Op::Mode; };
    Compaction c(db, fs, dialogs);
    EXPECT_TRUE(c.compactRegister());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(QFile::exists(dvb()));
    db.close();
    EXPECT_EQ(counts(dir.databasePath()), before);
}

TEST_F(CompactionFixture, ReplacesTheLiveFileWithACheckedSmallerCopy)
{
    const qint64 sizeBefore = QFileInfo(dir.databasePath()).size();
    // A copy left by an earlier run is not taken for this one's.
    QFile stale(dvb());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("stale");
    stale.close();
    // The save dialog may have left another directory current.
    TestDir elsewhere;

    Compaction c(db, fs, dialogs);
    c.compactRegister();

    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(db.isOpen());
    EXPECT_EQ(db.count(QStringLiteral("Kisi")), before[0]);
    EXPECT_FALSE(QFile::exists(dvb()));
    EXPECT_FALSE(QFile::exists(elsewhere.path(QStringLiteral("radadir.dvb"))));
    EXPECT_LT(QFileInfo(dir.databasePath()).size(), sizeBefore);
    EXPECT_NE(fileHead(dir.databasePath()), QByteArray("SQLite format 3\0", 16));
    db.close();
    EXPECT_EQ(counts(dir.databasePath()), before);
}

TEST_F(CompactionFixture, AFailureAtAnyStepLeavesTheLiveFileAsItWas)
{
    struct Case
    {
        const char* name;
        std::function<void(Compaction&)> arrange;
    };
    const QString copy = dvb();
    const Case cases[] = {
        {"stale copy cannot be removed",
         [&](Compaction&) {
             QFile f(copy);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write("stale");
             f.close();
             fs.before = [](FaultyFileSystem::Op op, const QString&) { return op != FaultyFileSystem::Op::Remove; };
         }},
        {"export fails", [](Compaction& c) { c.beforeStep = [](Compaction::Step s) { return s != Compaction::Step::Export; }; }},
        {"copy is damaged",
         [&](Compaction& c) {
             c.beforeStep = [&](Compaction::Step s) {
                 if (s == Compaction::Step::Verify) {
                     QFile f(copy);
                     EXPECT_TRUE(f.open(QIODevice::ReadWrite));
                     f.seek(f.size() / 2);
                     f.write(QByteArray(4096, '\x5a'));
                 }
                 return true;
             };
         }},
        {"copy is truncated",
         [&](Compaction& c) {
             c.beforeStep = [&](Compaction::Step s) {
                 if (s == Compaction::Step::Verify) {
                     EXPECT_TRUE(QFile::resize(copy, QFileInfo(copy).size() / 3));
                 }
                 return true;
             };
         }},
        {"rename fails", [&](Compaction&) {
             fs.before = [](FaultyFileSystem::Op op, const QString&) { return op != FaultyFileSystem::Op::Replace; };
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const QByteArray liveBytes = readAll(dir.databasePath());
        dialogs.clear();
        fs.before = nullptr;
        Compaction c(db, fs, dialogs);
        k.arrange(c);
        c.compactRegister();
        fs.before = nullptr;

        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("Error"));
        EXPECT_EQ(dialogs.messages[0].text,
                  QString::fromUtf8("Veri Tabanı Onarımınında Hata Oluştu.\rLütfen Program Satıcınız İle Temasa Geçiniz!"));
        EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Error);
        EXPECT_TRUE(db.isOpen());
        EXPECT_EQ(db.count(QStringLiteral("Kisi")), before[0]);
        db.close();
        EXPECT_EQ(readAll(dir.databasePath()), liveBytes);
        EXPECT_EQ(counts(dir.databasePath()), before);
        db.open();
        QFile::remove(copy);
    }
}

TEST_F(CompactionFixture, AutoNumbersAreNotReusedAfterACompaction)
{
    const qint64 highest = db.column(QStringLiteral("SELECT max(ID) FROM Kisi")).value(0).toLongLong();
    db.remove(QStringLiteral("Kisi"), {highest});
    Compaction c(db, fs, dialogs);
    c.compactRegister();
    ASSERT_TRUE(dialogs.messages.isEmpty());
    EXPECT_GT(insertGuest(db, QStringLiteral("Yeni")), highest);
}

TEST_F(CompactionFixture, ReopenRefusesToCreateAnEmptyDatabase)
{
    Compaction c(db, fs, dialogs);
    // Something else takes the live file away between compaction and reopen.
    fs.before = [&](FaultyFileSystem::Op op, const QString&) {
        if (op == FaultyFileSystem::Op::Replace)
            QFile::remove(dir.databasePath());
        return op != FaultyFileSystem::Op::Replace;
    };
    EXPECT_THROW(c.compactRegister(), DatabaseOpenError);
    EXPECT_FALSE(QFile::exists(dir.databasePath()));
}

TEST_F(CompactionFixture, AProcessKilledDuringCompactionLosesNothing)
{
    db.close();
    const QString child = QStringLiteral(RADADIR_CRASH_CHILD);
    for (const char* step : {"RemoveStale", "Export", "Verify", "Replace"}) {
        SCOPED_TRACE(step);
        QProcess p;
        p.start(child, {dir.path(), QString::fromLatin1(step)});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 9);
        EXPECT_EQ(counts(dir.databasePath()), before);
    }
    // Killed at arbitrary moments while compacting again and again.
    for (int i = 0; i < 6; ++i) {
        QProcess p;
        p.start(child, {dir.path(), QStringLiteral("loop")});
        ASSERT_TRUE(p.waitForReadyRead(30000));
        QThread::msleep(20 + QRandomGenerator::global()->bounded(300));
        p.kill();
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(counts(dir.databasePath()), before) << "kill " << i;
    }
    // The next compaction clears whatever a killed one left behind.
    db.open();
    Compaction c(db, fs, dialogs);
    c.compactRegister();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(QFile::exists(dvb()));
}

// A register reached through a symbolic link: the copy is made beside the
// file itself and renamed over it, so the link stays a link to the one
// compacted register, and rows written afterwards land in that file.
TEST(Compaction, ARegisterReachedThroughALinkStaysOneFile)
{
    SKIP_ON_WINDOWS("QFile::link makes a shell link on Windows, no symbolic link a register could be opened through");
    TestDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.path(QStringLiteral("elsewhere"))));
    const QString real = dir.path(QStringLiteral("elsewhere/radadir.dve"));
    // The link comes first: the register is made through it.
    ASSERT_TRUE(QFile::link(real, dir.databasePath()));
    Database db(Database::kFileName);
    db.open();
    Store::Transaction tx = db.transaction();
    for (int i = 0; i < 50; ++i)
        insertGuest(db, QStringLiteral("Misafir %1").arg(i));
    tx.commit();
    db.exec(QStringLiteral("DELETE FROM Kisi WHERE ID % 2 = 0"));
    ScriptedDialogs dialogs;
    FaultyFileSystem fs;
    Compaction c(db, fs, dialogs);

    EXPECT_TRUE(c.compactRegister());
    insertGuest(db, QStringLiteral("Sonra"));
    db.close();

    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(QFileInfo(dir.databasePath()).isSymLink());
    EXPECT_EQ(QFileInfo(dir.databasePath()).symLinkTarget(), real);
    EXPECT_EQ(counts(real)[0], 26);
    EXPECT_FALSE(QFile::exists(dir.path(QStringLiteral("radadir.dvb"))));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "core/transfer/Backups.h"
#include "core/transfer/Compaction.h"

#include <QDirIterator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kOwnKey = "Ihlamur 1923"_ba;

// Every file under the folder with its bytes, by its path inside.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        files.insert(path.mid(folder.size()), f.open(QIODevice::ReadOnly) ? f.readAll() : "unreadable"_ba);
    }
    return files;
}

// A register of some size with two backups: one past keeping, which a
// backup that goes through deletes, and one under the built-in key, which
// the register's own password no longer opens.
void makeRegister()
{
    const QDateTime now{QDate(2026, 12, 10), QTime(10, 0, 0)};
    ManualClock clock{now.addDays(-31)};
    LocalFileSystem fs;
    Database db{Database::kFileName};
    Backups backups{db, fs, clock};
    db.open();
    Store::Transaction tx = db.transaction();
    for (int i = 0; i < 500; ++i)
        insertGuest(db, u"Misafir %1"_s.arg(i), i % 2 == 0);
    tx.commit();
    (void)backups.make();
    clock.set(now.addDays(-1));
    (void)backups.make();
    db.exec(u"DELETE FROM Kisi WHERE ID % 3 = 0"_s);
    db.rekey(kOwnKey);
}

// A copy of the register made once, open, in a folder of its own.
struct Register
{
    TestDir dir;
    ManualClock clock{QDateTime(QDate(2026, 12, 10), QTime(10, 0, 0))};
    FaultyFileSystem fs;
    ScriptedDialogs dialogs;
    Database db{Database::kFileName, kOwnKey};
    Backups backups{db, fs, clock};
    Compaction compaction{db, fs, dialogs};

    explicit Register(const QString& original)
    {
        QDirIterator it(original, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to = dir.path(from.mid(original.size() + 1));
            QDir().mkpath(QFileInfo(to).path());
            QFile::copy(from, to);
        }
        db.open(Database::Missing::Refuse);
        backups.setDialogs(&dialogs);
    }
};

enum class Outcome { Done, Abandoned, Failed };

struct Abandonable
{
    const char* name;
    std::function<Outcome(Register&)> run;
};

// A backup and a restore throw when abandoned; a compaction, a step of a
// run or a destruction, answers false without a message.
Outcome thrown(const std::function<std::optional<QString>()>& work)
{
    try {
        return work() ? Outcome::Failed : Outcome::Done;
    } catch (const WorkAbandoned&) {
        return Outcome::Abandoned;
    }
}

const Abandonable kAbandonable[] = {
    {"backup", [](Register& r) { return thrown([&] { return r.backups.make(); }); }},
    {"restore under another key",
     [](Register& r) {
         const Backups::Entry newest = r.backups.list(Database::kPassword).value(0);
         return thrown([&] { return r.backups.restore(newest, Database::kPassword); });
     }},
    {"compaction",
     [](Register& r) {
         if (r.compaction.compactRegister())
             return Outcome::Done;
         return r.dialogs.messages.isEmpty() ? Outcome::Abandoned : Outcome::Failed;
     }},
};

} // namespace

// "İptal" at any moment before the work's last step leaves the register and
// the backup folder byte for byte as they were, says nothing, and the
// register stays open; once the last step is reached the work goes through.
TEST(Abandoning, LeavesTheRegisterAndTheBackupsAsTheyWere)
{
    TestDir original;
    makeRegister();
    for (const Abandonable& work : kAbandonable) {
        SCOPED_TRACE(work.name);
        // How often the work asks whether to go on, when nobody stops it.
        int asked = 0;
        {
            Register r(original.path());
            r.dialogs.duringWork = [&asked](const QString&) { ++asked; };
            ASSERT_EQ(work.run(r), Outcome::Done);
            ASSERT_EQ(r.dialogs.works.size(), 1);
        }
        ASSERT_GT(asked, 10);
        int abandoned = 0;
        for (int at : {1, 2, asked / 4, asked / 2, asked * 3 / 4, asked - 1, asked}) {
            SCOPED_TRACE(at);
            Register r(original.path());
            const QMap<QString, QByteArray> before = snapshot(r.dir.path());
            r.dialogs.cancelNextWorkAt(at);
            const Outcome outcome = work.run(r);
            if (outcome == Outcome::Abandoned) {
                ++abandoned;
                EXPECT_EQ(snapshot(r.dir.path()), before);
                EXPECT_EQ(r.dialogs.messages.size(), 0);
                EXPECT_TRUE(r.db.isOpen());
                EXPECT_GT(r.db.count(u"Kisi"_s), 0);
            } else {
                // Abandoned after its last step: done all the same.
                EXPECT_EQ(outcome, Outcome::Done);
                EXPECT_GE(at, asked / 2);
            }
        }
        EXPECT_GE(abandoned, 4);
    }
}

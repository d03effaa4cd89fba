// SPDX-License-Identifier: GPL-3.0-or-later
// A process that works on the register in the given directory and dies on
// purpose, for the tests of what survives a crash:
//   RemoveStale, Export, Verify, Replace: compacts and dies at that step;
//   loop: compacts again and again until it is killed;
//   hold: takes the register's lock and waits until it is killed;
//   open: opens the register as the program's start does and prints "opened"
//   or the reason it was refused (exit code 5);
//   Written, Purging: runs a transfer into kbs.xml and dies once the file is
//   written, or inside the purge before it commits;
//   rekey: changes the register's key back and forth between the built-in
//   one and "parola-12345" until it is killed;
//   reencrypt: the same, each change followed by its backups' (in
//   "Yedekler" beside the register).
#include "core/register/Database.h"
#include "core/register/Tables.h"
#include "core/transfer/Backups.h"
#include "core/transfer/Compaction.h"
#include "core/transfer/TransferRun.h"
#include "doubles/FakePlatform.h"
#include "platform/core/RegisterLock.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString mode = QString::fromLocal8Bit(argv[2]);
    if (mode == QStringLiteral("hold")) {
        RegisterLock lock(QDir(dir).filePath(Database::kFileName));
        if (lock.acquire() != RegisterLock::Result::Acquired)
            return 4;
        std::puts("ready");
        std::fflush(stdout);
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    Database db(QDir(dir).filePath(Database::kFileName));
    if (mode == QStringLiteral("open")) {
        try {
            db.open();
        } catch (const DatabaseOpenError& e) {
            std::fputs(e.text().toUtf8().constData(), stdout);
            return 5;
        }
        std::fputs("opened", stdout);
        return 0;
    }
    if (mode == QStringLiteral("rekey") || mode == QStringLiteral("reencrypt")) {
        const QByteArray other = QByteArrayLiteral("parola-12345");
        // A kill may leave a journal behind, which only a writable
        // connection under the right key rolls back: each key is tried so.
        try {
            db.open(Database::Missing::Refuse);
        } catch (const DatabaseOpenError&) {
            db.setPassword(other);
            db.open(Database::Missing::Refuse);
        }
        FakePlatform fake;
        Backups backups(db, fake.fs, fake.clock);
        std::puts("ready");
        std::fflush(stdout);
        for (;;) {
            const QByteArray old = db.password();
            db.rekey(db.hasOwnPassword() ? Database::kPassword : other);
            if (mode == QStringLiteral("reencrypt"))
                backups.reencrypt(old);
        }
    }
    db.open(Database::Missing::Refuse);
    FakePlatform fake;
    Compaction compaction(db, fake.fs, fake.dialogs);
    if (mode == QStringLiteral("Written") || mode == QStringLiteral("Purging")) {
        Tables tables(db, fake.clock, fake.dialogs);
        tables.openAll();
        TransferRun run(fake.platform, db, tables, &compaction, [] { return QStringLiteral("12345"); });
        run.onStep = [&](TransferRun::Step step) {
            if ((step == TransferRun::Step::Written) == (mode == QStringLiteral("Written")))
                std::_Exit(9);
        };
        run.runTo(QDir(dir).filePath(QStringLiteral("kbs.xml")));
        return 0;
    }
    const char* names[] = {"RemoveStale", "Export", "Verify", "Replace"};
    compaction.beforeStep = [&](Compaction::Step step) {
        if (mode == QString::fromLatin1(names[int(step)]))
            std::_Exit(9);
        return true;
    };
    std::puts("ready");
    std::fflush(stdout);
    do {
        compaction.compactRegister();
        if (!fake.dialogs.messages.isEmpty())
            return 3;
    } while (mode == QStringLiteral("loop"));
    return 0;
}

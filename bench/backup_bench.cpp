// SPDX-License-Identifier: GPL-3.0-or-later
// A backup and a password change on a register of 100,000 guests and
// 100,000 customers, each against what the sqlcipher tool needs for the same
// work in the same run: exporting the register into an attached encrypted
// copy, and its own rekey of a copy of the register. Targets: at most 1.5
// times the tool's time for each. Best of three, the program's and the
// tool's rounds taking turns.

#include "BenchRegister.h"
#include "doubles/ManualClock.h"
#include "platform/core/FileSystem.h"
#include "core/register/Database.h"
#include "core/transfer/Backups.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRounds = 3;
const QByteArray kOwnKey = QByteArrayLiteral("Deniz Feneri 1954");

QByteArray quoted(const QByteArray& key)
{
    return "'" + key + "'";
}

double ratio(qint64 a, qint64 b)
{
    return double(a) / double(std::max<qint64>(1, b));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    makeRegister(Database::kFileName, 100000, 100000);
    const QString toolCopy = dir.filePath(QStringLiteral("tool.dve"));
    const QString toolExport = dir.filePath(QStringLiteral("tool-export.dve"));
    QFile::copy(Database::kFileName, toolCopy);
    std::printf("register: %lld bytes\n", static_cast<long long>(QFileInfo(Database::kFileName).size()));

    Database db(Database::kFileName);
    db.open();
    LocalFileSystem fs;
    ManualClock clock;
    Backups backups(db, fs, clock);

    qint64 backupMs = 0, exportMs = 0, rekeyMs = 0, toolRekeyMs = 0;
    for (int round = 0; round < kRounds; ++round) {
        clock.advanceSeconds(3600);
        QElapsedTimer timer;
        timer.start();
        if (const std::optional<QString> failure = backups.make())
            std::fprintf(stderr, "backup failed: %s\n", qPrintable(*failure));
        const qint64 b = timer.elapsed();
        backupMs = round == 0 ? b : std::min(backupMs, b);

        QFile::remove(toolExport);
        const qint64 e = sqlcipherToolMs(toolCopy, "PRAGMA key = " + quoted(Database::kPassword) + ";\nATTACH DATABASE '" +
                                            QFile::encodeName(toolExport) + "' AS copy KEY " +
                                            quoted(Database::kPassword) +
                                            ";\nSELECT sqlcipher_export('copy');\nDETACH DATABASE copy;\n");
        exportMs = round == 0 ? e : std::min(exportMs, e);
    }
    for (int round = 0; round < kRounds; ++round) {
        // Back and forth between the built-in key and a password of its own.
        const QByteArray from = round % 2 == 0 ? Database::kPassword : kOwnKey;
        const QByteArray to = round % 2 == 0 ? kOwnKey : Database::kPassword;
        QElapsedTimer timer;
        timer.start();
        db.rekey(to);
        const qint64 r = timer.elapsed();
        rekeyMs = round == 0 ? r : std::min(rekeyMs, r);

        const qint64 t = sqlcipherToolMs(toolCopy, "PRAGMA key = " + quoted(from) + ";\nSELECT count(*) FROM sqlite_master;\n"
                                        "PRAGMA rekey = " + quoted(to) + ";\n");
        toolRekeyMs = round == 0 ? t : std::min(toolRekeyMs, t);
    }
    if (!Database::opensWith(toolCopy, db.password()))
        std::fprintf(stderr, "the tool's copy did not end with the register's key\n");

    std::printf("backup (export, check, sync, rename): %lld ms; sqlcipher export into an attached copy: %lld ms; "
                "ratio %.2f (target at most 1.5)\n",
                static_cast<long long>(backupMs), static_cast<long long>(exportMs), ratio(backupMs, exportMs));
    std::printf("password change (rekey, proven by fresh opens): %lld ms; sqlcipher PRAGMA rekey: %lld ms; "
                "ratio %.2f (target at most 1.5)\n",
                static_cast<long long>(rekeyMs), static_cast<long long>(toolRekeyMs), ratio(rekeyMs, toolRekeyMs));
    db.close();
    QDir::setCurrent(QDir::tempPath());
    return 0;
}

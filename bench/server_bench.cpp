// SPDX-License-Identifier: GPL-3.0-or-later
// The register on a PostgreSQL server, 100,000 guests (half of them
// departed) and 100,000 customers, on a server started from Debian's
// package on a Unix socket (scripts/pg-test-server.sh).
// Targets, each against psql in the same run:
// - the whole transfer run without dialogs (the current rows read, the file
//   composed, written with fsync and hashed, the departed purged at their
//   versions) at most 1.5 times psql reading every guest row, deleting the
//   departed in one statement and writing the rows to a file with \copy;
// - start-up (connect, check the tables, open every table) at most 1.5
//   times psql reading both large tables.
// psql's \copy alone (the server's fastest way out) is shown beside them.
// Then a destruction (an erasure of 50,000 customers) while a second desk
// counts and adds customers every 20 ms: what it took, whether the rewrite
// was done, and how long the second desk's calls waited; once more while
// the second desk holds the customer table in a transaction, and the
// rewrite done afterwards.

#include "BenchRegister.h"

#include "core/customers/CustomerDestruction.h"
#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/PgStore.h"
#include "core/register/Schema.h"
#include "core/register/ServerCopy.h"
#include "core/register/Tables.h"
#include "core/transfer/TransferRun.h"
#include "doubles/FakePlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

namespace {

QString g_socketDir;

QString connection(const QString& database)
{
    return QStringLiteral("host=%1 user=radadir dbname=%2").arg(g_socketDir, database);
}

QString psqlPath()
{
    QDir lib(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = lib.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    return versions.isEmpty() ? QStringLiteral("psql") : lib.filePath(versions.last() + QStringLiteral("/bin/psql"));
}

// psql with these commands on a database; the time it took.
qint64 psql(const QString& database, const QStringList& commands)
{
    QStringList args{QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                     QStringLiteral("-o"), QStringLiteral("/dev/null"), connection(database)};
    for (const QString& c : commands)
        args << QStringLiteral("-c") << c;
    QProcess p;
    QElapsedTimer timer;
    timer.start();
    p.start(psqlPath(), args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        std::fprintf(stderr, "psql failed: %s\n", p.readAllStandardError().constData());
    return timer.elapsed();
}

// A database of its own for one measurement, copied from the filled one.
QString copyOf(const QString& database, int n)
{
    const QString name = QStringLiteral("b%1").arg(n);
    psql(QStringLiteral("postgres"), {QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(name, database)});
    return name;
}

qint64 median(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // "--destruction" measures the destruction alone.
    const bool destructionOnly = app.arguments().contains(QStringLiteral("--destruction"));
    QTemporaryDir dir;
    // The server runs as another user when this runs as root: it must pass
    // through the folder to its own.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup |
                                          QFile::ExeOther);
    g_socketDir = dir.filePath(QStringLiteral("pg"));
    QProcess server;
    server.start(QStringLiteral(RADADIR_PG_SCRIPT),
                 {QStringLiteral("start"), g_socketDir, QString::number(QCoreApplication::applicationPid())});
    if (!server.waitForFinished(120000) || server.exitCode() != 0) {
        std::fprintf(stderr, "the server did not start: %s\n", server.readAllStandardError().constData());
        return 1;
    }

    // The register made as a file, then moved to the server as a facility would.
    {
        Database file(dir.filePath(QStringLiteral("radadir.dve")));
        file.open();
        fillRegister(file, 100000, 100000);
        PgStore target(connection(QStringLiteral("radadir")));
        ServerCopy::copy(file, target);
    }
    psql(QStringLiteral("radadir"), {QStringLiteral("VACUUM ANALYZE")});
    int made = 0;

    // Start-up: connect, check the tables and open them all.
    std::vector<qint64> startup, startupFloor, startupCopy;
    for (int i = 0; i < (destructionOnly ? 0 : 5); ++i) {
        FakePlatform fake;
        QElapsedTimer timer;
        timer.start();
        PgStore store(connection(QStringLiteral("radadir")));
        store.open();
        Tables tables(store, fake.clock, fake.dialogs);
        tables.openAll();
        startup.push_back(timer.elapsed());
        startupFloor.push_back(psql(QStringLiteral("radadir"), {QStringLiteral("SELECT * FROM \"Kisi\""),
                                                                QStringLiteral("SELECT * FROM \"Musteriler\"")}));
        startupCopy.push_back(psql(QStringLiteral("radadir"), {QStringLiteral("\\copy \"Kisi\" TO '/dev/null'"),
                                                               QStringLiteral("\\copy \"Musteriler\" TO '/dev/null'")}));
    }

    // The run, each time on a fresh copy of the register, and psql's floor
    // on another.
    std::vector<qint64> runs, floors, copies;
    TransferRun::Timings split;
    qint64 fileBytes = 0;
    int left = 0;
    for (int i = 0; i < (destructionOnly ? 0 : 3); ++i) {
        const QString forRun = copyOf(QStringLiteral("radadir"), ++made);
        const QString forPsql = copyOf(QStringLiteral("radadir"), ++made);
        {
            FakePlatform fake;
            PgStore store(connection(forRun));
            store.open();
            Tables tables(store, fake.clock, fake.dialogs);
            tables.openAll();
            TransferRun run(fake.platform, store, tables, nullptr, [] { return QStringLiteral("12345"); });
            const QString path = dir.filePath(QStringLiteral("run%1.xml").arg(i));
            QElapsedTimer timer;
            timer.start();
            if (!run.runTo(path))
                std::fprintf(stderr, "the run failed: %s\n", qPrintable(fake.dialogs.texts().join(QLatin1Char(' '))));
            runs.push_back(timer.elapsed());
            split = run.lastTimings;
            fileBytes = QFileInfo(path).size();
            left = store.count(QStringLiteral("Kisi"));
        }
        const QString copyPath = dir.filePath(QStringLiteral("psql%1.txt").arg(i));
        floors.push_back(psql(forPsql, {QStringLiteral("SELECT * FROM \"Kisi\""),
                                        QStringLiteral("DELETE FROM \"Kisi\" WHERE \"Kalici\" IS DISTINCT FROM 1"),
                                        QStringLiteral("\\copy \"Kisi\" TO '%1'").arg(copyPath)}));
        const QString forCopy = copyOf(QStringLiteral("radadir"), ++made);
        copies.push_back(psql(forCopy, {QStringLiteral("\\copy \"Kisi\" TO '%1'").arg(copyPath),
                                        QStringLiteral("DELETE FROM \"Kisi\" WHERE \"Kalici\" IS DISTINCT FROM 1")}));
    }

    const auto ms = [](const std::vector<qint64>& v) { return static_cast<long long>(median(v)); };
    const auto ratio = [](const std::vector<qint64>& a, const std::vector<qint64>& b) {
        return double(median(a)) / double(std::max<qint64>(1, median(b)));
    };
    if (!destructionOnly) {
        std::printf("start-up, 100,000 guests and 100,000 customers (median of 5): program %lld ms; psql reading both "
                    "tables %lld ms: ratio %.2f (target at most 1.5); psql \\copy of both %lld ms: ratio %.2f\n",
                    ms(startup), ms(startupFloor), ratio(startup, startupFloor), ms(startupCopy), ratio(startup, startupCopy));
        std::printf("run, 100,000 guests half departed (median of 3): %lld ms (compose %lld, write %lld, purge %lld), "
                    "file %.1f MB, %d left; psql reading every row, deleting the departed and writing them with \\copy "
                    "%lld ms: ratio %.2f (target at most 1.5); psql \\copy and delete alone %lld ms: ratio %.2f\n",
                    ms(runs), static_cast<long long>(split.composeMs), static_cast<long long>(split.writeMs),
                    static_cast<long long>(split.purgeMs), double(fileBytes) / 1e6, left, ms(floors), ratio(runs, floors),
                    ms(copies), ratio(runs, copies));
    }

    // The destruction while a second desk works.
    for (const bool holding : {false, true}) {
        const QString database = copyOf(QStringLiteral("radadir"), ++made);
        std::atomic<bool> stop{false};
        std::atomic<bool> started{false};
        std::vector<qint64> waits;
        int failures = 0;
        QString failure;
        std::thread second([&] {
            PgStore other(connection(database));
            other.open();
            std::optional<Store::Transaction> held;
            if (holding) {
                held.emplace(other.transaction());
                other.count(QStringLiteral("Musteriler"));
            }
            started = true;
            QList<QVariant> values(Schema::musteriler().columns.size());
            for (int i = 0; !stop; ++i) {
                QElapsedTimer timer;
                timer.start();
                try {
                    if (!holding) {
                        other.count(QStringLiteral("Musteriler"));
                        values[Schema::musteriler().indexOf(QStringLiteral("musteriKodu"))] =
                            QStringLiteral("B%1").arg(i);
                        other.insert(QStringLiteral("Musteriler"), values);
                    }
                } catch (const StoreError& e) {
                    ++failures;
                    failure = e.text();
                }
                waits.push_back(timer.elapsed());
                QThread::msleep(20);
            }
            if (holding)
                held->rollback();
        });
        while (!started)
            QThread::msleep(5);
        FakePlatform fake;
        PgStore store(connection(database));
        store.open();
        Tables tables(store, fake.clock, fake.dialogs);
        tables.openAll();
        CustomerDestruction destruction(store, tables, nullptr, fake.clock);
        QList<qint64> keys;
        for (const StoreRow& row : store.load(QStringLiteral("Musteriler"))) {
            if (keys.size() < 50000)
                keys << row.key;
        }
        QElapsedTimer timer;
        timer.start();
        QString outcomeText;
        try {
            const CustomerDestruction::Outcome outcome = destruction.eraseOnRequest(keys);
            outcomeText = QStringLiteral("%1 destroyed, rewrite %2").arg(outcome.destroyed).arg(
                outcome.rewritten ? QStringLiteral("done") : QStringLiteral("not done"));
        } catch (const RadaError& e) {
            outcomeText = QStringLiteral("failed: ") + e.text();
        }
        const qint64 took = timer.elapsed();
        stop = true;
        second.join();
        qint64 later = -1;
        if (holding) {
            timer.restart();
            later = destruction.rewriteIfDue() ? timer.elapsed() : -1;
        }
        std::printf("destruction of 50,000 of 100,000 customers, %s: %lld ms, %s; the second desk: %zu calls, "
                    "median %lld ms, longest %lld ms, %d failed%s%s",
                    holding ? "the second desk holding the table in a transaction"
                            : "the second desk counting and adding customers every 20 ms",
                    static_cast<long long>(took), qPrintable(outcomeText), waits.size(),
                    static_cast<long long>(median(waits)),
                    static_cast<long long>(*std::max_element(waits.begin(), waits.end())), failures,
                    failures ? ": " : "", qPrintable(failure.replace(QLatin1Char('\r'), QLatin1Char(' '))));
        if (holding)
            std::printf("; the rewrite tried again afterwards: %lld ms", static_cast<long long>(later));
        std::printf("\n");
    }

    QProcess::execute(QStringLiteral(RADADIR_PG_SCRIPT), {QStringLiteral("stop"), g_socketDir});
    return 0;
}

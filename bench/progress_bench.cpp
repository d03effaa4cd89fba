// SPDX-License-Identifier: GPL-3.0-or-later
// The long works on a register of 100,000 guests and 100,000 customers, as
// the clerk starts them: a backup, a restore, a password change with the
// re-encryption of three backups, an erasure at a person's request (1,000
// customers) with its compaction and the rewriting of the backups, and the
// run's compaction. For each: how long it takes, how often it reported to
// its work (keepGoing), and the longest stretch without a report, which is
// how long the windows go unpainted and "İptal" unheard. Target: no
// stretch over 100 ms.

#include "BenchRegister.h"
#include "core/customers/CustomerDestruction.h"
#include "core/register/Database.h"
#include "core/register/RegisterPassword.h"
#include "core/register/Tables.h"
#include "core/transfer/Backups.h"
#include "core/transfer/Compaction.h"
#include "doubles/ManualClock.h"
#include "doubles/ScriptedDialogs.h"
#include "platform/core/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

// The longest stretch between two reports, from the work's start to its end.
class TimedWork : public Dialogs::Work
{
public:
    TimedWork(qint64& longest, int& reports) : m_longest(longest), m_reports(reports) { m_clock.start(); }
    ~TimedWork() override { note(); }
    bool keepGoing() override
    {
        note();
        ++m_reports;
        return true;
    }
    void setProgress(qint64, qint64) override {}

private:
    void note()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    qint64& m_longest;
    int& m_reports;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
};

struct Measured
{
    qint64 longestNs = 0;
    int reports = 0;
};

void report(const char* what, qint64 ms, const Measured& m)
{
    std::printf("%-58s %6lld ms, %6d reports, longest stretch without one %5.1f ms\n", what,
                static_cast<long long>(ms), m.reports, double(m.longestNs) / 1e6);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    makeRegister(Database::kFileName, 100000, 100000);
    std::printf("register: %lld bytes\n", static_cast<long long>(QFileInfo(Database::kFileName).size()));

    ManualClock clock(QDateTime(QDate(2026, 12, 10), QTime(9, 0, 0)));
    LocalFileSystem fs;
    ScriptedDialogs dialogs;
    Measured current;
    dialogs.showWork = [&current](const Dialogs::WorkRequest&) {
        return std::make_unique<TimedWork>(current.longestNs, current.reports);
    };
    Database db(Database::kFileName);
    db.open();
    Backups backups(db, fs, clock);
    backups.setDialogs(&dialogs);
    Compaction compaction(db, fs, dialogs);

    const auto measure = [&](const char* what, const std::function<void()>& work) {
        current = {};
        QElapsedTimer timer;
        timer.start();
        work();
        report(what, timer.elapsed(), current);
    };

    for (int i = 0; i < 2; ++i) {
        clock.advanceSeconds(3600);
        (void)backups.make();
    }
    clock.advanceSeconds(3600);
    measure("backup", [&] {
        if (const auto failure = backups.make())
            std::fprintf(stderr, "backup failed: %s\n", qPrintable(*failure));
    });
    clock.advanceSeconds(3600);
    measure("restore (the current register backed up first)", [&] {
        const Backups::Entry oldest = backups.list(db.password()).constLast();
        if (const auto failure = backups.restore(oldest, db.password()))
            std::fprintf(stderr, "restore failed: %s\n", qPrintable(*failure));
    });
    measure("password change: the register", [&] {
        if (const auto failure = RegisterPassword::change(db, QStringLiteral("Deniz Feneri 1954"), &dialogs))
            std::fprintf(stderr, "password change failed: %s\n", qPrintable(*failure));
    });
    measure("password change: 4 backups encrypted anew", [&] {
        const auto work = dialogs.beginWork({QStringLiteral("Yedekler yeni parolayla şifreleniyor..."), false});
        const Backups::Rewritten out = backups.reencrypt(Database::kPassword,
                                                         [&work](int done, int total) { work->setProgress(done, total); });
        if (out.done != 4)
            std::fprintf(stderr, "only %d backups encrypted anew\n", out.done);
    });
    {
        Tables tables(db, clock, dialogs);
        tables.openAll();
        CustomerDestruction destruction(db, tables, &compaction, clock);
        destruction.setDialogs(&dialogs);
        QList<qint64> customers;
        for (qint64 key = 1; key <= 1000; ++key)
            customers << key;
        measure("erasure of 1,000 customers with its compaction", [&] {
            if (destruction.eraseOnRequest(customers).destroyed != 1000)
                std::fprintf(stderr, "the erasure missed customers\n");
        });
        measure("erasure: 4 backups rewritten", [&] {
            const auto work = dialogs.beginWork({QStringLiteral("Kayıtlar yedeklerden siliniyor..."), false});
            const Backups::Rewritten out = backups.eraseCustomers(
                [&customers](Store&) { return customers; }, [&work](int done, int total) { work->setProgress(done, total); });
            if (out.done != 4)
                std::fprintf(stderr, "only %d backups rewritten\n", out.done);
        });
        tables.closeAll();
    }
    measure("the run's compaction", [&] {
        if (!compaction.compactRegister())
            std::fprintf(stderr, "compaction failed\n");
    });
    db.close();
    QDir::setCurrent(QDir::tempPath());
    return 0;
}

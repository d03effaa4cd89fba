// SPDX-License-Identifier: GPL-3.0-or-later
// What 100,000 guests and 100,000 customers cost at start-up, against an
// empty register: opening every table (Tables::openAll), and the whole start
// of the program until its main window is painted. Each measurement runs in
// a process of its own. Beside them, in the same run, the sqlcipher tool
// reading both person tables of the large register. Targets: the large
// register adds at most 0.75 times the tool's read to the program's start
// and the program stays within 150 MB resident.

#include "BenchRegister.h"

#include "core/register/Database.h"
#include "core/register/Tables.h"
#include "doubles/FakePlatform.h"
#include "gui/customers/CustomerWindow.h"
#include "gui/shell/Application.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/Program.h"
#include "platform/core/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 5;

struct Figure
{
    qint64 ms = -1;
    qint64 rssKib = -1;
    qint64 peakKib = -1;
    qint64 customersMs = -1; // the customer window (F5) shown and painted
};

// Set when the watched window is first painted.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

int child(int argc, char** argv)
{
    const QByteArray what = argv[2];
    const QString path = QString::fromLocal8Bit(argv[3]);
    QDir::setCurrent(QFileInfo(path).absolutePath());
    Figure f;
    if (what == "tables") {
        QCoreApplication app(argc, argv);
        QElapsedTimer timer;
        timer.start();
        Database db(path);
        db.open(Database::Missing::Refuse);
        FakePlatform fake;
        Tables tables(db, fake.clock, fake.dialogs);
        tables.openAll();
        f.ms = timer.elapsed();
        f.rssKib = residentKib();
        f.peakKib = peakResidentKib();
    } else {
        RadaApplication app(argc, argv);
        // Offline: the start shows the banner, as a facility without a
        // connection sees it.
        FakePlatform fake;
        ScriptedDialogs& dialogs = fake.dialogs;
        SingleInstance guard(QStringLiteral("radadir-bench-%1").arg(QCoreApplication::applicationPid()),
                             QFileInfo(path).absolutePath());
        int exitCode = 0;
        QElapsedTimer timer;
        timer.start();
        std::unique_ptr<Program> program =
            startProgram(fake.platform, guard, path, exitCode, QFileInfo(path).absolutePath() + QLatin1Char('/'));
        if (!program) {
            std::fprintf(stderr, "the program did not start\n");
            return 1;
        }
        PaintWatch watch;
        program->mainWindow()->installEventFilter(&watch);
        program->mainWindow()->show();
        while (!watch.painted && timer.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        f.ms = timer.elapsed();
        f.rssKib = residentKib();
        f.peakKib = peakResidentKib();
        PaintWatch customers;
        program->customerWindow()->installEventFilter(&customers);
        timer.restart();
        program->mainWindow()->showCustomerWindow();
        while (!customers.painted && timer.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        f.customersMs = timer.elapsed();
        if (!dialogs.messages.isEmpty())
            std::fprintf(stderr, "a dialog showed: %s\n", qPrintable(dialogs.messages.first().text));
    }
    std::printf("%lld %lld %lld %lld\n", static_cast<long long>(f.ms), static_cast<long long>(f.rssKib),
                static_cast<long long>(f.peakKib), static_cast<long long>(f.customersMs));
    return 0;
}

Figure runChild(const QString& what, const QString& path, const QString& runtimeDir)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!env.contains(QStringLiteral("XDG_RUNTIME_DIR")))
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), what, path});
    p.waitForFinished(300000);
    const QList<QByteArray> parts = p.readAllStandardOutput().trimmed().split(' ');
    if (p.exitCode() != 0 || parts.size() != 4)
        return {};
    return {parts[0].toLongLong(), parts[1].toLongLong(), parts[2].toLongLong(), parts[3].toLongLong()};
}

// Median of each figure over the runs.
Figure median(std::vector<Figure> runs)
{
    const auto mid = [&](qint64 Figure::*field) {
        std::vector<qint64> v;
        for (const Figure& f : runs)
            v.push_back(f.*field);
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    return {mid(&Figure::ms), mid(&Figure::rssKib), mid(&Figure::peakKib), mid(&Figure::customersMs)};
}

// The sqlcipher tool reading every row of both person tables, its output
// thrown away; the time it took.
qint64 toolRead(const QString& path)
{
    const QByteArray script = QStringLiteral("PRAGMA key = '%1';\nSELECT * FROM Kisi;\nSELECT * FROM Musteriler;\n")
                                  .arg(QString::fromLatin1(Database::kPassword))
                                  .toUtf8();
    return sqlcipherToolMs(path, script);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QTemporaryDir runtimeDir;
    const QString emptyPath = QDir(dir.path()).filePath(QStringLiteral("empty/") + Database::kFileName);
    const QString fullPath = QDir(dir.path()).filePath(QStringLiteral("full/") + Database::kFileName);
    QElapsedTimer filling;
    filling.start();
    for (const QString& path : {emptyPath, fullPath}) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        Database db(path);
        db.open();
        db.exec(QStringLiteral("PRAGMA synchronous = OFF"));
        fillRegister(db, path == fullPath ? kRows : 0, path == fullPath ? kRows : 0);
    }
    std::printf("registers made in %lld ms (%lld MB with %d guests and %d customers)\n",
                static_cast<long long>(filling.elapsed()), static_cast<long long>(QFileInfo(fullPath).size() >> 20),
                kRows, kRows);

    std::vector<qint64> tool;
    for (const QString& what : {QStringLiteral("tables"), QStringLiteral("program")}) {
        std::vector<Figure> empty, full;
        for (int i = 0; i < kRuns; ++i) {
            empty.push_back(runChild(what, emptyPath, runtimeDir.path()));
            full.push_back(runChild(what, fullPath, runtimeDir.path()));
            tool.push_back(toolRead(fullPath));
        }
        const Figure e = median(empty), f = median(full);
        std::printf("%-8s empty: %5lld ms, %4lld MB resident (peak %lld MB)\n", qPrintable(what),
                    static_cast<long long>(e.ms), static_cast<long long>(e.rssKib >> 10),
                    static_cast<long long>(e.peakKib >> 10));
        std::printf("%-8s full:  %5lld ms, %4lld MB resident (peak %lld MB); %lld ms more\n", qPrintable(what),
                    static_cast<long long>(f.ms), static_cast<long long>(f.rssKib >> 10),
                    static_cast<long long>(f.peakKib >> 10), static_cast<long long>(f.ms - e.ms));
        std::vector<qint64> sorted = tool;
        std::sort(sorted.begin(), sorted.end());
        const qint64 toolMs = sorted[sorted.size() / 2];
        std::printf("%-8s sqlcipher reading both tables: %lld ms (median of %zu); %.2f times that more\n",
                    qPrintable(what), static_cast<long long>(toolMs), sorted.size(),
                    double(f.ms - e.ms) / double(std::max<qint64>(1, toolMs)));
        if (what == QStringLiteral("program"))
            std::printf("customer window (F5) shown and painted: %lld ms with %d customers (target under 100 ms)\n",
                        static_cast<long long>(f.customersMs), kRows);
    }
    std::printf("targets: the program's start at most 0.75 times the tool's read more than with the empty "
                "register, at most 150 MB resident\n");
    return 0;
}

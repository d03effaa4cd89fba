// SPDX-License-Identifier: GPL-3.0-or-later
// The whole transfer run without its dialogs, on registers of 10,000 and
// 100,000 guests of whom half have left: compose, write, purge and compact.
// Targets: the large register takes at most 12 times the small one, and at
// most 1.25 times the floor that the tools set on the same register: the
// sqlcipher tool reading every row, deleting the departed in one
// transaction, exporting a compacted copy, checking it and reading it back;
// dd writing the file with fsync; md5sum over the file.

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Schema.h"
#include "core/register/Tables.h"
#include "core/transfer/Compaction.h"
#include "core/transfer/TransferRun.h"
#include "doubles/FakePlatform.h"
#include "platform/core/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

struct Result
{
    int guests;
    qint64 totalMs;
    TransferRun::Timings split;
    int left;
    qint64 toolMs = 0;   // sqlcipher: read, delete, export, check, read back
    qint64 ddMs = 0;     // the file written with fsync
    qint64 md5Ms = 0;    // md5sum over the file
    qint64 floorMs() const { return toolMs + ddMs + md5Ms; }
};

// Runs a program to its end, its output thrown away; the time it took.
qint64 timed(const QString& program, const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    p.start(program, args);
    if (!input.isEmpty()) {
        p.write(input);
        p.closeWriteChannel();
    }
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
    return timer.elapsed();
}

// What the tools need for everything the run does, on a copy of the register.
void measureFloor(const QDir& dir, const QString& registerCopy, const QString& file, Result& r)
{
    const QByteArray script = QStringLiteral(
        "PRAGMA key = '%1';\n"
        "SELECT * FROM Kisi;\n"
        "BEGIN IMMEDIATE;\n"
        "DELETE FROM Kisi WHERE Kalici IS NOT 1;\n"
        "COMMIT;\n"
        "ATTACH DATABASE '%2' AS compacted KEY '%1';\n"
        "SELECT sqlcipher_export('compacted');\n"
        "PRAGMA compacted.integrity_check;\n"
        "SELECT * FROM compacted.Kisi;\n"
        "DETACH DATABASE compacted;\n")
                                  .arg(QString::fromLatin1(Database::kPassword), dir.filePath(QStringLiteral("tool.dvb")))
                                  .toUtf8();
    r.toolMs = timed(QStringLiteral("sqlcipher"), {registerCopy}, script);
    r.ddMs = timed(QStringLiteral("dd"), {QStringLiteral("if=") + file, QStringLiteral("of=") + dir.filePath(QStringLiteral("dd.xml")),
                                          QStringLiteral("bs=1M"), QStringLiteral("conv=fsync"), QStringLiteral("status=none")});
    r.md5Ms = timed(QStringLiteral("md5sum"), {file});
}

void fill(Database& db, int guests)
{
    const TableDef& t = Schema::kisi();
    QList<QVariant> v(t.columns.size());
    auto set = [&](const char* col, const QVariant& value) { v[t.indexOf(QString::fromLatin1(col))] = value; };
    Store::Transaction tx = db.transaction();
    for (int i = 0; i < guests; ++i) {
        const bool staying = i % 2 == 0;
        set("TCKimlikNo", QStringLiteral("%1").arg(10000000000LL + i));
        set("Adi", QStringLiteral("Ayşegül %1").arg(i));
        set("Soyadi", QStringLiteral("Çelik"));
        set("BabaAdi", QStringLiteral("Mehmet"));
        set("AnaAdi", QStringLiteral("Fatma"));
        set("DogumYeri", QStringLiteral("İzmir"));
        set("DogumTarihi", QStringLiteral("1980-05-17"));
        set("Uyrugu", QStringLiteral("TC"));
        set("KimlikBelgesiTuru", QStringLiteral("N"));
        set("KimlikSeriNo", QStringLiteral("%1").arg(400000 + i));
        set("NufusaKayitliOlduguIl", QStringLiteral("İzmir"));
        set("NufusaKayitliOlduguIlce", QStringLiteral("Karşıyaka"));
        set("NufusaKayitliOlduguMahalle", QStringLiteral("Bostanlı"));
        set("NufusCilt", QStringLiteral("12"));
        set("NufusAileSira", QStringLiteral("345"));
        set("NufusSiraNo", QStringLiteral("67"));
        set("Cinsiyet", QStringLiteral("K"));
        set("MedeniHali", QStringLiteral("E"));
        set("Isi", QStringLiteral("Öğretmen"));
        set("IkametAdresi", QStringLiteral("Cumhuriyet Bulvarı No: 12 Daire 4 Alsancak Konak İzmir"));
        set("GelisTarihi", QStringLiteral("2024-03-01"));
        set("GelisSaati", QStringLiteral("14:35:27"));
        set("Kalici", qint64(staying ? 1 : 0));
        set("AyrilisTarihi", staying ? QStringLiteral("1899-12-30") : QStringLiteral("2024-03-05"));
        set("AyrilisSaati", staying ? QStringLiteral("00:00:00") : QStringLiteral("10:30:00"));
        set("VerilenOdaNo", QStringLiteral("%1").arg(100 + i % 300));
        set("AracPlakaNo", QStringLiteral("35ABC%1").arg(i % 1000));
        db.insert(t.name, v);
    }
    tx.commit();
}

Result measure(int guests)
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        Database db(Database::kFileName);
        db.open();
        fill(db, guests);
    }
    const QString registerCopy = dir.filePath(QStringLiteral("tool.dve"));
    QFile::copy(Database::kFileName, registerCopy);
    FakePlatform fake;
    ScriptedDialogs& dialogs = fake.dialogs;
    Result r{guests, 0, {}, 0};
    {
        Database database(Database::kFileName);
        database.open();
        if (database.count(QStringLiteral("Ayar")) == 0) {
            const TableDef& t = Schema::ayar();
            QList<QVariant> row(t.columns.size());
            row[t.indexOf(QStringLiteral("tesiskodu"))] = QStringLiteral("12345");
            row[t.indexOf(QStringLiteral("tesisadi"))] = QStringLiteral("Otel Deniz");
            row[t.indexOf(QStringLiteral("aktif"))] = qint64(1);
            database.insert(t.name, row);
        }
        Tables tables(database, fake.clock, dialogs);
        tables.openAll();
        Compaction compaction(database, fake.fs, dialogs);
        TransferRun run(fake.platform, database, tables, &compaction, [] { return QStringLiteral("12345"); });
        QElapsedTimer timer;
        timer.start();
        run.runTo(dir.filePath(QStringLiteral("kbs.xml")));
        r = {guests, timer.elapsed(), run.lastTimings, database.count(QStringLiteral("Kisi"))};
        if (dialogs.messages.size() != 1 || dialogs.messages[0].caption != QStringLiteral("Information"))
            std::fprintf(stderr, "run did not succeed\n");
    }
    measureFloor(QDir(dir.path()), registerCopy, dir.filePath(QStringLiteral("kbs.xml")), r);
    QDir::setCurrent(previous);
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const Result small = measure(10000);
    const Result large = measure(100000);
    for (const Result& r : {small, large})
        std::printf("%7d guests: total %6lld ms  (compose %lld, write %lld, purge %lld, compact %lld), %d left\n", r.guests,
                    static_cast<long long>(r.totalMs), static_cast<long long>(r.split.composeMs),
                    static_cast<long long>(r.split.writeMs), static_cast<long long>(r.split.purgeMs),
                    static_cast<long long>(r.split.compactMs), r.left);
    std::printf("ratio 100,000 / 10,000: %.2f (target at most 12)\n",
                double(large.totalMs) / double(std::max<qint64>(1, small.totalMs)));
    for (const Result& r : {small, large})
        std::printf("%7d guests: floor %6lld ms (sqlcipher %lld, dd with fsync %lld, md5sum %lld); run / floor %.2f "
                    "(target at most 1.25)\n",
                    r.guests, static_cast<long long>(r.floorMs()), static_cast<long long>(r.toolMs),
                    static_cast<long long>(r.ddMs), static_cast<long long>(r.md5Ms),
                    double(r.totalMs) / double(std::max<qint64>(1, r.floorMs())));
    return 0;
}

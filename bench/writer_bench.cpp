// SPDX-License-Identifier: GPL-3.0-or-later
// Composing and hashing a large notification file, against md5sum over the
// same bytes. Target: compose + hash within 1.5 times md5sum's time.

#include "Version.h"
#include "core/register/Schema.h"
#include "core/transfer/KonaklamaWriter.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdio>
#include <vector>

namespace {

constexpr int kGuests = 100000;
constexpr int kRuns = 7;

// The guest table's columns that the file carries: all but ID and Kalici.
const QStringList kColumns = [] {
    QStringList names = Schema::kisi().columnNames();
    names.removeAll(QStringLiteral("ID"));
    names.removeAll(QStringLiteral("Kalici"));
    return names;
}();

// Slot of a column name. Length and first letter tell the columns of Kisi
// apart, so a lookup is one table read and one comparison.
int columnIndex(const QString& column)
{
    static const auto table = [] {
        std::array<std::array<int, 128>, 32> t;
        for (auto& byLetter : t)
            byLetter.fill(-1);
        for (int i = 0; i < kColumns.size(); ++i)
            t[std::size_t(kColumns[i].size())][kColumns[i][0].unicode()] = i;
        return t;
    }();
    if (column.isEmpty() || column.size() >= 32 || column[0].unicode() >= 128)
        return -1;
    const int i = table[std::size_t(column.size())][column[0].unicode()];
    if (i < 0 || std::memcmp(kColumns[i].constData(), column.constData(), std::size_t(column.size()) * 2) != 0)
        return -1;
    return i;
}

// A guest row held in memory, read by column name.
class MemoryRow final : public KisiFields
{
public:
    QString text(const QString& column) const override { return m_values.value(columnIndex(column)); }
    bool isTrue(const QString& column) const override { return m_kalici && column == QLatin1String("Kalici"); }

    QList<QString> m_values = QList<QString>(kColumns.size());
    bool m_kalici = false;
};

QString pick(QRandomGenerator& rng, const QStringList& list)
{
    return list[int(rng.bounded(list.size()))];
}

std::vector<MemoryRow> makeGuests(int count)
{
    const QStringList men = {QStringLiteral("Mehmet"), QStringLiteral("Mustafa"), QStringLiteral("Ahmet"),
                             QStringLiteral("Ali"), QStringLiteral("Hüseyin"), QStringLiteral("İbrahim"),
                             QStringLiteral("Çağrı"), QStringLiteral("Oğuz"), QStringLiteral("Şükrü")};
    const QStringList women = {QStringLiteral("Ayşe"), QStringLiteral("Fatma"), QStringLiteral("Emine"),
                               QStringLiteral("Hatice"), QStringLiteral("Zeynep"), QStringLiteral("Gülşen"),
                               QStringLiteral("Özlem"), QStringLiteral("Şebnem"), QStringLiteral("Müge")};
    const QStringList surnames = {QStringLiteral("Yılmaz"), QStringLiteral("Kaya"), QStringLiteral("Demir"),
                                  QStringLiteral("Şahin"), QStringLiteral("Çelik"), QStringLiteral("Yıldız"),
                                  QStringLiteral("Öztürk"), QStringLiteral("Aydın"), QStringLiteral("Doğan"),
                                  QStringLiteral("Kılıç"), QStringLiteral("Arslan"), QStringLiteral("Koç")};
    const QStringList cities = {QStringLiteral("İstanbul"), QStringLiteral("Ankara"), QStringLiteral("İzmir"),
                                QStringLiteral("Muğla"), QStringLiteral("Eskişehir"), QStringLiteral("Çanakkale"),
                                QStringLiteral("Diyarbakır"), QStringLiteral("Kırklareli")};
    const QStringList districts = {QStringLiteral("Kadıköy"), QStringLiteral("Çankaya"), QStringLiteral("Bornova"),
                                   QStringLiteral("Bodrum"), QStringLiteral("Odunpazarı"), QStringLiteral("Üsküdar")};
    const QStringList streets = {QStringLiteral("Atatürk Cad."), QStringLiteral("Cumhuriyet Mah. Gül Sok."),
                                 QStringLiteral("İnönü Bulvarı"), QStringLiteral("Şehit Öğretmen Sok."),
                                 QStringLiteral("Bağdat Cad."), QStringLiteral("Menekşe Sok.")};
    const QStringList jobs = {QStringLiteral("Öğretmen"), QStringLiteral("Mühendis"), QStringLiteral("Esnaf"),
                              QStringLiteral("Emekli"), QStringLiteral("Öğrenci"), QStringLiteral("Şoför")};

    QRandomGenerator rng(1254);
    std::vector<MemoryRow> rows{std::size_t(count)};
    for (MemoryRow& row : rows) {
        auto set = [&row](const char* column, const QString& value) {
            row.m_values[columnIndex(QString::fromLatin1(column))] = value;
        };
        const bool woman = rng.bounded(2) == 1;
        QString tc;
        for (int i = 0; i < 11; ++i)
            tc += QChar(u'0' + (i == 0 ? 1 + rng.bounded(9) : rng.bounded(10)));
        const QDate born = QDate(1940, 1, 1).addDays(rng.bounded(25000));
        const QDate came = QDate(2024, 1, 1).addDays(rng.bounded(300));
        const QString address = QStringLiteral("%1 No:%2 D:%3 %4 / %5")
                                    .arg(pick(rng, streets))
                                    .arg(rng.bounded(1, 200))
                                    .arg(rng.bounded(1, 40))
                                    .arg(pick(rng, districts), pick(rng, cities));
        set("TCKimlikNo", tc);
        set("Adi", pick(rng, woman ? women : men));
        set("Soyadi", pick(rng, surnames));
        set("BabaAdi", pick(rng, men));
        set("AnaAdi", pick(rng, women));
        set("DogumYeri", pick(rng, cities));
        set("DogumTarihi", born.toString(QStringLiteral("yyyy-MM-dd")));
        set("Uyrugu", QStringLiteral("TC"));
        set("KimlikBelgesiTuru", QStringLiteral("N"));
        set("KimlikSeriNo", QStringLiteral("A%1").arg(rng.bounded(100000, 999999)));
        set("NufusaKayitliOlduguIl", pick(rng, cities));
        set("NufusaKayitliOlduguIlce", pick(rng, districts));
        set("NufusaKayitliOlduguMahalle", QStringLiteral("Yenişehir Mahallesi"));
        set("Cinsiyet", woman ? QStringLiteral("K") : QStringLiteral("E"));
        set("Isi", pick(rng, jobs));
        set("IkametAdresi", address + QStringLiteral(" Türkiye"));
        set("GelisTarihi", came.toString(QStringLiteral("yyyy-MM-dd")));
        set("GelisSaati", QStringLiteral("14:%1:00").arg(rng.bounded(60), 2, 10, QLatin1Char('0')));
        set("VerilenOdaNo", QString::number(rng.bounded(101, 450)));
        set("AyrilisTarihi", came.addDays(rng.bounded(1, 10)).toString(QStringLiteral("yyyy-MM-dd 00:00:00")));
        set("AyrilisSaati", QStringLiteral("11:30:00"));
        set("AracPlakaNo", QStringLiteral("34ABC%1").arg(rng.bounded(100, 999)));
        set("NufusCilt", QString::number(rng.bounded(1, 300)));
        set("NufusAileSira", QString::number(rng.bounded(1, 900)));
        set("NufusSiraNo", QString::number(rng.bounded(1, 90)));
        set("MedeniHali", rng.bounded(2) ? QStringLiteral("E") : QStringLiteral("B"));
        row.m_kalici = rng.bounded(2) == 1;
    }
    return rows;
}

struct Timing
{
    qint64 composeNs = 0; // BeginKonaklama to EndKonaklama, hashing alongside
    qint64 totalNs = 0;   // and TransferFileText, which puts the header in front
};

QByteArray compose(const std::vector<MemoryRow>& rows, Timing* timing)
{
    QElapsedTimer timer;
    timer.start();
    KonaklamaWriter writer;
    writer.BeginKonaklama(QStringLiteral("12345"), QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9)), kVersion);
    writer.reserve(int(rows.size()));
    int siraNo = 0;
    for (const MemoryRow& row : rows)
        writer.AddKisi(++siraNo, row);
    QByteArray root = writer.EndKonaklama();
    timing->composeNs = timer.nsecsElapsed();
    QByteArray file = TransferFileText(std::move(root), writer.digest());
    timing->totalNs = timer.nsecsElapsed();
    return file;
}

} // namespace

int main()
{
    const std::vector<MemoryRow> rows = makeGuests(kGuests);

    QByteArray file;
    Timing best;
    for (int run = 0; run < kRuns; ++run) {
        file.clear();
        Timing timing;
        file = compose(rows, &timing);
        if (run == 0 || timing.totalNs < best.totalNs)
            best = timing;
    }

    // md5sum over the root text, as the digest covers it.
    const qsizetype rootStart = file.indexOf("<Konaklama ");
    const QByteArray root = file.sliced(rootStart);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("root.xml"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(root) != root.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    out.close();

    qint64 md5sumNs = -1;
    QByteArray md5sumOutput;
    for (int run = 0; run < kRuns; ++run) {
        QProcess md5sum;
        QElapsedTimer timer;
        timer.start();
        md5sum.start(QStringLiteral("md5sum"), {path});
        if (!md5sum.waitForFinished(60000) || md5sum.exitCode() != 0) {
            std::fprintf(stderr, "md5sum failed\n");
            return 1;
        }
        const qint64 ns = timer.nsecsElapsed();
        md5sumNs = md5sumNs < 0 ? ns : std::min(md5sumNs, ns);
        md5sumOutput = md5sum.readAllStandardOutput();
    }

    // The digest the file carries, taken while the text was composed.
    const QByteArray digest = file.mid(rootStart - 34, 32);
    const bool same = md5sumOutput.left(32).toUpper() == digest;
    const double ratio = double(best.totalNs) / double(md5sumNs);
    std::printf("guests:          %d\n", kGuests);
    std::printf("file size:       %lld bytes (root %lld)\n", static_cast<long long>(file.size()),
                static_cast<long long>(root.size()));
    std::printf("compose + hash:  %.1f ms (best of %d; composing with hashing alongside %.1f, header %.1f)\n",
                double(best.totalNs) / 1e6, kRuns, double(best.composeNs) / 1e6,
                double(best.totalNs - best.composeNs) / 1e6);
    std::printf("md5sum:          %.1f ms (best of %d)\n", double(md5sumNs) / 1e6, kRuns);
    std::printf("ratio:           %.2f (target <= 1.50)\n", ratio);
    std::printf("digest:          %s (md5sum %s)\n", digest.constData(), same ? "agrees" : "DISAGREES");
    return same ? 0 : 1;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchRegister.h"

#include "core/register/Database.h"
#include "core/register/Schema.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <cstdio>
#include <random>

namespace {

const QStringList kFirstNames = {
    QStringLiteral("Mehmet"), QStringLiteral("Mustafa"), QStringLiteral("Ahmet"), QStringLiteral("Ali"),
    QStringLiteral("Hüseyin"), QStringLiteral("İbrahim"), QStringLiteral("İsmail"), QStringLiteral("Işıl"),
    QStringLiteral("Çağrı"), QStringLiteral("Oğuz"), QStringLiteral("Şükrü"), QStringLiteral("Ümit"),
    QStringLiteral("Ayşe"), QStringLiteral("Fatma"), QStringLiteral("Emine"), QStringLiteral("Hatice"),
    QStringLiteral("Zeynep"), QStringLiteral("Gülşen"), QStringLiteral("Özlem"), QStringLiteral("Şebnem"),
    QStringLiteral("Müge"), QStringLiteral("Irmak"), QStringLiteral("İrem"), QStringLiteral("Ilgaz"),
    QStringLiteral("Çiğdem"), QStringLiteral("Ğüzide"), QStringLiteral("Klaus"), QStringLiteral("Anna"),
    QStringLiteral("John"), QStringLiteral("Olga"), QStringLiteral("Yusuf"), QStringLiteral("Deniz"),
};
const QStringList kSurnames = {
    QStringLiteral("Yılmaz"), QStringLiteral("Kaya"), QStringLiteral("Demir"), QStringLiteral("Şahin"),
    QStringLiteral("Çelik"), QStringLiteral("Yıldız"), QStringLiteral("Yıldırım"), QStringLiteral("Öztürk"),
    QStringLiteral("Aydın"), QStringLiteral("Özdemir"), QStringLiteral("Arslan"), QStringLiteral("Doğan"),
    QStringLiteral("Kılıç"), QStringLiteral("Aslan"), QStringLiteral("Çetin"), QStringLiteral("Kara"),
    QStringLiteral("Koç"), QStringLiteral("Kurt"), QStringLiteral("Özkan"), QStringLiteral("Şimşek"),
    QStringLiteral("İnce"), QStringLiteral("Işık"), QStringLiteral("Müller"), QStringLiteral("Schmidt"),
};
const QStringList kCities = {
    QStringLiteral("İstanbul"), QStringLiteral("Ankara"), QStringLiteral("İzmir"), QStringLiteral("Bursa"),
    QStringLiteral("Antalya"), QStringLiteral("Eskişehir"), QStringLiteral("Muğla"), QStringLiteral("Çanakkale"),
    QStringLiteral("Şanlıurfa"), QStringLiteral("Iğdır"), QStringLiteral("Berlin"), QStringLiteral("Moskova"),
};
const QStringList kStreets = {
    QStringLiteral("Cumhuriyet Bulvarı"), QStringLiteral("Atatürk Caddesi"), QStringLiteral("Gül Sokak"),
    QStringLiteral("İstiklal Caddesi"), QStringLiteral("Şehitler Caddesi"), QStringLiteral("Çınar Sokak"),
};
const QStringList kJobs = {
    QStringLiteral("Öğretmen"), QStringLiteral("Mühendis"), QStringLiteral("Serbest"), QStringLiteral("Emekli"),
    QStringLiteral("Öğrenci"), QStringLiteral("İşçi"), QStringLiteral("Doktor"), QStringLiteral("Şoför"),
};

class Maker
{
public:
    explicit Maker(unsigned seed) : m_rng(seed) {}

    const QString& pick(const QStringList& list) { return list[int(m_rng() % unsigned(list.size()))]; }
    int below(int n) { return int(m_rng() % unsigned(n)); }

    // A name as a clerk types it: mostly title case, sometimes capitals or
    // lower case, sometimes two names.
    QString name(const QStringList& list)
    {
        QString n = pick(list);
        if (below(5) == 0)
            n += QLatin1Char(' ') + pick(list);
        switch (below(10)) {
        case 0: case 1: return turkishUpper(n);
        case 2: return turkishLower(n);
        default: return n;
        }
    }

private:
    static QString turkishUpper(const QString& s)
    {
        QString out = s;
        for (QChar& c : out)
            c = c == u'i' ? QChar(u'İ') : c == u'ı' ? QChar(u'I') : c.toUpper();
        return out;
    }
    static QString turkishLower(const QString& s)
    {
        QString out = s;
        for (QChar& c : out)
            c = c == u'I' ? QChar(u'ı') : c == u'İ' ? QChar(u'i') : c.toLower();
        return out;
    }

    std::mt19937 m_rng;
};

// The identity columns that guests and customers share.
void fillIdentity(Maker& m, const TableDef& t, QList<QVariant>& v, int i)
{
    const auto set = [&](const char* col, const QVariant& value) {
        v[t.indexOf(QString::fromLatin1(col))] = value;
    };
    const bool citizen = m.below(4) != 0;
    set("TCKimlikNo", citizen ? QVariant(QString::number(10000000000LL + 7919LL * i)) : QVariant());
    set("Adi", m.name(kFirstNames));
    set("Soyadi", m.name(kSurnames));
    set("BabaAdi", m.name(kFirstNames));
    set("AnaAdi", m.name(kFirstNames));
    set("DogumYeri", m.pick(kCities));
    set("DogumTarihi", QStringLiteral("19%1-%2-%3").arg(40 + m.below(60)).arg(1 + m.below(12), 2, 10, QLatin1Char('0'))
                           .arg(1 + m.below(28), 2, 10, QLatin1Char('0')));
    set("Uyrugu", citizen ? QStringLiteral("TC") : QStringLiteral("DEU"));
    set("KimlikBelgesiTuru", citizen ? QStringLiteral("N") : QStringLiteral("P"));
    set("KimlikSeriNo", QStringLiteral("A%1").arg(100000 + i));
    set("NufusaKayitliOlduguIl", citizen ? QVariant(m.pick(kCities)) : QVariant());
    set("NufusaKayitliOlduguIlce", citizen ? QVariant(QStringLiteral("Merkez")) : QVariant());
    set("NufusaKayitliOlduguMahalle", citizen ? QVariant(QStringLiteral("Bostanlı")) : QVariant());
    set("NufusCilt", citizen ? QVariant(QString::number(m.below(200))) : QVariant());
    set("NufusAileSira", citizen ? QVariant(QString::number(m.below(900))) : QVariant());
    set("NufusSiraNo", citizen ? QVariant(QString::number(m.below(90))) : QVariant());
    set("Cinsiyet", m.below(2) ? QStringLiteral("E") : QStringLiteral("K"));
    set("MedeniHali", m.below(2) ? QStringLiteral("E") : QStringLiteral("B"));
    set("Isi", m.pick(kJobs));
    set("IkametAdresi", QStringLiteral("%1 No: %2 Daire %3 %4").arg(m.pick(kStreets)).arg(1 + m.below(200))
                            .arg(1 + m.below(30)).arg(m.pick(kCities)));
    set("AracPlakaNo", m.below(3) == 0 ? QVariant(QStringLiteral("35ABC%1").arg(m.below(1000))) : QVariant());
}

} // namespace

void fillRegister(Database& db, int guests, int customers)
{
    Maker m(2024);
    Store::Transaction tx = db.transaction();
    {
        const TableDef& t = Schema::ayar();
        QList<QVariant> v(t.columns.size());
        v[t.indexOf(QStringLiteral("tesiskodu"))] = QStringLiteral("12345");
        v[t.indexOf(QStringLiteral("tesisadi"))] = QStringLiteral("Otel Deniz");
        v[t.indexOf(QStringLiteral("aktif"))] = qint64(1);
        db.insert(t.name, v);
    }
    const TableDef& kisi = Schema::kisi();
    for (int i = 0; i < guests; ++i) {
        QList<QVariant> v(kisi.columns.size());
        fillIdentity(m, kisi, v, i);
        const bool staying = m.below(2) == 0;
        const auto set = [&](const char* col, const QVariant& value) {
            v[kisi.indexOf(QString::fromLatin1(col))] = value;
        };
        set("GelisTarihi", QStringLiteral("2024-03-%1").arg(1 + m.below(28), 2, 10, QLatin1Char('0')));
        set("GelisSaati", QStringLiteral("14:35:27"));
        set("Kalici", qint64(staying ? 1 : 0));
        set("AyrilisTarihi", staying ? QStringLiteral("1899-12-30") : QStringLiteral("2024-04-05"));
        set("AyrilisSaati", staying ? QStringLiteral("00:00:00") : QStringLiteral("10:30:00"));
        set("VerilenOdaNo", QString::number(100 + m.below(300)));
        db.insert(kisi.name, v);
    }
    const TableDef& musteriler = Schema::musteriler();
    for (int i = 0; i < customers; ++i) {
        QList<QVariant> v(musteriler.columns.size());
        fillIdentity(m, musteriler, v, guests + i);
        v[musteriler.indexOf(QStringLiteral("musteriKodu"))] = QStringLiteral("M%1").arg(i + 1, 6, 10, QLatin1Char('0'));
        db.insert(musteriler.name, v);
    }
    tx.commit();
}

namespace {

qint64 statusKib(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

qint64 residentKib()
{
    return statusKib("VmRSS");
}

qint64 peakResidentKib()
{
    return statusKib("VmHWM");
}

qint64 sqlcipherToolMs(const QString& file, const QByteArray& script)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    p.start(QStringLiteral("sqlcipher"), {file});
    p.write(script);
    p.closeWriteChannel();
    if (!p.waitForFinished(600000) || p.exitCode() != 0 || !p.readAllStandardError().isEmpty())
        std::fprintf(stderr, "sqlcipher failed on %s\n", qPrintable(file));
    return timer.elapsed();
}

void makeRegister(const QString& path, int guests, int customers)
{
    Database db(path);
    db.open();
    fillRegister(db, guests, customers);
}

#include "core/register/Schema.h"

#include "platform/core/RadaError.h"

namespace {

ColumnDef text(const QString& name, int size, bool required = false)
{
    return {name, ColumnType::Text, size, required, false};
}
ColumnDef date(const QString& name) { return {name, ColumnType::Date, 0, false, false}; }

// Identity columns shared by guests and customers, in the guest table's order.
QList<ColumnDef> identityColumns(bool guest)
{
    // Fields of the group "required for everyone" are required on guests only.
    const bool req = guest;
    return {
        text(QStringLiteral("TCKimlikNo"), 11),
        text(QStringLiteral("Adi"), 80, req),
        text(QStringLiteral("Soyadi"), 80, req),
        text(QStringLiteral("BabaAdi"), 80),
        text(QStringLiteral("AnaAdi"), 80),
        text(QStringLiteral("DogumYeri"), 80),
        date(QStringLiteral("DogumTarihi")),
        text(QStringLiteral("Uyrugu"), 5, req),
        text(QStringLiteral("KimlikBelgesiTuru"), 1, req),
        text(QStringLiteral("KimlikSeriNo"), 20, req),
        text(QStringLiteral("NufusaKayitliOlduguIl"), 80),
        text(QStringLiteral("NufusaKayitliOlduguIlce"), 80),
        text(QStringLiteral("NufusaKayitliOlduguMahalle"), 80),
        text(QStringLiteral("NufusCilt"), 15),
        text(QStringLiteral("NufusAileSira"), 15),
        text(QStringLiteral("NufusSiraNo"), 15),
        text(QStringLiteral("Cinsiyet"), 1, req),
        text(QStringLiteral("MedeniHali"), 1),
        text(QStringLiteral("Isi"), 80),
        text(QStringLiteral("IkametAdresi"), 255, req),
    };
}

TableDef makeKisi()
{
    TableDef t{QStringLiteral("Kisi"), {{QStringLiteral("ID"), ColumnType::AutoId}}};
    t.columns += identityColumns(true);
    t.columns += {
        date(QStringLiteral("GelisTarihi")),
        text(QStringLiteral("GelisSaati"), 8),
        {QStringLiteral("Kalici"), ColumnType::Bool},
        date(QStringLiteral("AyrilisTarihi")),
        text(QStringLiteral("AyrilisSaati"), 8),
        text(QStringLiteral("VerilenOdaNo"), 15),
        text(QStringLiteral("AracPlakaNo"), 20),
    };
    return t;
}

TableDef makeMusteriler()
{
    TableDef t{QStringLiteral("Musteriler"),
               {{QStringLiteral("musteriID"), ColumnType::AutoId},
                {QStringLiteral("musteriKodu"), ColumnType::Text, 20, true, true}}};
    t.columns += identityColumns(false);
    t.columns += text(QStringLiteral("AracPlakaNo"), 20);
    return t;
}

TableDef lookup(const QString& name, const QString& key, int keySize, const QString& list, int listSize)
{
    TableDef t{name, {{key, ColumnType::Text, keySize, true, true}}};
    if (!list.isEmpty())
        t.columns += text(list, listSize, true);
    return t;
}

QString sqlType(ColumnType type)
{
    switch (type) {
    case ColumnType::AutoId: return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case ColumnType::Text:
    case ColumnType::Date: return QStringLiteral("TEXT");
    case ColumnType::Bool:
    case ColumnType::Integer: return QStringLiteral("INTEGER");
    }
    return QStringLiteral("TEXT");
}

} // namespace

int TableDef::indexOf(const QString& column) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].name == column)
            return i;
    }
    return -1;
}

const ColumnDef& TableDef::column(const QString& columnName) const
{
    const int i = indexOf(columnName);
    if (i < 0)
        throw RadaError(QStringLiteral("%1: Field '%2' not found").arg(name, columnName));
    return columns[i];
}

QString TableDef::autoIdColumn() const
{
    for (const ColumnDef& c : columns) {
        if (c.type == ColumnType::AutoId)
            return c.name;
    }
    return {};
}

QStringList TableDef::columnNames() const
{
    QStringList out;
    for (const ColumnDef& c : columns)
        out << c.name;
    return out;
}

namespace Schema {

const TableDef& kisi() { static const TableDef t = makeKisi(); return t; }
const TableDef& musteriler() { static const TableDef t = makeMusteriler(); return t; }
const TableDef& ulke() { static const TableDef t = lookup(QStringLiteral("Ulke"), QStringLiteral("Kodu"), 5, QStringLiteral("Ulke"), 80); return t; }
const TableDef& kimlikTuru() { static const TableDef t = lookup(QStringLiteral("KimlikTuru"), QStringLiteral("Kodu"), 1, QStringLiteral("KimlikTuru"), 50); return t; }
const TableDef& cinsiyet() { static const TableDef t = lookup(QStringLiteral("Cinsiyet"), QStringLiteral("Kodu"), 1, QStringLiteral("Cinsiyet"), 50); return t; }
const TableDef& iller() { static const TableDef t = lookup(QStringLiteral("Iller"), QStringLiteral("Il"), 80, QString(), 0); return t; }
const TableDef& medeniHali() { static const TableDef t = lookup(QStringLiteral("MedeniHali"), QStringLiteral("Kodu"), 1, QStringLiteral("MedeniHali"), 50); return t; }
const TableDef& ayar()
{
    static const TableDef t{QStringLiteral("Ayar"),
                            {text(QStringLiteral("tesiskodu"), 5), text(QStringLiteral("tesisadi"), 50),
                             {QStringLiteral("aktif"), ColumnType::Integer}}};
    return t;
}

const TableDef& transferGecmisi()
{
    static const TableDef t{QStringLiteral("TransferGecmisi"),
                            {{QStringLiteral("ID"), ColumnType::AutoId},
                             text(QStringLiteral("Zaman"), 19, true),
                             text(QStringLiteral("DosyaYolu"), 4096, true),
                             text(QStringLiteral("Ozet"), 32),
                             {QStringLiteral("YazilanSayisi"), ColumnType::Integer},
                             {QStringLiteral("SilinenSayisi"), ColumnType::Integer},
                             text(QStringLiteral("Sonuc"), 40, true),
                             text(QStringLiteral("Hata"), 200)}};
    return t;
}

const TableDef& yedekAyar()
{
    static const TableDef t{QStringLiteral("YedekAyar"), {text(QStringLiteral("Klasor"), 4096)}};
    return t;
}

const TableDef& musteriKonaklama()
{
    static const TableDef t{QStringLiteral("MusteriKonaklama"),
                            {{QStringLiteral("musteriID"), ColumnType::Integer, 0, false, false, true},
                             date(QStringLiteral("SonKonaklama"))}};
    return t;
}

const TableDef& kvkkAyar()
{
    static const TableDef t{QStringLiteral("KvkkAyar"),
                            {{QStringLiteral("SaklamaSuresiAy"), ColumnType::Integer},
                             text(QStringLiteral("SonImha"), 19),
                             date(QStringLiteral("Baslangic"))}};
    return t;
}

const TableDef& imhaKayitlari()
{
    static const TableDef t{QStringLiteral("ImhaKayitlari"),
                            {{QStringLiteral("ID"), ColumnType::AutoId},
                             text(QStringLiteral("Tarih"), 19, true),
                             text(QStringLiteral("Kategori"), 40, true),
                             {QStringLiteral("Adet"), ColumnType::Integer},
                             text(QStringLiteral("Yontem"), 20, true),
                             text(QStringLiteral("Gerekce"), 60, true)}};
    return t;
}

const QList<const TableDef*>& allTables()
{
    static const QList<const TableDef*> all = {&kisi(),       &musteriler(),       &ulke(),      &kimlikTuru(),
                                               &cinsiyet(),   &iller(),            &medeniHali(), &ayar(),
                                               &transferGecmisi(), &yedekAyar(),   &musteriKonaklama(), &kvkkAyar(),
                                               &imhaKayitlari()};
    return all;
}

const QList<const TableDef*>& laterTables()
{
    static const QList<const TableDef*> later = {&transferGecmisi(), &yedekAyar(), &musteriKonaklama(), &kvkkAyar(),
                                                 &imhaKayitlari()};
    return later;
}

const TableDef& table(const QString& name)
{
    for (const TableDef* t : allTables()) {
        if (t->name == name)
            return *t;
    }
    throw RadaError(QStringLiteral("Table '%1' does not exist").arg(name));
}

QString createStatement(const TableDef& table)
{
    QStringList cols;
    for (const ColumnDef& c : table.columns) {
        QString def = QStringLiteral("\"%1\" %2").arg(c.name, sqlType(c.type));
        if (c.primaryKey)
            def += QStringLiteral(" PRIMARY KEY");
        if (c.required)
            def += QStringLiteral(" NOT NULL");
        if (c.unique)
            def += QStringLiteral(" UNIQUE");
        QStringList checks;
        if (c.type == ColumnType::Text && c.size > 0)
            checks << QStringLiteral("length(\"%1\") <= %2").arg(c.name).arg(c.size);
        if (c.required && (c.type == ColumnType::Text))
            checks << QStringLiteral("length(\"%1\") > 0").arg(c.name);
        if (c.type == ColumnType::Bool)
            checks << QStringLiteral("\"%1\" IN (0, 1)").arg(c.name);
        if (!checks.isEmpty())
            def += QStringLiteral(" CHECK(%1)").arg(checks.join(QStringLiteral(" AND ")));
        cols << def;
    }
    return QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(table.name, cols.join(QStringLiteral(", ")));
}

} // namespace Schema

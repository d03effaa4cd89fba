#include "TestSupport.h"

#include "core/register/Database.h"
#include "core/register/Schema.h"

#include <QDir>
#include <QFile>
#include <QProcess>

TestDir::TestDir() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

TestDir::~TestDir()
{
    QDir::setCurrent(m_previous);
}

QString TestDir::path(const QString& name) const
{
    return name.isEmpty() ? m_dir.path() : m_dir.filePath(name);
}

QString TestDir::databasePath() const
{
    return path(Database::kFileName);
}

QByteArray fileHead(const QString& path, int bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(bytes);
}

QString sqlcipherCli(const QString& dbPath, const QString& script)
{
    QProcess p;
    p.start(QStringLiteral("sqlcipher"), {dbPath});
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
}

void storeFacility(Store& db, const QString& code, const QString& name)
{
    const TableDef& t = Schema::ayar();
    QList<QVariant> row(t.columns.size());
    row[t.indexOf(QStringLiteral("tesiskodu"))] = code;
    row[t.indexOf(QStringLiteral("tesisadi"))] = name;
    row[t.indexOf(QStringLiteral("aktif"))] = qint64(1);
    db.insert(t.name, row);
}

qint64 insertGuest(Store& db, const QString& adi, bool kalici)
{
    const TableDef& t = Schema::kisi();
    QList<QVariant> v(t.columns.size());
    auto set = [&](const char* col, const QVariant& value) { v[t.indexOf(QString::fromLatin1(col))] = value; };
    set("Adi", adi);
    set("Soyadi", QStringLiteral("Yılmaz"));
    set("Uyrugu", QStringLiteral("DEU"));
    set("KimlikBelgesiTuru", QStringLiteral("P"));
    // Every guest its own passport: the same document twice is a finding of
    // the check before a transfer run.
    static int serial = 100000;
    set("KimlikSeriNo", QString::number(serial++));
    set("Cinsiyet", QStringLiteral("E"));
    set("IkametAdresi", QStringLiteral("Berlin"));
    set("DogumTarihi", QStringLiteral("1980-01-02"));
    set("GelisTarihi", QStringLiteral("2024-03-01"));
    set("GelisSaati", QStringLiteral("12:00:00"));
    set("Kalici", qint64(kalici ? 1 : 0));
    set("AyrilisTarihi", kalici ? QStringLiteral("1899-12-30") : QStringLiteral("2024-03-05"));
    set("AyrilisSaati", kalici ? QStringLiteral("00:00:00") : QStringLiteral("10:30:00"));
    return db.insert(t.name, v);
}

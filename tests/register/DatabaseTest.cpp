// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "core/register/Schema.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

} // namespace

TEST(Database, NewFileIsEncryptedAndHoldsTheSchemaAndLookupRows)
{
    TestDir dir;
    {
        Database db(Database::kFileName);
        db.open();
        EXPECT_EQ(db.path(), dir.databasePath());
        EXPECT_EQ(db.count(QStringLiteral("Iller")), 81);
        EXPECT_EQ(db.column(QStringLiteral("SELECT Ulke FROM Ulke WHERE Kodu = ?"), {QStringLiteral("TC")}).value(0).toString(),
                  QStringLiteral("Türkiye"));
        EXPECT_GT(db.count(QStringLiteral("Ulke")), 200);
        EXPECT_EQ(db.count(QStringLiteral("Ayar")), 0);
        EXPECT_EQ(db.count(QStringLiteral("Kisi")), 0);
        for (const QString& t : {QStringLiteral("KimlikTuru"), QStringLiteral("Cinsiyet"), QStringLiteral("MedeniHali")}) {
            const QList<QVariant> codes = db.column(QStringLiteral("SELECT Kodu FROM \"%1\"").arg(t));
            EXPECT_FALSE(codes.isEmpty()) << t.toStdString();
            for (const QVariant& c : codes)
                EXPECT_EQ(c.toString().size(), 1) << t.toStdString();
        }
        // No foreign code may be taken for Turkish citizens.
        EXPECT_EQ(db.column(QStringLiteral("SELECT count(*) FROM Ulke WHERE upper(Kodu) = 'TC'")).value(0).toInt(), 1);
    }
    const QByteArray head = fileHead(dir.databasePath());
    ASSERT_EQ(head.size(), 16);
    EXPECT_NE(head, QByteArray("SQLite format 3\0", 16));
}

TEST(Database, SqlcipherToolSeesTheTablesWithThePassword)
{
    SKIP_ON_WINDOWS("the sqlcipher command-line tool is the build machine's; the Windows build has none");
    if (QStandardPaths::findExecutable(QStringLiteral("sqlcipher")).isEmpty())
        FAIL() << "sqlcipher command-line tool not installed (scripts/install-deps.sh installs it)";
    TestDir dir;
    {
        Database db(Database::kFileName);
        db.open();
    }
    const QString out = sqlcipherCli(dir.databasePath(),
                                     QStringLiteral("PRAGMA key = 'vorpalquintezbrask';\n"
                                                    "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%' ORDER BY name;\n"
                                                    "SELECT count(*) FROM Iller;\n"
                                                    "SELECT Kodu FROM Ulke WHERE Kodu='TC';\n"));
    for (const char* t : {"Ayar", "Cinsiyet", "Iller", "KimlikTuru", "Kisi", "MedeniHali", "Musteriler", "Ulke"})
        EXPECT_TRUE(out.contains(QString::fromLatin1(t) + QLatin1Char('\n'))) << t << "\n" << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("\n81\n")));
    EXPECT_TRUE(out.contains(QStringLiteral("\nTC\n")));
    // Without the password the tool cannot read it.
    const QString locked = sqlcipherCli(dir.databasePath(), QStringLiteral("SELECT count(*) FROM Iller;\n"));
    EXPECT_FALSE(locked.contains(QStringLiteral("81")));
}

TEST(Database, ColumnsMatchTheSchema)
{
    TestDir dir;
    Database db(Database::kFileName);
    db.open();
    for (const TableDef* t : Schema::allTables()) {
        EXPECT_EQ(db.columnNames(t->name), t->columnNames()) << t->name.toStdString();
    }
    EXPECT_EQ(Schema::kisi().columns.size(), 28);
    EXPECT_EQ(Schema::musteriler().columns.size(), 23);
}

TEST(Database, SizesAreEnforcedByTheDatabase)
{
    TestDir dir;
    Database db(Database::kFileName);
    db.open();
    struct Case { const char* table; const char* column; int size; };
    const Case cases[] = {
        {"Ayar", "tesiskodu", 5}, {"Ayar", "tesisadi", 50},
        {"Musteriler", "TCKimlikNo", 11}, {"Musteriler", "IkametAdresi", 255}, {"Musteriler", "NufusCilt", 15},
        {"Musteriler", "Uyrugu", 5}, {"Musteriler", "Cinsiyet", 1}, {"Musteriler", "musteriKodu", 20},
    };
    int n = 0;
    for (const Case& c : cases) {
        const TableDef& t = Schema::table(QString::fromLatin1(c.table));
        QList<QVariant> row(t.columns.size());
        if (t.name == QStringLiteral("Musteriler"))
            row[t.indexOf(QStringLiteral("musteriKodu"))] = QStringLiteral("K%1").arg(++n);
        row[t.indexOf(QString::fromLatin1(c.column))] = QString(c.size, QChar(0x15E)); // Ş counts as one
        EXPECT_NO_THROW(db.insert(t.name, row)) << c.column;
        if (t.name == QStringLiteral("Musteriler"))
            row[t.indexOf(QStringLiteral("musteriKodu"))] = QStringLiteral("K%1").arg(++n);
        row[t.indexOf(QString::fromLatin1(c.column))] = QString(c.size + 1, QLatin1Char('x'));
        EXPECT_THROW(db.insert(t.name, row), StoreError) << c.column;
    }
}

TEST(Database, CustomerCodeIsRequiredAndUnique)
{
    TestDir dir;
    Database db(Database::kFileName);
    db.open();
    const TableDef& t = Schema::musteriler();
    const int kod = t.indexOf(QStringLiteral("musteriKodu"));
    QList<QVariant> row(t.columns.size());
    EXPECT_THROW(db.insert(t.name, row), StoreError);            // missing
    row[kod] = QString();
    EXPECT_THROW(db.insert(t.name, row), StoreError);            // empty
    row[kod] = QStringLiteral("A1");
    EXPECT_NO_THROW(db.insert(t.name, row));
    EXPECT_THROW(db.insert(t.name, row), StoreError);            // used
    EXPECT_EQ(db.count(t.name), 1);
}

TEST(Database, AutoNumbersAreNeverReused)
{
    TestDir dir;
    Database db(Database::kFileName);
    db.open();
    const qint64 a = insertGuest(db, QStringLiteral("A"));
    const qint64 b = insertGuest(db, QStringLiteral("B"));
    db.remove(QStringLiteral("Kisi"), {b});
    db.close();
    db.open();
    const qint64 c = insertGuest(db, QStringLiteral("C"));
    EXPECT_LT(a, b);
    EXPECT_GT(c, b);
}

TEST(Database, RemoveIsAllOrNothing)
{
    TestDir dir;
    Database db(Database::kFileName);
    db.open();
    const qint64 a = insertGuest(db, QStringLiteral("A"));
    const qint64 b = insertGuest(db, QStringLiteral("B"));
    db.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON Kisi WHEN old.ID = %1 BEGIN SELECT RAISE(ABORT, 'no'); END").arg(b));
    EXPECT_THROW(db.remove(QStringLiteral("Kisi"), {a, b}), StoreError);
    EXPECT_EQ(db.count(QStringLiteral("Kisi")), 2);
}

TEST(Database, ARemoveAfterAFailedBeginIsStillAllOrNothing)
{
    TestDir dir;
    Database db(Database::kFileName);
    db.open();
    const qint64 a = insertGuest(db, QStringLiteral("A"));
    const qint64 b = insertGuest(db, QStringLiteral("B"));
    {
        // Another connection holds the write lock past the busy timeout.
        Database other(Database::kFileName);
        other.open();
        Store::Transaction held = other.transaction();
        EXPECT_THROW(db.remove(QStringLiteral("Kisi"), {a}), StoreError);
        held.rollback();
    }
    EXPECT_EQ(db.count(QStringLiteral("Kisi")), 2);
    db.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON Kisi WHEN old.ID = %1 BEGIN SELECT RAISE(ABORT, 'no'); END").arg(b));
    EXPECT_THROW(db.remove(QStringLiteral("Kisi"), {a, b}), StoreError);
    EXPECT_EQ(db.count(QStringLiteral("Kisi")), 2);
}

TEST(Database, UnopenableFilesAreRefusedWithAReasonAndLeftUntouched)
{
    TestDir dir;
    {
        Database db(Database::kFileName);
        db.open();
    }
    struct Case { const char* name; QByteArray content; QByteArray password; const char* reason; };
    QFile orig(dir.databasePath());
    ASSERT_TRUE(orig.open(QIODevice::ReadOnly));
    const QByteArray encrypted = orig.readAll();
    orig.close();
    const Case cases[] = {
        {"wrong password", encrypted, QByteArrayLiteral("yanlis"), "parolası yanlış"},
        {"not a database", QByteArray(4096, 'x'), Database::kPassword, "veritabanı değil"},
    };
    for (const Case& c : cases) {
        const QString path = dir.path(QString::fromLatin1(c.name) + QStringLiteral(".dve"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.content);
        f.close();
        Database db(path, c.password);
        try {
            db.open();
            ADD_FAILURE() << c.name << " opened";
        } catch (const DatabaseOpenError& e) {
            EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.reason))) << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(path));
        }
        EXPECT_FALSE(db.isOpen());
        QFile after(path);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), c.content) << c.name;
    }
}

TEST(Database, FileWithoutTheProgramsTablesIsRefused)
{
    TestDir dir;
    {
        Database db(Database::kFileName);
        db.open();
        db.exec(QStringLiteral("DROP TABLE Ayar"));
    }
    Database db(Database::kFileName);
    try {
        db.open();
        ADD_FAILURE() << "opened";
    } catch (const DatabaseOpenError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("Ayar.tesiskodu"))) << e.text().toStdString();
    }
}

TEST(Database, LockedFileIsRefused)
{
    TestDir dir;
    Database holder(Database::kFileName);
    holder.open();
    holder.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    holder.exec(QStringLiteral("DELETE FROM Iller WHERE Il = ?"), {QStringLiteral("Adana")});
    Database other(Database::kFileName);
    try {
        other.open();
        ADD_FAILURE() << "locked file opened";
    } catch (const DatabaseOpenError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("kilitlenmiş"))) << e.text().toStdString();
    }
    holder.exec(QStringLiteral("ROLLBACK"));
    EXPECT_EQ(holder.count(QStringLiteral("Iller")), 81);
}

TEST(Database, PathIsFixedWhenTheDirectoryChanges)
{
    TestDir dir;
    Database db(Database::kFileName);
    TestDir elsewhere;
    db.open();
    EXPECT_TRUE(QFile::exists(dir.databasePath()));
    EXPECT_FALSE(QFile::exists(elsewhere.databasePath()));
    db.close();
    db.open();
    EXPECT_EQ(db.count(QStringLiteral("Iller")), 81);
    EXPECT_FALSE(QFile::exists(elsewhere.databasePath()));
}

TEST(Database, ExportWritesAnEncryptedCopyWithTheSameRows)
{
    TestDir dir;
    Database db(Database::kFileName);
    db.open();
    insertGuest(db, QStringLiteral("Ayşe"));
    db.exportTo(dir.path(QStringLiteral("radadir.dvb")));
    EXPECT_EQ(db.integrityCheck(), QStringLiteral("ok"));
    Database copy(dir.path(QStringLiteral("radadir.dvb")));
    copy.open();
    EXPECT_EQ(copy.count(QStringLiteral("Kisi")), 1);
    EXPECT_EQ(copy.count(QStringLiteral("Iller")), 81);
    EXPECT_NE(fileHead(dir.path(QStringLiteral("radadir.dvb"))), QByteArray("SQLite format 3\0", 16));
}

TEST(Database, ScanHandsOutEveryRowAsStoredAndEndsItsReadWhenTheReaderStops)
{
    TestDir dir;
    Database db(Database::kFileName);
    db.open();
    const qint64 ali = insertGuest(db, QStringLiteral("Ali"));
    const qint64 ayse = insertGuest(db, QStringLiteral("Ayşe"), false);
    const TableDef& t = Schema::kisi();
    const auto at = [&](const char* column) { return std::size_t(t.indexOf(QString::fromLatin1(column))); };
    QList<qint64> keys;
    db.scan(QStringLiteral("Kisi"), [&](qint64 key, std::span<const StoreValue> values) {
        keys << key;
        ASSERT_EQ(values.size(), std::size_t(t.columns.size()));
        EXPECT_EQ(values[at("ID")].kind, StoreValue::Kind::Integer);
        EXPECT_EQ(values[at("ID")].integer, key);
        EXPECT_EQ(values[at("TCKimlikNo")].kind, StoreValue::Kind::Null);
        EXPECT_EQ(values[at("Kalici")].kind, StoreValue::Kind::Integer);
        EXPECT_EQ(values[at("Kalici")].integer, key == ali ? 1 : 0);
        const StoreValue& adi = values[at("Adi")];
        ASSERT_EQ(adi.kind, StoreValue::Kind::Text);
        EXPECT_EQ(QByteArray(adi.data, adi.size), key == ali ? QByteArray("Ali") : QStringLiteral("Ayşe").toUtf8());
        EXPECT_EQ(adi.toVariant(), QVariant(key == ali ? QStringLiteral("Ali") : QStringLiteral("Ayşe")));
    });
    EXPECT_EQ(keys, (QList<qint64>{ali, ayse}));

    // A reader that stops half-way ends the read: another connection can
    // write at once instead of waiting for a lock that is never given up.
    EXPECT_THROW(db.scan(QStringLiteral("Kisi"), [](qint64, std::span<const StoreValue>) { throw RadaError(QStringLiteral("stop")); }),
                 RadaError);
    Database other(Database::kFileName);
    other.open();
    EXPECT_NO_THROW(insertGuest(other, QStringLiteral("Veli")));
    EXPECT_EQ(db.count(QStringLiteral("Kisi")), 3);
}

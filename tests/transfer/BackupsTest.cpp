// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "core/register/RegisterPassword.h"
#include "core/register/Schema.h"
#include "core/transfer/Backups.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kOwnKey = "Çam-Ağacı 42"_ba;
const QByteArray kLaterKey = "Kestane 2027"_ba;

QStringList guestNames(Database& db)
{
    QStringList names;
    for (const QVariant& v : db.column(u"SELECT Adi FROM Kisi ORDER BY Adi"_s))
        names << v.toString();
    return names;
}

// The message, or an empty text when there is none.
QString messageOf(const std::optional<QString>& message)
{
    return message.value_or(QString());
}

// The mode's owner, group and other bits. Windows keeps no modes: a file
// takes the access list of its folder, and Qt gives every class the bits it
// reads off the file's attributes; there only the owner's are compared.
int modeOf(const QString& path)
{
    const QFileDevice::Permissions bits(kOnWindows ? 0x7000 : 0x7077);
    return int(QFileInfo(path).permissions() & bits);
}

// Files in a folder, sorted.
QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

// A register with two guests and a customer, open, its clock pinned.
struct BackupsFixture : ::testing::Test
{
    TestDir dir;
    const QDateTime now{QDate(2026, 12, 9), QTime(15, 45, 12)};
    ManualClock clock{now};
    FaultyFileSystem fs;
    Database db{Database::kFileName};
    Backups backups{db, fs, clock};

    void SetUp() override
    {
        db.open();
        insertGuest(db, u"Ayşe"_s);
        insertGuest(db, u"Bora"_s);
        db.exec(u"INSERT INTO Musteriler (musteriKodu) VALUES ('K1')"_s);
    }
    QString beside() const { return dir.path(u"Yedekler"_s); }
};

} // namespace

TEST_F(BackupsFixture, ABackupOpensWithTheRegistersKeyOnlyAndHoldsItsRows)
{
    EXPECT_TRUE(backups.isDue(now));
    for (const QByteArray& key : {Database::kPassword, kOwnKey}) {
        SCOPED_TRACE(key.toStdString());
        if (key != db.password())
            db.rekey(key);
        // What a backup cut short left goes with the next one.
        if (QFileInfo::exists(beside()))
            touch(beside() + u"/radadir-20261201-101010.dve.part"_s);

        ASSERT_EQ(messageOf(backups.make()), QString());

        const QString file = beside() + u"/"_s + Backups::fileNameFor(clock.now());
        EXPECT_EQ(filesIn(beside()).filter(u".part"_s), QStringList());
        EXPECT_EQ(modeOf(beside()), int(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        EXPECT_EQ(modeOf(file), int(QFile::ReadOwner | QFile::WriteOwner));
        EXPECT_NE(fileHead(file), QByteArray("SQLite format 3\0", 16));
        EXPECT_EQ(Database::opensWith(file, Database::kPassword), key == Database::kPassword);
        {
            Database copy(file, key);
            copy.openForReading();
            EXPECT_EQ(guestNames(copy), (QStringList{u"Ayşe"_s, u"Bora"_s}));
        }
        const Backups::Entry e = backups.list(key).value(0);
        EXPECT_EQ(e.path, file);
        EXPECT_EQ((QList<int>{e.opensWithKey, e.guests, e.customers}), (QList<int>{true, 2, 1}));
        const Backups::Entry other = backups.list(kLaterKey).value(0);
        EXPECT_EQ((QList<int>{other.opensWithKey, other.guests, other.customers}), (QList<int>{false, -1, -1}));
        clock.advanceSeconds(3600);
    }
    // The newest is an hour old now.
    EXPECT_EQ(backups.newest().value_or(QDateTime()), clock.now().addSecs(-3600));
    EXPECT_TRUE(backups.madeOn(now.date()));
    EXPECT_FALSE(backups.madeOn(now.date().addDays(1)));
    EXPECT_FALSE(backups.isDue(clock.now().addSecs(23 * 3600 - 1)));
    EXPECT_TRUE(backups.isDue(clock.now().addSecs(23 * 3600)));
}

// Backups older than 30 days and all but the newest 10 go when one is made;
// nothing else in the folder is touched.
TEST_F(BackupsFixture, RotationByAgeAndByCount)
{
    const qint64 hour = 3600, day = 24 * hour;
    struct Case { const char* name; QList<qint64> ages, kept; QString folder; }; // ages: seconds before now
    const QList<Case> cases = {
        {"age", {2 * day, 30 * day - hour, 30 * day + 1, 31 * day}, {2 * day, 30 * day - hour}, {}},
        {"count", {hour, 2 * hour, 3 * hour, 4 * hour, 5 * hour, 6 * hour, 7 * hour, 8 * hour, 9 * hour, 10 * hour, 11 * hour},
         {hour, 2 * hour, 3 * hour, 4 * hour, 5 * hour, 6 * hour, 7 * hour, 8 * hour, 9 * hour}, dir.path(u"usb/RadaDIR"_s)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = c.folder.isEmpty() ? beside() : c.folder;
        ASSERT_TRUE(backups.setFolder(c.folder));
        ASSERT_EQ(backups.folder(), folder);
        QDir().mkpath(folder);
        QStringList expected = {u"notlar.txt"_s, u"radadir-eski.dve"_s, Backups::fileNameFor(now)};
        for (const QString& other : expected.mid(0, 2))
            touch(folder + u"/"_s + other);
        for (qint64 age : c.ages)
            touch(folder + u"/"_s + Backups::fileNameFor(now.addSecs(-age)));

        ASSERT_EQ(messageOf(backups.make()), QString());

        for (qint64 age : c.kept)
            expected << Backups::fileNameFor(now.addSecs(-age));
        expected.sort();
        EXPECT_EQ(filesIn(folder), expected);
    }
}

TEST_F(BackupsFixture, AFailedBackupIsReportedWithItsFolderAndLeavesNothing)
{
    touch(dir.path(u"dosya.txt"_s));
    struct Case { const char* name; QString folder; bool refuseRename; QString reason; }; // reason: empty for the system's
    const QList<Case> cases = {
        {"folder under a file", dir.path(u"dosya.txt/Yedekler"_s), false, {}},
        {"rename refused", {}, true, u"Dosyaya son adı verilemedi."_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(backups.setFolder(c.folder));
        const QString folder = c.folder.isEmpty() ? beside() : c.folder;
        fs.before = [&](FaultyFileSystem::Op op, const QString&) { return !(c.refuseRename && op == FaultyFileSystem::Op::Replace); };

        const QString message = messageOf(backups.make());

        const QString heading = u"Yedek alınamadı: "_s + QDir::toNativeSeparators(folder) + u"\r"_s;
        EXPECT_TRUE(message.startsWith(heading) && message.size() > heading.size()) << message.toStdString();
        EXPECT_TRUE(c.reason.isEmpty() || message == heading + c.reason) << message.toStdString();
        EXPECT_EQ(filesIn(folder), QStringList());
        fs.before = nullptr;
    }
    // Tried again at the next occasion.
    EXPECT_EQ(messageOf(backups.make()), QString());
}

// The backup's guests come back under the register's current key; the run history,
// the destruction log and the backup folder stay as they are now, and the
// register as it was is backed up first.
TEST_F(BackupsFixture, RestorePutsTheBackupsGuestsBackAndKeepsTheRunHistory)
{
    struct Case
    {
        const char* name;
        QByteArray backupKey;
        QByteArray currentKey;
    };
    const QList<Case> cases = {
        {"same key", Database::kPassword, Database::kPassword},
        {"an older password", kOwnKey, kLaterKey},
        {"before the first password", Database::kPassword, kLaterKey},
        {"before the password was removed", kOwnKey, Database::kPassword},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir own;
        Database live(Database::kFileName);
        live.open();
        insertGuest(live, u"Ayşe"_s);
        insertGuest(live, u"Bora"_s);
        if (c.backupKey != live.password())
            live.rekey(c.backupKey);
        ManualClock ownClock{now};
        Backups b(live, fs, ownClock);
        ASSERT_EQ(messageOf(b.make()), QString());
        // Since the backup: a guest in, one out, a run, another password.
        insertGuest(live, u"Cem"_s);
        live.exec(u"DELETE FROM Kisi WHERE Adi = ?"_s, {u"Ayşe"_s});
        live.exec(u"INSERT INTO TransferGecmisi (Zaman, DosyaYolu, Sonuc) VALUES ('2026-12-09 16:00:00', '/arsiv/a.xml', 'Yazıldı')"_s);
        live.exec(u"INSERT INTO ImhaKayitlari (Tarih, Kategori, Adet, Yontem, Gerekce) "
                  u"VALUES ('2026-12-09 16:05:00', 'Müşteri Kaydı', 3, 'Silme', 'Saklama süresi doldu')"_s);
        live.exec(u"INSERT INTO KonaklamaIstatistik (Ay, Uyrugu, Gelis, Geceleme) VALUES ('2026-12', 'DEU', 1, 4)"_s);
        const QString usb = own.path(u"usb"_s);
        ASSERT_TRUE(b.setFolder(usb));
        ASSERT_TRUE(QFile::rename(own.path(u"Yedekler"_s), usb));
        if (c.currentKey != live.password()) {
            const QString password = c.currentKey == Database::kPassword ? QString() : QString::fromUtf8(c.currentKey);
            ASSERT_EQ(messageOf(RegisterPassword::change(live, password)), QString());
        }
        const Backups::Entry chosen = b.list(live.password()).value(0);
        ASSERT_FALSE(chosen.path.isEmpty());

        // A wrong password and a refused rename change nothing.
        EXPECT_EQ(messageOf(b.restore(chosen, "yanlış parola"_ba)),
                  Backups::kRestoreFailure.arg(QDir::toNativeSeparators(chosen.path), Backups::kWrongKey));
        fs.before = [&](FaultyFileSystem::Op op, const QString& to) {
            return !(op == FaultyFileSystem::Op::Replace && to == live.filePath());
        };
        ASSERT_TRUE(b.restore(chosen, c.backupKey).has_value());
        fs.before = nullptr;
        ASSERT_TRUE(live.isOpen());
        EXPECT_EQ(live.password(), c.currentKey);
        EXPECT_EQ(guestNames(live), (QStringList{u"Bora"_s, u"Cem"_s}));
        EXPECT_FALSE(QFile::exists(Backups::restorePathFor(live.filePath())));

        ownClock.advanceSeconds(60);
        ASSERT_EQ(messageOf(b.restore(chosen, c.backupKey)), QString());

        // The password in use is the only key that opens the register, the
        // next start included.
        ASSERT_TRUE(live.isOpen());
        EXPECT_EQ(live.password(), c.currentKey);
        EXPECT_TRUE(Database::opensWith(own.databasePath(), c.currentKey));
        EXPECT_EQ(Database::opensWith(own.databasePath(), c.backupKey), c.backupKey == c.currentKey);
        EXPECT_EQ(guestNames(live), (QStringList{u"Ayşe"_s, u"Bora"_s}));
        EXPECT_EQ(live.column(u"SELECT DosyaYolu FROM TransferGecmisi"_s), QList<QVariant>{u"/arsiv/a.xml"_s});
        EXPECT_EQ(live.column(u"SELECT Adet FROM ImhaKayitlari"_s), QList<QVariant>{qint64(3)});
        EXPECT_EQ(live.column(u"SELECT Geceleme FROM KonaklamaIstatistik"_s), QList<QVariant>{qint64(4)});
        EXPECT_EQ(b.folder(), usb);
        // The register as it was before the restore, under the key it had.
        const QList<Backups::Entry> after = b.list(c.currentKey);
        ASSERT_EQ(after.size(), 3) << "the chosen one, and one before each restore";
        EXPECT_EQ((QList<int>{after[0].opensWithKey, after[0].guests}), (QList<int>{true, 2}));
        EXPECT_EQ(after[2].path, chosen.path);
    }
}

// A backup cut short or spoilt is said to be damaged, in the list and when
// restored, under the register's key and under the built-in one; a sound
// backup under another password is not.
TEST_F(BackupsFixture, ADamagedBackupIsToldFromOneUnderAnotherPassword)
{
    struct Case
    {
        const char* name;
        QByteArray backupKey, currentKey;
        qint64 cutTo; // bytes from the end cut off; 0: none
        bool flipLastPage;
        bool listedDamaged; // false where reading the counts may not reach the damage
    };
    const qint64 page = Database::pageSize();
    const QList<Case> cases = {
        {"cut within a page", Database::kPassword, Database::kPassword, 1000, false, true},
        {"cut within a page, taken before the password", Database::kPassword, kOwnKey, 1000, false, true},
        {"cut within a page, under the password", kOwnKey, kOwnKey, page + 17, false, true},
        {"cut at a page", Database::kPassword, kOwnKey, 2 * page, false, false},
        {"last page spoilt", kLaterKey, kLaterKey, 0, true, false},
        {"sound, another password", kLaterKey, kOwnKey, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (db.password() != c.backupKey)
            db.rekey(c.backupKey);
        clock.advanceSeconds(3600);
        ASSERT_EQ(messageOf(backups.make()), QString());
        if (db.password() != c.currentKey)
            db.rekey(c.currentKey);
        const QString file = beside() + u"/"_s + Backups::fileNameFor(clock.now());
        {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            if (c.cutTo > 0) {
                ASSERT_TRUE(f.resize(f.size() - c.cutTo));
            }
            if (c.flipLastPage) {
                ASSERT_TRUE(f.seek(f.size() - 100));
                const char byte = f.peek(1).at(0);
                ASSERT_EQ(f.write(QByteArray(1, char(byte ^ 0x5a))), 1);
            }
        }
        const bool damaged = c.cutTo > 0 || c.flipLastPage;
        const Backups::Entry e = backups.list(db.password()).value(0);
        ASSERT_EQ(e.path, file);
        if (c.listedDamaged || !damaged) {
            EXPECT_EQ(e.damaged, damaged);
        }

        const QString message = messageOf(backups.restore(e, c.backupKey));
        EXPECT_EQ(message, damaged ? Backups::kRestoreFailure.arg(QDir::toNativeSeparators(file), Backups::kDamaged)
                                   : QString());
        ASSERT_TRUE(db.isOpen());
        EXPECT_EQ(db.password(), c.currentKey);
        EXPECT_EQ(guestNames(db), (QStringList{u"Ayşe"_s, u"Bora"_s}));
    }
}

// Another user's file at the partial backup's name in a shared folder never
// receives the register, nor is it removed as a leftover: the backup is the
// clerk's own file, and the folder is said to be shared.
TEST_F(BackupsFixture, ABackupIntoASharedFolderIsMadeInAFileOfItsOwn)
{
    SKIP_ON_WINDOWS("a folder shared by its mode (0777) and files of another user id are POSIX's");
    EXPECT_FALSE(backups.folderIsShared());
    const QString shared = dir.path(u"ortak"_s);
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
    ASSERT_TRUE(QFile::setPermissions(shared, QFileDevice::Permissions(0x7777)));
    ASSERT_TRUE(backups.setFolder(shared));
    EXPECT_TRUE(backups.folderIsShared());
    const QString target = shared + u"/"_s + Backups::fileNameFor(now);
    const QString theirs = target + u".part"_s;
    const int other = makeAsAnotherUser(theirs, {});
    ASSERT_NE(other, -1);
    // Run by an ordinary user, the "other" file is the tests' own: a sticky
    // folder would keep it from another user, which the file system plays.
    if (other == ownerOf(dir.path())) {
        fs.before = [&](FaultyFileSystem::Op op, const QString& path) {
            return !(op == FaultyFileSystem::Op::Remove && path == theirs);
        };
    }

    ASSERT_EQ(messageOf(backups.make()), QString());

    EXPECT_EQ(ownerOf(target), ownerOf(dir.path()));
    EXPECT_EQ(modeOf(target), int(QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_EQ(ownerOf(theirs), other);
    EXPECT_EQ(QFileInfo(theirs).size(), 0);
    EXPECT_EQ(filesIn(shared), (QStringList{QFileInfo(target).fileName(), QFileInfo(theirs).fileName()}));
}

// Setting, changing and removing the password encrypts every backup anew
// with the new key, each one checked and whole: one under a password given
// up long ago is left as it is, a damaged one is named and deleted only
// when asked.
TEST_F(BackupsFixture, APasswordChangeEncryptsEveryBackupAnewWithTheNewKey)
{
    const QByteArray given = "Eski Parola 2019"_ba;
    const auto backUp = [&] {
        clock.advanceSeconds(3600);
        EXPECT_EQ(messageOf(backups.make()), QString());
        return beside() + u"/"_s + Backups::fileNameFor(clock.now());
    };
    db.rekey(given);
    const QString foreign = backUp();
    db.rekey(Database::kPassword);
    const QString damaged = backUp();
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(f.size() - 1000));
    }
    QStringList healthy = {backUp()};
    struct Step
    {
        const char* name;
        QByteArray to;
    };
    for (const Step& step : {Step{"set", kOwnKey}, Step{"change", kLaterKey}, Step{"remove", Database::kPassword}}) {
        SCOPED_TRACE(step.name);
        healthy << backUp();
        const QByteArray old = db.password();
        db.rekey(step.to);
        QList<int> progress;

        const Backups::Rewritten outcome = backups.reencrypt(old, [&](int done, int total) { progress << done << total; });

        EXPECT_EQ(outcome.done, healthy.size());
        EXPECT_EQ(outcome.failed, QStringList());
        EXPECT_EQ(outcome.otherKey, QStringList{foreign});
        EXPECT_EQ(outcome.damaged, step.to == kOwnKey ? QStringList{damaged} : QStringList());
        const int total = int(healthy.size()) + 1 + (step.to == kOwnKey ? 1 : 0);
        EXPECT_EQ(progress.mid(progress.size() - 2), (QList<int>{total, total}));
        for (const QString& file : healthy) {
            SCOPED_TRACE(file.toStdString());
            EXPECT_TRUE(Database::opensWith(file, step.to));
            EXPECT_FALSE(Database::opensWith(file, old));
            EXPECT_EQ(Database::opensWith(file, Database::kPassword), step.to == Database::kPassword);
            EXPECT_EQ(modeOf(file), int(QFile::ReadOwner | QFile::WriteOwner));
            Database copy(file, step.to);
            copy.openForReading();
            EXPECT_EQ(guestNames(copy), (QStringList{u"Ayşe"_s, u"Bora"_s}));
        }
        EXPECT_TRUE(Database::opensWith(foreign, given));
        EXPECT_TRUE(QFileInfo::exists(damaged) || step.to != kOwnKey);
        EXPECT_TRUE(backups.removeDamaged(outcome.damaged));
        EXPECT_FALSE(QFileInfo::exists(damaged));
        EXPECT_EQ(filesIn(beside()).filter(u".part"_s), QStringList());
    }
}

// An erasure at a person's request reaches every backup the register's key
// or the built-in key opens: the customer and the last stay are gone, the
// file holds no free page, other customers and the guests stay, and a
// restore no longer brings the customer back.
TEST_F(BackupsFixture, AnErasureRemovesTheCustomerFromEveryBackup)
{
    db.exec(u"INSERT INTO Musteriler (musteriKodu, Adi) VALUES ('K2', 'Işıl')"_s);
    db.exec(u"INSERT INTO MusteriKonaklama (musteriID, SonKonaklama) VALUES (1, '2026-12-01'), (2, '2026-12-02')"_s);
    const auto backUp = [&] {
        clock.advanceSeconds(3600);
        EXPECT_EQ(messageOf(backups.make()), QString());
        return beside() + u"/"_s + Backups::fileNameFor(clock.now());
    };
    const QString beforePassword = backUp();
    db.rekey(kOwnKey);
    const QStringList held = {beforePassword, backUp(), backUp()};
    const auto customerCodes = [](Database& d) {
        QStringList codes;
        for (const QVariant& v : d.column(u"SELECT musteriKodu FROM Musteriler ORDER BY musteriKodu"_s))
            codes << v.toString();
        return codes;
    };
    const auto whom = [](Store& store) {
        QList<qint64> keys;
        auto& d = dynamic_cast<Database&>(store);
        for (const QVariant& v : d.column(u"SELECT musteriID FROM Musteriler WHERE musteriKodu = 'K1'"_s))
            keys << v.toLongLong();
        return keys;
    };

    db.exec(u"DELETE FROM Musteriler WHERE musteriKodu = 'K1'"_s);
    const Backups::Rewritten outcome = backups.eraseCustomers(whom);

    EXPECT_EQ(outcome.done, 3);
    EXPECT_EQ(outcome.failed + outcome.damaged + outcome.otherKey, QStringList());
    for (const QString& file : held) {
        SCOPED_TRACE(file.toStdString());
        ASSERT_TRUE(Database::opensWith(file, kOwnKey));
        Database copy(file, kOwnKey);
        copy.openForReading();
        EXPECT_EQ(customerCodes(copy), QStringList{u"K2"_s});
        EXPECT_EQ(copy.column(u"SELECT musteriID FROM MusteriKonaklama"_s), QList<QVariant>{qint64(2)});
        EXPECT_EQ(copy.column(u"PRAGMA freelist_count"_s), QList<QVariant>{qint64(0)});
        EXPECT_EQ(guestNames(copy), (QStringList{u"Ayşe"_s, u"Bora"_s}));
    }
    // Nothing left to erase: the backups stay as they are.
    EXPECT_EQ(backups.eraseCustomers(whom).done, 0);
    const Backups::Entry oldest = backups.list(kOwnKey).last();
    ASSERT_EQ(oldest.path, beforePassword);
    ASSERT_EQ(messageOf(backups.restore(oldest, kOwnKey)), QString());
    EXPECT_EQ(customerCodes(db), QStringList{u"K2"_s});
}

// Killed while changing the password back and forth with its backups:
// every backup is there, whole, and opens with exactly one of the two keys.
TEST(BackupsKilled, WhileReencryptingEveryBackupOpensWithExactlyOneKey)
{
    TestDir dir;
    ManualClock clock{QDateTime(QDate(2026, 12, 9), QTime(15, 45, 12))};
    LocalFileSystem fs;
    QStringList made;
    {
        Database db(Database::kFileName);
        db.open();
        Store::Transaction tx = db.transaction();
        for (int i = 0; i < 3000; ++i)
            insertGuest(db, u"Misafir %1"_s.arg(i));
        tx.commit();
        Backups backups(db, fs, clock);
        for (int i = 0; i < 4; ++i) {
            clock.advanceSeconds(3600);
            ASSERT_EQ(messageOf(backups.make()), QString());
            made << dir.path(u"Yedekler/"_s) + Backups::fileNameFor(clock.now());
        }
    }
    const QByteArray other = "parola-12345"_ba;
    for (int delay : {10, 60, 150, 300, 500}) {
        SCOPED_TRACE(delay);
        QProcess child;
        child.start(QStringLiteral(RADADIR_CRASH_CHILD), {dir.path(), u"reencrypt"_s});
        ASSERT_TRUE(child.waitForReadyRead(20000));
        QThread::msleep(delay);
        child.kill();
        child.waitForFinished();
        EXPECT_EQ(filesIn(dir.path(u"Yedekler"_s)).filter(QRegularExpression(u"\\.dve$"_s)).size(), made.size());
        for (const QString& file : made) {
            SCOPED_TRACE(file.toStdString());
            const bool builtIn = Database::opensWith(file, Database::kPassword);
            EXPECT_NE(builtIn, Database::opensWith(file, other));
            Database copy(file, builtIn ? Database::kPassword : other);
            copy.openForReading();
            EXPECT_EQ(copy.column(u"PRAGMA quick_check"_s), QList<QVariant>{u"ok"_s});
            EXPECT_EQ(copy.count(u"Kisi"_s), 3000);
        }
    }
}

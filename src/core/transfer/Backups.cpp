// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/transfer/Backups.h"

#include "core/register/Columns.h"
#include "core/register/Database.h"
#include "core/register/Formats.h"
#include "core/register/Schema.h"
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <future>

const QString Backups::kMaking = QStringLiteral("Yedek alınıyor...");
const QString Backups::kRestoring = QStringLiteral("Yedekten geri yükleniyor...");
const QString Backups::kDefaultFolderName = QStringLiteral("Yedekler");
const QString Backups::kFailure = QStringLiteral("Yedek alınamadı: %1\r%2");
const QString Backups::kRestoreFailure = QStringLiteral("Yedekten geri yüklenemedi: %1\r%2");
const QString Backups::kWrongKey = QStringLiteral("Yedek bu parolayla açılamıyor.");
const QString Backups::kSharedFolder = QStringLiteral(
    "Uyarı: bu klasöre başka kullanıcılar da dosya koyabiliyor. Yedekler için yalnızca sizin yazabildiğiniz bir "
    "klasör seçmeniz önerilir.");
const QString Backups::kNotReencrypted =
    QStringLiteral("Şu yedekler yeni parolayla şifrelenemedi; eski parolayla açılmaya devam ediyor:");
const QString Backups::kUnderAnotherKey =
    QStringLiteral("Şu yedekler daha eski bir parolayla alınmış; olduğu gibi bırakıldı:");
const QString Backups::kDamagedDeleted = QStringLiteral("Şu yedekler bozuk olduğu için silinecek:");
const QString Backups::kDamagedNotDeleted = QStringLiteral("Bozuk yedeklerin bazıları silinemedi.");
const QString Backups::kErasedFromBackups = QStringLiteral("Kayıtlar %1 yedekten de silindi.");
const QString Backups::kNotErasedFromBackups = QStringLiteral(
    "Kayıtlar şu yedeklerden silinemedi; bu yedekler kayıtları, 30 gün içinde silinene kadar tutmaya devam ediyor:");
const QString Backups::kDamaged = QStringLiteral("Yedek dosyası bozuk ya da eksik: geri yüklenemez.");
const QString Backups::kRekeyedWithPassword =
    QStringLiteral("Geri yüklenen kayıt şu anki parolayla yeniden şifrelendi; yedeğin parolası kayıt dosyasını açmaz.");
const QString Backups::kRekeyedWithoutPassword =
    QStringLiteral("Geri yüklenen kayıt parolasız olarak yeniden şifrelendi; yedeğin parolası kayıt dosyasını açmaz.");

namespace {

const QString kNameFormat = QStringLiteral("yyyyMMdd-HHmmss");
const QString kPartial = QStringLiteral(".part");

const QString kNoFolder = QStringLiteral("Klasör oluşturulamadı: %1");
const QString kNotCreated = QStringLiteral("Dosya oluşturulamadı: %1");
const QString kNotCopied = QStringLiteral("Yedek kopyalanamadı: %1");
const QString kNotVerified = QStringLiteral("Yazılan kopya denetimden geçmedi.");
const QString kNotSynced = QStringLiteral("Dosya diske yazılamadı: %1");
const QString kNotNamed = QStringLiteral("Dosyaya son adı verilemedi.");
const QString kNotReplaced = QStringLiteral("Kayıt dosyası yedekle değiştirilemedi.");
const QString kCurrentNotSaved = QStringLiteral("Şu anki kaydın yedeği alınamadı: %1");

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Every table's rows; a table an earlier version's file lacks has none.
QList<int> rowCounts(Database& db)
{
    QList<int> counts;
    for (const TableDef* t : Schema::allTables())
        counts << (db.columnNames(t->name).isEmpty() ? 0 : db.count(t->name));
    return counts;
}

// The file, read afresh, is sound and holds the rows counted. SQLite's
// quick check reads and decrypts every page (each one's authentication
// code checked), walks every b-tree and checks every record; only the
// comparison of each index with its table is left out, which costs as much
// again and checks what the export itself wrote through the same engine.
bool verified(const QString& path, const QByteArray& key, const QList<int>& counts)
{
    Database copy(path, key);
    copy.openForReading();
    // The pages the check reads stay at hand for the counts; the cache goes
    // with the connection.
    copy.exec(QStringLiteral("PRAGMA cache_size = -262144"));
    return copy.quickCheck() == QStringLiteral("ok") && rowCounts(copy) == counts;
}

// The file opens with the key and passes SQLite's quick check.
bool passesCheck(const QString& path, const QByteArray& key)
{
    const qint64 size = QFileInfo(path).size();
    if (size <= 0 || size % Database::pageSize() != 0)
        return false;
    try {
        Database copy(path, key);
        copy.openForReading();
        return copy.quickCheck() == QStringLiteral("ok");
    } catch (const RadaError&) {
        return false;
    }
}

// Put on the disk beside the work: the disk may take a while.
bool onDisk(const QString& path, QString* reason)
{
    bool ok = false;
    Dialogs::aside([&] { ok = syncToDisk(path, reason); });
    return ok;
}

bool copyBytes(const QString& from, const QString& to, QString* reason)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly)) {
        *reason = in.errorString();
        return false;
    }
    // The file is there already, private: its mode stays.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *reason = out.errorString();
        return false;
    }
    while (!in.atEnd()) {
        Dialogs::checkpoint();
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            *reason = in.errorString();
            return false;
        }
        if (out.write(chunk) != chunk.size()) {
            *reason = out.errorString();
            return false;
        }
    }
    if (!out.flush()) {
        *reason = out.errorString();
        return false;
    }
    return true;
}

// Replaces a table's rows in copy with those rows, row ids included.
void replaceRows(Database& copy, const TableDef& t, const QList<StoreRow>& rows)
{
    QStringList names;
    for (const QString& c : t.columnNames())
        names << QLatin1Char('"') + c + QLatin1Char('"');
    const QString insert = QStringLiteral("INSERT INTO \"%1\" (rowid, %2) VALUES (?%3)")
                               .arg(t.name, names.join(QStringLiteral(", ")),
                                    QStringLiteral(", ?").repeated(names.size()));
    copy.exec(QStringLiteral("DELETE FROM \"%1\"").arg(t.name));
    for (const StoreRow& row : rows)
        copy.exec(insert, QList<QVariant>{row.key} + row.values);
}

} // namespace

Backups::Backups(Database& db, FileSystem& fs, Clock& clock) : m_db(db), m_fs(fs), m_clock(clock)
{
}

QString Backups::fileNameFor(const QDateTime& moment)
{
    return QStringLiteral("radadir-%1.dve").arg(moment.toString(kNameFormat));
}

QString Backups::restorePathFor(const QString& liveFile)
{
    return QFileInfo(liveFile).absoluteDir().filePath(QStringLiteral("radadir.dvr"));
}

QString Backups::folder()
{
    const QDir beside = QFileInfo(m_db.filePath()).absoluteDir();
    QString chosen;
    try {
        chosen = m_db.column(QStringLiteral("SELECT Klasor FROM YedekAyar")).value(0).toString();
    } catch (const RadaError&) {
        // Unreadable: the backup goes where it goes without a choice.
    }
    if (chosen.isEmpty())
        return beside.filePath(kDefaultFolderName);
    return QDir::cleanPath(beside.absoluteFilePath(chosen));
}

bool Backups::setFolder(const QString& folder, QString* reason)
{
    const QString stored = folder.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    try {
        Store::Transaction tx = m_db.transaction();
        m_db.exec(QStringLiteral("DELETE FROM YedekAyar"));
        m_db.exec(QStringLiteral("INSERT INTO YedekAyar (Klasor) VALUES (?)"), {stored});
        tx.commit();
        return true;
    } catch (const RadaError& e) {
        if (reason)
            *reason = e.text();
        return false;
    }
}

bool Backups::folderIsShared()
{
    return othersMayWriteIn(folder());
}

QList<Backups::Found> Backups::found()
{
    static const QRegularExpression name(QStringLiteral("^radadir-(\\d{8}-\\d{6})\\.dve$"));
    const QDir dir(folder());
    QList<Found> out;
    for (const QString& file : dir.entryList({QStringLiteral("radadir-*.dve")}, QDir::Files)) {
        const QRegularExpressionMatch m = name.match(file);
        if (!m.hasMatch())
            continue;
        const QDateTime moment = QDateTime::fromString(m.captured(1), kNameFormat);
        if (moment.isValid())
            out << Found{dir.filePath(file), moment};
    }
    std::sort(out.begin(), out.end(), [](const Found& a, const Found& b) { return a.moment > b.moment; });
    return out;
}

std::optional<QDateTime> Backups::newest()
{
    const QList<Found> all = found();
    if (all.isEmpty())
        return std::nullopt;
    return all.first().moment;
}

bool Backups::isDue(const QDateTime& now)
{
    const std::optional<QDateTime> last = newest();
    return !last || last->secsTo(now) >= 24 * 3600;
}

bool Backups::madeOn(const QDate& day)
{
    const QList<Found> all = found();
    return std::any_of(all.begin(), all.end(), [&](const Found& f) { return f.moment.date() == day; });
}

QList<Backups::Entry> Backups::list(const QByteArray& key)
{
    QList<Entry> out;
    for (const Found& f : found()) {
        Entry e{f.path, f.moment};
        try {
            Database copy(f.path, key);
            copy.openForReading();
            const int guests = copy.count(Schema::kisi().name);
            const int customers = copy.count(Schema::musteriler().name);
            e.guests = guests;
            e.customers = customers;
            e.opensWithKey = true;
        } catch (const RadaError&) {
            // Another key, or no register: listed without its rows.
        }
        // Cut short where it opens all the same, or spoilt where it does not.
        e.damaged = isDamaged(f.path, key, e.opensWithKey);
        if (e.damaged)
            e.opensWithKey = false;
        out << e;
    }
    return out;
}

bool Backups::isDamaged(const QString& path, const QByteArray& key, bool readWithKey)
{
    const qint64 size = QFileInfo(path).size();
    if (size <= 0 || size % Database::pageSize() != 0)
        return true;
    if (readWithKey)
        return false;
    QList<QByteArray> keys = {key};
    if (key != Database::kPassword)
        keys << Database::kPassword;
    for (const QByteArray& k : keys) {
        if (!Database::firstPageOpensWith(path, k))
            continue;
        try {
            Database copy(path, k);
            copy.openForReading();
            copy.count(Schema::kisi().name);
            copy.count(Schema::musteriler().name);
            return false;
        } catch (const RadaError&) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<Dialogs::Work> Backups::beginWork(const QString& text)
{
    if (!m_dialogs)
        return nullptr;
    return m_dialogs->beginWork({text, true});
}

std::optional<QString> Backups::make()
{
    const std::unique_ptr<Dialogs::Work> work = beginWork(kMaking);
    if (const std::optional<QString> reason = backUp({}))
        return kFailure.arg(native(folder()), *reason);
    return std::nullopt;
}

void Backups::removeTemporary(const QString& path)
{
    m_fs.remove(path);
    m_fs.remove(path + QStringLiteral("-journal"));
}

std::optional<QString> Backups::backUp(const QString& keep, bool rotation, QString* made)
{
    const QDir dir(folder());
    QString why;
    if (!makePrivateFolder(dir.path(), &why))
        return kNoFolder.arg(why);

    // What a backup cut short (the program ended, the power went) left; in a
    // shared folder another user's file of such a name is not ours to remove.
    for (const QString& file : dir.entryList({QStringLiteral("radadir-*.dve") + kPartial + QLatin1Char('*')}, QDir::Files)) {
        if (isOwnFile(dir.filePath(file)))
            m_fs.remove(dir.filePath(file));
    }

    // Two backups within one second (one just before a restore) keep apart.
    QDateTime moment = m_clock.now();
    moment.setTime(Formats::wholeSeconds(moment.time()));
    QString target = dir.filePath(fileNameFor(moment));
    while (m_fs.exists(target)) {
        moment = moment.addSecs(1);
        target = dir.filePath(fileNameFor(moment));
    }
    // Made private and empty first, under a name nobody could have ready (a
    // shared folder): SQLCipher fills it and keeps its mode.
    const QString partial = createUniquePrivateFile(target + kPartial + QLatin1Char('-'), &why);
    if (partial.isEmpty())
        return kNotCreated.arg(why);
    auto failed = [&](const QString& reason) {
        removeTemporary(partial);
        return reason;
    };
    try {
        // The live rows are counted on a connection of their own while the
        // export runs: both read the same file, which nothing writes
        // meanwhile.
        std::future<QList<int>> counting =
            std::async(std::launch::async, [live = m_db.filePath(), key = m_db.password()] {
                Database source(live, key);
                source.openForReading();
                return rowCounts(source);
            });
        exportTo(partial);
        const QList<int> counts = counting.get();
        if (!verified(partial, m_db.password(), counts))
            return failed(kNotVerified);
        if (!onDisk(partial, &why))
            return failed(kNotSynced.arg(why));
        // The last moment the backup may be abandoned.
        Dialogs::checkpoint();
    } catch (const WorkAbandoned&) {
        removeTemporary(partial);
        throw;
    } catch (const RadaError& e) {
        return failed(e.text());
    }
    const std::unique_ptr<Dialogs::Work> rest = Dialogs::toTheEnd();
    // The rename writes the folder's entry to the disk as well.
    if (!m_fs.replace(partial, target))
        return failed(kNotNamed);
    if (made)
        *made = target;
    if (rotation)
        rotate(keep);
    return std::nullopt;
}

void Backups::exportTo(const QString& path)
{
    // Attached without a key of its own, the copy takes the register's key
    // as the connection holds it, derived already: the same password opens
    // both, and the copy is made without deriving the key once more.
    m_db.exec(QStringLiteral("ATTACH DATABASE ? AS backup"), {QFileInfo(path).absoluteFilePath()});
    try {
        // A copy that fails is deleted whole: it needs no journal, which
        // would be one more file made by name in the backup folder.
        m_db.column(QStringLiteral("PRAGMA backup.journal_mode = OFF"));
        m_db.column(QStringLiteral("SELECT sqlcipher_export('backup')"));
    } catch (const RadaError&) {
        try {
            m_db.exec(QStringLiteral("DETACH DATABASE backup"));
        } catch (const RadaError&) {
            // The export's own error is the one to report.
        }
        throw;
    }
    m_db.exec(QStringLiteral("DETACH DATABASE backup"));
}

std::optional<QString> Backups::rewrite(const QString& path, const QByteArray& fromKey,
                                       const std::function<void(Database&)>& edit)
{
    const QByteArray key = m_db.password();
    QString why;
    QStringList made;
    const auto cleanUp = [&] {
        for (const QString& file : made)
            removeTemporary(file);
    };
    const auto another = [&]() {
        const QString file = createUniquePrivateFile(path + kPartial + QLatin1Char('-'), &why);
        if (!file.isEmpty())
            made << file;
        return file;
    };
    QString copy = another();
    if (copy.isEmpty())
        return kNotCreated.arg(why);
    try {
        QList<int> counts;
        {
            Database source(path, fromKey);
            source.open(Database::Missing::Refuse);
            counts = rowCounts(source);
            source.exportTo(copy, key);
        }
        if (edit) {
            // The rows go with secure delete, their pages overwritten, and
            // the copy exported once more leaves no free page at all.
            Database edited(copy, key);
            edited.open(Database::Missing::Refuse);
            edited.exec(QStringLiteral("PRAGMA secure_delete = ON"));
            Store::Transaction tx = edited.transaction();
            edit(edited);
            tx.commit();
            counts = rowCounts(edited);
            const QString compacted = another();
            if (compacted.isEmpty()) {
                cleanUp();
                return kNotCreated.arg(why);
            }
            edited.exportTo(compacted, key);
            copy = compacted;
        }
        if (!verified(copy, key, counts)) {
            cleanUp();
            return kNotVerified;
        }
    } catch (const RadaError& e) {
        cleanUp();
        return e.text();
    }
    if (!onDisk(copy, &why)) {
        cleanUp();
        return kNotSynced.arg(why);
    }
    if (!m_fs.replace(copy, path)) {
        cleanUp();
        return kNotNamed;
    }
    made.removeAll(copy);
    cleanUp();
    return std::nullopt;
}

Backups::Rewritten Backups::reencrypt(const QByteArray& oldKey, const Progress& progress)
{
    const QByteArray key = m_db.password();
    QList<QByteArray> oldKeys = {oldKey};
    if (oldKey != Database::kPassword)
        oldKeys << Database::kPassword;
    oldKeys.removeAll(key);
    Rewritten out;
    const QList<Found> all = found();
    int i = 0;
    for (const Found& f : all) {
        const auto from = std::find_if(oldKeys.begin(), oldKeys.end(),
                                       [&](const QByteArray& k) { return Database::firstPageOpensWith(f.path, k); });
        if (from == oldKeys.end()) {
            // Under the new key already (a change cut short and done again),
            // or under one neither old key is.
            if (!Database::firstPageOpensWith(f.path, key))
                out.otherKey << f.path;
        } else if (!passesCheck(f.path, *from)) {
            out.damaged << f.path;
        } else if (rewrite(f.path, *from)) {
            out.failed << f.path;
        } else {
            ++out.done;
        }
        if (progress)
            progress(++i, int(all.size()));
    }
    return out;
}

Backups::Rewritten Backups::eraseCustomers(const std::function<QList<qint64>(Store&)>& whom, const Progress& progress)
{
    const QByteArray key = m_db.password();
    QList<QByteArray> keys = {key};
    if (key != Database::kPassword)
        keys << Database::kPassword;
    const auto erase = [&whom](Database& copy) {
        const QList<qint64> customers = whom(copy);
        copy.remove(Schema::musteriler().name, customers);
        const int column = Schema::musteriKonaklama().indexOf(Columns::musteriID);
        for (qint64 customer : customers)
            copy.remove(Schema::musteriKonaklama().name, copy.keysWhere(Schema::musteriKonaklama().name, column, customer));
    };
    Rewritten out;
    const QList<Found> all = found();
    int i = 0;
    for (const Found& f : all) {
        const auto from = std::find_if(keys.begin(), keys.end(),
                                       [&](const QByteArray& k) { return Database::firstPageOpensWith(f.path, k); });
        bool held = false;
        if (from != keys.end()) {
            try {
                Database copy(f.path, *from);
                copy.openForReading();
                held = !whom(copy).isEmpty();
            } catch (const RadaError&) {
                held = true; // found damaged below
            }
        }
        if (from == keys.end()) {
            out.otherKey << f.path;
        } else if (held) {
            if (!passesCheck(f.path, *from))
                out.damaged << f.path;
            else if (rewrite(f.path, *from, erase))
                out.failed << f.path;
            else
                ++out.done;
        }
        if (progress)
            progress(++i, int(all.size()));
    }
    return out;
}

bool Backups::removeDamaged(const QStringList& paths)
{
    bool all = true;
    for (const QString& path : paths)
        all = m_fs.remove(path) && all;
    return all;
}

void Backups::rotate(const QString& keep)
{
    const QDateTime oldest = m_clock.now().addDays(-kKeepDays);
    const QList<Found> all = found();
    for (int i = 0; i < all.size(); ++i) {
        if (all[i].path != keep && (i >= kKeepCount || all[i].moment < oldest))
            m_fs.remove(all[i].path);
    }
}

std::optional<QString> Backups::buildReplacement(const QString& backup, const QByteArray& backupKey,
                                                 const QList<int>& backupCounts, const QString& replacement)
{
    const QByteArray key = m_db.password();
    QString why;
    // One left by a restore cut short, with its journal, which must not be
    // played into the new copy.
    removeTemporary(replacement);
    if (m_fs.exists(replacement) || m_fs.exists(replacement + QStringLiteral("-journal")))
        return kNotCreated.arg(native(replacement));
    if (!createPrivateFile(replacement, &why))
        return kNotCreated.arg(why);
    if (!copyBytes(backup, replacement, &why))
        return kNotCopied.arg(why);
    // What belongs to the program rather than to the guests stays as it is
    // now: the run history (which files went out), the backup folder, the
    // record of the destructions, the retention settings and the monthly
    // figures.
    const QList<const TableDef*> kept = {&Schema::transferGecmisi(),     &Schema::yedekAyar(),
                                         &Schema::imhaKayitlari(),       &Schema::kvkkAyar(),
                                         &Schema::konaklamaIstatistik(), &Schema::istatistikAyar()};
    try {
        QList<int> expected = backupCounts;
        {
            Database copy(replacement, backupKey);
            copy.open(Database::Missing::Refuse);
            Store::Transaction tx = copy.transaction();
            for (const TableDef* t : kept) {
                const QList<StoreRow> rows = m_db.load(t->name);
                replaceRows(copy, *t, rows);
                expected[Schema::allTables().indexOf(t)] = int(rows.size());
            }
            tx.commit();
            // A password changed since the backup (because the old one
            // leaked, perhaps) is not put back by it: the copy takes the
            // register's key, proved as a password change is.
            if (backupKey != key)
                copy.rekey(key);
        }
        if (!verified(replacement, key, expected))
            return kNotVerified;
    } catch (const WorkAbandoned&) {
        throw;
    } catch (const RadaError& e) {
        return e.text();
    }
    if (!onDisk(replacement, &why))
        return kNotSynced.arg(why);
    return std::nullopt;
}

std::optional<QString> Backups::restore(const Entry& backup, const QByteArray& backupKey)
{
    const auto failed = [&](const QString& reason) { return kRestoreFailure.arg(native(backup.path), reason); };
    // The backup must open before anything is touched.
    // Whole, read through and checked: a damaged one is said to be damaged,
    // not taken for one under another password.
    QList<int> backupCounts;
    const qint64 size = QFileInfo(backup.path).size();
    if (size <= 0 || size % Database::pageSize() != 0)
        return failed(kDamaged);
    const std::unique_ptr<Dialogs::Work> work = beginWork(kRestoring);
    try {
        Database copy(backup.path, backupKey);
        copy.openForReading();
        copy.exec(QStringLiteral("PRAGMA cache_size = -262144"));
        if (copy.quickCheck() != QStringLiteral("ok"))
            return failed(kDamaged);
        backupCounts = rowCounts(copy);
    } catch (const WorkAbandoned&) {
        throw;
    } catch (const RadaError& e) {
        if (Database::firstPageOpensWith(backup.path, backupKey))
            return failed(kDamaged);
        const auto* open = dynamic_cast<const DatabaseOpenError*>(&e);
        return failed(open && open->wrongKey() ? kWrongKey : e.text());
    }
    // The current register's backup; the others are rotated once the
    // restore is through, so that one abandoned leaves the folder as it was.
    QString current;
    if (const std::optional<QString> reason = backUp(backup.path, false, &current))
        return failed(kCurrentNotSaved.arg(*reason));

    const QString live = m_db.filePath();
    const QString replacement = restorePathFor(live);
    std::optional<QString> reason;
    try {
        reason = buildReplacement(backup.path, backupKey, backupCounts, replacement);
        // The last moment the restore may be abandoned.
        if (!reason)
            Dialogs::checkpoint();
    } catch (const WorkAbandoned&) {
        removeTemporary(replacement);
        m_fs.remove(current);
        throw;
    }
    const std::unique_ptr<Dialogs::Work> rest = Dialogs::toTheEnd();
    if (!reason) {
        m_db.close();
        if (m_fs.replace(replacement, live)) {
            m_db.open(Database::Missing::Refuse);
            rotate(backup.path);
            return std::nullopt;
        }
        reason = kNotReplaced;
        m_db.open(Database::Missing::Refuse);
    }
    removeTemporary(replacement);
    rotate(backup.path);
    return failed(*reason);
}

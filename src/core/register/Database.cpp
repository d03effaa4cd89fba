// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Database.h"

#include "core/register/Schema.h"
#include "platform/core/Dialogs.h"
#include "platform/core/FileSystem.h"

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <algorithm>
#include <QFileInfo>
#include <QScopeGuard>
#include <QVarLengthArray>

const QString Database::kFileName = QStringLiteral("radadir.dve");
const QByteArray Database::kPassword = QByteArrayLiteral("vorpalquintezbrask");

class Database::Statement
{
public:
    Statement(sqlite3* db, const QString& sql) : m_db(db)
    {
        const QByteArray utf8 = sql.toUtf8();
        m_rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int prepareResult() const { return m_rc; }

    void bind(const QList<QVariant>& values)
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        QByteArray held;
        for (int i = 0; i < values.size(); ++i) {
            const StoreValue v = StoreValue::of(values[i], held);
            const int pos = i + 1;
            switch (v.kind) {
            case StoreValue::Kind::Null: sqlite3_bind_null(m_stmt, pos); break;
            case StoreValue::Kind::Integer: sqlite3_bind_int64(m_stmt, pos, v.integer); break;
            case StoreValue::Kind::Real: sqlite3_bind_double(m_stmt, pos, v.real); break;
            case StoreValue::Kind::Bytes: sqlite3_bind_blob(m_stmt, pos, v.data, int(v.size), SQLITE_TRANSIENT); break;
            case StoreValue::Kind::Text: sqlite3_bind_text(m_stmt, pos, v.data, int(v.size), SQLITE_TRANSIENT); break;
            }
        }
    }
    // A value as SQLite holds it, without a copy: text and bytes stay valid
    // until the next step or reset.
    StoreValue raw(int col) const
    {
        StoreValue v;
        switch (sqlite3_column_type(m_stmt, col)) {
        case SQLITE_NULL:
            break;
        case SQLITE_INTEGER:
            v.kind = StoreValue::Kind::Integer;
            v.integer = sqlite3_column_int64(m_stmt, col);
            break;
        case SQLITE_FLOAT:
            v.kind = StoreValue::Kind::Real;
            v.real = sqlite3_column_double(m_stmt, col);
            break;
        case SQLITE_BLOB:
            v.kind = StoreValue::Kind::Bytes;
            v.data = static_cast<const char*>(sqlite3_column_blob(m_stmt, col));
            v.size = sqlite3_column_bytes(m_stmt, col);
            break;
        default:
            v.kind = StoreValue::Kind::Text;
            v.data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
            v.size = sqlite3_column_bytes(m_stmt, col);
        }
        return v;
    }
    qint64 integer(int col) const { return sqlite3_column_int64(m_stmt, col); }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return sqlite3_step(m_stmt); }
    void reset() { sqlite3_reset(m_stmt); }
    int columnCount() const { return sqlite3_column_count(m_stmt); }
    QVariant value(int col) const
    {
        switch (sqlite3_column_type(m_stmt, col)) {
        case SQLITE_NULL: return QVariant();
        case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(m_stmt, col)));
        case SQLITE_FLOAT: return QVariant(sqlite3_column_double(m_stmt, col));
        case SQLITE_BLOB:
            return QByteArray(static_cast<const char*>(sqlite3_column_blob(m_stmt, col)),
                              sqlite3_column_bytes(m_stmt, col));
        default:
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col)),
                                     sqlite3_column_bytes(m_stmt, col));
        }
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc;
};

namespace {

// Set when a connection was stopped because the clerk abandoned the work;
// the failure that follows is the abandonment.
thread_local bool t_interrupted = false;

// How many of SQLite's steps go between two reports to the current work: a
// few tens of microseconds, so that the windows paint and "İptal" is heard
// at once, however long the statement.
constexpr int kStepsPerReport = 100;

int reportProgress(void*)
{
    Dialogs::Work* work = Dialogs::currentWork();
    if (!work || work->keepGoing())
        return 0;
    t_interrupted = true;
    return 1;
}

QString openFailureReason(int rc)
{
    switch (rc) {
    case SQLITE_NOTADB:
        return QStringLiteral("Dosya bir veritabanı değil ya da parolası yanlış.");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Dosya başka bir program tarafından kilitlenmiş.");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_READONLY:
        return QStringLiteral("Dosya açılamıyor ya da bu dosyaya erişim izni yok.");
    case SQLITE_CORRUPT:
        return QStringLiteral("Dosya bozuk.");
    default:
        return QString::fromUtf8(sqlite3_errstr(rc));
    }
}

// A change cut short (the program killed, the power gone) leaves a journal
// beside the file, which the first connection that may write plays back: a
// connection for reading alone refuses the file until then, whatever its key.
// The journal holds the pages as they were stored, so playing it back needs
// no key; a wrong one is refused afterwards as any wrong key is.
bool rolledBackLeftJournal(sqlite3* db, const QString& path, int flags, const QByteArray& key)
{
    if ((flags & SQLITE_OPEN_READONLY) == 0 || sqlite3_extended_errcode(db) != SQLITE_READONLY_ROLLBACK)
        return false;
    sqlite3* writer = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &writer, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_key(writer, key.constData(), int(key.size()));
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(writer, 2000);
        sqlite3_exec(writer, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    sqlite3_close(writer);
    return rc == SQLITE_OK;
}

// A connection to the file keyed and read once: a wrong key or a file that
// is no database shows at the first read. Throws DatabaseOpenError with the
// heading and the reason.
sqlite3* openKeyedHere(const QString& path, int flags, const QByteArray& key, const QString& heading)
{
    sqlite3* db = nullptr;
    int rc = SQLITE_OK;
    for (bool retried = false;; retried = true) {
        rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_key(db, key.constData(), int(key.size()));
        if (rc == SQLITE_OK) {
            sqlite3_busy_timeout(db, 2000);
            sqlite3_progress_handler(db, kStepsPerReport, reportProgress, nullptr);
            rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        }
        if (rc == SQLITE_OK || retried || !rolledBackLeftJournal(db, path, flags, key))
            break;
        sqlite3_close(db);
        db = nullptr;
    }
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        throw DatabaseOpenError(heading + openFailureReason(rc), rc == SQLITE_NOTADB
                                                                     ? DatabaseOpenError::Reason::WrongKey
                                                                     : DatabaseOpenError::Reason::Other);
    }
    return db;
}

// The key is derived (many thousand rounds, reporting nothing) beside the
// current work.
sqlite3* openKeyed(const QString& path, int flags, const QByteArray& key, const QString& heading)
{
    sqlite3* db = nullptr;
    Dialogs::aside([&] { db = openKeyedHere(path, flags, key, heading); });
    return db;
}

} // namespace

Database::Database(const QString& path, QByteArray password)
    : m_path(QFileInfo(path).absoluteFilePath()), m_filePath(resolvedFilePath(m_path)), m_password(std::move(password))
{
}

Database::~Database()
{
    close();
}

void Database::fail(const QString& what) const
{
    if (t_interrupted) {
        t_interrupted = false;
        throw WorkAbandoned();
    }
    const QString detail = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
    const Failure::Kind failure = m_db ? Failure::ofSqlite(sqlite3_extended_errcode(m_db)) : Failure::Kind::Other;
    throw StoreError(failure, detail.isEmpty() ? what : what + QStringLiteral(": ") + detail);
}

void Database::open(Missing missing)
{
    if (m_db)
        return;
    const QFileInfo info(m_filePath);
    const bool fresh = !info.exists() || (info.isFile() && info.size() == 0);
    const QString heading = QStringLiteral("Veritabanı açılamadı: %1\n").arg(m_path);
    if (fresh && missing == Missing::Refuse)
        throw DatabaseOpenError(heading + QStringLiteral("Dosya bulunamadı."));

    // A new register is private from its first byte: the empty file is made
    // with mode 0600 and SQLCipher fills it, giving its journal the same mode.
    // An empty file there already holds nothing and goes first: the new one
    // is made only where nothing is.
    if (fresh && info.exists() && !QFile::remove(m_filePath))
        throw DatabaseOpenError(heading + openFailureReason(SQLITE_CANTOPEN));
    if (fresh && !createPrivateFile(m_filePath, nullptr))
        throw DatabaseOpenError(heading + openFailureReason(SQLITE_CANTOPEN));

    // With CREATE, so that an attached copy (compaction) can be created too.
    // The connection is used by one thread only: without the lock SQLite
    // would otherwise take around every call, reading a table costs half.
    sqlite3* db = openKeyed(m_filePath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, m_password,
                            heading);
    // A file that cannot be written (its mode, a read-only mount) is opened
    // for reading without a word; the first save would fail.
    if (sqlite3_db_readonly(db, "main") != 0) {
        sqlite3_close(db);
        throw DatabaseOpenError(QStringLiteral("Veritabanı açılamadı: %1\rBu dosyaya yazma izni yok: kayıtlar saklanamaz.")
                                    .arg(QDir::toNativeSeparators(m_path)));
    }
    m_db = db;
    m_createdNew = false;

    if (fresh) {
        try {
            Transaction tx = transaction();
            createSchema();
            seedLookups();
            tx.commit();
        } catch (const RadaError& e) {
            close();
            QFile::remove(m_filePath);
            throw DatabaseOpenError(heading + e.text());
        }
        m_createdNew = true;
        return;
    }

    // A register made by an earlier version gets the tables added since, in
    // one transaction; nothing else in it changes.
    const auto present = [this](const TableDef& t) { return columnNames(t.name); };
    const QList<const TableDef*> added = Schema::missingLaterTables(present);
    if (!added.isEmpty()) {
        try {
            Transaction tx = transaction();
            for (const TableDef* t : added)
                exec(Schema::createStatement(*t));
            tx.commit();
        } catch (const RadaError& e) {
            close();
            throw DatabaseOpenError(heading + e.text());
        }
    }

    // The file must hold every table with every column the program uses.
    const QStringList absent = Schema::absentColumns(present);
    if (!absent.isEmpty()) {
        close();
        throw DatabaseOpenError(heading + QStringLiteral("Eksik tablo ya da sütunlar: %1").arg(absent.join(QStringLiteral(", "))));
    }
}

void Database::openForReading()
{
    if (m_db)
        return;
    const QString heading = QStringLiteral("Veritabanı açılamadı: %1\n").arg(m_path);
    const QFileInfo info(m_filePath);
    if (!info.exists() || (info.isFile() && info.size() == 0))
        throw DatabaseOpenError(heading + QStringLiteral("Dosya bulunamadı."));
    sqlite3* db = openKeyed(m_filePath, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, m_password, heading);
    m_db = db;
    m_createdNew = false;
}

void Database::close()
{
    m_statements.clear();
    transactionsLost();
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

Database::Statement& Database::prepared(const QString& sql)
{
    if (!m_db)
        throw StoreError(QStringLiteral("Veritabanı bağlantısı kapalı."));
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        auto st = std::make_shared<Statement>(m_db, sql);
        if (st->prepareResult() != SQLITE_OK)
            fail(QStringLiteral("SQL hazırlanamadı"));
        it = m_statements.insert(sql, st);
    }
    return *it.value();
}

void Database::exec(const QString& sql, const QList<QVariant>& values)
{
    Statement& st = prepared(sql);
    st.bind(values);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
    }
    st.reset();
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("Kayıt yazılamadı"));
}

QList<QVariant> Database::column(const QString& sql, const QList<QVariant>& values)
{
    Statement& st = prepared(sql);
    st.bind(values);
    QList<QVariant> out;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW)
        out << st.value(0);
    st.reset();
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("Kayıtlar okunamadı"));
    return out;
}

bool Database::readsBeside() const
{
    return m_db && !transactionOpen() && sqlite3_get_autocommit(m_db) != 0;
}

std::unique_ptr<Store> Database::readerBeside() const
{
    // Touches nothing of this connection's, which another thread may be using.
    auto reader = std::make_unique<Database>(m_filePath, m_password);
    reader->openForReading();
    return reader;
}

QList<StoreRow> Database::load(const QString& table)
{
    return loadByScanning(table);
}

void Database::scan(const QString& table, const RowReader& row)
{
    const TableDef& t = Schema::table(table);
    Statement& st = prepared(QStringLiteral("SELECT rowid, %1 FROM \"%2\" ORDER BY rowid")
                                 .arg(Schema::columnList(t, true), t.name));
    st.bind({});
    // Ends the read also when a reader throws.
    struct Reset
    {
        Statement& st;
        ~Reset() { st.reset(); }
    } reset{st};
    const int n = int(t.columns.size());
    QVarLengthArray<StoreValue, 64> values(n);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        for (int i = 0; i < n; ++i)
            values[i] = st.raw(i + 1);
        row(st.integer(0), std::span<const StoreValue>(values.data(), std::size_t(n)));
    }
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("Tablo okunamadı"));
}

qint64 Database::insert(const QString& table, const QList<QVariant>& values)
{
    const TableDef& t = Schema::table(table);
    QStringList marks;
    for (const ColumnDef& c : t.columns) {
        if (c.type != ColumnType::AutoId)
            marks << QStringLiteral("?");
    }
    exec(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
             .arg(t.name, Schema::columnList(t, false), marks.join(QStringLiteral(", "))),
         Schema::withoutAuto(t, values));
    return sqlite3_last_insert_rowid(m_db);
}

void Database::update(const QString& table, qint64 key, const QList<QVariant>& values)
{
    const TableDef& t = Schema::table(table);
    QStringList sets;
    for (const ColumnDef& c : t.columns) {
        if (c.type != ColumnType::AutoId)
            sets << QStringLiteral("\"%1\" = ?").arg(c.name);
    }
    QList<QVariant> bound = Schema::withoutAuto(t, values);
    bound << key;
    exec(QStringLiteral("UPDATE \"%1\" SET %2 WHERE rowid = ?").arg(t.name, sets.join(QStringLiteral(", "))),
         bound);
    if (sqlite3_changes(m_db) != 1)
        throw StoreError(QStringLiteral("Kayıt bulunamadı; başka bir program tarafından silinmiş olabilir."));
}

void Database::remove(const QString& table, const QList<qint64>& keys)
{
    const TableDef& t = Schema::table(table);
    // Many keys per statement: a purge of thousands of guests is a few
    // dozen statements, not thousands.
    constexpr qsizetype kChunk = 500;
    auto statement = [&t](qsizetype n) {
        QStringList marks(n, QStringLiteral("?"));
        return QStringLiteral("DELETE FROM \"%1\" WHERE rowid IN (%2)").arg(t.name, marks.join(QLatin1Char(',')));
    };
    const QString full = statement(kChunk);
    Transaction tx = transaction();
    for (qsizetype at = 0; at < keys.size(); at += kChunk) {
        const qsizetype n = std::min(kChunk, keys.size() - at);
        QList<QVariant> bound;
        bound.reserve(n);
        for (qsizetype i = at; i < at + n; ++i)
            bound << keys[i];
        exec(n == kChunk ? full : statement(n), bound);
    }
    tx.commit();
}

int Database::count(const QString& table)
{
    const TableDef& t = Schema::table(table);
    // One step of SQLite's that reads the whole table, which on a fresh
    // connection decrypts every page of it.
    int rows = 0;
    Dialogs::aside([&] { rows = column(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(t.name)).value(0).toInt(); });
    return rows;
}

QList<qint64> Database::keysWhere(const QString& table, int column, qint64 value)
{
    const TableDef& t = Schema::table(table);
    QList<qint64> keys;
    for (const QVariant& key :
         this->column(QStringLiteral("SELECT rowid FROM \"%1\" WHERE \"%2\" = ? ORDER BY rowid")
                          .arg(t.name, t.columns.at(column).name),
                      {value}))
        keys << key.toLongLong();
    return keys;
}

void Database::eraseOnDelete()
{
    exec(QStringLiteral("PRAGMA secure_delete = ON"));
}

namespace {

QString savepoint(int level)
{
    return QStringLiteral("\"Rada%1\"").arg(level);
}

} // namespace

Store::Transaction Database::snapshot()
{
    m_snapshot = true;
    const auto reset = qScopeGuard([this] { m_snapshot = false; });
    return transaction();
}

void Database::beginLevel(int level)
{
    if (level > 1)
        exec(QStringLiteral("SAVEPOINT ") + savepoint(level));
    else
        exec(m_snapshot ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
}

void Database::commitLevel(int level)
{
    if (level > 1) {
        exec(QStringLiteral("RELEASE SAVEPOINT ") + savepoint(level));
        return;
    }
    // Writing the pages and putting them on the disk reports nothing.
    Dialogs::aside([this] { exec(QStringLiteral("COMMIT")); });
}

void Database::rollbackLevel(int level) noexcept
{
    if (!m_db || sqlite3_get_autocommit(m_db)) {
        // The engine ended the transaction already.
        transactionsLost();
        return;
    }
    if (level > 1) {
        const QByteArray name = savepoint(level).toUtf8();
        const QByteArray sql = "ROLLBACK TO SAVEPOINT " + name + "; RELEASE SAVEPOINT " + name;
        if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
            return;
        // The savepoint is gone (the engine undid the whole transaction on
        // a full disk, say): nothing of the outer work may be committed.
        transactionsLost();
    }
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Database::createSchema()
{
    for (const TableDef* t : Schema::allTables())
        exec(Schema::createStatement(*t));
}

void Database::seedLookups()
{
    Schema::forEachLookupRow([this](const TableDef& t, const QList<QVariant>& values) { insert(t.name, values); });
}

QStringList Database::columnNames(const QString& table)
{
    // Table names come from the fixed schema only.
    Statement& st = prepared(QStringLiteral("PRAGMA table_info(\"%1\")").arg(Schema::table(table).name));
    st.bind({});
    QStringList names;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW)
        names << st.value(1).toString();
    st.reset();
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("Tablo bilgisi okunamadı"));
    return names;
}

void Database::exportTo(const QString& path)
{
    exportTo(path, m_password);
}

void Database::exportTo(const QString& path, const QByteArray& key)
{
    exec(QStringLiteral("ATTACH DATABASE ? AS compacted KEY ?"), {QFileInfo(path).absoluteFilePath(), QString::fromUtf8(key)});
    try {
        // A copy that fails is thrown away whole: it needs no journal, one
        // file fewer made by name beside it.
        column(QStringLiteral("PRAGMA compacted.journal_mode = OFF"));
        column(QStringLiteral("SELECT sqlcipher_export('compacted')"));
    } catch (...) {
        sqlite3_exec(m_db, "DETACH DATABASE compacted", nullptr, nullptr, nullptr);
        throw;
    }
    m_statements.clear();
    exec(QStringLiteral("DETACH DATABASE compacted"));
}

QString Database::quickCheck()
{
    QList<QVariant> result;
    Dialogs::aside([&] { result = column(QStringLiteral("PRAGMA quick_check")); });
    return result.value(0).toString();
}

QString Database::integrityCheck()
{
    // One step of SQLite's that reports nothing until the whole file is read.
    QList<QVariant> result;
    Dialogs::aside([&] { result = column(QStringLiteral("PRAGMA integrity_check")); });
    QStringList lines;
    for (const QVariant& v : result)
        lines << v.toString();
    return lines.join(QLatin1Char('\n'));
}

void Database::setPassword(const QByteArray& password)
{
    if (m_db)
        throw StoreError(QStringLiteral("Açık bir veritabanının anahtarı değiştirilemez."));
    m_password = password;
}

bool Database::opensWith(const QString& path, const QByteArray& password)
{
    try {
        sqlite3_close(openKeyed(path, SQLITE_OPEN_READONLY, password, QString()));
        return true;
    } catch (const DatabaseOpenError&) {
        return false;
    }
}

qint64 Database::pageSize()
{
    static const qint64 size = [] {
        sqlite3* db = nullptr;
        qint64 bytes = 0;
        if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, "PRAGMA cipher_default_page_size", -1, &st, nullptr) == SQLITE_OK &&
                sqlite3_step(st) == SQLITE_ROW)
                bytes = sqlite3_column_int64(st, 0);
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
        // SQLCipher 3's page, should the library not say.
        return bytes > 0 ? bytes : qint64(1024);
    }();
    return size;
}

bool Database::firstPageOpensWith(const QString& path, const QByteArray& password)
{
    bool opens = false;
    Dialogs::aside([&] {
        sqlite3* db = nullptr;
        int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_key(db, password.constData(), int(password.size()));
        // The schema's version is in the first page's header. Under another
        // key that page fails its authentication code and the file is "not a
        // database"; under its own key the answer comes, or the file is found
        // malformed beyond that page (cut short, the schema's pages missing).
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, "PRAGMA schema_version", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK && rolledBackLeftJournal(db, path, SQLITE_OPEN_READONLY, password))
            rc = sqlite3_exec(db, "PRAGMA schema_version", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        opens = rc == SQLITE_OK || (rc & 0xff) == SQLITE_CORRUPT;
    });
    return opens;
}

void Database::rekey(const QByteArray& password)
{
    if (!m_db)
        throw StoreError(QStringLiteral("Veritabanı bağlantısı kapalı."));
    if (transactionOpen())
        throw StoreError(QStringLiteral("Bir işlem sürerken anahtar değiştirilemez."));
    const QByteArray old = m_password;
    m_statements.clear();
    QString reason;
    int rc = SQLITE_OK;
    // SQLCipher rewrites every page in one call that reports nothing: it
    // runs beside the work, which keeps the windows painted meanwhile and
    // does not touch the connection.
    Dialogs::aside([&] {
        rc = sqlite3_rekey(m_db, password.constData(), int(password.size()));
        reason = rc == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errmsg(m_db));
        // SQLCipher answers OK even when the rewrite was rolled back: only
        // the file itself tells which key it now has.
        if (reason.isEmpty() && (!opensWith(m_filePath, password) || (old != password && opensWith(m_filePath, old))))
            reason = QStringLiteral("kayıt dosyası yeni parolayla açılamadı");
    });
    close();
    if (reason.isEmpty()) {
        m_password = password;
        open(Missing::Refuse);
        return;
    }
    m_password = opensWith(m_filePath, password) && !opensWith(m_filePath, old) ? password : old;
    open(Missing::Refuse);
    throw StoreError(Failure::ofSqlite(rc), reason);
}

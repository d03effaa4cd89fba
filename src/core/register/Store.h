// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/Failure.h"
#include "platform/core/RadaError.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <span>
#include <vector>

// A row as the store hands it out: an opaque key and the values of the
// table's columns in schema order. A null QVariant is an empty value.
struct StoreRow
{
    qint64 key = 0;
    QList<QVariant> values;
};

// One value of a row being streamed out of the store, as the store holds it.
// Text (UTF-8) and bytes point into the store's own buffer: they are valid
// only during the call that hands the row out.
struct StoreValue
{
    enum class Kind : quint8 { Null, Integer, Real, Text, Bytes };
    Kind kind = Kind::Null;
    qint64 integer = 0;
    double real = 0;
    const char* data = nullptr;
    qsizetype size = 0;

    // The one conversion of a value to be stored into the form both stores
    // and the dataset's rows keep it in: a null; a whole number (a boolean
    // as 0 or 1); a real; bytes; or else its text. A real goes into the
    // register's TEXT columns as its text (none of its number columns holds
    // anything but whole numbers), and the dataset packs it so. Text and
    // bytes point into held.
    static StoreValue of(const QVariant& v, QByteArray& held);

    QVariant toVariant() const
    {
        switch (kind) {
        case Kind::Null: return {};
        case Kind::Integer: return QVariant(integer);
        case Kind::Real: return QVariant(real);
        case Kind::Bytes: return QVariant(QByteArray(data, size));
        case Kind::Text: return QVariant(QString::fromUtf8(data, size));
        }
        return {};
    }
};

// The database refused a write (constraint, I/O). One whose failure the
// clerk can be told in words of the register's own has its text in two
// parts: the Turkish first line of its kind, and below it the server's or
// the engine's own text (the detail).
class StoreError : public RadaError
{
public:
    explicit StoreError(const QString& text) : RadaError(text), m_detail(text) {}
    StoreError(Failure::Kind failure, const QString& detail)
        : RadaError(Failure::text(failure, detail)), m_failure(failure), m_detail(detail)
    {
    }
    Failure::Kind failure() const { return m_failure; }
    const QString& detail() const { return m_detail; }

private:
    Failure::Kind m_failure = Failure::Kind::Other;
    QString m_detail;
};

// Another connection changed or deleted the row since this store last
// handed it out; nothing was written.
class StoreConflict : public StoreError
{
public:
    enum class Kind { Changed, Deleted };
    StoreConflict(Kind kind, const QString& text) : StoreError(text), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// The database server could not be reached, or the connection broke off;
// what was being written is not stored.
class StoreUnreachable : public StoreError
{
public:
    using StoreError::StoreError;
};

// The connection broke while a commit was on its way and the server could
// not tell in time whether it went through: what was written may or may
// not be stored.
class StoreOutcomeUnknown : public StoreUnreachable
{
public:
    using StoreUnreachable::StoreUnreachable;
};

// What the datasets need of a database. Free of any engine's types, so that
// another database could stand behind it.
class Store
{
public:
    virtual ~Store() = default;

    // Whether the connection is there to be used.
    virtual bool isOpen() const = 0;

    // Every row of a table in stored order.
    virtual QList<StoreRow> load(const QString& table) = 0;
    // Every row of a table in stored order, one call per row with its key and
    // its values in schema order, without making a copy of the table first.
    using RowReader = std::function<void(qint64 key, std::span<const StoreValue> values)>;
    virtual void scan(const QString& table, const RowReader& row)
    {
        std::vector<QByteArray> held;
        std::vector<StoreValue> values;
        for (const StoreRow& r : load(table)) {
            held.clear();
            values.clear();
            held.reserve(std::size_t(r.values.size()));
            for (const QVariant& v : r.values)
                values.push_back(fromVariant(v, held));
            row(r.key, values);
        }
    }
    // The keys of the rows whose column (by its place in schema order) holds
    // this whole number, in stored order; a row's key is not always a
    // number of its own (a table without an auto-number).
    virtual QList<qint64> keysWhere(const QString& table, int column, qint64 value)
    {
        QList<qint64> keys;
        scan(table, [&](qint64 key, std::span<const StoreValue> values) {
            const StoreValue& v = values[std::size_t(column)];
            if (v.kind == StoreValue::Kind::Integer && v.integer == value)
                keys << key;
        });
        return keys;
    }
    // A connection of its own to the same register for reading only, so that
    // another thread reads a table while this store is used: made and used
    // by that thread alone. Nothing where the store has none, or where a
    // connection of its own would not see what this one sees (inside a
    // transaction). readsBeside(), asked first by the thread that owns the
    // store, tells whether readerBeside() gives one and whether this store
    // may then be used by one other thread while the owner waits.
    virtual bool readsBeside() const { return false; }
    virtual std::unique_ptr<Store> readerBeside() const { return nullptr; }
    // Whether a read beside may go on this store's own connection while the
    // owner waits; where not, every table read beside gets a reader.
    virtual bool readsBesideOnOwn() const { return true; }
    // Takes over what a reader beside kept of the table's rows it read (the
    // versions they were read at), as though this store had read them.
    virtual void adoptRead(Store& reader, const QString& table)
    {
        Q_UNUSED(reader);
        Q_UNUSED(table);
    }
    // Inserts a row (values in schema order; the auto-number column is
    // ignored) and returns its key, which is also its auto-number.
    virtual qint64 insert(const QString& table, const QList<QVariant>& values) = 0;
    virtual void update(const QString& table, qint64 key, const QList<QVariant>& values) = 0;
    // Deletes the rows with these keys, all or none.
    virtual void remove(const QString& table, const QList<qint64>& keys) = 0;
    virtual int count(const QString& table) = 0;

    // Rows several desks share: another connection may change them at any
    // time, so a row is written only at the version it was read at.
    virtual bool isShared() const { return false; }
    // The version the last read handed out with this row (0 where rows have
    // none); asked while the row is being handed out, it is that row's.
    virtual qint64 readVersion(const QString& table, qint64 key) const
    {
        Q_UNUSED(table);
        Q_UNUSED(key);
        return 0;
    }
    // A row and the version it was read at.
    struct VersionedKey
    {
        qint64 key = 0;
        qint64 version = 0;
    };
    // The key and version of every row of a table, in no particular order;
    // empty where rows have no versions.
    virtual QList<VersionedKey> rowVersions(const QString& table)
    {
        Q_UNUSED(table);
        return {};
    }
    // Updates the row only at that version and returns its new one; throws
    // StoreConflict otherwise, writing nothing.
    virtual qint64 updateAt(const QString& table, VersionedKey row, const QList<QVariant>& values)
    {
        update(table, row.key, values);
        return 0;
    }
    // Deletes those of the rows that are still at their versions and
    // returns their keys; the others stay as they are.
    virtual QList<qint64> removeUnchanged(const QString& table, const QList<VersionedKey>& rows)
    {
        QList<qint64> keys;
        for (const VersionedKey& r : rows)
            keys << r.key;
        remove(table, keys);
        return keys;
    }
    // The rows with these keys as they are now, as scan() hands them out;
    // a key without a row is left out.
    virtual void scanKeys(const QString& table, const QList<qint64>& keys, const RowReader& row)
    {
        const QSet<qint64> wanted(keys.begin(), keys.end());
        scan(table, [&](qint64 key, std::span<const StoreValue> values) {
            if (wanted.contains(key))
                row(key, values);
        });
    }

    // Rows another desk changed: the table and their keys; no keys when the
    // whole table may have changed (many rows, or a connection made anew).
    using ChangeHandler = std::function<void(const QString& table, const QList<qint64>& keys)>;
    // Where the store reports other desks' changes once they are committed,
    // from the event loop; a store nobody else writes to reports none.
    virtual void watchChanges(ChangeHandler handler) { Q_UNUSED(handler); }

    // A task only one desk may run at a time (the transfer run): false when
    // another desk is running it. Always true where there is one desk.
    virtual bool tryExclusive(const QString& task)
    {
        Q_UNUSED(task);
        return true;
    }
    virtual void endExclusive(const QString& task) { Q_UNUSED(task); }

    // A transaction, made by transaction(). What goes through the store
    // meanwhile is kept by commit() and undone by rollback(), or by the
    // destructor of a guard neither committed nor rolled back, which never
    // throws. A guard made while another is open is a savepoint inside it:
    // undone, it leaves the outer one's work, which can still be committed.
    class [[nodiscard]] Transaction
    {
    public:
        Transaction(Transaction&& other) noexcept;
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        Transaction& operator=(Transaction&&) = delete;
        ~Transaction();

        // Keeps what was written; with the outermost guard, for good. Throws
        // StoreError when it could not (the guard then stays open), or when
        // the transaction has already ended without this guard.
        void commit();
        void rollback() noexcept;
        // Neither committed nor rolled back, and its transaction still there.
        bool isOpen() const;

    private:
        friend class Store;
        Transaction(Store* store, int level, quint64 id) : m_store(store), m_level(level), m_id(id) {}
        Store* m_store;
        int m_level;
        quint64 m_id;
    };
    // Begins a transaction, or a savepoint inside the one that is open.
    Transaction transaction();
    // Whether a transaction is open on this store.
    bool transactionOpen() const { return !m_transactions.empty(); }

    // Before personal data is deleted: the engine overwrites what deleted
    // rows leave behind, where it can be told to.
    virtual void eraseOnDelete() {}
    // Inside the transaction of a deletion of personal data: the table's
    // rewrite (dropDeletedRows) becomes due with the deletion's commit and
    // stays due, for every desk, until it is done.
    virtual void markRewriteDue(const QString& table) { Q_UNUSED(table); }
    // The tables whose rewrite is due.
    virtual QStringList rewritesDue() { return {}; }
    // After a deletion of personal data has committed: the table's files
    // are rewritten without the deleted rows' bytes, where the engine keeps
    // them (the file is compacted as a whole instead). False, with the
    // rewrite still due, when it could not be done now (the table was in use
    // at another desk, the server could not be reached).
    virtual bool dropDeletedRows(const QString& table)
    {
        Q_UNUSED(table);
        return true;
    }

protected:
    // What a guard asks of the engine. Level 1 is the transaction, a deeper
    // one a savepoint inside the level above. beginLevel throws, beginning
    // nothing; commitLevel throws when the level could not be kept;
    // rollbackLevel never throws.
    virtual void beginLevel(int level) = 0;
    virtual void commitLevel(int level) = 0;
    virtual void rollbackLevel(int level) noexcept = 0;
    // The transaction ended without its guards (the connection broke or was
    // closed, the engine undid it): every guard still around is left
    // without it.
    void transactionsLost() noexcept { m_transactions.clear(); }

    // Every row of a table collected from scan(), for a store whose scan is
    // its own way of reading.
    QList<StoreRow> loadByScanning(const QString& table)
    {
        QList<StoreRow> rows;
        scan(table, [&](qint64 key, std::span<const StoreValue> values) {
            StoreRow row{key, {}};
            row.values.reserve(qsizetype(values.size()));
            for (const StoreValue& v : values)
                row.values << v.toVariant();
            rows << std::move(row);
        });
        return rows;
    }

    // A loaded value in streamed form; its text or bytes are kept in held.
    static StoreValue fromVariant(const QVariant& v, std::vector<QByteArray>& held)
    {
        held.emplace_back();
        return StoreValue::of(v, held.back());
    }

private:
    // The guards open, outermost first, each by its number.
    std::vector<quint64> m_transactions;
    quint64 m_lastTransaction = 0;
};

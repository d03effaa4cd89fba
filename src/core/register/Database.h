// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/Store.h"

#include <QHash>
#include <QString>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// The database could not be opened (wrong password, not a database, locked).
class DatabaseOpenError : public RadaError
{
public:
    enum class Reason { Other, WrongKey };
    explicit DatabaseOpenError(const QString& text, Reason reason = Reason::Other)
        : RadaError(text), m_reason(reason)
    {
    }
    // The file is no database, or not one this key opens.
    bool wrongKey() const { return m_reason == Reason::WrongKey; }

private:
    Reason m_reason;
};

// One SQLCipher connection to the encrypted database file. Prepared
// statements only; the SQL text comes from the fixed schema, values are
// always bound.
class Database : public Store
{
public:
    static const QString kFileName;     // "radadir.dve"
    static const QByteArray kPassword;

    // Resolves the path once: to an absolute path as given, for messages,
    // and to the file it stands for behind any symbolic links.
    explicit Database(const QString& path, QByteArray password = kPassword);
    ~Database() override;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the file; creates it with schema and lookup rows when it does
    // not exist (unless told not to). Throws DatabaseOpenError with the
    // reason otherwise.
    enum class Missing { Create, Refuse };
    void open(Missing missing = Missing::Create);
    // Opens an existing file for reading only: nothing is created, added or
    // checked beyond the key, so a copy made by an earlier version stays as
    // it is and a copy on a read-only disk opens. Throws DatabaseOpenError.
    void openForReading();
    void close();
    bool isOpen() const override { return m_db != nullptr; }
    // True when the last open made a new file.
    bool createdNew() const { return m_createdNew; }
    // The register as it was named (absolute), for what the clerk reads.
    const QString& path() const { return m_path; }
    // The file itself: what is opened, locked, compacted and replaced, so
    // that a register reached through a link stays one file.
    const QString& filePath() const { return m_filePath; }
    const QByteArray& password() const { return m_password; }
    // The key the next open uses; only while closed.
    void setPassword(const QByteArray& password);
    // True when the register is keyed with the built-in key.
    bool hasOwnPassword() const { return m_password != kPassword; }
    // Encrypts the open register anew with another key, all or nothing (the
    // rollback journal), and proves it: a fresh connection must open the
    // file with the new key and be refused with the old one. On failure the
    // connection is opened again with the key that still opens the file and
    // StoreError says why.
    void rekey(const QByteArray& password);
    // Whether the file at path opens with this key (a separate, read-only
    // connection; nothing is created).
    static bool opensWith(const QString& path, const QByteArray& password);
    // Whether the file's first page decrypts with this key, whatever the
    // rest of it holds: a damaged file under this key tells itself so from
    // one under another key, which fails already there.
    static bool firstPageOpensWith(const QString& path, const QByteArray& password);
    // The library's page, which the program never changes: every sound file
    // is a whole number of them.
    static qint64 pageSize();

    // Another connection for reading, keyed with this one's key, while this
    // one is open and in no transaction.
    bool readsBeside() const override;
    std::unique_ptr<Store> readerBeside() const override;

    QList<StoreRow> load(const QString& table) override;
    void scan(const QString& table, const RowReader& row) override;
    QList<qint64> keysWhere(const QString& table, int column, qint64 value) override;
    qint64 insert(const QString& table, const QList<QVariant>& values) override;
    void update(const QString& table, qint64 key, const QList<QVariant>& values) override;
    void remove(const QString& table, const QList<qint64>& keys) override;
    int count(const QString& table) override;
    // A transaction for reading alone, as a connection for reading can
    // begin one: one snapshot of the file, whoever else writes it. A write
    // transaction (transaction()) takes the file's write lock as it begins.
    Transaction snapshot();
    // Turns SQLite's secure delete on: freed pages are overwritten, in the
    // file and in its journal.
    void eraseOnDelete() override;

    // Runs one statement with bound values; for schema work and tests.
    void exec(const QString& sql, const QList<QVariant>& values = {});
    // First column of every result row.
    QList<QVariant> column(const QString& sql, const QList<QVariant>& values = {});

    // Column names of a table as the database declares them.
    QStringList columnNames(const QString& table);

    // Writes an encrypted, compacted copy of the open database to another file.
    void exportTo(const QString& path);
    // The same under another key: the copy opens with that one only.
    void exportTo(const QString& path, const QByteArray& key);
    // "ok" when the database passes SQLite's integrity check. Both checks run
    // beside the current work (Dialogs::aside): each is one step of
    // SQLite's that reports nothing until the whole file is read.
    QString integrityCheck();
    // The same without comparing each index with its table; "ok" or the
    // first fault found.
    QString quickCheck();

    // Reads the lookup rows from the embedded data files and inserts them.
    void seedLookups();

protected:
    void beginLevel(int level) override;
    void commitLevel(int level) override;
    void rollbackLevel(int level) noexcept override;

private:
    class Statement;
    Statement& prepared(const QString& sql);
    void createSchema();
    [[noreturn]] void fail(const QString& what) const;

    QString m_path;
    QString m_filePath;
    QByteArray m_password;
    sqlite3* m_db = nullptr;
    QHash<QString, std::shared_ptr<Statement>> m_statements;
    bool m_snapshot = false; // the transaction next begun is for reading
    bool m_createdNew = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/PgConnection.h"
#include "core/register/Store.h"

#include <QHash>
#include <QString>
#include <functional>
#include <memory>

class Dialogs;
class QObject;
class QSocketNotifier;
class QTimer;

struct TableDef;

// The register's tables in a PostgreSQL database, for several reception
// desks on one register. The tables are the register's own (names, columns,
// sizes, auto-numbers, lookup rows, values in the same storage forms) plus,
// on the server only, a row version that every update raises: an update or
// delete goes through only at the version this store last handed out for
// the row, so a desk never overwrites or deletes unseen what another desk
// changed. Tables without an auto-number get a hidden row number as their
// key.
class PgStore : public Store
{
public:
    static const QString kVersionColumn; // "SatirSurumu"
    static const QString kRowNumberColumn; // "SatirNo"

    explicit PgStore(const QString& connectionString);
    ~PgStore() override;
    PgStore(const PgStore&) = delete;
    PgStore& operator=(const PgStore&) = delete;

    // Connects; on a database without the register's tables creates them
    // with the lookup rows, in one transaction; on one with them adds the
    // tables a later version brought and checks that every column is there.
    // Throws StoreUnreachable when the server cannot be reached, StoreError
    // when the database is not fit.
    void open();
    void close();
    bool isOpen() const override;
    // What every desk asks of a database before it writes to it, connecting
    // first when not connected: UTF8 as its encoding, since sizes are checked
    // in characters and every text is sent as UTF-8. Throws StoreError with
    // the reason; StoreUnreachable when the server cannot be reached.
    void checkDatabase();
    static const QString kEncodingText;
    // Where a call that waits on the server shows that the program is working.
    void setDialogs(Dialogs* dialogs);
    // True when the last open made the tables.
    bool createdNew() const { return m_createdNew; }

    QList<StoreRow> load(const QString& table) override;
    void scan(const QString& table, const RowReader& row) override;
    // The rows' versions are kept as a scan keeps them.
    QList<qint64> keysWhere(const QString& table, int column, qint64 value) override;
    // Into a table of one row, throws StoreConflict, adding none, when the
    // table already has its row.
    qint64 insert(const QString& table, const QList<QVariant>& values) override;
    // Throws StoreConflict when the row is not at the version last handed out.
    void update(const QString& table, qint64 key, const QList<QVariant>& values) override;
    // Throws StoreConflict, deleting none, when a row is not at the version
    // last handed out.
    void remove(const QString& table, const QList<qint64>& keys) override;
    int count(const QString& table) override;
    // VACUUM FULL, since a plain VACUUM leaves deleted rows' bytes in the
    // files, on a connection of its own: without the statement timeout, as
    // a large table takes its time, but waiting for the table at most
    // kRewriteLockTimeoutMs, so that the other desks' statements never
    // queue behind it for longer. A due rewrite is marked in the table's
    // comment.
    bool dropDeletedRows(const QString& table) override;
    void markRewriteDue(const QString& table) override;
    QStringList rewritesDue() override;
    static constexpr int kRewriteLockTimeoutMs = 3000;
    // The longest the desk waits for the rewrite itself.
    static constexpr int kRewriteTimeoutMs = 10 * 60 * 1000;

    bool isShared() const override { return true; }
    qint64 readVersion(const QString& table, qint64 key) const override;
    QList<VersionedKey> rowVersions(const QString& table) override;
    qint64 updateAt(const QString& table, VersionedKey row, const QList<QVariant>& values) override;
    QList<qint64> removeUnchanged(const QString& table, const QList<VersionedKey>& rows) override;
    void scanKeys(const QString& table, const QList<qint64>& keys, const RowReader& row) override;
    // Outside a transaction, and once this desk listens for the others'
    // changes (a read on a reader must not come before the listening, or a
    // change between the two would go unheard). A reader is a connection of
    // its own without the schema's checks. The desk's own connection is
    // never read on from another thread: its waits show the working dialog
    // and its socket is served by the event loop.
    bool readsBeside() const override;
    std::unique_ptr<Store> readerBeside() const override;
    bool readsBesideOnOwn() const override { return false; }
    void adoptRead(Store& reader, const QString& table) override;
    // Every commit on a table sends its changed keys on one channel (a
    // trigger per statement); this desk listens once a handler is set,
    // reads the connection's socket as data arrives, and after a new
    // connection reports every table as changed.
    void watchChanges(ChangeHandler handler) override;
    // While changes are watched, a connection that broke is made again by
    // itself once the desk is idle, after kReconnectDelaysMs (the last
    // repeated), and every table is then caught up with. Told here as the
    // desk loses its connection (false) and has it again (true).
    std::function<void(bool connected)> onConnection;
    static constexpr int kReconnectDelaysMs[] = {1000, 2000, 5000, 10000, 30000};
    // A server-wide lock held by this connection; it ends with the
    // connection if the desk goes away.
    // While a lock is held a broken connection is not made anew: every
    // call fails until the last lock has ended, so that the task never goes
    // on without its lock.
    bool tryExclusive(const QString& task) override;
    void endExclusive(const QString& task) override;
    static const QString kLockLostText;

    // The channel the changes are sent on.
    static const QString kChangeChannel;

    // Runs one statement with bound values; for schema work and tests.
    PgConnection::Result exec(const QString& sql, const QList<QVariant>& values = {});
    // One statement over lists of whole numbers ($1, $2, ... as bigint[]).
    PgConnection::Result execArrays(const QString& sql, const std::vector<const std::vector<qint64>*>& arrays);
    // The connection, for what it uses (options) and tests.
    PgConnection& connection() { return m_conn; }

    // The column that keys a table's rows on the server.
    static QString keyColumn(const TableDef& table);
    // Makes one of the register's tables, empty, with the server's own
    // columns; for the copy of a register file.
    void createTable(const TableDef& table);

protected:
    void beginLevel(int level) override;
    // A COMMIT the server answers with anything but COMMIT (ROLLBACK, after
    // a statement of the transaction failed) throws StoreError: nothing of
    // the transaction is stored.
    void commitLevel(int level) override;
    void rollbackLevel(int level) noexcept override;

private:
    void prepareSchema();
    QHash<QString, QStringList> presentColumns();
    qint64 versionOf(const TableDef& table, qint64 key) const;
    [[noreturn]] void conflict(const TableDef& table, qint64 key);
    void scanResult(const TableDef& table, const PgConnection::Result& r, const RowReader& row);
    // A table's rows in the COPY's binary format: key, version, then every
    // column in schema order, each in the form the scan hands out.
    PgConnection::Copy copyRows(const TableDef& table, const QString& columns);
    void scanCopy(const TableDef& table, const PgConnection::Copy& copy, const RowReader& row);
    template <typename Call>
    auto statement(Call call);
    QList<qint64> deleteAtVersions(const TableDef& table, const std::vector<qint64>& keys,
                                   const std::vector<qint64>& versions);
    void createChangeTriggers(const TableDef& table);
    // A write outside any transaction goes in one of its own, so that a
    // lost answer to its commit can be settled.
    template <typename Write>
    auto inTransaction(Write write);
    // The answer to COMMIT was lost with the connection: connects again and
    // asks the server whether that transaction went through. Returns when
    // it did; throws StoreUnreachable when it did not, StoreOutcomeUnknown
    // when the server could not tell in time.
    void settleLostCommit(qint64 txid, int serverPid, const StoreUnreachable& lost);
    // After a statement: listens again on a new connection, and hands the
    // notifications read with the statement to the event loop.
    void afterStatement();
    void deliverChanges(bool readInput);
    // The connection broke: the idle desk connects again by itself.
    void connectionLost();
    void reconnectIdle();

    PgConnection m_conn;
    Dialogs* m_dialogs = nullptr;
    bool m_createdNew = false;
    // Per table, the row version last handed out for each key.
    QHash<QString, QHash<qint64, qint64>> m_versions;

    // The locks held, each with the number of times it was taken, and the
    // connection they were taken on.
    QHash<QString, int> m_exclusive;
    quint64 m_exclusiveConnection = 0;

    ChangeHandler m_onChange;
    quint64 m_listening = 0; // the connection listened on
    bool m_inAfterStatement = false;
    bool m_deliveryDue = false;
    QList<PgConnection::Notification> m_pending;
    std::unique_ptr<QObject> m_context; // lives as long as the store
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QTimer> m_reconnect;
    int m_reconnectAttempt = 0;
    bool m_connected = true;
};

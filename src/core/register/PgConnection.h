// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class Dialogs;
struct pg_conn;
struct pg_result;

// One libpq connection to a PostgreSQL server. Statements are sent with
// their values as parameters, never spliced into the SQL text. Failures throw
// StoreError; a connection that cannot be made, or that broke off, throws
// StoreUnreachable. A broken connection is made anew only by open(), so that
// the rest of a transaction never runs on a fresh connection without it.
// Every call has a deadline the desk keeps itself, since a server process
// that stopped answering would otherwise hold it for ever: the connection
// is made and the statements sent without blocking, and the socket is
// waited on in short steps that keep the windows painted.
class PgConnection
{
public:
    // Seconds a connection attempt may take unless the connection string
    // sets connect_timeout (libpq alone would wait for ever).
    static constexpr int kConnectTimeout = 5;
    // Milliseconds a statement may run, and a silent server may keep a
    // call waiting, unless the server or the string sets otherwise: no call
    // freezes the window for longer.
    static constexpr int kCallTimeoutMs = 5000;

    // A NOTIFY another connection sent on a channel this one listens to.
    struct Notification
    {
        QString channel;
        QString payload;
        int senderPid = 0;
    };

    // The result of one statement: rows of text values.
    class Result
    {
    public:
        explicit Result(pg_result* result);
        int rows() const;
        bool isNull(int row, int column) const;
        const char* data(int row, int column) const;
        int size(int row, int column) const;
        qint64 integer(int row, int column) const;
        QString text(int row, int column) const;
        // Rows an INSERT, UPDATE or DELETE touched.
        qint64 affected() const;
        // The server's word for what the statement did ("COMMIT", "ROLLBACK",
        // "INSERT 0 1" ...).
        QByteArray status() const;

    private:
        friend class PgConnection;
        std::unique_ptr<pg_result, void (*)(pg_result*)> m_result;
    };

    // The rows of a COPY ... TO STDOUT as the server sent them, one message
    // per row; in binary format the first message also holds the header and
    // the last one the end marker.
    class Copy
    {
    public:
        int messages() const { return int(m_sizes.size()); }
        const char* data(int message) const { return m_messages[std::size_t(message)].get(); }
        int size(int message) const { return m_sizes[std::size_t(message)]; }

    private:
        friend class PgConnection;
        struct Free
        {
            void operator()(char* message) const;
        };
        std::vector<std::unique_ptr<char, Free>> m_messages;
        std::vector<int> m_sizes;
    };

    // What a call waiting on the server shows.
    static const QString kWaitText;

    explicit PgConnection(QString connectionString);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Connects unless connected; throws StoreUnreachable with the server's
    // or libpq's reason.
    void open();
    void close();
    bool isOpen() const;

    // Where a call that waits shows that the program is working; none for a
    // connection without windows.
    void setDialogs(Dialogs* dialogs) { m_dialogs = dialogs; }
    // True while a call waits on the server: nothing else may use the
    // connection meanwhile (the events handled during the wait included).
    bool waiting() const { return m_waiting; }

    // Runs one statement with values bound as $1, $2, ...; a null QVariant
    // is NULL. Throws StoreUnreachable when not connected.
    Result exec(const QString& sql, const QList<QVariant>& values = {});
    // Runs one statement whose values are lists of whole numbers, bound as
    // $1, $2, ... of type bigint[] and sent in the server's binary form:
    // nothing to print here or to parse there, however long the lists.
    Result execArrays(const QString& sql, const std::vector<const std::vector<qint64>*>& arrays);
    // The server's binary form of a one-dimensional bigint[] without nulls.
    static QByteArray int8Array(const std::vector<qint64>& numbers);
    // Runs a COPY ... TO STDOUT (which takes no values) and collects its
    // rows, under the same deadline; throws as exec() does.
    Copy copyOut(const QString& sql);

    // The connection's socket (changes with every new connection), -1 when
    // not connected.
    int socket() const;
    // Inside a transaction in which a statement failed: the server takes
    // nothing more of it but its end.
    bool transactionFailed() const;
    // The server process serving this connection.
    int backendPid() const;
    // Counts the connections made: a new number means a new socket and
    // nothing of what the earlier connection listened to.
    quint64 generation() const { return m_generation; }
    // Reads what the server sent without waiting (when readInput) and hands
    // out the notifications received so far. A connection found broken is
    // closed.
    QList<Notification> takeNotifications(bool readInput);

    // Milliseconds a call may wait for the server: kCallTimeoutMs, or the
    // connection string's connect_timeout where it is longer, unless set.
    int callTimeoutMs() const;
    // For a connection that runs long statements on purpose; 0 for the
    // usual deadline.
    void setCallTimeoutMs(int ms) { m_callTimeoutMs = ms; }
    const QString& connectionString() const { return m_connectionString; }

    // A setting the server reports on every connection without being asked
    // ("server_encoding" ...); empty when not connected.
    QString serverParameter(const char* name) const;

    // The value the connection uses for a connection option ("dbname",
    // "connect_timeout" ...); empty when unset or not connected.
    QString option(const QString& keyword) const;

private:
    // Throws the connection's failure, classified by the statement's result
    // where there is one.
    [[noreturn]] void fail(const QString& what, const pg_result* result = nullptr);
    // One call's wait on the socket, under its deadline.
    class Waiter;
    // The deadline passed: the server is asked to cancel the statement (from
    // a thread of its own, never waited for) and the connection is dropped.
    [[noreturn]] void abandon();
    // Sends what is queued and collects the statement's result, or the
    // first error among its results; the rows of a COPY go into copy.
    Result finish(Waiter& waiter, Copy* copy);
    QString timeoutText() const;

    QString m_connectionString;
    pg_conn* m_conn = nullptr;
    quint64 m_generation = 0;
    Dialogs* m_dialogs = nullptr;
    bool m_waiting = false;
    int m_callTimeoutMs = 0;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/PgConnection.h"

#include "core/register/Store.h"
#include "platform/core/Dialogs.h"
#include "platform/core/SocketWait.h"

#include <QDeadlineTimer>
#include <QtEndian>
#include <QScopeGuard>
#include <algorithm>
#include <libpq-fe.h>
#include <thread>
#include <vector>

const QString PgConnection::kWaitText = QStringLiteral("Sunucunun yanıtı bekleniyor…");

namespace {
// A wait is made in steps this long, so that the windows stay painted.
constexpr int kWaitStepMs = 50;
} // namespace

class PgConnection::Waiter
{
public:
    Waiter(PgConnection& connection) : m_connection(connection), m_deadline(connection.callTimeoutMs())
    {
        m_connection.m_waiting = true;
    }
    ~Waiter() { m_connection.m_waiting = false; }

    // Waits until the socket is ready; false once the deadline has passed.
    bool wait(bool forWrite)
    {
        for (;;) {
            const int socket = PQsocket(m_connection.m_conn);
            const qint64 left = m_deadline.remainingTime();
            if (left <= 0)
                return false;
            if (SocketWait::wait(socket, forWrite, int(std::min<qint64>(left, kWaitStepMs))) == SocketWait::Ready::Yes)
                return true;
            // Past the first step the clerk is shown that the program waits,
            // and the windows are painted between the steps.
            if (m_connection.m_dialogs) {
                if (!m_work)
                    m_work = m_connection.m_dialogs->beginWork({kWaitText, false, 2000});
                m_work->keepGoing();
            }
        }
    }

private:
    PgConnection& m_connection;
    QDeadlineTimer m_deadline;
    std::unique_ptr<Dialogs::Work> m_work;
};

PgConnection::Result::Result(pg_result* result) : m_result(result, PQclear)
{
}

int PgConnection::Result::rows() const
{
    return PQntuples(m_result.get());
}

bool PgConnection::Result::isNull(int row, int column) const
{
    return PQgetisnull(m_result.get(), row, column) != 0;
}

const char* PgConnection::Result::data(int row, int column) const
{
    return PQgetvalue(m_result.get(), row, column);
}

int PgConnection::Result::size(int row, int column) const
{
    return PQgetlength(m_result.get(), row, column);
}

qint64 PgConnection::Result::integer(int row, int column) const
{
    return QByteArray::fromRawData(data(row, column), size(row, column)).toLongLong();
}

QString PgConnection::Result::text(int row, int column) const
{
    return QString::fromUtf8(data(row, column), size(row, column));
}

qint64 PgConnection::Result::affected() const
{
    return QByteArray(PQcmdTuples(m_result.get())).toLongLong();
}

QByteArray PgConnection::Result::status() const
{
    return QByteArray(PQcmdStatus(m_result.get()));
}

PgConnection::PgConnection(QString connectionString) : m_connectionString(std::move(connectionString))
{
}

PgConnection::~PgConnection()
{
    close();
}

void PgConnection::open()
{
    if (isOpen())
        return;
    close();
    // The string comes last so that its own settings, if any, win. A server
    // that stops answering is noticed within seconds, not minutes.
    const QByteArray timeout = QByteArray::number(kConnectTimeout);
    const QByteArray userTimeout = QByteArray::number(kCallTimeoutMs);
    const QByteArray conninfo = m_connectionString.toUtf8();
    const char* const keywords[] = {"connect_timeout", "keepalives_idle", "keepalives_interval", "keepalives_count",
                                    "tcp_user_timeout", "client_encoding", "dbname", nullptr};
    const char* const values[] = {timeout.constData(), "5", "2", "2", userTimeout.constData(), "UTF8",
                                  conninfo.constData(), nullptr};
    m_conn = PQconnectStartParams(keywords, values, 1);
    if (!m_conn)
        throw StoreUnreachable(QStringLiteral("bellek yetersiz"));
    // Past the network's part of the connection, a failure is the server's
    // answer.
    Failure::Server failure;
    failure.connecting = true;
    {
        // libpq keeps connect_timeout only when it blocks: here the deadline
        // is the desk's own.
        Waiter waiter(*this);
        PostgresPollingStatusType state = PGRES_POLLING_WRITING;
        while (PQstatus(m_conn) != CONNECTION_BAD && state != PGRES_POLLING_OK && state != PGRES_POLLING_FAILED) {
            if (!waiter.wait(state == PGRES_POLLING_WRITING)) {
                close();
                failure.timedOut = true;
                throw StoreUnreachable(Failure::ofServer(failure), timeoutText());
            }
            state = PQconnectPoll(m_conn);
            const ConnStatusType status = PQstatus(m_conn);
            if (status != CONNECTION_STARTED && status != CONNECTION_BAD && status != CONNECTION_NEEDED)
                failure.reached = true;
        }
    }
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const QString reason = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
        close();
        throw StoreUnreachable(Failure::ofServer(failure), reason);
    }
    // Statements are sent without blocking, and waited for under the deadline.
    PQsetnonblocking(m_conn, 1);
    ++m_generation;
    // The server's notices ("does not exist, skipping") are not for the clerk.
    PQsetNoticeProcessor(m_conn, [](void*, const char*) {}, nullptr);
    // A statement waiting on a lock or a busy server gives up in time,
    // unless the server's administrator chose a limit; asked and set in one
    // round trip.
    exec(QStringLiteral("SELECT set_config('statement_timeout', $1, false) "
                        "WHERE current_setting('statement_timeout') = '0'"),
         {QString::number(kCallTimeoutMs)});
}

void PgConnection::close()
{
    if (m_conn) {
        PQfinish(m_conn);
        m_conn = nullptr;
    }
}

bool PgConnection::isOpen() const
{
    return m_conn && PQstatus(m_conn) == CONNECTION_OK;
}

void PgConnection::fail(const QString& what, const pg_result* result)
{
    const QString reason = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
    Failure::Server failure;
    if (PQstatus(m_conn) != CONNECTION_OK) {
        failure.connectionOpen = false;
        throw StoreUnreachable(Failure::ofServer(failure), reason);
    }
    if (const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr)
        failure.sqlState = QString::fromLatin1(state);
    throw StoreError(Failure::ofServer(failure), reason.isEmpty() ? what : what + QStringLiteral(": ") + reason);
}

PgConnection::Result PgConnection::exec(const QString& sql, const QList<QVariant>& values)
{
    if (!isOpen())
        throw StoreUnreachable(Failure::Kind::ConnectionLost,
                               m_conn ? QString::fromUtf8(PQerrorMessage(m_conn)).trimmed()
                                      : QStringLiteral("bağlantı kapalı"));
    // Every value in text form, as the server reads it for the column's type.
    std::vector<QByteArray> held(std::size_t(values.size()));
    std::vector<const char*> params;
    params.reserve(std::size_t(values.size()));
    for (std::size_t i = 0; i < held.size(); ++i) {
        const StoreValue v = StoreValue::of(values[qsizetype(i)], held[i]);
        switch (v.kind) {
        case StoreValue::Kind::Null: params.push_back(nullptr); continue;
        case StoreValue::Kind::Integer: held[i] = QByteArray::number(v.integer); break;
        case StoreValue::Kind::Real: held[i] = QByteArray::number(v.real, 'g', 17); break;
        case StoreValue::Kind::Text:
        case StoreValue::Kind::Bytes: break;
        }
        params.push_back(held[i].constData());
    }
    const QByteArray text = sql.toUtf8();
    Waiter waiter(*this);
    if (!PQsendQueryParams(m_conn, text.constData(), int(params.size()), nullptr, params.data(), nullptr, nullptr, 0))
        fail(QStringLiteral("Sunucu komutu yerine getiremedi"));
    return finish(waiter, nullptr);
}

QByteArray PgConnection::int8Array(const std::vector<qint64>& numbers)
{
    // Dimensions (none for an empty list), whether there are nulls, the
    // element type (int8), then the dimension's length and lower bound; each
    // element as its length and its value, all in network order.
    constexpr qint32 kInt8Oid = 20;
    const bool empty = numbers.empty();
    QByteArray out(qsizetype((empty ? 12 : 20) + 12 * numbers.size()), Qt::Uninitialized);
    char* at = out.data();
    const auto put32 = [&at](qint32 v) {
        qToBigEndian(v, at);
        at += 4;
    };
    put32(empty ? 0 : 1);
    put32(0);
    put32(kInt8Oid);
    if (!empty) {
        put32(qint32(numbers.size()));
        put32(1);
    }
    for (qint64 n : numbers) {
        put32(8);
        qToBigEndian(n, at);
        at += 8;
    }
    return out;
}

PgConnection::Result PgConnection::execArrays(const QString& sql, const std::vector<const std::vector<qint64>*>& arrays)
{
    if (!isOpen())
        throw StoreUnreachable(Failure::Kind::ConnectionLost,
                               m_conn ? QString::fromUtf8(PQerrorMessage(m_conn)).trimmed()
                                      : QStringLiteral("bağlantı kapalı"));
    constexpr Oid kInt8ArrayOid = 1016;
    std::vector<QByteArray> held;
    std::vector<const char*> params;
    std::vector<int> lengths;
    held.reserve(arrays.size());
    for (const std::vector<qint64>* numbers : arrays) {
        held.push_back(int8Array(*numbers));
        params.push_back(held.back().constData());
        lengths.push_back(int(held.back().size()));
    }
    const std::vector<Oid> types(arrays.size(), kInt8ArrayOid);
    const std::vector<int> binary(arrays.size(), 1);
    const QByteArray text = sql.toUtf8();
    Waiter waiter(*this);
    if (!PQsendQueryParams(m_conn, text.constData(), int(params.size()), types.data(), params.data(), lengths.data(),
                           binary.data(), 0))
        fail(QStringLiteral("Sunucu komutu yerine getiremedi"));
    return finish(waiter, nullptr);
}

void PgConnection::Copy::Free::operator()(char* message) const
{
    PQfreemem(message);
}

PgConnection::Copy PgConnection::copyOut(const QString& sql)
{
    if (!isOpen())
        throw StoreUnreachable(Failure::Kind::ConnectionLost,
                               m_conn ? QString::fromUtf8(PQerrorMessage(m_conn)).trimmed()
                                      : QStringLiteral("bağlantı kapalı"));
    const QByteArray text = sql.toUtf8();
    Waiter waiter(*this);
    if (!PQsendQuery(m_conn, text.constData()))
        fail(QStringLiteral("Sunucu komutu yerine getiremedi"));
    Copy copy;
    finish(waiter, &copy);
    return copy;
}

PgConnection::Result PgConnection::finish(Waiter& waiter, Copy* copy)
{
    for (int left = PQflush(m_conn); left != 0; left = PQflush(m_conn)) {
        if (left < 0)
            fail(QStringLiteral("Sunucu komutu yerine getiremedi"));
        if (!waiter.wait(true))
            abandon();
    }
    // The statement's result, or the first error among its results.
    Result result(nullptr);
    for (;;) {
        while (PQisBusy(m_conn)) {
            if (!waiter.wait(false))
                abandon();
            if (!PQconsumeInput(m_conn))
                fail(QStringLiteral("Sunucu komutu yerine getiremedi"));
        }
        pg_result* next = PQgetResult(m_conn);
        if (!next)
            break;
        if (copy && PQresultStatus(next) == PGRES_COPY_OUT) {
            PQclear(next);
            // The rows, as they arrive; then the COPY's own result.
            for (;;) {
                char* message = nullptr;
                const int size = PQgetCopyData(m_conn, &message, 1);
                if (size > 0) {
                    copy->m_messages.emplace_back(message);
                    copy->m_sizes.push_back(size);
                } else if (size == 0) {
                    if (!waiter.wait(false))
                        abandon();
                    if (!PQconsumeInput(m_conn))
                        fail(QStringLiteral("Sunucu komutu yerine getiremedi"));
                } else {
                    break;
                }
            }
            continue;
        }
        const ExecStatusType kept = PQresultStatus(result.m_result.get());
        if (!result.m_result || kept == PGRES_COMMAND_OK || kept == PGRES_TUPLES_OK)
            result.m_result.reset(next);
        else
            PQclear(next);
    }
    const ExecStatusType status = PQresultStatus(result.m_result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail(QStringLiteral("Sunucu komutu yerine getiremedi"), result.m_result.get());
    return result;
}

QString PgConnection::timeoutText() const
{
    return QStringLiteral("sunucu %1 saniye içinde yanıt vermedi").arg(callTimeoutMs() / 1000);
}

void PgConnection::abandon()
{
    // PQcancel waits for the server without a limit: it goes in a thread
    // of its own with its own copy of what it needs.
    if (PGcancel* cancel = PQgetCancel(m_conn)) {
        std::thread([cancel] {
            char error[256];
            PQcancel(cancel, error, int(sizeof error));
            PQfreeCancel(cancel);
        }).detach();
    }
    close();
    Failure::Server failure;
    failure.timedOut = true;
    failure.connectionOpen = false;
    throw StoreUnreachable(Failure::ofServer(failure), timeoutText());
}

int PgConnection::socket() const
{
    return isOpen() ? PQsocket(m_conn) : -1;
}

bool PgConnection::transactionFailed() const
{
    return m_conn && PQtransactionStatus(m_conn) == PQTRANS_INERROR;
}

int PgConnection::backendPid() const
{
    return isOpen() ? PQbackendPID(m_conn) : 0;
}

QList<PgConnection::Notification> PgConnection::takeNotifications(bool readInput)
{
    QList<Notification> out;
    if (!m_conn)
        return out;
    if (readInput && (PQconsumeInput(m_conn) == 0 || PQstatus(m_conn) != CONNECTION_OK)) {
        close();
        return out;
    }
    while (PGnotify* n = PQnotifies(m_conn)) {
        out << Notification{QString::fromUtf8(n->relname), QString::fromUtf8(n->extra), n->be_pid};
        PQfreemem(n);
    }
    return out;
}

QString PgConnection::serverParameter(const char* name) const
{
    const char* value = m_conn ? PQparameterStatus(m_conn, name) : nullptr;
    return value ? QString::fromUtf8(value) : QString();
}

QString PgConnection::option(const QString& keyword) const
{
    if (!m_conn)
        return {};
    PQconninfoOption* options = PQconninfo(m_conn);
    QString value;
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (keyword == QLatin1String(o->keyword) && o->val)
            value = QString::fromUtf8(o->val);
    }
    PQconninfoFree(options);
    return value;
}

int PgConnection::callTimeoutMs() const
{
    if (m_callTimeoutMs > 0)
        return m_callTimeoutMs;
    // connect_timeout as libpq reads it: whole seconds, and 0 for none.
    PQconninfoOption* options = PQconninfoParse(m_connectionString.toUtf8().constData(), nullptr);
    int ms = kCallTimeoutMs;
    for (PQconninfoOption* o = options; o && o->keyword; ++o) {
        if (o->val && qstrcmp(o->keyword, "connect_timeout") == 0)
            ms = std::max(ms, QByteArray(o->val).trimmed().toInt() * 1000);
    }
    PQconninfoFree(options);
    return ms;
}

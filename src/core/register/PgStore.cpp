// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/PgStore.h"

#include "core/register/Schema.h"
#include "platform/core/Dialogs.h"

#include <QDeadlineTimer>
#include <QtEndian>
#include <QScopeGuard>
#include <QSet>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QVarLengthArray>
#include <algorithm>
#include <cstdlib>
#include <cstring>

const QString PgStore::kVersionColumn = QStringLiteral("SatirSurumu");
const QString PgStore::kRowNumberColumn = QStringLiteral("SatirNo");
const QString PgStore::kChangeChannel = QStringLiteral("radadir");
const QString PgStore::kEncodingText = QStringLiteral("Sunucudaki veritabanının kodlaması UTF8 değil: %1");
const QString PgStore::kLockLostText =
    QStringLiteral("işin kilidini tutan sunucu bağlantısı koptu, iş durduruldu");

namespace {

// Held for the schema's transaction, so that two desks starting on an empty
// database make the tables once.
constexpr qint64 kSchemaLock = 0x52414441; // "RADA"

// The comment of a table whose deleted rows' bytes are still in the
// server's files.
const QString kRewriteDueMark = QStringLiteral("RadaYenidenYazilacak");

// Up to this many keys a change names its rows; past it, the whole table.
constexpr int kNamedKeys = 300;

// Sends, after each statement on a table, "Table:key,key,..." (or
// "Table:*") on the change channel; the server delivers it at commit.
const QString kNotifyFunction = QStringLiteral(R"(
CREATE OR REPLACE FUNCTION "RadaDegisiklikBildir"() RETURNS trigger LANGUAGE plpgsql AS $f$
DECLARE
    n bigint;
    keys text;
BEGIN
    EXECUTE format('SELECT count(*), string_agg(k::text, '','') FROM (SELECT %I AS k FROM %I LIMIT %1) s',
                   TG_ARGV[0], CASE WHEN TG_OP = 'DELETE' THEN 'eski' ELSE 'yeni' END) INTO n, keys;
    IF n > %2 THEN
        keys := '*';
    END IF;
    IF n > 0 THEN
        PERFORM pg_notify('%3', TG_TABLE_NAME || ':' || keys);
    END IF;
    RETURN NULL;
END
$f$)");

// The change triggers of a table: name, event, transition table.
const struct
{
    const char* name;
    const char* event;
    const char* rows;
} kChangeTriggers[] = {{"RadaEklendi", "INSERT", "NEW TABLE AS yeni"},
                       {"RadaDegisti", "UPDATE", "NEW TABLE AS yeni"},
                       {"RadaSilindi", "DELETE", "OLD TABLE AS eski"}};

// A lock number of a task's name that stays the same from one run to the next.
qint64 lockNumber(const QString& task)
{
    quint64 h = 1469598103934665603ULL;
    for (const char c : task.toUtf8()) {
        h ^= quint8(c);
        h *= 1099511628211ULL;
    }
    return qint64(h >> 1);
}

QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// What a scan hands out as a number; the others are texts.
bool isNumber(ColumnType type)
{
    return type == ColumnType::AutoId || type == ColumnType::Bool || type == ColumnType::Integer;
}

// A value of a row in the COPY's binary format; null data for NULL.
struct BinaryField
{
    const char* data = nullptr;
    int size = 0;
};

const QString kCopyFormatText = QStringLiteral("%1: sunucunun gönderdiği satırlar okunamadı");

template <typename T>
T bigEndian(const char* at)
{
    T v;
    std::memcpy(&v, at, sizeof v);
    return qFromBigEndian(v);
}

// A bigint as the binary format sends it.
qint64 fieldInteger(const BinaryField& f)
{
    return f.size == 8 ? bigEndian<qint64>(f.data) : 0;
}

// What one message of a binary COPY holds: a row (the first message also
// the header), nothing more (the end marker, or the header alone), or
// something not of the format.
enum class Message { Row, Nothing, Unreadable };

Message binaryFields(const PgConnection::Copy& copy, int message, QVarLengthArray<BinaryField, 64>& fields)
{
    fields.clear();
    const char* at = copy.data(message);
    const char* const end = at + copy.size(message);
    const auto left = [&] { return end - at; };
    if (message == 0) {
        static constexpr char kSignature[] = "PGCOPY\n\377\r\n";
        if (left() < 19 || std::memcmp(at, kSignature, 11) != 0)
            return Message::Unreadable;
        const qint32 extension = bigEndian<qint32>(at + 15);
        at += 19;
        if (extension < 0 || left() < extension)
            return Message::Unreadable;
        at += extension;
        if (left() == 0)
            return Message::Nothing;
    }
    if (left() < 2)
        return Message::Unreadable;
    const qint16 count = bigEndian<qint16>(at);
    at += 2;
    if (count == -1)
        return Message::Nothing;
    for (int i = 0; i < count; ++i) {
        if (left() < 4)
            return Message::Unreadable;
        const qint32 size = bigEndian<qint32>(at);
        at += 4;
        if (size < 0) {
            fields.append(BinaryField{});
            continue;
        }
        if (left() < size)
            return Message::Unreadable;
        fields.append(BinaryField{at, size});
        at += size;
    }
    return left() == 0 ? Message::Row : Message::Unreadable;
}

} // namespace

template <typename Write>
auto PgStore::inTransaction(Write write)
{
    if (transactionOpen())
        return write();
    Transaction tx = transaction();
    auto result = write();
    tx.commit();
    return result;
}

PgStore::PgStore(const QString& connectionString) : m_conn(connectionString)
{
}

PgStore::~PgStore()
{
    close();
}

QString PgStore::keyColumn(const TableDef& table)
{
    const QString autoId = table.autoIdColumn();
    return autoId.isEmpty() ? kRowNumberColumn : autoId;
}

bool PgStore::isOpen() const
{
    return m_conn.isOpen();
}

void PgStore::open()
{
    m_conn.open();
    transactionsLost();
    m_createdNew = false;
    try {
        prepareSchema();
    } catch (...) {
        close();
        throw;
    }
}

void PgStore::setDialogs(Dialogs* dialogs)
{
    m_dialogs = dialogs;
    m_conn.setDialogs(dialogs);
}

void PgStore::close()
{
    if (m_reconnect)
        m_reconnect->stop();
    m_exclusive.clear();
    m_conn.close();
    transactionsLost();
    m_versions.clear();
}

template <typename Call>
auto PgStore::statement(Call call)
{
    // Outside a transaction a connection that broke off is made anew; inside
    // one the transaction is lost with it and the statement must fail.
    if (!m_exclusive.isEmpty() && (!m_conn.isOpen() || m_conn.generation() != m_exclusiveConnection))
        throw StoreUnreachable(Failure::Kind::ConnectionLost, kLockLostText);
    if (!transactionOpen()) {
        m_conn.open();
        afterStatement();
    }
    // The other desks' notifications are read by the call itself while it
    // waits, never by the socket's notifier in the middle of it.
    if (m_notifier)
        m_notifier->setEnabled(false);
    const auto listenAgain = qScopeGuard([this] {
        if (m_notifier && m_conn.isOpen())
            m_notifier->setEnabled(true);
    });
    try {
        auto r = call();
        afterStatement();
        return r;
    } catch (const StoreUnreachable&) {
        transactionsLost();
        if (m_notifier) {
            m_notifier->setEnabled(false);
            m_notifier.release()->deleteLater();
        }
        if (!m_conn.isOpen())
            connectionLost();
        throw;
    }
}

PgConnection::Result PgStore::exec(const QString& sql, const QList<QVariant>& values)
{
    return statement([&] { return m_conn.exec(sql, values); });
}

PgConnection::Result PgStore::execArrays(const QString& sql, const std::vector<const std::vector<qint64>*>& arrays)
{
    return statement([&] { return m_conn.execArrays(sql, arrays); });
}

void PgStore::connectionLost()
{
    if (!m_onChange)
        return;
    if (m_connected) {
        m_connected = false;
        if (onConnection)
            onConnection(false);
    }
    if (!m_reconnect) {
        m_reconnect = std::make_unique<QTimer>();
        m_reconnect->setSingleShot(true);
        QObject::connect(m_reconnect.get(), &QTimer::timeout, m_context.get(), [this] { reconnectIdle(); });
    }
    if (!m_reconnect->isActive()) {
        m_reconnectAttempt = 0;
        m_reconnect->start(kReconnectDelaysMs[0]);
    }
}

void PgStore::reconnectIdle()
{
    constexpr int last = int(std::size(kReconnectDelaysMs)) - 1;
    // Not in the middle of a call or a transaction of this desk's, and not
    // while a task holds a lock: the task ends first, its lock gone.
    if (!m_conn.waiting() && !transactionOpen() && m_exclusive.isEmpty() && !m_inAfterStatement) {
        try {
            m_conn.open();
            // Listens again and catches up with every table.
            afterStatement();
            if (m_connected)
                return;
        } catch (const StoreError&) {
        }
        m_reconnectAttempt = std::min(m_reconnectAttempt + 1, last);
    }
    m_reconnect->start(kReconnectDelaysMs[m_reconnectAttempt]);
}

void PgStore::watchChanges(ChangeHandler handler)
{
    m_onChange = std::move(handler);
    if (!m_context)
        m_context = std::make_unique<QObject>();
    if (m_conn.isOpen() && !transactionOpen())
        afterStatement();
}

void PgStore::afterStatement()
{
    if (!m_onChange || m_inAfterStatement || !m_conn.isOpen())
        return;
    m_inAfterStatement = true;
    const auto done = qScopeGuard([this] { m_inAfterStatement = false; });
    if (m_conn.generation() != m_listening && !transactionOpen()) {
        m_conn.exec(QStringLiteral("LISTEN %1").arg(kChangeChannel));
        // Whatever changed while this desk had no connection went unheard.
        if (m_listening != 0)
            m_pending << PgConnection::Notification{kChangeChannel, QStringLiteral("*"), 0};
        m_listening = m_conn.generation();
        if (m_notifier)
            m_notifier.release()->deleteLater();
        m_notifier = std::make_unique<QSocketNotifier>(m_conn.socket(), QSocketNotifier::Read, m_context.get());
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_context.get(), [this] { deliverChanges(true); });
        if (!m_connected) {
            m_connected = true;
            if (m_reconnect)
                m_reconnect->stop();
            if (onConnection)
                onConnection(true);
        }
    }
    // Notifications that came in with a statement's answer are already read
    // off the socket: they are handed on from the event loop.
    m_pending << m_conn.takeNotifications(false);
    if (!m_pending.isEmpty() && !m_deliveryDue) {
        m_deliveryDue = true;
        QTimer::singleShot(0, m_context.get(), [this] { deliverChanges(false); });
    }
}

void PgStore::deliverChanges(bool readInput)
{
    if (m_conn.waiting()) {
        // A call is waiting on the server and handling events meanwhile:
        // the changes are handed on once it is over.
        if (!m_deliveryDue) {
            m_deliveryDue = true;
            QTimer::singleShot(20, m_context.get(), [this] { deliverChanges(false); });
        }
        return;
    }
    m_deliveryDue = false;
    if (readInput) {
        m_pending << m_conn.takeNotifications(true);
        if (!m_conn.isOpen() && m_notifier) {
            // The server went away: the socket would report itself readable
            // for ever. The next statement, or the idle desk itself, connects again.
            m_notifier->setEnabled(false);
            m_notifier.release()->deleteLater();
            connectionLost();
        }
    }
    if (m_pending.isEmpty() || !m_onChange)
        return;
    if (transactionOpen()) {
        // Not in the middle of this desk's own transaction.
        m_deliveryDue = true;
        QTimer::singleShot(20, m_context.get(), [this] { deliverChanges(false); });
        return;
    }
    const int self = m_conn.backendPid();
    QHash<QString, QSet<qint64>> named;
    QSet<QString> whole;
    QStringList order;
    for (const PgConnection::Notification& n : std::exchange(m_pending, {})) {
        if (n.channel != kChangeChannel || (n.senderPid != 0 && n.senderPid == self))
            continue;
        if (n.payload == QLatin1String("*")) {
            for (const TableDef* t : Schema::allTables()) {
                whole << t->name;
                if (!order.contains(t->name))
                    order << t->name;
            }
            continue;
        }
        const qsizetype colon = n.payload.lastIndexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        const QString table = n.payload.left(colon);
        const QString keys = n.payload.mid(colon + 1);
        if (!order.contains(table))
            order << table;
        if (keys == QLatin1String("*")) {
            whole << table;
            continue;
        }
        for (const QStringView k : QStringView(keys).split(QLatin1Char(','))) {
            bool ok = false;
            const qint64 key = k.toLongLong(&ok);
            if (ok)
                named[table] << key;
        }
    }
    for (const QString& table : order) {
        if (whole.contains(table))
            m_onChange(table, {});
        else
            m_onChange(table, QList<qint64>(named[table].begin(), named[table].end()));
    }
}

void PgStore::createTable(const TableDef& t)
{
    QStringList extra;
    // A table with a key of its own keeps it; the row number is then
    // only unique.
    const bool ownKey = std::any_of(t.columns.begin(), t.columns.end(), [](const ColumnDef& c) { return c.primaryKey; });
    if (t.autoIdColumn().isEmpty())
        extra << quoted(kRowNumberColumn) + QStringLiteral(" bigint GENERATED BY DEFAULT AS IDENTITY ") +
                     (ownKey ? QStringLiteral("UNIQUE") : QStringLiteral("PRIMARY KEY"));
    extra << quoted(kVersionColumn) + QStringLiteral(" bigint NOT NULL DEFAULT 1");
    exec(Schema::createStatement(t, Schema::Dialect::PostgreSQL, extra));
    createChangeTriggers(t);
}

void PgStore::createChangeTriggers(const TableDef& t)
{
    exec(kNotifyFunction.arg(kNamedKeys + 1).arg(kNamedKeys).arg(kChangeChannel));
    for (const auto& trigger : kChangeTriggers) {
        const QString name = QString::fromLatin1(trigger.name);
        exec(QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(quoted(name), quoted(t.name)));
        exec(QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON %3 REFERENCING %4 FOR EACH STATEMENT "
                            "EXECUTE FUNCTION \"RadaDegisiklikBildir\"('%5')")
                 .arg(quoted(name), QLatin1String(trigger.event), quoted(t.name), QLatin1String(trigger.rows),
                      keyColumn(t)));
    }
}

QHash<QString, QStringList> PgStore::presentColumns()
{
    // From the catalogue itself: the information schema's view of it costs
    // the server tens of milliseconds. Only the columns this desk's login may
    // use count, as the information schema lists them, so that a database
    // without the grants is refused as one missing them.
    const PgConnection::Result r = exec(QStringLiteral(
        "SELECT c.relname, a.attname FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
        "WHERE c.relnamespace = current_schema()::regnamespace AND c.relkind IN ('r', 'p', 'v') "
        "AND a.attnum > 0 AND NOT a.attisdropped "
        "AND (pg_has_role(c.relowner, 'USAGE') OR "
        "has_column_privilege(c.oid, a.attnum, 'SELECT, INSERT, UPDATE, REFERENCES')) "
        "ORDER BY c.relname, a.attnum"));
    QHash<QString, QStringList> present;
    for (int i = 0; i < r.rows(); ++i)
        present[r.text(i, 0)] << r.text(i, 1);
    return present;
}

void PgStore::checkDatabase()
{
    // A database in another encoding would refuse or count differently what
    // the file takes.
    // The server reports it as the connection starts: no statement needed.
    const QString encoding = statement([this] { return m_conn.serverParameter("server_encoding"); });
    if (encoding != QLatin1String("UTF8"))
        throw StoreError(kEncodingText.arg(encoding));
}

void PgStore::prepareSchema()
{
    checkDatabase();
    Transaction tx = transaction();
    exec(QStringLiteral("SELECT pg_advisory_xact_lock($1)"), {kSchemaLock});
    QHash<QString, QStringList> present = presentColumns();
    const bool empty = std::none_of(Schema::allTables().begin(), Schema::allTables().end(),
                                    [&](const TableDef* t) { return present.contains(t->name); });
    const auto columnsOf = [&present](const TableDef& t) { return present.value(t.name); };
    const QList<const TableDef*> added = empty ? Schema::allTables() : Schema::missingLaterTables(columnsOf);
    for (const TableDef* t : added)
        createTable(*t);
    if (empty)
        Schema::forEachLookupRow([this](const TableDef& t, const QList<QVariant>& values) { insert(t.name, values); });
    if (!added.isEmpty())
        present = presentColumns();
    QStringList absent = Schema::absentColumns(columnsOf);
    for (const TableDef* t : Schema::allTables()) {
        for (const QString& c : {keyColumn(*t), kVersionColumn}) {
            if (!present.value(t->name).contains(c) && !absent.contains(t->name + QLatin1Char('.') + c))
                absent << t->name + QLatin1Char('.') + c;
        }
    }
    if (!absent.isEmpty())
        throw StoreError(QStringLiteral("Eksik tablo ya da sütunlar: %1").arg(absent.join(QStringLiteral(", "))));
    // A database made before the tables told other desks of their changes.
    const PgConnection::Result triggers = exec(QStringLiteral(
        "SELECT c.relname, count(*) FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid "
        "WHERE c.relnamespace = current_schema()::regnamespace AND t.tgname LIKE 'Rada%' GROUP BY c.relname"));
    QHash<QString, qint64> triggerCount;
    for (int i = 0; i < triggers.rows(); ++i)
        triggerCount.insert(triggers.text(i, 0), triggers.integer(i, 1));
    for (const TableDef* t : Schema::allTables()) {
        if (triggerCount.value(t->name) < qint64(std::size(kChangeTriggers)))
            createChangeTriggers(*t);
    }
    tx.commit();
    m_createdNew = empty;
}

QList<StoreRow> PgStore::load(const QString& table)
{
    return loadByScanning(table);
}

void PgStore::scan(const QString& table, const RowReader& row)
{
    const TableDef& t = Schema::table(table);
    // In the COPY's binary form: the server neither writes nor the desk
    // parses every value as text, and no result is built of the rows.
    QStringList columns;
    for (const ColumnDef& c : t.columns)
        columns << quoted(c.name) + (isNumber(c.type) ? QStringLiteral("::bigint") : QStringLiteral("::text"));
    const PgConnection::Copy copy = copyRows(t, columns.join(QStringLiteral(", ")));
    m_versions[t.name].clear();
    scanCopy(t, copy, row);
}

PgConnection::Copy PgStore::copyRows(const TableDef& t, const QString& columns)
{
    QString select = QStringLiteral("%1::bigint, %2::bigint").arg(quoted(keyColumn(t)), quoted(kVersionColumn));
    if (!columns.isEmpty())
        select += QStringLiteral(", ") + columns;
    const QString sql =
        QStringLiteral("COPY (SELECT %1 FROM %2) TO STDOUT (FORMAT binary)").arg(select, quoted(t.name));
    return statement([&] { return m_conn.copyOut(sql); });
}

void PgStore::scanCopy(const TableDef& t, const PgConnection::Copy& copy, const RowReader& row)
{
    const int n = int(t.columns.size());
    // Handed out in key order, as a scan of the file is; the rows mostly
    // come in that order anyway.
    std::vector<std::pair<qint64, int>> order;
    order.reserve(std::size_t(copy.messages()));
    QVarLengthArray<BinaryField, 64> fields;
    for (int m = 0; m < copy.messages(); ++m) {
        const Message what = binaryFields(copy, m, fields);
        if (what == Message::Row && fields.size() == n + 2)
            order.emplace_back(fieldInteger(fields[0]), m);
        else if (what != Message::Nothing)
            throw StoreError(kCopyFormatText.arg(t.name));
    }
    if (!std::is_sorted(order.begin(), order.end()))
        std::sort(order.begin(), order.end());
    QHash<qint64, qint64>& versions = m_versions[t.name];
    versions.reserve(versions.size() + qsizetype(order.size()));
    QVarLengthArray<StoreValue, 64> values(n);
    for (const auto& [key, m] : order) {
        binaryFields(copy, m, fields);
        for (int c = 0; c < n; ++c) {
            const BinaryField& f = fields[c + 2];
            StoreValue& v = values[c];
            v = StoreValue{};
            if (!f.data)
                continue;
            if (isNumber(t.columns[c].type)) {
                v.kind = StoreValue::Kind::Integer;
                v.integer = fieldInteger(f);
            } else {
                v.kind = StoreValue::Kind::Text;
                v.data = f.data;
                v.size = f.size;
            }
        }
        versions.insert(key, fieldInteger(fields[1]));
        row(key, std::span<const StoreValue>(values.data(), std::size_t(n)));
    }
}

bool PgStore::readsBeside() const
{
    return m_conn.isOpen() && !transactionOpen() && (!m_onChange || m_listening == m_conn.generation());
}

std::unique_ptr<Store> PgStore::readerBeside() const
{
    auto reader = std::make_unique<PgStore>(m_conn.connectionString());
    reader->m_conn.open();
    return reader;
}

void PgStore::adoptRead(Store& reader, const QString& table)
{
    if (auto* other = dynamic_cast<PgStore*>(&reader))
        m_versions.insert(table, std::move(other->m_versions[table]));
}

void PgStore::scanKeys(const QString& table, const QList<qint64>& keys, const RowReader& row)
{
    const TableDef& t = Schema::table(table);
    const std::vector<qint64> wanted(keys.begin(), keys.end());
    const PgConnection::Result r = execArrays(
        QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %1 = ANY($1::bigint[])")
            .arg(quoted(keyColumn(t)), quoted(kVersionColumn), Schema::columnList(t, true), quoted(t.name)),
        {&wanted});
    scanResult(t, r, row);
}

void PgStore::scanResult(const TableDef& t, const PgConnection::Result& r, const RowReader& row)
{
    // Handed out in key order. The server sorts a wide table slowly (on
    // disk past its work memory); its rows mostly come in that order anyway.
    const int count = r.rows();
    std::vector<std::pair<qint64, int>> order(std::size_t(count), {0, 0});
    for (int i = 0; i < count; ++i)
        order[std::size_t(i)] = {r.integer(i, 0), i};
    if (!std::is_sorted(order.begin(), order.end()))
        std::sort(order.begin(), order.end());
    QHash<qint64, qint64>& versions = m_versions[t.name];
    versions.reserve(versions.size() + count);
    const int n = int(t.columns.size());
    QVarLengthArray<StoreValue, 64> values(n);
    for (const auto& [key, i] : order) {
        for (int c = 0; c < n; ++c) {
            StoreValue& v = values[c];
            v = StoreValue{};
            if (r.isNull(i, c + 2))
                continue;
            switch (t.columns[c].type) {
            case ColumnType::AutoId:
            case ColumnType::Bool:
            case ColumnType::Integer:
                v.kind = StoreValue::Kind::Integer;
                v.integer = std::strtoll(r.data(i, c + 2), nullptr, 10);
                break;
            case ColumnType::Text:
            case ColumnType::Date:
                v.kind = StoreValue::Kind::Text;
                v.data = r.data(i, c + 2);
                v.size = r.size(i, c + 2);
                break;
            }
        }
        versions.insert(key, r.integer(i, 1));
        row(key, std::span<const StoreValue>(values.data(), std::size_t(n)));
    }
}

QList<Store::VersionedKey> PgStore::rowVersions(const QString& table)
{
    const TableDef& t = Schema::table(table);
    const PgConnection::Copy copy = copyRows(t, QString());
    QList<VersionedKey> out;
    out.reserve(copy.messages());
    QVarLengthArray<BinaryField, 64> fields;
    for (int m = 0; m < copy.messages(); ++m) {
        const Message what = binaryFields(copy, m, fields);
        if (what == Message::Row && fields.size() == 2)
            out << VersionedKey{fieldInteger(fields[0]), fieldInteger(fields[1])};
        else if (what != Message::Nothing)
            throw StoreError(kCopyFormatText.arg(t.name));
    }
    return out;
}

qint64 PgStore::readVersion(const QString& table, qint64 key) const
{
    const auto versions = m_versions.constFind(table);
    return versions == m_versions.cend() ? 0 : versions->value(key, 0);
}

QList<qint64> PgStore::keysWhere(const QString& table, int column, qint64 value)
{
    const TableDef& t = Schema::table(table);
    const PgConnection::Result r =
        exec(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 = $1 ORDER BY %1")
                 .arg(quoted(keyColumn(t)), quoted(kVersionColumn), quoted(t.name), quoted(t.columns.at(column).name)),
             {value});
    QHash<qint64, qint64>& versions = m_versions[t.name];
    QList<qint64> keys;
    for (int i = 0; i < r.rows(); ++i) {
        keys << r.integer(i, 0);
        versions.insert(keys.last(), r.integer(i, 1));
    }
    return keys;
}

qint64 PgStore::insert(const QString& table, const QList<QVariant>& values)
{
    const TableDef& t = Schema::table(table);
    const QList<QVariant> bound = Schema::withoutAuto(t, values);
    QStringList marks;
    for (qsizetype i = 1; i <= bound.size(); ++i)
        marks << QLatin1Char('$') + QString::number(i);
    const PgConnection::Result r = inTransaction([&] {
        if (t.singleRow) {
            // Two desks adding the one row at once: the second waits for the
            // first's commit and then finds its row.
            exec(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(quoted(t.name)));
            if (exec(QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(quoted(t.name))).rows() > 0)
                throw StoreConflict(StoreConflict::Kind::Changed,
                                    QStringLiteral("Bu kayıt başka bir bilgisayarda değiştirildi."));
        }
        return exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4, %5")
                        .arg(quoted(t.name), Schema::columnList(t, false), marks.join(QStringLiteral(", ")),
                             quoted(keyColumn(t)), quoted(kVersionColumn)),
                    bound);
    });
    const qint64 key = r.integer(0, 0);
    m_versions[t.name].insert(key, r.integer(0, 1));
    return key;
}

qint64 PgStore::versionOf(const TableDef& table, qint64 key) const
{
    const auto versions = m_versions.constFind(table.name);
    if (versions == m_versions.cend() || !versions->contains(key))
        throw StoreError(QStringLiteral("%1: %2 numaralı kayıt bu bağlantıda okunmadı.").arg(table.name).arg(key));
    return versions->value(key);
}

void PgStore::conflict(const TableDef& table, qint64 key)
{
    const PgConnection::Result r =
        exec(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = $1").arg(quoted(table.name), quoted(keyColumn(table))), {key});
    if (r.rows() == 0)
        throw StoreConflict(StoreConflict::Kind::Deleted, QStringLiteral("Bu kayıt başka bir bilgisayarda silindi."));
    throw StoreConflict(StoreConflict::Kind::Changed, QStringLiteral("Bu kayıt başka bir bilgisayarda değiştirildi."));
}

void PgStore::update(const QString& table, qint64 key, const QList<QVariant>& values)
{
    updateAt(table, {key, versionOf(Schema::table(table), key)}, values);
}

qint64 PgStore::updateAt(const QString& table, VersionedKey row, const QList<QVariant>& values)
{
    const TableDef& t = Schema::table(table);
    QStringList sets;
    int mark = 0;
    for (const ColumnDef& c : t.columns) {
        if (c.type != ColumnType::AutoId)
            sets << QStringLiteral("%1 = $%2").arg(quoted(c.name)).arg(++mark);
    }
    sets << QStringLiteral("%1 = %1 + 1").arg(quoted(kVersionColumn));
    QList<QVariant> bound = Schema::withoutAuto(t, values);
    bound << row.key << row.version;
    const PgConnection::Result r = inTransaction([&] {
        PgConnection::Result updated =
            exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = $%4 AND %5 = $%6 RETURNING %5")
                     .arg(quoted(t.name), sets.join(QStringLiteral(", ")), quoted(keyColumn(t)))
                     .arg(mark + 1)
                     .arg(quoted(kVersionColumn))
                     .arg(mark + 2),
                 bound);
        if (updated.rows() != 1)
            conflict(t, row.key);
        return updated;
    });
    const qint64 version = r.integer(0, 0);
    m_versions[t.name].insert(row.key, version);
    return version;
}

QList<qint64> PgStore::deleteAtVersions(const TableDef& t, const std::vector<qint64>& keys,
                                        const std::vector<qint64>& versions)
{
    // One statement for any number of rows. The rows are found by their keys
    // through the key's index, the list kept from the planner (which would
    // otherwise weigh every key in it, or hash the whole table against the
    // pairs); the versions are compared here. Should a row have been changed
    // meanwhile, the deletion is undone and made again by key and version,
    // which leaves that row alone.
    exec(QStringLiteral("SAVEPOINT \"RadaSilme\""));
    const PgConnection::Result byKey = execArrays(
        QStringLiteral("DELETE FROM %1 WHERE %2 = ANY((SELECT $1::bigint[])::bigint[]) RETURNING %2, %3")
            .arg(quoted(t.name), quoted(keyColumn(t)), quoted(kVersionColumn)),
        {&keys});
    std::vector<std::pair<qint64, qint64>> expected;
    expected.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        expected.emplace_back(keys[i], versions[i]);
    std::sort(expected.begin(), expected.end());
    QList<qint64> deleted;
    deleted.reserve(byKey.rows());
    bool unchanged = true;
    for (int i = 0; i < byKey.rows() && unchanged; ++i) {
        const std::pair<qint64, qint64> row{byKey.integer(i, 0), byKey.integer(i, 1)};
        unchanged = std::binary_search(expected.begin(), expected.end(), row);
        deleted << row.first;
    }
    if (unchanged) {
        exec(QStringLiteral("RELEASE SAVEPOINT \"RadaSilme\""));
        return deleted;
    }
    exec(QStringLiteral("ROLLBACK TO SAVEPOINT \"RadaSilme\""));
    const PgConnection::Result r = execArrays(
        QStringLiteral("DELETE FROM %1 AS t USING unnest($1::bigint[], $2::bigint[]) AS d(k, v) "
                       "WHERE t.%2 = d.k AND t.%3 = d.v RETURNING t.%2")
            .arg(quoted(t.name), quoted(keyColumn(t)), quoted(kVersionColumn)),
        {&keys, &versions});
    exec(QStringLiteral("RELEASE SAVEPOINT \"RadaSilme\""));
    deleted.clear();
    for (int i = 0; i < r.rows(); ++i)
        deleted << r.integer(i, 0);
    return deleted;
}

void PgStore::remove(const QString& table, const QList<qint64>& keys)
{
    const TableDef& t = Schema::table(table);
    std::vector<qint64> unique(keys.begin(), keys.end());
    std::sort(unique.begin(), unique.end());
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    std::vector<qint64> versions;
    versions.reserve(unique.size());
    for (qint64 key : unique)
        versions.push_back(versionOf(t, key));
    inTransaction([&] {
        QList<qint64> gone = deleteAtVersions(t, unique, versions);
        if (std::size_t(gone.size()) != unique.size()) {
            std::sort(gone.begin(), gone.end());
            std::vector<qint64> refused;
            std::set_difference(unique.begin(), unique.end(), gone.begin(), gone.end(), std::back_inserter(refused));
            conflict(t, refused.front());
        }
        return 0;
    });
}

QList<qint64> PgStore::removeUnchanged(const QString& table, const QList<VersionedKey>& rows)
{
    std::vector<qint64> keys;
    std::vector<qint64> versions;
    keys.reserve(std::size_t(rows.size()));
    versions.reserve(std::size_t(rows.size()));
    for (const VersionedKey& r : rows) {
        keys.push_back(r.key);
        versions.push_back(r.version);
    }
    return inTransaction([&] { return deleteAtVersions(Schema::table(table), keys, versions); });
}

bool PgStore::tryExclusive(const QString& task)
{
    const bool taken = exec(QStringLiteral("SELECT pg_try_advisory_lock($1)"), {lockNumber(task)}).text(0, 0) ==
                       QLatin1String("t");
    if (taken) {
        if (m_exclusive.isEmpty())
            m_exclusiveConnection = m_conn.generation();
        ++m_exclusive[task];
    }
    return taken;
}

void PgStore::endExclusive(const QString& task)
{
    const auto held = m_exclusive.find(task);
    if (held == m_exclusive.end())
        return;
    if (--*held == 0)
        m_exclusive.erase(held);
    // A connection that broke off took the lock with it.
    if (!m_conn.isOpen() || m_conn.generation() != m_exclusiveConnection)
        return;
    try {
        m_conn.exec(QStringLiteral("SELECT pg_advisory_unlock($1)"), {lockNumber(task)});
    } catch (const StoreError&) {
    }
}

void PgStore::markRewriteDue(const QString& table)
{
    // Only the table's owner may set its comment (and rewrite it): for a
    // desk under another role the deletion goes on without the mark.
    exec(QStringLiteral("SAVEPOINT \"RadaIsaret\""));
    try {
        exec(QStringLiteral("COMMENT ON TABLE %1 IS '%2'").arg(quoted(Schema::table(table).name), kRewriteDueMark));
        exec(QStringLiteral("RELEASE SAVEPOINT \"RadaIsaret\""));
    } catch (const StoreUnreachable&) {
        throw;
    } catch (const StoreError&) {
        exec(QStringLiteral("ROLLBACK TO SAVEPOINT \"RadaIsaret\""));
    }
}

QStringList PgStore::rewritesDue()
{
    const PgConnection::Result r = exec(
        QStringLiteral("SELECT relname FROM pg_class WHERE relnamespace = current_schema()::regnamespace "
                       "AND relkind = 'r' AND obj_description(oid, 'pg_class') = $1 ORDER BY relname"),
        {kRewriteDueMark});
    QStringList tables;
    for (int i = 0; i < r.rows(); ++i)
        tables << r.text(i, 0);
    return tables;
}

bool PgStore::dropDeletedRows(const QString& table)
{
    const QString name = quoted(Schema::table(table).name);
    // The desk's own connection keeps its settings, its listening and its
    // locks.
    PgConnection rewrite(m_conn.connectionString());
    rewrite.setDialogs(m_dialogs);
    try {
        rewrite.open();
        rewrite.exec(QStringLiteral("SET lock_timeout = %1").arg(kRewriteLockTimeoutMs));
        rewrite.exec(QStringLiteral("SET statement_timeout = 0"));
        rewrite.setCallTimeoutMs(kRewriteTimeoutMs);
        // Not inside a transaction: the server refuses it there.
        rewrite.exec(QStringLiteral("VACUUM FULL %1").arg(name));
        rewrite.exec(QStringLiteral("COMMENT ON TABLE %1 IS NULL").arg(name));
        return true;
    } catch (const StoreError&) {
        return false;
    }
}

int PgStore::count(const QString& table)
{
    const TableDef& t = Schema::table(table);
    return int(exec(QStringLiteral("SELECT count(*) FROM %1").arg(quoted(t.name))).integer(0, 0));
}

namespace {

QString savepoint(int level)
{
    return QStringLiteral("\"Rada%1\"").arg(level);
}

} // namespace

void PgStore::beginLevel(int level)
{
    exec(level > 1 ? QStringLiteral("SAVEPOINT ") + savepoint(level) : QStringLiteral("BEGIN"));
}

void PgStore::commitLevel(int level)
{
    if (level > 1) {
        exec(QStringLiteral("RELEASE SAVEPOINT ") + savepoint(level));
        return;
    }
    // The transaction's number and server process, for the case where the
    // commit reaches the server and its answer is lost on the way back. One
    // in which a statement failed takes no more statements but its end.
    const bool failed = m_conn.transactionFailed();
    const qint64 txid = failed ? 0 : exec(QStringLiteral("SELECT txid_current()")).integer(0, 0);
    const int serverPid = m_conn.backendPid();
    QByteArray answer;
    try {
        answer = exec(QStringLiteral("COMMIT")).status();
    } catch (const StoreUnreachable& lost) {
        if (failed)
            throw;
        settleLostCommit(txid, serverPid, lost);
        return;
    } catch (const StoreError&) {
        // The server ends the transaction whatever its answer.
        transactionsLost();
        throw;
    }
    transactionsLost();
    // A transaction in which a statement failed is rolled back by its
    // COMMIT, which answers ROLLBACK instead of an error.
    if (answer != "COMMIT")
        throw StoreError(Failure::Kind::RolledBack,
                         QStringLiteral("sunucu COMMIT yerine %1 yanıtını verdi").arg(QString::fromUtf8(answer)));
}

void PgStore::settleLostCommit(qint64 txid, int serverPid, const StoreUnreachable& lost)
{
    // A new connection asks how the old transaction ended. One still in
    // progress belongs to a server process that has not yet noticed its
    // client is gone: that process is ended, and the question asked again.
    const QDeadlineTimer deadline(m_conn.callTimeoutMs());
    std::unique_ptr<Dialogs::Work> work;
    if (m_dialogs)
        work = m_dialogs->beginWork({PgConnection::kWaitText, false, 2000});
    for (;;) {
        QString status;
        try {
            m_conn.open();
            const PgConnection::Result r = m_conn.exec(QStringLiteral("SELECT txid_status($1)"), {txid});
            status = r.isNull(0, 0) ? QStringLiteral("unknown") : r.text(0, 0);
            if (status == QLatin1String("in progress"))
                m_conn.exec(QStringLiteral("SELECT pg_terminate_backend($1)"), {serverPid});
        } catch (const StoreUnreachable&) {
            // Not reachable yet: asked again until the deadline.
        } catch (const StoreError&) {
            status = QStringLiteral("unknown");
        }
        if (status == QLatin1String("committed")) {
            afterStatement();
            return;
        }
        if (status == QLatin1String("aborted"))
            throw lost;
        if (status == QLatin1String("unknown") || deadline.hasExpired())
            throw StoreOutcomeUnknown(lost.failure(), lost.detail());
        QThread::msleep(50);
        if (work)
            work->keepGoing();
    }
}

void PgStore::rollbackLevel(int level) noexcept
{
    if (!m_conn.isOpen()) {
        // The server drops the transaction with the connection.
        transactionsLost();
        return;
    }
    // Called while an error is on its way: a failing rollback (the
    // connection broke) must not replace that error.
    try {
        if (level > 1) {
            m_conn.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + savepoint(level));
            m_conn.exec(QStringLiteral("RELEASE SAVEPOINT ") + savepoint(level));
            return;
        }
    } catch (...) {
        // Without its savepoint nothing of the outer work may be committed.
        transactionsLost();
    }
    try {
        m_conn.exec(QStringLiteral("ROLLBACK"));
    } catch (...) {
    }
}

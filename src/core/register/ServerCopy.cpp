// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/ServerCopy.h"

#include "core/register/Database.h"
#include "core/register/PgStore.h"
#include "core/register/RegisterPassword.h"
#include "core/register/Schema.h"
#include "platform/core/Dialogs.h"

#include <QSet>
#include <algorithm>

namespace {

// Values bound in one INSERT at most (the server takes 65535).
constexpr int kValuesPerStatement = 30000;

QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// "INSERT INTO t (every column) VALUES ($1, ...), (...)" for rows rows.
QString insertStatement(const TableDef& t, qsizetype rows)
{
    const qsizetype n = t.columns.size();
    QStringList tuples;
    tuples.reserve(rows);
    for (qsizetype r = 0; r < rows; ++r) {
        QStringList marks;
        for (qsizetype c = 1; c <= n; ++c)
            marks << QLatin1Char('$') + QString::number(r * n + c);
        tuples << QLatin1Char('(') + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(quoted(t.name), Schema::columnList(t, true), tuples.join(QStringLiteral(", ")));
}

// Rows copied of all the file holds, told to the work going on.
struct Progress
{
    qint64 done = 0;
    qint64 total = 0;
    void add(qint64 rows)
    {
        done += rows;
        if (Dialogs::Work* work = Dialogs::currentWork()) {
            work->setProgress(done, total);
            work->keepGoing();
        }
    }
};

// Every row of a table of the file into the server, in stored order.
void copyRows(Database& source, PgStore& target, const TableDef& t, Progress& progress)
{
    const qsizetype perStatement = std::max<qsizetype>(1, kValuesPerStatement / t.columns.size());
    const QString full = insertStatement(t, perStatement);
    QList<QVariant> values;
    qsizetype rows = 0;
    const auto flush = [&] {
        if (rows > 0) {
            target.exec(rows == perStatement ? full : insertStatement(t, rows), values);
            progress.add(rows);
        }
        values.clear();
        rows = 0;
    };
    source.scan(t.name, [&](qint64, std::span<const StoreValue> row) {
        for (const StoreValue& v : row)
            values << v.toVariant();
        if (++rows == perStatement)
            flush();
    });
    flush();
}

// The highest number the file's table ever gave: SQLite's record of it,
// which outlives deleted rows, or the highest there.
qint64 highestNumber(Database& source, const TableDef& t)
{
    qint64 highest = 0;
    for (const QVariant& v : source.column(QStringLiteral("SELECT max(%1) FROM %2").arg(quoted(t.autoIdColumn()), quoted(t.name))))
        highest = std::max(highest, v.toLongLong());
    for (const QVariant& v : source.column(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {t.name}))
        highest = std::max(highest, v.toLongLong());
    return highest;
}

} // namespace

namespace ServerCopy {

QList<TableCount> copy(Database& source, PgStore& target)
{
    QList<TableCount> counts;
    // Nothing goes into a database the desks would then refuse.
    target.checkDatabase();
    // One snapshot of the file, whoever else writes it.
    const Store::Transaction reading = source.snapshot();
    Store::Transaction tx = target.transaction();
    {
        const PgConnection::Result present = target.exec(
            QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema()"));
        QSet<QString> there;
        for (int i = 0; i < present.rows(); ++i)
            there << present.text(i, 0);
        for (const TableDef* t : Schema::allTables()) {
            if (there.contains(t->name))
                throw StoreError(kNotEmptyText.arg(t->name));
        }
        Progress progress;
        for (const TableDef* t : Schema::allTables()) {
            if (!source.columnNames(t->name).isEmpty())
                progress.total += source.count(t->name);
        }
        for (const TableDef* t : Schema::allTables()) {
            target.createTable(*t);
            // A register from an earlier version lacks the later tables:
            // they are made empty on the server.
            const bool inFile = !source.columnNames(t->name).isEmpty();
            TableCount count{t->name, inFile ? source.count(t->name) : 0, 0};
            if (inFile)
                copyRows(source, target, *t, progress);
            const QString autoId = t->autoIdColumn();
            if (!autoId.isEmpty()) {
                // The next number is the one after the highest.
                target.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence($1, $2), $3, false)"),
                            {quoted(t->name), autoId, (inFile ? highestNumber(source, *t) : 0) + 1});
            }
            count.server = target.count(t->name);
            if (count.server != count.file)
                throw StoreError(kCountMismatchText.arg(t->name).arg(count.file).arg(count.server));
            counts << count;
        }
        tx.commit();
    }
    return counts;
}

int run(Dialogs& dialogs, const QString& databasePath, const QString& connectionString, const ConsoleWrite& write)
{
    try {
        Database source(databasePath);
        RegisterPassword::openAsking(source, dialogs, RegisterPassword::Access::Read);
        PgStore target(connectionString);
        target.setDialogs(&dialogs);
        QStringList lines;
        {
            // Begun once the password is given: the work takes every key
            // meanwhile. Each wait for the server is a step of it.
            const std::unique_ptr<Dialogs::Work> work = dialogs.beginWork({kWorkText, false, 2000});
            for (const TableCount& c : copy(source, target))
                lines << kCountLine.arg(c.table).arg(c.server);
        }
        dialogs.inform(kDoneText.arg(lines.join(QLatin1Char('\r'))));
        return 0;
    } catch (const RadaError& e) {
        // Started from a terminal or a script, the copy's failure is read there.
        const QString text = kFailedText.arg(e.text());
        write(QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')), Console::Stream::Error);
        dialogs.reportError(text);
        return 1;
    }
}

} // namespace ServerCopy

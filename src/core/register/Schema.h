// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/Columns.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

// The tables and columns of the database, as the program addresses them.
struct ColumnDef
{
    QString name;
    ColumnType type;
    int size = 0;          // characters, for text columns
    bool required = false; // non-empty text required by the database
    bool unique = false;
    // The row's own number, given by the program (INTEGER PRIMARY KEY).
    bool primaryKey = false;
};

struct TableDef
{
    QString name;
    QList<ColumnDef> columns;
    // Holds one row at most (the register's settings): where several desks
    // share the register, a row is added only while the table has none.
    bool singleRow = false;

    int indexOf(const QString& column) const;    // -1 when unknown
    const ColumnDef& column(const QString& name) const; // throws RadaError when unknown
    QString autoIdColumn() const;                 // empty when the table has none
    QStringList columnNames() const;
};

namespace Schema {

const TableDef& kisi();
const TableDef& musteriler();
const TableDef& ulke();
const TableDef& kimlikTuru();
const TableDef& cinsiyet();
const TableDef& iller();
const TableDef& medeniHali();
const TableDef& ayar();
// The record of the transfer runs.
const TableDef& transferGecmisi();
// Where the backups go: one row, its folder; empty or no row means the
// folder "Yedekler" beside the register.
const TableDef& yedekAyar();
// The day of each customer's last stay, by the customer's number; a
// customer without a row counts as last seen when the retention began.
const TableDef& musteriKonaklama();
// The retention of the customer file: one row, the period in months, the
// moment of the last destruction, the day the retention began.
const TableDef& kvkkAyar();
// The record of every destruction of personal data: when, what, how many,
// how and why; never whose.
const TableDef& imhaKayitlari();
// The monthly figures: arrivals and nights by month ("YYYY-MM") and
// nationality, added as guests are purged; nothing about a person.
const TableDef& konaklamaIstatistik();
// One row: the day the monthly figures began to be counted.
const TableDef& istatistikAyar();

const QList<const TableDef*>& allTables();
// Tables that registers made by an earlier version lack: added, empty, when
// such a register is opened.
const QList<const TableDef*>& laterTables();
const TableDef& table(const QString& name); // throws RadaError when unknown
// The table of a lookup list; its first column is the stored code, its last
// the shown text.
const TableDef& lookupTable(Columns::List list);

// The SQL engines the tables are made in.
enum class Dialect { SQLite, PostgreSQL };

// CREATE TABLE statement of a table, with further column definitions after
// the table's own.
QString createStatement(const TableDef& table, Dialect dialect = Dialect::SQLite, const QStringList& extra = {});

// The table's column names quoted and comma-separated, with or without the
// auto-number column.
QString columnList(const TableDef& table, bool withAuto);
// Values in schema order without the one of the auto-number column.
QList<QVariant> withoutAuto(const TableDef& table, const QList<QVariant>& values);

// The column names a database holds for a table (empty when it lacks it).
using PresentColumns = std::function<QStringList(const TableDef& table)>;
// Tables added since the first version that the database lacks.
QList<const TableDef*> missingLaterTables(const PresentColumns& present);
// "Table.Column" of every column of the program's tables the database lacks.
QStringList absentColumns(const PresentColumns& present);

// Every lookup row of the embedded data files, in file order: one call per
// row with its table and values in schema order. Throws StoreError when a
// file cannot be read or holds a bad line.
void forEachLookupRow(const std::function<void(const TableDef& table, const QList<QVariant>& values)>& row);

} // namespace Schema

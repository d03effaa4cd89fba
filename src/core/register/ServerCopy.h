// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/Console.h"

#include <QList>
#include <QString>
#include <functional>

class Database;
class Dialogs;
class PgStore;

// Moves a register from its file to a PostgreSQL database that holds none
// of the register's tables yet: the tables are made and every row of every
// table copied in one transaction, with the auto-numbers the rows had, and
// each auto-number goes on past the highest the file ever gave. The row
// counts of file and server are compared before the transaction commits.
// The file is only read.
namespace ServerCopy {

struct TableCount
{
    QString table;
    int file = 0;
    int server = 0;
};

// Copies the open register into the server's database (target not yet
// opened) and returns the row counts of every table. Throws StoreError,
// with nothing written, when the database is one no desk would open (as
// PgStore::checkDatabase() says), when it already holds one of the
// register's tables, when the counts differ or when the server refuses;
// StoreUnreachable when it cannot be reached.
QList<TableCount> copy(Database& source, PgStore& target);

// The copy as the clerk starts it: opens the register at databasePath for
// reading (asking for its password when it has one), copies it to the
// server and says how it went; a failure is also written to the standard
// error. Returns the process's exit code.
using ConsoleWrite = std::function<bool(const QString& text, Console::Stream stream)>;
int run(Dialogs& dialogs, const QString& databasePath, const QString& connectionString,
        const ConsoleWrite& write = Console::write);

inline const QString kNotEmptyText = QStringLiteral(
    "Sunucudaki veritabanı boş değil: %1 tablosu zaten var.\r"
    "Kayıtlar yalnızca boş bir veritabanına aktarılabilir; hiçbir şey yazılmadı.");
inline const QString kCountMismatchText =
    QStringLiteral("Satır sayıları tutmuyor (%1: dosyada %2, sunucuda %3); hiçbir şey yazılmadı.");
inline const QString kDoneText = QStringLiteral("Kayıt dosyası sunucuya aktarıldı; satır sayıları tutuyor.\r%1");
// One line of kDoneText per table.
inline const QString kCountLine = QStringLiteral("%1: %2 satır");
inline const QString kFailedText = QStringLiteral("Kayıt dosyası sunucuya aktarılamadı.\r%1");
// Shown while the copy goes on, with the share of rows copied.
inline const QString kWorkText = QStringLiteral("Kayıt dosyası sunucuya aktarılıyor…");

} // namespace ServerCopy

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/transfer/Backups.h"

#include <QByteArray>
#include <QList>
#include <functional>
#include <optional>

class Database;
class Dialogs;
class Tables;

// The backup menu's commands: where backups go, putting one back in place
// of the register, and the backups rewritten under a new password. Every
// question and report goes through the dialogs; the window only wires its
// menu items to these.
class BackupCommands
{
public:
    BackupCommands(Backups& backups, Database& database, Tables& tables, Dialogs& dialogs);

    // The backup the clerk picks from the list, or nothing.
    std::function<std::optional<Backups::Entry>(const QList<Backups::Entry>&)> chooseBackup;
    // After a backup was put in place.
    std::function<void()> restored;

    // "Yedekleme Klasörü...": where backups go from now on; one is made
    // there at once, so that a folder that cannot be used shows now.
    void chooseFolder();
    // "Yedekten Geri Yükle...": pending edits settled, a backup chosen,
    // asked about, and put in place of the register.
    void restore();
    // The backups taken under the old key, rewritten under the register's
    // new one; what could not be is named to the clerk.
    void reencrypt(const QByteArray& oldKey);

private:
    // The key that opens the backup, asked for when it is neither the
    // register's nor the built-in one; nothing when the clerk gives up.
    std::optional<QByteArray> keyFor(const Backups::Entry& backup);

    Backups& m_backups;
    Database& m_database;
    Tables& m_tables;
    Dialogs& m_dialogs;
};

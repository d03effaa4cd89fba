// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// How the program was started: where it keeps its register (the encrypted
// file in the working folder unless a PostgreSQL server is named, by
// "--server <connection string>" or by "server=" in radadir.ini in the
// working folder, so that menu entries and shortcuts need no change), or
// what else the command line asks for: "--copy-to-server <connection
// string>" copies the register file to a server, "--help" and "--version"
// print and end, and the launcher's "--data-folder-failed <folder>" reports
// a data folder it could not make. An unknown option, a missing or an empty
// value, or an argument that is no option refuses the start: the program
// then opens nothing. Qt's own options are taken by the application object
// before these are read. Nothing else is read: no environment.
struct StartOptions
{
    static const QString kIniFileName;        // "radadir.ini"
    static const QString kDataFolderFailed;   // "data-folder-failed"
    // The exit status of a refused start.
    static constexpr int kUsageExit = 2;

    enum class Action { Start, CopyToServer, ReportDataFolder, Print, Refuse };
    Action action = Action::Start;

    // The libpq connection string of the register's server; empty for the file.
    QString server;
    // The server to copy the register file to, with CopyToServer.
    QString copyToServer;
    // The folder the launcher could not make, with ReportDataFolder.
    QString dataFolder;
    // What to print (Print: the help or the version) or why the start is
    // refused (Refuse: naming the option and listing the options).
    QString text;

    // From the program's arguments (the first being the program, Qt's own
    // options already taken) and radadir.ini, which is read only when no
    // server was given as an option.
    static StartOptions read(const QStringList& arguments, const QString& iniPath);
};

// The value of the key "server" in the text of an ini file: the rest of its
// line after the first "=", spaces around it dropped and a pair of double
// quotes around it taken off; nothing when the key is not there. Comments
// (";" or "#") and sections are passed over.
std::optional<QString> serverSetting(const QByteArray& iniText);

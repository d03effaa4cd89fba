#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Where the program keeps its register, as it was started: the encrypted
// file in the working folder unless a PostgreSQL server is named, by
// "--server <connection string>" or by "server=" in radadir.ini in the
// working folder (so that menu entries and shortcuts need no change).
// "--copy-to-server <connection string>" copies the register file to a
// server and ends. Nothing else is read: no other option, no environment.
struct StartOptions
{
    static const QString kServerOption;       // "--server"
    static const QString kCopyToServerOption; // "--copy-to-server"
    static const QString kIniFileName;        // "radadir.ini"

    // The libpq connection string of the register's server; empty for the file.
    QString server;
    // The server to copy the register file to; empty when not asked.
    QString copyToServer;

    // From the program's arguments (the first being the program) and the
    // text of radadir.ini, read only when no server was given as an option.
    static StartOptions read(const QStringList& arguments, const QString& iniPath);
};

// The value of the key "server" in the text of an ini file: the rest of its
// line after the first "=", spaces around it dropped and a pair of double
// quotes around it taken off; empty when the key is not there. Comments
// (";" or "#") and sections are passed over.
QString serverSetting(const QByteArray& iniText);

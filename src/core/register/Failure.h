// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What went wrong under the register, as the clerk is told it: a Turkish
// first line for each failure a clerk can meet, with the server's or the
// file engine's own text below it for whoever looks after them.
namespace Failure {

enum class Kind {
    Other,          // none of those below: the engine's text alone
    Unreachable,    // the server cannot be reached
    LoginRefused,   // the server was reached and refused the connection
    ConnectionLost, // the connection to the server broke
    Busy,           // the server is busy or did not answer in time
    Malformed,      // the register file is damaged
    DiskFull,       // the register file's disk is full
    ReadOnly,       // the register file cannot be written
    RolledBack,     // the transaction was undone instead of committed
};

// What is known of a failure on the server.
struct Server
{
    // While the connection was being made.
    bool connecting = false;
    // The server's end of the connection was reached: what failed then was
    // the server's answer, not the network.
    bool reached = false;
    // The desk's own deadline passed.
    bool timedOut = false;
    // The connection is still there after the failure.
    bool connectionOpen = true;
    // The statement's SQLSTATE; empty when the server sent none.
    QString sqlState;
};

Kind ofServer(const Server& failure);
// From a SQLite result code, extended or primary.
Kind ofSqlite(int resultCode);

// The Turkish first line; empty for Kind::Other.
QString firstLine(Kind kind);
// The first line and the detail below it; the detail alone for Kind::Other.
QString text(Kind kind, const QString& detail);

inline const QString kUnreachableLine =
    QStringLiteral("Veritabanı sunucusuna ulaşılamadı; sunucunun açık ve ağa bağlı olduğunu denetleyiniz.");
inline const QString kLoginRefusedLine = QStringLiteral(
    "Veritabanı sunucusu girişi kabul etmedi; bağlantı bilgisindeki kullanıcı adını, parolayı ve veritabanı adını "
    "denetleyiniz.");
inline const QString kConnectionLostLine = QStringLiteral("Veritabanı sunucusuyla bağlantı koptu.");
inline const QString kBusyLine = QStringLiteral("Veritabanı sunucusu meşgul ya da zamanında yanıt vermedi.");
inline const QString kMalformedLine = QStringLiteral("Kayıt dosyası bozulmuş.");
inline const QString kDiskFullLine = QStringLiteral("Kayıt dosyasının bulunduğu diskte yer kalmadı.");
inline const QString kReadOnlyLine =
    QStringLiteral("Kayıt dosyasına yazılamıyor: dosya salt okunur ya da yazma izni yok.");

inline const QString kRolledBackLine =
    QStringLiteral("Değişiklikler saklanmadı: veritabanı işlemi kaydetmek yerine geri aldı.");

} // namespace Failure

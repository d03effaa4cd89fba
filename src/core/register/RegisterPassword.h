// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class Database;
class Dialogs;

// The facility's own password for the register. Without one the register is
// keyed with the program's built-in key and opens without a question; with
// one, only the password opens it. The password is never written anywhere:
// the connection keeps it while the register is open.
namespace RegisterPassword {

inline constexpr int kMinimumLength = 8;
inline constexpr int kAttempts = 3;

inline const QString kWindowTitle = QStringLiteral("Kayıt Parolasını Değiştir");
inline const QString kPromptTitle = QStringLiteral("Kayıt Parolası");
inline const QString kPrompt = QStringLiteral("Kayıt dosyasının parolasını giriniz:");
inline const QString kWrong = QStringLiteral("Parola yanlış.");
// %1: the register's path.
inline const QString kGivenUp =
    QStringLiteral("Kayıt dosyası açılamadı: %1\rParola yanlış ya da dosya bir kayıt dosyası değil.");
inline const QString kWrongCurrent = QStringLiteral("Şu anki parola yanlış.");
inline const QString kTooShort = QStringLiteral("Yeni parola en az 8 karakter olmalıdır.");
inline const QString kMismatch = QStringLiteral("Yeni parola ve tekrarı aynı değil.");
inline const QString kFirstWarning = QStringLiteral(
    "Parola unutulursa kimse kurtaramaz: kayıt dosyası bir daha açılamaz ve içindeki bütün bilgiler kaybolur.\r"
    "Parolayı güvenli bir yerde saklayınız.\rKayıt dosyasına parola konulsun mu?");
inline const QString kChanged = QStringLiteral("Kayıt parolası değiştirildi.");
inline const QString kRemoved = QStringLiteral("Kayıt parolası kaldırıldı.");
// %1: the reason.
inline const QString kFailed = QStringLiteral("Parola değiştirilemedi: %1.");

// What the boxes of the change window hold, checked in order; the message,
// or nothing when the change may go ahead. An empty new password (typed
// empty twice) goes back to the built-in key.
enum class Box { Current, New, Again };
struct Refusal
{
    QString text;
    Box box;
};
std::optional<Refusal> check(const Database& db, const QString& current, const QString& newPassword,
                             const QString& again);

// The key for a new password: its UTF-8 bytes, or the built-in key for none.
QByteArray keyFor(const QString& password);

// Whether the clerk is to be warned before the change: a first password.
bool needsWarning(const Database& db, const QString& newPassword);

// Re-encrypts the register with the new password, its progress shown
// through dialogs when given (it cannot be abandoned); the message of the
// failure, or nothing when the register now opens with the new one only.
inline const QString kWorkText = QStringLiteral("Kayıt dosyası yeni parolayla şifreleniyor...");
std::optional<QString> change(Database& db, const QString& newPassword, Dialogs* dialogs = nullptr);

// The change window's "Tamam": the boxes checked (a refusal told), a first
// password asked about, the register re-encrypted (a failure told), then
// what else was under the old key (the backups) given that key to follow,
// and only then the clerk told it is done: a program ended while the
// message waits leaves nothing under the old key.
enum class Confirmed { Done, Refused, Kept };
struct Confirmation
{
    Confirmed outcome = Confirmed::Kept;
    Box box = Box::New; // the box to correct, when refused
};
Confirmation confirm(Database& db, Dialogs& dialogs, const QString& current, const QString& newPassword,
                     const QString& again, const std::function<void(const QByteArray& oldKey)>& afterChange);

// Opens the register at start: with the built-in key, else with the
// password the clerk types, asked at most three times. Throws
// DatabaseOpenError when the register cannot be opened; a cancelled
// question gives the reason the file refused. Read opens the register only
// for reading (Database::openForReading): nothing is created or added.
enum class Access { Write, Read };
void openAsking(Database& db, Dialogs& dialogs, Access access = Access::Write);

} // namespace RegisterPassword

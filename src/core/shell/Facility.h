// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/Dialogs.h"

#include <QString>
#include <optional>

class Dataset;

// The facility's code and name, kept in the one row of the settings table.
namespace Facility {

inline const QString kBadCode = QStringLiteral("Lütfen Tesis Kodunu Doğru Giriniz.");
inline const QString kShortName = QStringLiteral("Tesis Adı bölümü 5 karakterden az olamaz!");
inline const QString kBadNewName = QStringLiteral("Tesis Adı bölümü 5 karakterden az, 50 karakterden fazla olamaz!");
// Shown by a code display while the facility is not set up.
inline const QString kNoCode = QStringLiteral("00000");

// Set up once the first-run window has stored code and name (aktif = 1).
bool isSetUp(const Dataset& ayar);
QString code(const Dataset& ayar);
QString name(const Dataset& ayar);

// The first-run window's checks, in the order it runs them.
std::optional<QString> checkCode(const QString& code);
std::optional<QString> checkName(const QString& name);
// A name changed later: 5 to 50 characters.
std::optional<QString> checkNewName(const QString& name);
// The box that asks for a new name: it takes what the first-run window's
// name box takes.
Dialogs::TextRequest renameRequest(const QString& current);

// Stores code and name and marks the facility set up, unless another desk
// of the same register has set it up meanwhile: the settings then read as
// that desk stored them, and nothing typed here is stored.
enum class Stored { Done, Refused, SetElsewhere };
Stored store(Dataset& ayar, const QString& code, const QString& name);
// What the clerk is told of a facility set up at another desk: its stored
// code and name.
QString setElsewhereText(const Dataset& ayar);
inline const QString kSetElsewhere =
    QStringLiteral("Tesis bilgileri başka bir bilgisayarda girilmiş:\rTesis Kodu: %1\rTesis Adı: %2\r"
                   "Buradaki bilgiler kaydedilmedi; kayıtlı olanlar kullanılıyor.");
bool rename(Dataset& ayar, const QString& name);
// "Tesis Adını Değiştir": the new name asked for, checked and stored; the
// name stored, or nothing (given up, refused with its message, not stored).
std::optional<QString> renameAsking(Dataset& ayar, Dialogs& dialogs);

} // namespace Facility

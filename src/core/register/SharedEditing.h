// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/Store.h"

#include <QString>
#include <QStringList>

class Dataset;
class Dialogs;

// What a clerk is told when a save meets another desk's change on a
// register several desks share, or the server cannot be reached.
namespace SharedEditing {

inline const QString kChanged = QStringLiteral("Bu kayıt başka bir bilgisayarda değiştirildi; güncel hali yüklendi.");
inline const QString kDeleted = QStringLiteral("Bu kayıt başka bir bilgisayarda silindi.");
inline const QString kBothChanged = QStringLiteral("İki bilgisayarda da değiştirilen alanlar: %1");
// A save the server or the file could not take, its failure's first line
// before it; the server's or engine's own text goes on a line below.
inline const QString kNotSaved = QStringLiteral("%1 Bilgiler pencerede duruyor; tekrar kaydediniz.");
inline const QString kOutcomeUnknown =
    QStringLiteral("Sunucuyla bağlantı kayıt sırasında kesildi; kaydın saklanıp saklanmadığı öğrenilemedi. "
                   "Bilgiler pencerede duruyor; tekrar kaydetmeden önce listeye bakınız.");

// The message of a refused save; columns by the names the windows give them.
QString conflictText(StoreConflict::Kind kind, const QStringList& bothChanged);
// The message of a save that failed for a reason of the server or the file
// (a failure of a kind the clerk can be told, or a server not reached);
// empty for a write the register refused for its values.
QString failureText(const StoreError& e);

// Tells the clerk of a conflict, of a server that cannot be reached and of
// a failure of the file; any other refused write is told with refusedText.
void install(Dataset& records, Dialogs& dialogs, const QString& refusedText);

} // namespace SharedEditing

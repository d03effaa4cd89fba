// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/Dialogs.h"

class Dataset;
class Tables;

// What happens to typed data when the clerk closes the program.
namespace Closing {

// A guest or a customer being edited with something changed: the clerk is
// asked before the program closes.
bool mustAsk(const Dataset& guests, const Dataset& customers);

// The answer to that question. Yes settles the tables as before a run (the
// changed customer and then the changed guest stored, with their rules);
// No drops both; anything else keeps the program open. True when the
// program may close: never while a save was refused.
bool settle(Dialogs::Button answer, Tables& tables);

// The clerk closes the program: with something unsaved, asked once and
// settled by the answer. True when the program may close.
bool confirm(Dialogs& dialogs, Tables& tables);

inline const QString kUnsavedQuestion =
    QStringLiteral("Kaydedilmemiş bilgiler var.\rProgramı kapatmadan önce kaydetmek ister misiniz?");

} // namespace Closing

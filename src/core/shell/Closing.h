// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/Dialogs.h"

class Dataset;

// What happens to typed data when the clerk closes the program.
namespace Closing {

// A guest or a customer being edited with something changed: the clerk is
// asked before the program closes.
bool mustAsk(const Dataset& guests, const Dataset& customers);

// The answer to that question. Yes stores the changed guest (its plate
// tidied, its rules run) and then the changed customer; No drops both;
// anything else keeps the program open. True when the program may close:
// never while a save was refused.
bool settle(Dialogs::Button answer, Dataset& guests, Dataset& customers);

// The clerk closes the program: with something unsaved, asked once and
// settled by the answer. True when the program may close.
bool confirm(Dialogs& dialogs, Dataset& guests, Dataset& customers);

inline const QString kUnsavedQuestion =
    QStringLiteral("Kaydedilmemiş bilgiler var.\rProgramı kapatmadan önce kaydetmek ister misiniz?");

} // namespace Closing

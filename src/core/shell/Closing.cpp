// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/shell/Closing.h"

#include "core/register/Dataset.h"
#include "core/register/Tables.h"
#include "core/register/Validation.h"

namespace Closing {

bool mustAsk(const Dataset& guests, const Dataset& customers)
{
    return hasUnsavedChanges(guests) || hasUnsavedChanges(customers);
}

bool settle(Dialogs::Button answer, Tables& tables)
{
    if (answer == Dialogs::No) {
        tables.kisi->cancel();
        tables.musteriler->cancel();
        return true;
    }
    return answer == Dialogs::Yes && tables.settleAll();
}

bool confirm(Dialogs& dialogs, Tables& tables)
{
    // Typed data are not lost without a word.
    if (!mustAsk(*tables.kisi, *tables.musteriler))
        return true;
    const Dialogs::Button answer =
        dialogs.message(kAppTitle, kUnsavedQuestion, Dialogs::Icon::Question,
                        Dialogs::Buttons(Dialogs::Yes) | Dialogs::No | Dialogs::Cancel, Dialogs::Yes);
    return settle(answer, tables);
}

} // namespace Closing

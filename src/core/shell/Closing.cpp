// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/shell/Closing.h"

#include "core/register/Dataset.h"
#include "core/register/Validation.h"

namespace Closing {

bool mustAsk(const Dataset& guests, const Dataset& customers)
{
    return hasUnsavedChanges(guests) || hasUnsavedChanges(customers);
}

bool settle(Dialogs::Button answer, Dataset& guests, Dataset& customers)
{
    if (answer == Dialogs::No) {
        guests.cancel();
        customers.cancel();
        return true;
    }
    if (answer != Dialogs::Yes)
        return false;
    if (hasUnsavedChanges(guests)) {
        normalisePlate(guests, guests.text(QStringLiteral("AracPlakaNo")));
        saveRecord(guests);
        if (guests.isEditing())
            return false;
    }
    return !hasUnsavedChanges(customers) || customers.post();
}

bool confirm(Dialogs& dialogs, Dataset& guests, Dataset& customers)
{
    // Typed data are not lost without a word.
    if (!mustAsk(guests, customers))
        return true;
    const Dialogs::Button answer =
        dialogs.message(kAppTitle, kUnsavedQuestion, Dialogs::Icon::Question,
                        Dialogs::Buttons(Dialogs::Yes) | Dialogs::No | Dialogs::Cancel, Dialogs::Yes);
    return settle(answer, guests, customers);
}

} // namespace Closing

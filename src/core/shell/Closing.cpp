// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/shell/Closing.h"

#include "core/register/Columns.h"
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
        normalisePlate(guests, guests.text(Columns::AracPlakaNo));
        saveRecord(guests);
        if (guests.isEditing())
            return false;
    }
    return !hasUnsavedChanges(customers) || customers.post();
}

} // namespace Closing

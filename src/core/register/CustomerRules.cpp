// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/CustomerRules.h"

#include "core/register/Columns.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/SharedEditing.h"
#include "core/register/GuestRules.h"
#include "core/register/Validation.h"
#include "platform/core/Dialogs.h"
#include "platform/core/RadaError.h"

namespace CustomerRules {

namespace {
const QString kBirth = Columns::DogumTarihi;
}

void beforePost(Dataset& customer)
{
    normalisePlate(customer, customer.text(Columns::AracPlakaNo));
    bool readable = true;
    try {
        readable = customer.date(kBirth).has_value();
    } catch (const RadaError&) {
        readable = false;
    }
    if (!readable)
        customer.setDate(kBirth, Formats::dayZero());
}

void install(Dataset& customers, Dialogs& dialogs)
{
    customers.beforePost = [&customers] {
        beforePost(customers);
        return true;
    };
    customers.beforeDelete = [&dialogs] { return dialogs.askYesNo(GuestRules::kDeleteQuestion) == Dialogs::Yes; };
    SharedEditing::install(customers, dialogs, kPostError);
    customers.onNewRecord = [&customers] { customers.setDate(kBirth, Formats::dayZero()); };
}

} // namespace CustomerRules

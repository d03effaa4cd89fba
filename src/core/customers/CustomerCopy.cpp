// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/customers/CustomerCopy.h"

#include "core/register/Columns.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "platform/core/Dialogs.h"

bool copyCustomerToGuest(Dataset& guest, const Dataset& customer, const CustomerView& view, const QDateTime& now)
{
    if (!guest.isEditing() && !guest.edit())
        return false;
    for (const Columns::Person* p : Columns::shown(true)) {
        const QString& column = p->name;
        switch (p->copy) {
        case Columns::Copy::None:
            break;
        case Columns::Copy::Shown:
            guest.setText(column, view.shownText(column));
            break;
        case Columns::Copy::Stored:
            guest.setText(column, customer.text(column));
            break;
        case Columns::Copy::BirthBox:
            guest.setDate(column, view.birthDate());
            break;
        case Columns::Copy::Arrival:
            guest.setDate(column, now.date());
            guest.setText(Columns::GelisSaati, Formats::timeText(Formats::wholeSeconds(now.time())));
            break;
        }
    }
    return true;
}

std::optional<qint64> copyCustomerWithCode(Dataset& guest, Dataset& customers, const CustomerView& view,
                                           const QString& code, const QDateTime& now, Dialogs& dialogs)
{
    // Restricting the customers settles a pending customer edit first; a
    // refusal has shown the customer window's message and ends the lookup.
    if (!customers.setFilter(Columns::musteriKodu, code))
        return std::nullopt;
    std::optional<qint64> copied;
    if (customers.recordCount() == 0)
        dialogs.inform(CustomerCopy::kCodeNotFound);
    else if (copyCustomerToGuest(guest, customers, view, now))
        copied = customers.key();
    customers.clearFilter();
    return copied;
}

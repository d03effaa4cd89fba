// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/customers/RecordSearch.h"

#include "core/register/Dataset.h"

namespace RecordSearch {

bool findGuest(Dataset& guests, const QString& column, const QString& text)
{
    if (text.isEmpty() || !guests.isOpen())
        return false;
    return guests.locate(column, text, Dataset::Match::IgnoreTurkishCase);
}

bool findCustomer(Dataset& customers, const QString& column, const QString& text)
{
    if (text.isEmpty()) {
        customers.settle();
        return false;
    }
    return customers.locate(column, text, Dataset::Match::IgnoreTurkishCase);
}

} // namespace RecordSearch

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class Dataset;

// The searches of the guest search window and of the customer window's quick
// search: both move to the first record, in the list's order, whose column
// begins with the text, Turkish letter case ignored.
namespace RecordSearch {

// No guest holds an empty text (an empty box stores nothing): an empty text
// finds nobody and the list stays where it was.
bool findGuest(Dataset& guests, const QString& column, const QString& text);

// As every move does, the quick search settles a pending customer edit
// first, even for an empty text, which finds nobody.
bool findCustomer(Dataset& customers, const QString& column, const QString& text);

} // namespace RecordSearch

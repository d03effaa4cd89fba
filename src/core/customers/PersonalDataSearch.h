// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class Store;

// What the register holds about one person, for their request: the
// customer records and the guest rows that carry their T.C. Kimlik No,
// their document number, or their first name and surname (Turkish case
// ignored). Nothing of a search is kept.
namespace PersonalDataSearch {

struct Query
{
    enum class By { IdentityNumber, DocumentNumber, Name };
    By by = By::IdentityNumber;
    QString value;    // the number, or the first name
    QString surname;  // with By::Name

    // Whether there is anything to look for.
    bool isComplete() const;
};

struct Record
{
    qint64 key = 0;
    QList<QVariant> values; // in the table's column order
};

struct Findings
{
    QList<Record> customers;
    QList<Record> guests;
    bool isEmpty() const { return customers.isEmpty() && guests.isEmpty(); }
};

Findings find(Store& store, const Query& query);

} // namespace PersonalDataSearch

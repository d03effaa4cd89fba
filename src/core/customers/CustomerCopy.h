// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

class Dataset;

// What the customer window shows that no dataset holds: the text its boxes
// show and its unbound birth-date box. The customer copy reads the window
// through this, and only this.
class CustomerView
{
public:
    virtual ~CustomerView() = default;
    // The text the box bound to this column of Musteriler shows; for the
    // identity number its eleven characters, a blank per empty position.
    virtual QString shownText(const QString& column) const = 0;
    // Day zero when the customer has no birth date.
    virtual QDate birthDate() const = 0;
};

// Copies the customer window's current customer into the guest record, item
// by item in the guest window's order: the texts its boxes show, the stored
// codes of its lookups, its birth-date box, and the arrival stamped now
// (to the second). A
// guest record not being edited enters editing first (on an empty table a
// new one begins). Nothing is stored or asked. False when the guest record
// could not enter editing.
bool copyCustomerToGuest(Dataset& guest, const Dataset& customer, const CustomerView& view, const QDateTime& now);

class Dialogs;

// Enter in the guest window's customer code box: the customer with exactly
// that code is copied into the guest record, and the clerk is told when
// there is none. The copied customer's key; nothing when none was copied
// (also when a pending customer edit was refused, with its message).
std::optional<qint64> copyCustomerWithCode(Dataset& guest, Dataset& customers, const CustomerView& view,
                                           const QString& code, const QDateTime& now, Dialogs& dialogs);

namespace CustomerCopy {
inline const QString kCodeNotFound = QStringLiteral("Aradığınız Müşteri Kodunda Müşteri Bulunamadı!");
inline const QString kNoCustomer = QStringLiteral("Müşteri Bulunamadı.");
} // namespace CustomerCopy

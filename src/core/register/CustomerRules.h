// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class Dataset;
class Dialogs;

// The rules that keep a customer valid, whoever writes the customer.
namespace CustomerRules {

// A customer the database refused to store: the code is unique and required.
inline const QString kPostError =
    QStringLiteral("Müşteri Kodu boş geçilmiş veya daha önce kullanılmış!\rLütfen Müşteri Kodu'nu tekrar giriniz.");

// Before a customer is stored its plate loses its blanks and a birth date
// that is missing or cannot be read becomes day zero, as the window shows it.
void beforePost(Dataset& customer);

// Installs the rules on the customer table: the step before a save, the
// question before a delete, the message when the database refuses a
// customer, and a new customer born on day zero.
void install(Dataset& customers, Dialogs& dialogs);

} // namespace CustomerRules

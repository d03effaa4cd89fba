// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/customers/CustomerCopy.h"

#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "platform/core/Dialogs.h"

bool copyCustomerToGuest(Dataset& guest, const Dataset& customer, const CustomerView& view, const QDateTime& now)
{
    if (!guest.isEditing() && !guest.edit())
        return false;
    enum class From { Shown, Stored, BirthBox, Arrival };
    struct Item { const char* column; From from; };
    static const Item items[] = {
        {"Adi", From::Shown},
        {"Soyadi", From::Shown},
        {"DogumTarihi", From::BirthBox},
        {"Uyrugu", From::Stored},
        {"KimlikBelgesiTuru", From::Stored},
        {"KimlikSeriNo", From::Shown},
        {"Cinsiyet", From::Stored},
        {"IkametAdresi", From::Shown},
        {"GelisTarihi", From::Arrival},
        {"TCKimlikNo", From::Shown},
        {"BabaAdi", From::Shown},
        {"AnaAdi", From::Shown},
        {"NufusaKayitliOlduguIl", From::Stored},
        {"NufusaKayitliOlduguIlce", From::Shown},
        {"DogumYeri", From::Shown},
        {"NufusaKayitliOlduguMahalle", From::Shown},
        {"NufusCilt", From::Shown},
        {"NufusAileSira", From::Shown},
        {"NufusSiraNo", From::Shown},
        {"MedeniHali", From::Stored},
        {"Isi", From::Shown},
        {"AracPlakaNo", From::Shown},
    };
    for (const Item& item : items) {
        const QString column = QString::fromLatin1(item.column);
        switch (item.from) {
        case From::Shown:
            guest.setText(column, view.shownText(column));
            break;
        case From::Stored:
            guest.setText(column, customer.text(column));
            break;
        case From::BirthBox:
            guest.setDate(column, view.birthDate());
            break;
        case From::Arrival:
            guest.setDate(column, now.date());
            guest.setText(QStringLiteral("GelisSaati"), Formats::timeText(Formats::wholeSeconds(now.time())));
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
    if (!customers.setFilter(QStringLiteral("musteriKodu"), code))
        return std::nullopt;
    std::optional<qint64> copied;
    if (customers.recordCount() == 0)
        dialogs.inform(CustomerCopy::kCodeNotFound);
    else if (copyCustomerToGuest(guest, customers, view, now))
        copied = customers.key();
    customers.clearFilter();
    return copied;
}

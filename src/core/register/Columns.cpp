// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Columns.h"

#include "platform/core/RadaError.h"

#include <array>
#include <cstring>

namespace Columns {

namespace {

constexpr std::size_t kCount = std::size_t(Id::Count);

// Every column name, in the order of Id.
#define RADADIR_COLUMN_TEXT(name) #name,
constexpr std::array<const char*, kCount> kNames = {RADADIR_COLUMNS(RADADIR_COLUMN_TEXT)};
#undef RADADIR_COLUMN_TEXT

const std::array<QString, kCount>& texts()
{
    static const std::array<QString, kCount> all = [] {
        std::array<QString, kCount> out;
        for (std::size_t i = 0; i < kCount; ++i)
            out[i] = QString::fromLatin1(kNames[i]);
        return out;
    }();
    return all;
}

constexpr bool G = true;  // on the guests / required there
constexpr bool C = true;  // on the customers / required there
constexpr bool _ = false;

using T = ColumnType;
using R = Reading;

// Kisi in its order, with Musteriler's own columns where that table has them.
// Fields of the group "required for everyone" are required on guests only.
// name, type, size, guests, customers, required on guests, on customers,
// unique, of citizens, caption, spoken, box, kind, lookup, reading, copy
const Person kPersons[] = {
    {ID, T::AutoId, 0, G, _, _, _, _, _, nullptr, nullptr, nullptr, Box::None, List::None, R::NotWritten, Copy::None},
    {musteriID, T::AutoId, 0, _, C, _, _, _, _, nullptr, nullptr, nullptr, Box::None, List::None, R::NotWritten,
     Copy::None},
    {musteriKodu, T::Text, 20, _, C, _, C, true, _, "Müşteri Kodu :", nullptr, "DBEdit14", Box::Text, List::None,
     R::NotWritten, Copy::None},
    {TCKimlikNo, T::Text, 11, G, C, _, _, _, true, "T.C. Kimlik No :", nullptr, "DBEdit4", Box::IdentityNumber,
     List::None, R::Trimmed, Copy::Shown},
    {Adi, T::Text, 80, G, C, G, _, _, _, "Adı :", nullptr, "DBEdit1", Box::Text, List::None, R::Whole, Copy::Shown},
    {Soyadi, T::Text, 80, G, C, G, _, _, _, "Soyadı :", nullptr, "DBEdit2", Box::Text, List::None, R::Whole, Copy::Shown},
    {BabaAdi, T::Text, 80, G, C, _, _, _, true, "Baba Adı :", nullptr, "DBEdit5", Box::Text, List::None, R::Whole,
     Copy::Shown},
    {AnaAdi, T::Text, 80, G, C, _, _, _, true, "Ana Adı :", nullptr, "DBEdit6", Box::Text, List::None, R::Whole,
     Copy::Shown},
    {DogumYeri, T::Text, 80, G, C, _, _, _, _, "Doğum Yeri :", nullptr, "DBEdit8", Box::Text, List::None, R::Whole,
     Copy::Shown},
    {DogumTarihi, T::Date, 0, G, C, _, _, _, _, "Doğum Tarihi :", nullptr, "DateTimePicker1", Box::Date, List::None,
     R::DatePart, Copy::BirthBox},
    {Uyrugu, T::Text, 5, G, C, G, _, _, _, "Uyruğu :", nullptr, "DBLookupComboBox1", Box::Lookup, List::Ulke,
     R::Whole, Copy::Stored},
    {KimlikBelgesiTuru, T::Text, 1, G, C, G, _, _, _, "Kimlik Belgesi Türü :", nullptr, "DBLookupComboBox2",
     Box::Lookup, List::KimlikTuru, R::Whole, Copy::Stored},
    {KimlikSeriNo, T::Text, 20, G, C, G, _, _, _, "Kimlik Seri No :", nullptr, "DBEdit16", Box::Text, List::None,
     R::Whole, Copy::Shown},
    {NufusaKayitliOlduguIl, T::Text, 80, G, C, _, _, _, true, "Nüfusa Kayıtlı Olduğu İl :", nullptr,
     "DBLookupComboBox4", Box::Lookup, List::Iller, R::Whole, Copy::Stored},
    {NufusaKayitliOlduguIlce, T::Text, 80, G, C, _, _, _, true, "Nüfusa Kayıtlı Olduğu İlçe :", nullptr, "DBEdit7",
     Box::Text, List::None, R::Whole, Copy::Shown},
    {NufusaKayitliOlduguMahalle, T::Text, 80, G, C, _, _, _, _, "Nüfusa Kayıtlı Olduğu Mahalle :", nullptr,
     "DBEdit9", Box::Text, List::None, R::Whole, Copy::Shown},
    {NufusCilt, T::Text, 15, G, C, _, _, _, _, "Nüfus Cilt No :", nullptr, "DBEdit10", Box::Text, List::None,
     R::Trimmed, Copy::Shown},
    {NufusAileSira, T::Text, 15, G, C, _, _, _, _, "Nüfus Aile Sıra No :", nullptr, "DBEdit11", Box::Text, List::None,
     R::Trimmed, Copy::Shown},
    {NufusSiraNo, T::Text, 15, G, C, _, _, _, _, "Nüfus Sıra No :", nullptr, "DBEdit12", Box::Text, List::None,
     R::Trimmed, Copy::Shown},
    {Cinsiyet, T::Text, 1, G, C, G, _, _, _, "Cinsiyet :", nullptr, "DBLookupComboBox3", Box::Lookup,
     List::Cinsiyet, R::Whole, Copy::Stored},
    {MedeniHali, T::Text, 1, G, C, _, _, _, _, "Medeni Hali :", nullptr, "DBLookupComboBox6", Box::Lookup,
     List::MedeniHali, R::Whole, Copy::Stored},
    {Isi, T::Text, 80, G, C, _, _, _, _, "İşi :", nullptr, "DBEdit13", Box::Text, List::None, R::Whole, Copy::Shown},
    {IkametAdresi, T::Text, 255, G, C, G, _, _, _, "İkâmet Adresi :", nullptr, "DBEdit3", Box::Text, List::None,
     R::Whole, Copy::Shown},
    {GelisTarihi, T::Date, 0, G, _, _, _, _, _, "Geliş Tarihi :", nullptr, "DateTimePicker2", Box::Date, List::None,
     R::DatePart, Copy::Arrival},
    // The two times sit beside their dates under the same "Saati :": the
    // date's word goes with them wherever the label stands alone.
    {GelisSaati, T::Text, 8, G, _, _, _, _, _, "Saati :", "Geliş Saati", "DateTimePicker3", Box::Time, List::None,
     R::Whole, Copy::None},
    {Kalici, T::Bool, 0, G, _, _, _, _, _, "Kalıcı", nullptr, "DBCheckBox1", Box::Check, List::None, R::NotWritten,
     Copy::None},
    {AyrilisTarihi, T::Date, 0, G, _, _, _, _, _, "Ayrılış Tarihi :", nullptr, "DateTimePicker4", Box::Date, List::None,
     R::DepartureDate, Copy::None},
    {AyrilisSaati, T::Text, 8, G, _, _, _, _, _, "Saati :", "Ayrılış Saati", "DateTimePicker5", Box::Time, List::None,
     R::DepartureTime, Copy::None},
    {VerilenOdaNo, T::Text, 15, G, _, _, _, _, _, "Oda No :", nullptr, "DBEdit14", Box::Text, List::None, R::Whole,
     Copy::None},
    {AracPlakaNo, T::Text, 20, G, C, _, _, _, _, "Araç Plaka No :", nullptr, "DBEdit15", Box::Text, List::None, R::Whole,
     Copy::Shown},
};

// The windows' order of the person columns: the guest window's, with the
// customer code first where the customer window has it.
constexpr Name kShownOrder[] = {
    musteriKodu, Adi, Soyadi, DogumTarihi, Uyrugu, KimlikBelgesiTuru, KimlikSeriNo, Cinsiyet, IkametAdresi,
    TCKimlikNo, BabaAdi, AnaAdi, NufusaKayitliOlduguIl, NufusaKayitliOlduguIlce, DogumYeri,
    NufusaKayitliOlduguMahalle, NufusCilt, NufusAileSira, NufusSiraNo, MedeniHali, Isi,
    GelisTarihi, GelisSaati, VerilenOdaNo, AracPlakaNo, Kalici, AyrilisTarihi, AyrilisSaati,
};

} // namespace

const QString& Name::text() const
{
    return texts()[std::size_t(m_id)];
}

QLatin1StringView Name::latin1() const
{
    const char* name = kNames[std::size_t(m_id)];
    return QLatin1StringView(name, qsizetype(std::strlen(name)));
}

QString Person::label() const
{
    if (spoken)
        return QString::fromUtf8(spoken) + QStringLiteral(" :");
    return QString::fromUtf8(caption);
}

QString Person::clerkName() const
{
    if (spoken)
        return QString::fromUtf8(spoken);
    QString text = QString::fromUtf8(caption);
    if (text.endsWith(QLatin1String(" :")))
        text.chop(2);
    return text;
}

std::span<const Person> person()
{
    return kPersons;
}

const Person* find(const QString& column)
{
    for (const Person& p : person()) {
        if (column == p.name)
            return &p;
    }
    return nullptr;
}

const Person& of(Name column)
{
    for (const Person& p : person()) {
        if (p.name == column)
            return p;
    }
    throw RadaError(QStringLiteral("Column '%1' is not one of a person").arg(column.text()));
}

QList<const Person*> shown(bool guests)
{
    QList<const Person*> out;
    for (const Name name : kShownOrder) {
        const Person& p = of(name);
        if (guests ? p.onGuests : p.onCustomers)
            out << &p;
    }
    return out;
}

} // namespace Columns

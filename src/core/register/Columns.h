// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <span>

// The catalogue of the register's columns. Every column name of every table
// is listed once, below, and made a text in Columns.cpp alone; code names a
// column by its constant (Columns::TCKimlikNo), which converts to the
// name's text wherever a column name is taken. The columns of the two person tables, Kisi (the
// guests) and Musteriler (the customers), are described in full: what the
// tables, the windows, the check before a run, the notification file and
// the customer copy need of each.
// The kinds of value a column holds.
enum class ColumnType { AutoId, Text, Date, Bool, Integer };

namespace Columns {

// Every column of the register's tables, by its name: those of Kisi and
// Musteriler, of the lookup lists, of the settings, the run history and the
// backups, of the retention of personal data and of the monthly figures.
#define RADADIR_COLUMNS(X)                                                                                           \
    X(ID) X(musteriID) X(musteriKodu) X(TCKimlikNo) X(Adi) X(Soyadi) X(BabaAdi) X(AnaAdi) X(DogumYeri)              \
    X(DogumTarihi) X(Uyrugu) X(KimlikBelgesiTuru) X(KimlikSeriNo) X(NufusaKayitliOlduguIl)                          \
    X(NufusaKayitliOlduguIlce) X(NufusaKayitliOlduguMahalle) X(NufusCilt) X(NufusAileSira) X(NufusSiraNo)           \
    X(Cinsiyet) X(MedeniHali) X(Isi) X(IkametAdresi) X(GelisTarihi) X(GelisSaati) X(Kalici) X(AyrilisTarihi)        \
    X(AyrilisSaati) X(VerilenOdaNo) X(AracPlakaNo)                                                                  \
    X(Kodu) X(Ulke) X(KimlikTuru) X(Il)                                                                             \
    X(tesiskodu) X(tesisadi) X(aktif) X(Zaman) X(DosyaYolu) X(Ozet) X(YazilanSayisi) X(SilinenSayisi) X(Sonuc)      \
    X(Hata) X(Klasor)                                                                                               \
    X(SonKonaklama) X(SaklamaSuresiAy) X(SonImha) X(Baslangic) X(Tarih) X(Kategori) X(Adet) X(Yontem) X(Gerekce)    \
    X(Ay) X(Gelis) X(Geceleme)

#define RADADIR_COLUMN_ID(name) name,
enum class Id : std::uint8_t { RADADIR_COLUMNS(RADADIR_COLUMN_ID) Count };
#undef RADADIR_COLUMN_ID

// A column's name.
class Name
{
public:
    constexpr explicit Name(Id id) : m_id(id) {}
    constexpr Id id() const { return m_id; }
    const QString& text() const;
    QLatin1StringView latin1() const;
    operator const QString&() const { return text(); }

    friend constexpr bool operator==(Name a, Name b) { return a.m_id == b.m_id; }
    friend bool operator==(const QString& a, Name b) { return a == b.latin1(); }

private:
    Id m_id;
};

#define RADADIR_COLUMN_NAME(name) inline constexpr Name name{Id::name};
RADADIR_COLUMNS(RADADIR_COLUMN_NAME)
#undef RADADIR_COLUMN_NAME

// The box that edits a column in the guest and the customer window.
enum class Box {
    None,           // no window edits it
    Text,           // a line of text
    IdentityNumber, // the masked identity number with its query button
    Lookup,         // a list of a lookup table
    Date,           // a date picker
    Time,           // a time picker
    Check,          // a tick
};

// The lookup table a Lookup box offers (Schema::lookupTable).
enum class List { None, Ulke, KimlikTuru, Cinsiyet, Iller, MedeniHali };

// How the notification file reads a column, and the check before a run
// with it.
enum class Reading {
    NotWritten,
    Whole,
    Trimmed,       // without leading and trailing characters up to code 32
    DatePart,      // the first ten characters
    DepartureDate, // the first ten characters, and not at all for a staying guest
    DepartureTime, // whole, and not at all for a staying guest
};

// What the copy of a customer into the guest record takes for a column.
enum class Copy {
    None,
    Shown,    // the text the customer window's box shows
    Stored,   // the customer's stored value (the code of a lookup)
    BirthBox, // the customer window's birth-date box
    Arrival,  // now: this date column and its time column GelisSaati
};

// One column of Kisi or Musteriler.
struct Person
{
    Name name;
    ColumnType type;
    int size;                 // characters, for text columns
    bool onGuests;            // a column of Kisi
    bool onCustomers;         // a column of Musteriler
    bool requiredOnGuests;    // non-empty, by the database
    bool requiredOnCustomers;
    bool unique;              // on customers: no two alike
    bool ofCitizens;          // required of a Turkish citizen, by the guest window
    const char* caption;      // UTF-8, the label beside the box ("Adı :"); nullptr when none
    const char* spoken;       // UTF-8, the column for messages where the label does not say it alone
    const char* box;          // the box's object name
    Box kind;
    List list;                // the lookup table of a Lookup box
    Reading reading;
    Copy copy;

    // The label as a message or a report gives it: the caption, or the
    // spoken name with " :" ("Geliş Saati :").
    QString label() const;
    // The column as the clerk knows it, for messages: the label without " :".
    QString clerkName() const;
};

// Every column of the two person tables, Kisi's in its order, then those
// of Musteriler alone where they stand in its order.
std::span<const Person> person();
// The description of a column of Kisi or Musteriler; nullptr when neither has it.
const Person* find(const QString& column);
const Person& of(Name column);
// The person columns that the windows show, in the guest window's order;
// of the guests or of the customers.
QList<const Person*> shown(bool guests);

} // namespace Columns

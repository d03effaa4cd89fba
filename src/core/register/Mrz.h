// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <optional>
#include <utility>

// The machine-readable zone of a passport or identity card (ICAO Doc 9303),
// as a desk reader types it: two or three lines, each followed by Enter.
//
//   Mrz::inputState(text)      while the reader types: is the zone all there?
//   Mrz::parse(text)           the zone's fields, and every check that failed
//   Mrz::guestFields(zone, d)  the guest columns the zone fills, plus read-back
//
// Input is taken as a reader delivers it: lower-case letters are read as
// upper case, blanks and empty lines around the lines are ignored, lines are
// separated by LF or CR LF. Through a Turkish keyboard layout a reader
// delivers "<" as "Ö"/"ö" and "I" as "İ"/"ı"; these are read as "<" and "I".
// Any other character outside A-Z, 0-9 and "<" is refused.
//
// A scan dialog: on every change of its box, inputState(); once that is not
// Incomplete, parse(). Show messages() when the result is not valid; else
// guestFields(*zone, the clock's date) for the read-back, refused when
// registerRefusal() says why, and on acceptance
// write its columns() into the open guest record, telling the clerk to put
// the Turkish letters into a Turkish holder's names.
//
// Nothing here keeps any part of a zone beyond the call that received it.
namespace Mrz {

// TD1: identity cards, 3 lines of 30. TD2: 2 lines of 36. TD3: passports,
// 2 lines of 44.
enum class Format { TD1, TD2, TD3 };

enum class InputState {
    Incomplete, // nothing wrong so far; more lines or characters are due
    Complete,   // the lines have the count and lengths of a zone: parse it
    Invalid,    // no further typing can make a zone of it: parse it for the reasons
};

// Cheap enough to call on every keystroke. Looks at line count, line
// lengths and characters only; check digits and dates are parse()'s job.
// The last line counts as complete once it has its full length, Enter or not;
// a first line of 30 or 36 characters fixes the format only once Enter follows
// it (until then it may be the start of a longer line).
InputState inputState(QStringView text);

// The part of the zone a problem is about, so that a dialog can mark it.
enum class Field {
    Layout,         // line count or line length
    Character,      // a character outside A-Z, 0-9, "<"
    DocumentCode,
    IssuingState,
    Name,
    DocumentNumber,
    BirthDate,
    Sex,
    ExpiryDate,
    Nationality,
    PersonalNumber, // TD3 only
    Composite,      // the check digit over several fields
};

struct Problem
{
    Field field;
    QString message; // plain Turkish, ready to show to the clerk

    friend bool operator==(const Problem&, const Problem&) = default;
};

// The fields of a zone, as printed, with fillers ("<") dropped where noted.
struct Zone
{
    Format format = Format::TD3;
    QString documentCode;        // "P", "I", "ID", "AC": trailing filler dropped
    QString issuingState;        // "UTO", "TUR", "D": trailing fillers dropped
    QString primaryIdentifier;   // surname(s): parts joined by one blank
    QString secondaryIdentifier; // given names: parts joined by one blank; may be empty
    // Every filler dropped. A TD1 or TD2 number longer than nine characters
    // (a filler where its check digit would be) is continued from the
    // optional data, up to its check digit.
    QString documentNumber;
    QString birthDate;  // "YYMMDD"; an unknown part (year, month, day) is "<<"
    QChar sex;          // 'M', 'F', 'X' or '<'
    QString expiryDate; // "YYMMDD"
    QString nationality; // "UTO", "TUR", "D": trailing fillers dropped
    // TD3: the personal number. TD1: the optional data of the first line,
    // TD2: the optional data; in both after a continued document number.
    // Fillers at either end dropped.
    QString optionalData;
    QString optionalData2; // TD1 only: the optional data of the second line

    friend bool operator==(const Zone&, const Zone&) = default;
};

struct ParseResult
{
    // Present when the lines have the shape of a zone (count, lengths,
    // characters), even when field checks failed; absent otherwise, and
    // for a visa, whose zone is laid out differently.
    std::optional<Zone> zone;
    // Every check that failed, in the order of the fields in the zone.
    // Empty when the zone is whole and sound.
    QList<Problem> problems;

    bool isValid() const { return zone.has_value() && problems.isEmpty(); }
    QStringList messages() const;
};

// Reads and checks a zone: the shape (lines, lengths, characters); then the
// document code, the state codes, the name, the check digits of the document
// number, birth date, expiry date and (TD3) personal number, the composite
// check digit, the dates themselves and the sex. A TD3 personal number of
// fillers only may carry "<" or "0" as its check digit.
ParseResult parse(QStringView text);

// A guest record's columns (table Kisi) as a zone fills them, plus what a
// read-back shows.
struct Guest
{
    QString soyadi;      // primary identifier
    QString adi;         // secondary identifier
    // The century that puts the date on or before today; empty when the zone
    // gives the day, month or year as unknown (the window shows day zero).
    std::optional<QDate> dogumTarihi;
    // Register code: TUR is "TC", D is "DEU", GBD/GBN/GBO/GBP/GBS are "GBR";
    // any other code as it stands. The caller looks it up in table Ulke.
    QString uyrugu;
    QString kimlikBelgesiTuru; // "P" passport, "K" Turkish identity card, else "D"
    QString kimlikSeriNo;      // document number, letters kept
    QString cinsiyet;          // "E", "K", or empty when the zone gives neither M nor F
    // Turkish holders only: the TD3 personal number or the TD1 optional data
    // when that is eleven digits passing TCKNoKontrol; empty otherwise.
    QString tcKimlikNo;
    // Nationality TUR. Zones carry no Turkish letters, so the names of a
    // Turkish holder want correcting ("OZTURK" to "Öztürk").
    bool turkish = false;

    // Read-back only.
    QString nationalityCode; // as in the zone
    QString documentCode;    // as in the zone
    QDate gecerlilikTarihi;  // expiry: the century within 50 years of today
    // The expiry date lies before today. The clerk is told, not stopped.
    bool expired = false;

    // The Kisi columns a zone sets, each with its value, in the guest
    // window's order: Adi, Soyadi, DogumTarihi (a QDate, or a null QVariant
    // for no date), Uyrugu, KimlikBelgesiTuru, KimlikSeriNo, Cinsiyet,
    // TCKimlikNo (QString; empty means clear the column). Every one is always
    // set; every other column of the record is left as it is.
    QList<std::pair<QString, QVariant>> columns() const;
};

// Pure: the result depends on the zone and today only. Meant for a zone
// that parsed without problems.
Guest guestFields(const Zone& zone, const QDate& today);

// %1: the document number's length, %2: the most the register holds.
inline const QString kDocumentNumberTooLong =
    QStringLiteral("Belge numarası kayıt için çok uzun: %1 karakter; en çok %2 karakter olabilir. Belge aktarılamaz.");

// Why the guest fields cannot go into the register as they are, or empty
// when they can: a document number (a TD1 or TD2 number continued into the
// optional data) longer than the column KimlikSeriNo.
QString registerRefusal(const Guest& guest);

} // namespace Mrz

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

class Dataset;

// Rules shared by the guest and the customer window.

inline const QString kInvalidIdentityNumber = QStringLiteral("TC Kimlik No Geçersiz Görünüyor");
// The population registry's identity-number query page, opened in the
// default browser by the button beside an identity-number box.
inline const QString kIdentityQueryPage = QStringLiteral("https://tckimlik.nvi.gov.tr/Web/QueryIdentityNumber.aspx");

// The Turkish identity-number check: eleven decimal digits whose tenth and
// eleventh are the check digits of the first nine. Throws RadaError
// "'<text>' is not a valid integer value" for an 11-character text that is
// not a decimal integer.
bool TCKNoKontrol(const QString& text);

// On leaving an identity-number box: its eleven characters (a blank for
// every empty position). The warning to show, or nothing: a box without any
// digit is not checked. Throws the conversion error of TCKNoKontrol for a
// number with a gap inside.
std::optional<QString> identityNumberWarning(const QString& boxText);

// On leaving a plate box, and before every save: while the record is being
// edited and its plate is not empty, every blank goes from the box's text.
// Writes the result into the record's AracPlakaNo and returns it for the
// box; nothing when the rule does not apply.
std::optional<QString> normalisePlate(Dataset& record, const QString& boxText);

// What a document-number box (the serial number of an identity card or a
// passport) keeps of a typed or pasted text: digits and the Latin letters A
// to Z, small letters as capitals (a Turkish "i" or "ı" as "I"); every other
// character goes.
QString documentNumberText(const QString& typed);

// The Save command of the guest and customer windows: a record only browsed
// is stored again (its checks run), one being edited is stored.
bool saveRecord(Dataset& record);

// A record being edited or inserted with something changed: what closing the
// program asks about.
bool hasUnsavedChanges(const Dataset& record);

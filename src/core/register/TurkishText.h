// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// Turkish letter case and alphabetical order, for searching and sorting what
// clerks type in either case: "i" is the small "İ" and "ı" the small "I".
namespace TurkishText {

// Upper case of one character the Turkish way: i -> İ, ı -> I, every other
// character by its simple upper-case mapping (one character each).
char32_t foldChar(char32_t c);

// The text in Turkish upper case, character by character. Two texts that
// differ only in letter case the Turkish way fold alike; "i" and "I" do not.
QString fold(QStringView text);

// True when the text begins with the prefix, ignoring case the Turkish way.
bool startsWith(QStringView text, QStringView prefix);

// Where a folded character sorts: characters below 'A' (blank, digits, most
// punctuation) by their code, then the letters in the order of the Turkish
// alphabet A B C Ç D E F G Ğ H I İ J K L M N O Ö P Q R S Ş T U Ü V W X Y Z,
// then every other character by its code.
quint32 sortWeight(char32_t folded);

// Compares two texts in Turkish alphabetical order, ignoring case: negative,
// zero or positive. A text sorts after its own beginning.
int compare(QStringView a, QStringView b);

} // namespace TurkishText

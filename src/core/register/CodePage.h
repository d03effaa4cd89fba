// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

// What a text of the register may hold: exactly what the notification file
// can carry as single bytes of code page 1254 (Windows Turkish), with the
// XML characters escaped. Text boxes accept only this and the file writer
// refuses anything else, so a stored text can always be written.
namespace CodePage {

// How an ASCII character that is not written as it stands appears in the
// file: a character reference, or nothing at all (length 0: a control
// character that XML cannot carry).
struct Escape
{
    qsizetype length = 0;
    char text[6] = {};
};

// The most bytes one UTF-16 unit of a value can become.
constexpr qsizetype kMaxBytesPerUnit = sizeof(Escape::text);

// The byte of every UTF-16 unit that is written as one byte unchanged; 0 for
// the units that are escaped and for those the file cannot carry
// (surrogates included, so characters beyond the BMP are refused too).
extern const std::array<std::uint8_t, 65536> kSingleBytes;
// The escapes of the ASCII characters.
extern const std::array<Escape, 128> kEscapes;

// True when the notification file can carry every character of the text.
bool fits(QStringView text);

// The text without the characters the file cannot carry.
QString keepFitting(QStringView text);

// The character at that place as a message names it: "ş" (U+015F), or only
// the code of a character that does not print.
QString describe(QStringView text, qsizetype at);

// Text in code page 1254 as a whole, not only what the notification file
// carries: the announcement's banner file and pages that name the code page.
// The program's own table, since Qt's named converters are missing where
// Qt has no ICU (on Windows). A character the code page lacks becomes 0x1A,
// as in the system's converter.
QByteArray toWindows1254(QStringView text);
QString fromWindows1254(QByteArrayView bytes);

} // namespace CodePage

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/CodePage.h"

#include <string_view>

namespace CodePage {

namespace {

// The characters of bytes 0x80 to 0xFF. The unassigned bytes 0x81, 0x8D to
// 0x90, 0x9D and 0x9E carry the C1 control of the same number, as in the
// system's converter.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x008E, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178, // 98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, // B8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, // C0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, // C8
    0x011E, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, // D0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x0130, 0x015E, 0x00DF, // D8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, // E0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, // E8
    0x011F, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7, // F0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x0131, 0x015F, 0x00FF, // F8
};

// Tab, line feed and carriage return become character references, so the
// value survives and the file stays one line; the other controls cannot be
// carried at all.
constexpr std::array<Escape, 128> kEscapeTable = [] {
    std::array<Escape, 128> t{};
    auto set = [&t](char c, std::string_view text) {
        Escape& e = t[static_cast<unsigned char>(c)];
        e.length = qsizetype(text.size());
        for (std::size_t i = 0; i < text.size(); ++i)
            e.text[i] = text[i];
    };
    set('\t', "&#9;");
    set('\n', "&#10;");
    set('\r', "&#13;");
    set('"', "&quot;");
    set('&', "&amp;");
    set('<', "&lt;");
    set('>', "&gt;");
    return t;
}();

// The file declares ISO-8859-9, which reads the bytes 0x80 to 0x9F as
// control characters: the characters code page 1254 puts there (the euro
// sign, typographic quotes and dashes, and the like) would not reach the
// notification system as typed, so they are not carried at all.
constexpr int kFirstSharedUpper = 0x20;

constexpr std::array<std::uint8_t, 65536> kSingleByteTable = [] {
    std::array<std::uint8_t, 65536> t{};
    for (int c = 0x20; c < 0x80; ++c)
        t[c] = kEscapeTable[c].length == 0 ? static_cast<std::uint8_t>(c) : 0;
    for (int i = kFirstSharedUpper; i < 128; ++i)
        t[kUpperHalf[i]] = static_cast<std::uint8_t>(0x80 + i);
    return t;
}();

} // namespace

const std::array<std::uint8_t, 65536> kSingleBytes = kSingleByteTable;
const std::array<Escape, 128> kEscapes = kEscapeTable;

bool fits(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (kSingleBytes[u] == 0 && (u >= 0x80 || kEscapes[u].length == 0))
            return false;
    }
    return true;
}

QString keepFitting(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (fits(QStringView(&c, 1)))
            out += c;
    }
    return out;
}

QByteArray toWindows1254(QStringView text)
{
    // Every character the code page holds, to its byte.
    static const std::array<std::uint8_t, 65536> bytes = [] {
        std::array<std::uint8_t, 65536> t{};
        for (int c = 0; c < 0x80; ++c)
            t[c] = static_cast<std::uint8_t>(c);
        for (int i = 0; i < 128; ++i)
            t[kUpperHalf[i]] = static_cast<std::uint8_t>(0x80 + i);
        return t;
    }();
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const std::uint8_t b = bytes[u];
        out += char(b == 0 && u != 0 ? 0x1A : b);
    }
    return out;
}

QString fromWindows1254(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char b : bytes) {
        const auto u = static_cast<std::uint8_t>(b);
        out += QChar(u < 0x80 ? char16_t(u) : kUpperHalf[u - 0x80]);
    }
    return out;
}

QString describe(QStringView text, qsizetype at)
{
    char32_t code = text[at].unicode();
    qsizetype units = 1;
    if (QChar::isHighSurrogate(code) && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
        code = QChar::surrogateToUcs4(text[at], text[at + 1]);
        units = 2;
    }
    const QString hex = QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QLatin1Char('0')).toUpper();
    if (!QChar::isPrint(code))
        return QStringLiteral("(%1)").arg(hex);
    return QStringLiteral("\"%1\" (%2)").arg(text.sliced(at, units), hex);
}

} // namespace CodePage

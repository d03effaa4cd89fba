// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "core/register/CodePage.h"
#include "core/register/TurkishText.h"

#include <gtest/gtest.h>

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <random>

using namespace Qt::StringLiterals;

TEST(TurkishText, FoldsToUpperCaseTheTurkishWay)
{
    const std::pair<QString, QString> cases[] = {
        {u"i"_s, u"İ"_s},
        {u"ı"_s, u"I"_s},
        {u"I"_s, u"I"_s},
        {u"İ"_s, u"İ"_s},
        {u"şçğöü"_s, u"ŞÇĞÖÜ"_s},
        {u"ŞÇĞÖÜ"_s, u"ŞÇĞÖÜ"_s},
        {u"istanbul ışık"_s, u"İSTANBUL IŞIK"_s},
        {u"abcdefghjklmnopqrstuvwxyz"_s, u"ABCDEFGHJKLMNOPQRSTUVWXYZ"_s},
        {u"No: 12/4-B, Çınar Sk."_s, u"NO: 12/4-B, ÇINAR SK."_s},
        {u"éäß"_s, u"ÉÄß"_s},        // other letters by their one-letter capital
        {u"\U00010428x"_s, u"\U00010400X"_s}, // beyond the BMP, as a surrogate pair
        {QString(QChar(0xD800)) + u"a"_s, QString(QChar(0xD800)) + u"A"_s}, // a lone surrogate stays
        {QString(), QString()},
    };
    for (const auto& [text, folded] : cases) {
        EXPECT_EQ(TurkishText::fold(text), folded) << text.toStdString();
        EXPECT_EQ(TurkishText::fold(folded), folded) << "folding twice changes " << folded.toStdString();
    }
    EXPECT_EQ(TurkishText::foldChar(U'i'), U'İ');
    EXPECT_EQ(TurkishText::foldChar(U'ı'), U'I');
    EXPECT_EQ(TurkishText::foldChar(U'q'), U'Q');
}

TEST(TurkishText, PrefixesMatchIgnoringCaseButKeepTheDots)
{
    const struct
    {
        const char16_t* text;
        const char16_t* prefix;
        bool matches;
    } cases[] = {
        {u"İsmail", u"is", true},    {u"ismail", u"İS", true},   {u"Işık", u"ı", true},
        {u"ışık", u"IŞ", true},      {u"Şule", u"ş", true},      {u"şule", u"Ş", true},
        {u"Çağla", u"çAĞ", true},    {u"Öykü", u"öy", true},     {u"ümit", u"Ü", true},
        {u"Ğ", u"ğ", true},          {u"Ali", u"a", true},       {u"ALİ", u"ali", true},
        {u"Irmak", u"i", false},     {u"irem", u"I", false},     {u"İrem", u"ı", false},
        {u"ılgaz", u"İ", false},     {u"Sule", u"ş", false},     {u"Cem", u"ç", false},
        {u"Ogün", u"Ö", false},      {u"Ali", u"alix", false},   {u"", u"a", false},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text), prefix = QString::fromUtf16(c.prefix);
        EXPECT_EQ(TurkishText::startsWith(text, prefix), c.matches) << text.toStdString() << " / " << prefix.toStdString();
    }
}

TEST(TurkishText, OrdersByTheTurkishAlphabetIgnoringCase)
{
    // Ascending; neighbours joined by '=' sort alike.
    const QStringList sorted = {
        u""_s, u" "_s, u"-"_s, u"0"_s, u"1"_s, u"10"_s, u"2"_s, u"9"_s, u"@"_s,
        u"A"_s, u"a"_s, u"ab"_s, u"Abc"_s, u"B"_s, u"C"_s, u"c"_s, u"Ç"_s, u"ç"_s, u"D"_s, u"E"_s, u"F"_s,
        u"G"_s, u"Ğ"_s, u"ğ"_s, u"H"_s, u"I"_s, u"ı"_s, u"Iz"_s, u"ız"_s, u"İ"_s, u"i"_s, u"iz"_s, u"J"_s,
        u"K"_s, u"L"_s, u"M"_s, u"N"_s, u"O"_s, u"Ö"_s, u"ö"_s, u"P"_s, u"Q"_s, u"R"_s, u"S"_s, u"Ş"_s,
        u"ş"_s, u"T"_s, u"U"_s, u"Ü"_s, u"ü"_s, u"V"_s, u"W"_s, u"X"_s, u"Y"_s, u"Z"_s, u"["_s, u"~"_s,
        u"É"_s, u"é"_s, u"Ω"_s,
    };
    // Those in the list that differ only in case.
    const auto alike = [](const QString& a, const QString& b) { return TurkishText::fold(a) == TurkishText::fold(b); };
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        for (qsizetype j = 0; j < sorted.size(); ++j) {
            const int want = alike(sorted[i], sorted[j]) ? 0 : i < j ? -1 : 1;
            const int got = TurkishText::compare(sorted[i], sorted[j]);
            EXPECT_EQ(got < 0 ? -1 : got > 0 ? 1 : 0, want)
                << sorted[i].toStdString() << " against " << sorted[j].toStdString();
        }
    }

    QStringList shuffled = sorted;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    std::stable_sort(shuffled.begin(), shuffled.end(),
                     [](const QString& a, const QString& b) { return TurkishText::compare(a, b) < 0; });
    for (qsizetype i = 0; i < sorted.size(); ++i)
        EXPECT_EQ(TurkishText::fold(shuffled[i]), TurkishText::fold(sorted[i])) << i;
}

// The program's own code-page table says what the system's converter says,
// byte by byte both ways; where Qt has that converter (ICU, not on Windows).
TEST(CodePage1254, AgreesWithTheSystemConverter)
{
    QStringDecoder system("windows-1254");
    if (!system.isValid())
        GTEST_SKIP() << "this Qt has no converter for code page 1254 to compare with";
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const QByteArray one(1, char(b));
        const QString expected = QStringDecoder("windows-1254").decode(one);
        EXPECT_EQ(CodePage::fromWindows1254(one), expected);
        EXPECT_EQ(CodePage::toWindows1254(expected), one);
    }
    const QString lacking = u"ağ\u0394"_s; // Greek delta
    EXPECT_EQ(CodePage::toWindows1254(lacking), QByteArray(QStringEncoder("windows-1254").encode(lacking)));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/RadaError.h"
#include "core/register/Validation.h"

#include <gtest/gtest.h>

#include <random>

using namespace Qt::StringLiterals;

namespace {

TEST(TCKNoKontrol, KnownNumbers)
{
    struct Case { QString text; bool valid; };
    const Case cases[] = {
        {u"12345678950"_s, true},  {u"12345678951"_s, false}, {u"12345678940"_s, false},
        {u"10000000146"_s, true},  {u"00000000000"_s, true},  {u"11111111110"_s, true},
        {u"1234567895"_s, false},  {u"123456789500"_s, false}, {u""_s, false},
        {u"2345678950"_s, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TCKNoKontrol(c.text), c.valid) << c.text.toStdString();
}

TEST(TCKNoKontrol, ElevenCharactersThatAreNoIntegerAreAConversionError)
{
    for (const QString& text : {u"1234 567890"_s, u"12345a78950"_s, u"12345-78950"_s, u"           "_s,
                                u"1234567895."_s}) {
        try {
            TCKNoKontrol(text);
            ADD_FAILURE() << "no error for " << text.toStdString();
        } catch (const RadaError& e) {
            EXPECT_EQ(e.text(), u"'"_s + text + u"' is not a valid integer value"_s);
        }
    }
}

// The published rule: c10 = (7 * (d1+d3+d5+d7+d9) - (d2+d4+d6+d8)) mod 10,
// c11 = (d1+...+d9+c10) mod 10.
TEST(TCKNoKontrol, AgreesWithThePublishedRule)
{
    std::mt19937 random(20240307);
    std::uniform_int_distribution<int> digit(0, 9);
    for (int round = 0; round < 3000; ++round) {
        int d[10];
        QString prefix;
        for (int k = 1; k <= 9; ++k) {
            d[k] = digit(random);
            prefix += QChar(u'0' + d[k]);
        }
        const int odd = d[1] + d[3] + d[5] + d[7] + d[9];
        const int even = d[2] + d[4] + d[6] + d[8];
        const int c10 = ((7 * odd - even) % 10 + 10) % 10;
        const int c11 = (odd + even + c10) % 10;
        auto number = [&](int tenth, int eleventh) { return prefix + QChar(u'0' + tenth) + QChar(u'0' + eleventh); };
        ASSERT_TRUE(TCKNoKontrol(number(c10, c11))) << number(c10, c11).toStdString();
        for (int wrong = 0; wrong <= 9; ++wrong) {
            if (wrong != c10) {
                ASSERT_FALSE(TCKNoKontrol(number(wrong, c11))) << number(wrong, c11).toStdString();
            }
            if (wrong != c11) {
                ASSERT_FALSE(TCKNoKontrol(number(c10, wrong))) << number(c10, wrong).toStdString();
            }
        }
    }
}

} // namespace

// Passports and the newer identity cards carry letters: a document number
// keeps them, as capitals, and drops everything else.
TEST(DocumentNumber, KeepsDigitsAndLatinLettersAsCapitals)
{
    struct Case { QString typed; QString kept; };
    const Case cases[] = {
        {u"X12AB3456"_s, u"X12AB3456"_s},
        {u"a12b34567"_s, u"A12B34567"_s},
        {u"ı i İ I"_s, u"IIII"_s},
        {u"12-34.56/7 8"_s, u"12345678"_s},
        {u"ŞĞÜÖÇşğüöçßé"_s, u""_s},
        {u"\t1\n2\r"_s, u"12"_s},
        {u"０１Ａ"_s, u""_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(documentNumberText(c.typed), c.kept) << c.typed.toStdString();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "core/register/Mrz.h"
#include "core/register/Schema.h"

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;
using Mrz::Field;
using Mrz::Format;
using Mrz::InputState;

namespace Mrz {

void PrintTo(const Zone& z, std::ostream* os)
{
    *os << "{" << int(z.format) << " " << z.documentCode.toStdString() << " " << z.issuingState.toStdString()
        << " [" << z.primaryIdentifier.toStdString() << "|" << z.secondaryIdentifier.toStdString() << "] "
        << z.documentNumber.toStdString() << " " << z.birthDate.toStdString() << " "
        << QString(z.sex).toStdString() << " " << z.expiryDate.toStdString() << " "
        << z.nationality.toStdString() << " [" << z.optionalData.toStdString() << "|"
        << z.optionalData2.toStdString() << "]}";
}

void PrintTo(const Problem& p, std::ostream* os)
{
    *os << "{" << int(p.field) << " \"" << p.message.toStdString() << "\"}";
}

} // namespace Mrz

namespace {

const QDate kToday(2024, 5, 6);

// The check digit worked out here, apart from the module: weights 7, 3, 1;
// digits as themselves, A-Z as 10-35, "<" as 0.
QChar cd(const QString& s)
{
    constexpr int weights[] = {7, 3, 1};
    int sum = 0;
    for (int i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        const int value = c == u'<' ? 0 : (c >= u'0' && c <= u'9') ? c - u'0' : c - u'A' + 10;
        sum += value * weights[i % 3];
    }
    return QChar(u'0' + sum % 10);
}

QString fill(const QString& s, int width)
{
    return s.leftJustified(width, u'<', true);
}

// A document to print as a zone, with every check digit worked out.
struct Doc
{
    QString code = u"P"_s;
    QString state = u"UTO"_s;
    QString name = u"ERIKSSON<<ANNA<MARIA"_s;
    QString number = u"L898902C3"_s;
    QString nationality = u"UTO"_s;
    QString birth = u"740812"_s;
    QChar sex = u'F';
    QString expiry = u"120415"_s;
    QString optional = {};  // TD3 personal number, TD1/TD2 optional data
    QString optional2 = {}; // TD1 second line
};

QString td3(const Doc& d)
{
    const QString l1 = fill(d.code, 2) + fill(d.state, 3) + fill(d.name, 39);
    const QString number = fill(d.number, 9);
    const QString personal = fill(d.optional, 14);
    QString l2 = number + cd(number) + fill(d.nationality, 3) + d.birth + cd(d.birth) + d.sex + d.expiry +
                 cd(d.expiry) + personal + cd(personal);
    l2 += cd(l2.mid(0, 10) + l2.mid(13, 7) + l2.mid(21, 22));
    return l1 + u'\n' + l2;
}

// The document number and the optional data behind it: a number of more
// than nine characters runs on into the optional data.
QString numberAndOptional(const Doc& d, int optionalWidth)
{
    if (d.number.size() > 9)
        return d.number.left(9) + u'<' + fill(d.number.mid(9) + cd(d.number) + u'<' + d.optional, optionalWidth);
    const QString number = fill(d.number, 9);
    return number + cd(number) + fill(d.optional, optionalWidth);
}

QString td1(const Doc& d)
{
    const QString l1 = fill(d.code, 2) + fill(d.state, 3) + numberAndOptional(d, 15);
    QString l2 = d.birth + cd(d.birth) + d.sex + d.expiry + cd(d.expiry) + fill(d.nationality, 3) + fill(d.optional2, 11);
    l2 += cd(l1.mid(5, 25) + l2.mid(0, 7) + l2.mid(8, 7) + l2.mid(18, 11));
    return l1 + u'\n' + l2 + u'\n' + fill(d.name, 30);
}

QString td2(const Doc& d)
{
    const QString l1 = fill(d.code, 2) + fill(d.state, 3) + fill(d.name, 31);
    const QString numberPart = numberAndOptional(d, 7);
    QString l2 = numberPart.left(10) + fill(d.nationality, 3) + d.birth + cd(d.birth) + d.sex + d.expiry +
                 cd(d.expiry) + numberPart.mid(10);
    l2 += cd(l2.mid(0, 10) + l2.mid(13, 7) + l2.mid(21, 14));
    return l1 + u'\n' + l2;
}

// The zones printed in ICAO Doc 9303.
const QString kTd3Specimen = u"P<UTOERIKSSON<<ANNA<MARIA<<<<<<<<<<<<<<<<<<<\n"
                             u"L898902C36UTO7408122F1204159ZE184226B<<<<<10"_s;
const QString kTd2Specimen = u"I<UTOERIKSSON<<ANNA<MARIA<<<<<<<<<<<\n"
                             u"D231458907UTO7408122F1204159<<<<<<<6"_s;
const QString kTd1Specimen = u"I<UTOD231458907<<<<<<<<<<<<<<<\n"
                             u"7408122F1204159UTO<<<<<<<<<<<6\n"
                             u"ERIKSSON<<ANNA<MARIA<<<<<<<<<<"_s;

Mrz::Zone parsed(const QString& text)
{
    const Mrz::ParseResult r = Mrz::parse(text);
    EXPECT_TRUE(r.isValid()) << text.toStdString() << "\n" << r.messages().join(u'\n').toStdString();
    return r.zone.value_or(Mrz::Zone{});
}

// ---- Reading zones --------------------------------------------------------

TEST(Mrz, ReadsTheSpecimensOfDoc9303)
{
    struct Case { const char* label; QString text; Mrz::Zone zone; };
    const Case cases[] = {
        {"TD3", kTd3Specimen,
         {Format::TD3, u"P"_s, u"UTO"_s, u"ERIKSSON"_s, u"ANNA MARIA"_s, u"L898902C3"_s, u"740812"_s, u'F',
          u"120415"_s, u"UTO"_s, u"ZE184226B"_s, {}}},
        {"TD2", kTd2Specimen,
         {Format::TD2, u"I"_s, u"UTO"_s, u"ERIKSSON"_s, u"ANNA MARIA"_s, u"D23145890"_s, u"740812"_s, u'F',
          u"120415"_s, u"UTO"_s, {}, {}}},
        {"TD1", kTd1Specimen,
         {Format::TD1, u"I"_s, u"UTO"_s, u"ERIKSSON"_s, u"ANNA MARIA"_s, u"D23145890"_s, u"740812"_s, u'F',
          u"120415"_s, u"UTO"_s, {}, {}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(parsed(c.text), c.zone);
    }
    // The zone builder of these tests prints the same lines.
    EXPECT_EQ(td3({.optional = u"ZE184226B"_s}), kTd3Specimen);
    EXPECT_EQ(td2({.code = u"I"_s, .number = u"D23145890"_s}), kTd2Specimen);
    EXPECT_EQ(td1({.code = u"I"_s, .number = u"D23145890"_s}), kTd1Specimen);
}

struct Expected
{
    QString soyadi, adi;
    std::optional<QDate> dogumTarihi;
    QString uyrugu, kimlikBelgesiTuru, kimlikSeriNo, cinsiyet, tcKimlikNo;
    bool turkish = false;
};

void expectGuest(const Mrz::Guest& g, const Expected& e)
{
    EXPECT_EQ(g.soyadi, e.soyadi);
    EXPECT_EQ(g.adi, e.adi);
    EXPECT_EQ(g.dogumTarihi, e.dogumTarihi);
    EXPECT_EQ(g.uyrugu, e.uyrugu);
    EXPECT_EQ(g.kimlikBelgesiTuru, e.kimlikBelgesiTuru);
    EXPECT_EQ(g.kimlikSeriNo, e.kimlikSeriNo);
    EXPECT_EQ(g.cinsiyet, e.cinsiyet);
    EXPECT_EQ(g.tcKimlikNo, e.tcKimlikNo);
    EXPECT_EQ(g.turkish, e.turkish);
}

TEST(Mrz, TurnsZonesIntoGuestFields)
{
    const Doc turkishCard{.code = u"I"_s, .state = u"TUR"_s, .name = u"OZTURK<<MEHMET<ALI"_s, .number = u"A12B34567"_s,
                          .nationality = u"TUR"_s, .birth = u"850317"_s, .sex = u'M', .expiry = u"330317"_s,
                          .optional = u"12345678950"_s};
    Doc badNumberCard = turkishCard;
    badNumberCard.optional = u"12345678951"_s;
    Doc shortNumberCard = turkishCard;
    shortNumberCard.optional = u"1234567895"_s;
    Doc permit = turkishCard;
    permit.code = u"IR"_s;
    permit.nationality = u"SYR"_s;
    permit.name = u"HADDAD<<OMAR"_s;
    const Doc turkishPassport{.state = u"TUR"_s, .name = u"YILMAZ<<AYSE"_s, .number = u"U12345678"_s,
                              .nationality = u"TUR"_s, .birth = u"010101"_s, .expiry = u"310101"_s,
                              .optional = u"10000000146"_s};
    Doc foreignPassportWithNumber = turkishPassport;
    foreignPassportWithNumber.nationality = u"AZE"_s;
    const Doc germanPassport{.state = u"D"_s, .name = u"MUSTERMANN<<ERIKA"_s, .number = u"C01X00T47"_s,
                             .nationality = u"D"_s, .birth = u"640812"_s, .expiry = u"270531"_s};
    const Doc fullName{.name = u"WOLFESCHLEGELSTEINHAUSEN<<HUBERT<BLAINE"_s, .sex = u'M'};
    Doc unknownDay{.name = u"DOE<<JANE"_s, .birth = u"7408<<"_s, .sex = u'X'};
    Doc unknownMonthAndDay = unknownDay;
    unknownMonthAndDay.code = u"I"_s;
    unknownMonthAndDay.birth = u"74<<<<"_s;
    const Doc longNumberCard{.code = u"I"_s, .number = u"D23145890734"_s, .optional = u"AB12"_s};
    const Doc longNumberTd2{.code = u"I"_s, .number = u"D231458907"_s};

    struct Case { const char* label; QString text; Expected guest; };
    const Case cases[] = {
        {"TD3 specimen", kTd3Specimen,
         {u"ERIKSSON"_s, u"ANNA MARIA"_s, QDate(1974, 8, 12), u"UTO"_s, u"P"_s, u"L898902C3"_s, u"K"_s, {}, false}},
        {"TD2 specimen", kTd2Specimen,
         {u"ERIKSSON"_s, u"ANNA MARIA"_s, QDate(1974, 8, 12), u"UTO"_s, u"D"_s, u"D23145890"_s, u"K"_s, {}, false}},
        {"TD1 specimen", kTd1Specimen,
         {u"ERIKSSON"_s, u"ANNA MARIA"_s, QDate(1974, 8, 12), u"UTO"_s, u"D"_s, u"D23145890"_s, u"K"_s, {}, false}},
        {"Turkish identity card", td1(turkishCard),
         {u"OZTURK"_s, u"MEHMET ALI"_s, QDate(1985, 3, 17), u"TC"_s, u"K"_s, u"A12B34567"_s, u"E"_s,
          u"12345678950"_s, true}},
        {"Turkish card, identity number failing its check", td1(badNumberCard),
         {u"OZTURK"_s, u"MEHMET ALI"_s, QDate(1985, 3, 17), u"TC"_s, u"K"_s, u"A12B34567"_s, u"E"_s, {}, true}},
        {"Turkish card, ten digits", td1(shortNumberCard),
         {u"OZTURK"_s, u"MEHMET ALI"_s, QDate(1985, 3, 17), u"TC"_s, u"K"_s, u"A12B34567"_s, u"E"_s, {}, true}},
        {"Turkish residence permit of a foreigner", td1(permit),
         {u"HADDAD"_s, u"OMAR"_s, QDate(1985, 3, 17), u"SYR"_s, u"D"_s, u"A12B34567"_s, u"E"_s, {}, false}},
        {"Turkish identity card in TD2 size", td2(turkishCard),
         {u"OZTURK"_s, u"MEHMET ALI"_s, QDate(1985, 3, 17), u"TC"_s, u"K"_s, u"A12B34567"_s, u"E"_s, {}, true}},
        {"Turkish passport", td3(turkishPassport),
         {u"YILMAZ"_s, u"AYSE"_s, QDate(2001, 1, 1), u"TC"_s, u"P"_s, u"U12345678"_s, u"K"_s, u"10000000146"_s,
          true}},
        {"foreign passport with a valid-looking number", td3(foreignPassportWithNumber),
         {u"YILMAZ"_s, u"AYSE"_s, QDate(2001, 1, 1), u"AZE"_s, u"P"_s, u"U12345678"_s, u"K"_s, {}, false}},
        {"German passport", td3(germanPassport),
         {u"MUSTERMANN"_s, u"ERIKA"_s, QDate(1964, 8, 12), u"DEU"_s, u"P"_s, u"C01X00T47"_s, u"K"_s, {}, false}},
        {"name filling the field", td3(fullName),
         {u"WOLFESCHLEGELSTEINHAUSEN"_s, u"HUBERT BLAINE"_s, QDate(1974, 8, 12), u"UTO"_s, u"P"_s, u"L898902C3"_s,
          u"E"_s, {}, false}},
        {"unknown birth day", td3(unknownDay),
         {u"DOE"_s, u"JANE"_s, std::nullopt, u"UTO"_s, u"P"_s, u"L898902C3"_s, {}, {}, false}},
        {"unknown birth month and day", td1(unknownMonthAndDay),
         {u"DOE"_s, u"JANE"_s, std::nullopt, u"UTO"_s, u"D"_s, u"L898902C3"_s, {}, {}, false}},
        {"TD1 number running on into the optional data", td1(longNumberCard),
         {u"ERIKSSON"_s, u"ANNA MARIA"_s, QDate(1974, 8, 12), u"UTO"_s, u"D"_s, u"D23145890734"_s, u"K"_s, {}, false}},
        {"TD2 number running on into the optional data", td2(longNumberTd2),
         {u"ERIKSSON"_s, u"ANNA MARIA"_s, QDate(1974, 8, 12), u"UTO"_s, u"D"_s, u"D231458907"_s, u"K"_s, {}, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        expectGuest(Mrz::guestFields(parsed(c.text), kToday), c.guest);
    }
}

TEST(Mrz, TheZoneKeepsItsOtherFields)
{
    const Mrz::Zone card = parsed(td1({.code = u"ID"_s, .state = u"D"_s, .number = u"D23145890734"_s,
                                       .nationality = u"D"_s, .optional = u"AB12"_s, .optional2 = u"X<9"_s}));
    EXPECT_EQ(card.documentCode, u"ID"_s);
    EXPECT_EQ(card.issuingState, u"D"_s);
    EXPECT_EQ(card.nationality, u"D"_s);
    EXPECT_EQ(card.documentNumber, u"D23145890734"_s);
    EXPECT_EQ(card.optionalData, u"AB12"_s);
    EXPECT_EQ(card.optionalData2, u"X<9"_s);
    // The Doc 9303 example of a long number: "D23145890" + "734", check digit 9.
    EXPECT_EQ(td1({.code = u"I"_s, .number = u"D23145890734"_s}).left(30), u"I<UTOD23145890<7349<<<<<<<<<<<"_s);

    const Mrz::Guest g = Mrz::guestFields(parsed(kTd3Specimen), QDate(2011, 1, 1));
    EXPECT_EQ(g.nationalityCode, u"UTO"_s);
    EXPECT_EQ(g.documentCode, u"P"_s);
    EXPECT_EQ(g.gecerlilikTarihi, QDate(2012, 4, 15));
}

TEST(Mrz, NationalityCodesAsTheRegisterStoresThem)
{
    const std::pair<QString, QString> cases[] = {
        {u"TUR"_s, u"TC"_s},  {u"D"_s, u"DEU"_s},   {u"GBD"_s, u"GBR"_s}, {u"GBN"_s, u"GBR"_s},
        {u"GBO"_s, u"GBR"_s}, {u"GBP"_s, u"GBR"_s}, {u"GBS"_s, u"GBR"_s}, {u"GBR"_s, u"GBR"_s},
        {u"DEU"_s, u"DEU"_s}, {u"UTO"_s, u"UTO"_s}, {u"XXA"_s, u"XXA"_s}, {u"UNK"_s, u"UNK"_s},
    };
    for (const auto& [zoneCode, registerCode] : cases) {
        const QString text = td3({.nationality = zoneCode});
        EXPECT_EQ(Mrz::guestFields(parsed(text), kToday).uyrugu, registerCode) << zoneCode.toStdString();
    }
}

TEST(Mrz, DocumentTypes)
{
    struct Case { const char* label; QString text; QString type; };
    const Case cases[] = {
        {"passport of a Turk", td3({.state = u"TUR"_s, .nationality = u"TUR"_s}), u"P"_s},
        {"passport of a foreigner", td3({}), u"P"_s},
        {"diplomatic passport", td3({.code = u"PD"_s, .state = u"TUR"_s, .nationality = u"TUR"_s}), u"P"_s},
        {"Turkish card, code I", td1({.code = u"I"_s, .state = u"TUR"_s, .nationality = u"TUR"_s}), u"K"_s},
        {"Turkish card, code A", td1({.code = u"A"_s, .state = u"TUR"_s, .nationality = u"TUR"_s}), u"K"_s},
        {"Turkish card, code C", td2({.code = u"C"_s, .state = u"TUR"_s, .nationality = u"TUR"_s}), u"K"_s},
        {"Turkish card of a foreigner", td1({.code = u"I"_s, .state = u"TUR"_s, .nationality = u"IRN"_s}), u"D"_s},
        {"foreign card of a Turk", td1({.code = u"I"_s, .state = u"D"_s, .nationality = u"TUR"_s}), u"D"_s},
        {"other Turkish document", td1({.code = u"X"_s, .state = u"TUR"_s, .nationality = u"TUR"_s}), u"D"_s},
        {"TD3 that is no passport", td3({.code = u"I"_s, .state = u"TUR"_s, .nationality = u"TUR"_s}), u"D"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Mrz::guestFields(parsed(c.text), kToday).kimlikBelgesiTuru, c.type) << c.label;
}

TEST(Mrz, AllFillerPersonalNumberTakesFillerOrZeroAsCheckDigit)
{
    QString text = td3({});
    ASSERT_EQ(text.mid(45 + 42, 2), u"0"_s + cd(text.mid(45, 10) + text.mid(45 + 13, 7) + text.mid(45 + 21, 22)));
    EXPECT_TRUE(Mrz::parse(text).isValid());
    text[45 + 42] = u'<';
    EXPECT_TRUE(Mrz::parse(text).isValid());
    text[45 + 42] = u'1';
    text[45 + 43] = cd(text.mid(45, 10) + text.mid(45 + 13, 7) + text.mid(45 + 21, 22));
    EXPECT_EQ(Mrz::parse(text).messages(), QStringList{u"Kişisel numaranın kontrol hanesi tutmuyor."_s});
}

// ---- Check digits -----------------------------------------------------------

// Every digit of a field under a check digit, the check digits themselves
// and the composite included, turned into each other digit.
TEST(Mrz, EveryChangedDigitUnderACheckDigitIsRefused)
{
    struct Range { int line, from, length; };
    const QList<Range> td3Ranges = {{1, 0, 10}, {1, 13, 7}, {1, 21, 23}};
    const QList<Range> td2Ranges = {{1, 0, 10}, {1, 13, 7}, {1, 21, 15}};
    const QList<Range> td1Ranges = {{0, 5, 25}, {1, 0, 7}, {1, 8, 7}, {1, 18, 12}};
    struct Case { const char* label; QString text; QList<Range> ranges; };
    const Case cases[] = {
        {"TD3 specimen", kTd3Specimen, td3Ranges},
        {"TD2 specimen", kTd2Specimen, td2Ranges},
        {"TD1 specimen", kTd1Specimen, td1Ranges},
        {"Turkish passport",
         td3({.state = u"TUR"_s, .number = u"U12345678"_s, .nationality = u"TUR"_s, .birth = u"010101"_s,
              .expiry = u"310101"_s, .optional = u"10000000146"_s}),
         td3Ranges},
        {"Turkish identity card",
         td1({.code = u"I"_s, .state = u"TUR"_s, .number = u"A12B34567"_s, .nationality = u"TUR"_s,
              .birth = u"850317"_s, .expiry = u"330317"_s, .optional = u"12345678950"_s, .optional2 = u"58"_s}),
         td1Ranges},
        {"TD1 long number", td1({.code = u"I"_s, .number = u"D23145890734"_s}), td1Ranges},
        {"TD1 optional data filled up",
         td1({.code = u"I"_s, .optional = u"123456789012345"_s, .optional2 = u"98765432109"_s}), td1Ranges},
        {"TD2 long number", td2({.code = u"I"_s, .number = u"D231458907"_s}), td2Ranges},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(Mrz::parse(c.text).isValid());
        QStringList lines = c.text.split(u'\n');
        int changes = 0;
        for (const Range& r : c.ranges) {
            for (int i = r.from; i < r.from + r.length; ++i) {
                const QChar original = lines[r.line][i];
                if (!original.isDigit())
                    continue;
                for (char16_t d = u'0'; d <= u'9'; ++d) {
                    if (d == original)
                        continue;
                    lines[r.line][i] = QChar(d);
                    EXPECT_FALSE(Mrz::parse(lines.join(u'\n')).isValid())
                        << "line " << r.line + 1 << " position " << i + 1 << " to " << char(d);
                    ++changes;
                }
                lines[r.line][i] = original;
            }
        }
        EXPECT_GT(changes, 100);
    }
}

// ---- Input as readers deliver it ---------------------------------------------

TEST(Mrz, ReadsInputAsReadersDeliverIt)
{
    const QString clean = td1({.code = u"ID"_s, .state = u"TUR"_s, .name = u"KILIC<<IPEK"_s, .number = u"A12B34567"_s,
                               .nationality = u"TUR"_s, .birth = u"850317"_s, .expiry = u"330317"_s,
                               .optional = u"12345678950"_s});
    const Mrz::Zone expected = parsed(clean);
    QString turkishLayout = clean;
    turkishLayout.replace(u'<', u'Ö').replace(u'I', u'İ');
    QString turkishLower = clean.toLower();
    turkishLower.replace(u'<', u'ö').replace(u'i', u'ı');
    QString mixed = clean;
    mixed.replace(u"<<<"_s, u"Ö<ö"_s).replace(u"IL"_s, u"ıL"_s);
    const std::pair<const char*, QString> cases[] = {
        {"clean", clean},
        {"lower case", clean.toLower()},
        {"Enter after the last line", clean + u'\n'},
        {"CR LF between lines", QString(clean).replace(u'\n', u"\r\n"_s) + u"\r\n"_s},
        {"blank lines and blanks around", u"\r\n \n  "_s + QString(clean).replace(u'\n', u"  \r\n\r\n\t"_s) + u" \n\n"_s},
        {"Turkish layout, upper case", turkishLayout},
        {"Turkish layout, lower case", turkishLower},
        {"Turkish layout, mixed", mixed},
    };
    for (const auto& [label, text] : cases) {
        SCOPED_TRACE(label);
        EXPECT_EQ(Mrz::inputState(text), InputState::Complete);
        EXPECT_EQ(parsed(text), expected);
    }
    EXPECT_EQ(expected.primaryIdentifier, u"KILIC"_s);
    EXPECT_EQ(expected.secondaryIdentifier, u"IPEK"_s);
}

// ---- Refusals -----------------------------------------------------------------

TEST(Mrz, RefusesWhatIsNoZoneAndSaysWhy)
{
    const QString td3Lines = td3({});
    const QString line1 = td3Lines.section(u'\n', 0, 0);
    const QString line2 = td3Lines.section(u'\n', 1, 1);
    const QString card = td1({.code = u"I"_s});
    QString withBadCharacters = td3Lines;
    withBadCharacters[7] = u'#';
    withBadCharacters[45 + 3] = u'Ş';
    QString withBlank = card;
    withBlank[31 + 4] = u' ';

    struct Case { const char* label; QString text; QList<Mrz::Problem> problems; };
    const auto layout = [](const QString& m) { return Mrz::Problem{Field::Layout, m}; };
    const auto character = [](const QString& m) { return Mrz::Problem{Field::Character, m}; };
    const Case cases[] = {
        {"empty", u" \r\n\n "_s, {layout(u"Okunan metin boş."_s)}},
        {"one line", line1, {layout(u"Okunan metin 1 satır; 2 ya da 3 satır olmalı."_s)}},
        {"four lines", card + u"\nABC"_s, {layout(u"Okunan metin 4 satır; 2 ya da 3 satır olmalı."_s)}},
        {"second line short", line1 + u'\n' + line2.chopped(1),
         {layout(u"2. satır 43 karakter; 44 karakter olmalı."_s)}},
        {"first line long", line1 + u"<\n"_s + line2, {layout(u"1. satır 45 karakter; 44 karakter olmalı."_s)}},
        {"TD3 and TD2 lines", line1 + u'\n' + line2.left(36), {layout(u"2. satır 36 karakter; 44 karakter olmalı."_s)}},
        {"neither length", line1.left(40) + u'\n' + line2.left(41),
         {layout(u"1. satır 40 karakter; 36 ya da 44 karakter olmalı."_s),
          layout(u"2. satır 41 karakter; 36 ya da 44 karakter olmalı."_s)}},
        {"TD1 lines", QString(card).remove(31, 1).insert(70, u'<'),
         {layout(u"2. satır 29 karakter; 30 karakter olmalı."_s), layout(u"3. satır 31 karakter; 30 karakter olmalı."_s)}},
        {"bad characters", withBadCharacters,
         {character(u"1. satırın 8. karakteri (#) geçersiz; yalnız A-Z, 0-9 ve < olabilir."_s),
          character(u"2. satırın 4. karakteri (Ş) geçersiz; yalnız A-Z, 0-9 ve < olabilir."_s)}},
        {"blank inside a line", withBlank,
         {character(u"2. satırın 5. karakteri ( ) geçersiz; yalnız A-Z, 0-9 ve < olabilir."_s)}},
        {"bad character and length", line1 + u"\n"_s + line2.left(42) + u"-"_s,
         {layout(u"2. satır 43 karakter; 44 karakter olmalı."_s),
          character(u"2. satırın 43. karakteri (-) geçersiz; yalnız A-Z, 0-9 ve < olabilir."_s)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const Mrz::ParseResult r = Mrz::parse(c.text);
        EXPECT_FALSE(r.zone.has_value());
        EXPECT_EQ(r.problems, c.problems);
        EXPECT_FALSE(r.isValid());
    }
}

TEST(Mrz, ReportsEveryFieldThatFailsItsCheck)
{
    // Lines with their check digits, then one or more characters put wrong.
    const auto changed = [](QString text, std::initializer_list<std::pair<int, QChar>> at) {
        for (const auto& [i, c] : at)
            text[i] = c;
        return text;
    };
    const QString td3Text = td3({.optional = u"ZE184226B"_s});
    const QString td1Text = td1({.code = u"I"_s, .optional = u"ABC"_s});
    const int l2 = 45; // start of the second TD3 line
    const auto problem = [](Field f, const QString& m) { return Mrz::Problem{f, m}; };
    const Mrz::Problem numberCheck = problem(Field::DocumentNumber, u"Belge numarasının kontrol hanesi tutmuyor."_s);
    const Mrz::Problem birthCheck = problem(Field::BirthDate, u"Doğum tarihinin kontrol hanesi tutmuyor."_s);
    const Mrz::Problem expiryCheck = problem(Field::ExpiryDate, u"Son geçerlilik tarihinin kontrol hanesi tutmuyor."_s);
    const Mrz::Problem personalCheck = problem(Field::PersonalNumber, u"Kişisel numaranın kontrol hanesi tutmuyor."_s);
    const Mrz::Problem composite = problem(Field::Composite, u"Genel kontrol hanesi tutmuyor."_s);

    struct Case { const char* label; QString text; QList<Mrz::Problem> problems; };
    const Case cases[] = {
        {"document number check digit", changed(td3Text, {{l2 + 9, u'7'}}), {numberCheck, composite}},
        {"birth date check digit", changed(td3Text, {{l2 + 19, u'3'}}), {birthCheck, composite}},
        {"expiry date check digit", changed(td3Text, {{l2 + 27, u'0'}}), {expiryCheck, composite}},
        {"personal number check digit", changed(td3Text, {{l2 + 42, u'2'}}), {personalCheck, composite}},
        {"composite check digit", changed(td3Text, {{l2 + 43, u'1'}}), {composite}},
        {"check digit that is a letter", changed(td3Text, {{l2 + 19, u'A'}}), {birthCheck, composite}},
        {"all at once", changed(td3Text, {{l2 + 1, u'9'}, {l2 + 18, u'3'}, {l2 + 26, u'6'}, {l2 + 30, u'2'}}),
         {numberCheck, birthCheck, expiryCheck, personalCheck, composite}},
        {"TD1 optional data under the composite", changed(td1Text, {{17, u'D'}}), {composite}},
        {"TD1 number continued without check digit", changed(td1Text, {{14, u'<'}, {15, u'<'}}),
         {numberCheck, composite}},
        {"impossible birth date", td3({.birth = u"741332"_s}), {problem(Field::BirthDate, u"Doğum tarihi geçersiz."_s)}},
        {"29 February of a common year", td3({.birth = u"710229"_s}),
         {problem(Field::BirthDate, u"Doğum tarihi geçersiz."_s)}},
        {"half-unknown birth day", td3({.birth = u"74081<"_s}), {problem(Field::BirthDate, u"Doğum tarihi geçersiz."_s)}},
        {"unknown day of month 13", td3({.birth = u"7413<<"_s}),
         {problem(Field::BirthDate, u"Doğum tarihi geçersiz."_s)}},
        {"impossible expiry date", td1({.expiry = u"130229"_s}),
         {problem(Field::ExpiryDate, u"Son geçerlilik tarihi geçersiz."_s)}},
        {"unknown expiry day", td1({.expiry = u"1304<<"_s}),
         {problem(Field::ExpiryDate, u"Son geçerlilik tarihi geçersiz."_s)}},
        {"sex", td3({.sex = u'W'}), {problem(Field::Sex, u"Cinsiyet hanesi geçersiz."_s)}},
        {"document code", td3({.code = u"1"_s}), {problem(Field::DocumentCode, u"Belge türü kodu geçersiz."_s)}},
        {"issuing state", td3({.state = u"U1O"_s}),
         {problem(Field::IssuingState, u"Belgeyi veren devletin kodu geçersiz."_s)}},
        {"nationality", td1({.nationality = u"<UT"_s}), {problem(Field::Nationality, u"Uyruk kodu geçersiz."_s)}},
        {"name with a digit", td2({.name = u"ERIKSSON<<ANNA2"_s}),
         {problem(Field::Name, u"Ad ve soyad alanı geçersiz."_s)}},
        {"no name", td1({.name = u"<<ANNA"_s}), {problem(Field::Name, u"Ad ve soyad alanı geçersiz."_s)}},
        {"no document number", td3({.number = u""_s}), {problem(Field::DocumentNumber, u"Belge numarası boş."_s)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const Mrz::ParseResult r = Mrz::parse(c.text);
        EXPECT_TRUE(r.zone.has_value());
        EXPECT_EQ(r.problems, c.problems);
        QStringList messages;
        for (const Mrz::Problem& p : c.problems)
            messages << p.message;
        EXPECT_EQ(r.messages(), messages);
    }
    // 29 February of a leap year is a date.
    EXPECT_TRUE(Mrz::parse(td3({.birth = u"000229"_s, .expiry = u"280229"_s})).isValid());
}

TEST(Mrz, RefusesAVisa)
{
    for (const QString& text : {td3({.code = u"V"_s}), td2({.code = u"VB"_s})}) {
        const Mrz::ParseResult r = Mrz::parse(text);
        EXPECT_FALSE(r.zone.has_value());
        EXPECT_EQ(r.messages(), QStringList{u"Bu bir vize; pasaportu ya da kimlik kartını okutun."_s});
    }
}

// ---- While the reader types ------------------------------------------------------

TEST(Mrz, TellsWhetherTheInputIsComplete)
{
    const QString td3Text = td3({});
    const QString a44 = td3Text.section(u'\n', 0, 0);
    const QString b44 = td3Text.section(u'\n', 1, 1);
    const QString td2Text = td2({.code = u"I"_s});
    const QString a36 = td2Text.section(u'\n', 0, 0);
    const QString b36 = td2Text.section(u'\n', 1, 1);
    const QString td1Text = td1({.code = u"I"_s});
    const QString a30 = td1Text.section(u'\n', 0, 0);
    const QString b30 = td1Text.section(u'\n', 1, 1);
    const QString c30 = td1Text.section(u'\n', 2, 2);

    struct Case { const char* label; QString text; InputState state; };
    const Case cases[] = {
        {"nothing", u""_s, InputState::Incomplete},
        {"blanks", u" \r\n "_s, InputState::Incomplete},
        {"part of a line", a44.left(20), InputState::Incomplete},
        {"30 characters, no Enter yet", a30, InputState::Incomplete},
        {"36 characters, no Enter yet", a36, InputState::Incomplete},
        {"first TD3 line", a44, InputState::Incomplete},
        {"first TD3 line and Enter", a44 + u"\r\n"_s, InputState::Incomplete},
        {"TD3 second line begun", a44 + u'\n' + b44.left(43), InputState::Incomplete},
        {"TD3", a44 + u'\n' + b44, InputState::Complete},
        {"TD3 and Enter", a44 + u"\r\n"_s + b44 + u"\r\n"_s, InputState::Complete},
        {"TD2", a36 + u'\n' + b36, InputState::Complete},
        {"TD1 two lines", a30 + u'\n' + b30, InputState::Incomplete},
        {"TD1 two lines and Enter", a30 + u'\n' + b30 + u'\n', InputState::Incomplete},
        {"TD1", a30 + u'\n' + b30 + u'\n' + c30, InputState::Complete},
        {"TD1 lower case, Turkish layout", (a30 + u'\n' + b30 + u'\n' + c30).toLower().replace(u'<', u'ö'),
         InputState::Complete},
        {"line too long", a44 + u'<', InputState::Invalid},
        {"first line ended short", a44.left(40) + u'\n', InputState::Invalid},
        {"second line ended short", a44 + u'\n' + b44.left(40) + u'\n', InputState::Invalid},
        {"second line longer than the first", a36 + u'\n' + b44.left(37), InputState::Invalid},
        {"third line after TD3", a44 + u'\n' + b44 + u"\nP"_s, InputState::Invalid},
        {"fourth line after TD1", a30 + u'\n' + b30 + u'\n' + c30 + u"\nA"_s, InputState::Invalid},
        {"bad character", a44.left(10) + u'-', InputState::Invalid},
        {"blank inside a line", a44.left(10) + u' ' + a44.mid(11, 5), InputState::Invalid},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Mrz::inputState(c.text), c.state) << c.label;
}

// ---- Dates ---------------------------------------------------------------------

TEST(Mrz, BirthCenturyPutsTheDateOnOrBeforeToday)
{
    struct Case { QString birth; QDate today; QDate expected; };
    const Case cases[] = {
        {u"250101"_s, QDate(2025, 6, 1), QDate(2025, 1, 1)},
        {u"250101"_s, QDate(2024, 12, 31), QDate(1925, 1, 1)},
        {u"250601"_s, QDate(2025, 6, 1), QDate(2025, 6, 1)},
        {u"250602"_s, QDate(2025, 6, 1), QDate(1925, 6, 2)},
        {u"991231"_s, QDate(2025, 6, 1), QDate(1999, 12, 31)},
        {u"000229"_s, QDate(2025, 6, 1), QDate(2000, 2, 29)},
    };
    for (const Case& c : cases) {
        const Mrz::Zone zone = parsed(td3({.birth = c.birth}));
        EXPECT_EQ(Mrz::guestFields(zone, c.today).dogumTarihi, c.expected) << c.birth.toStdString();
    }
}

TEST(Mrz, ExpiryCenturyLiesWithinFiftyYearsOfToday)
{
    struct Case { QString expiry; QDate expected; };
    const Case cases[] = {
        {u"330317"_s, QDate(2033, 3, 17)},
        {u"740506"_s, QDate(2074, 5, 6)},
        {u"740507"_s, QDate(1974, 5, 7)},
        {u"991231"_s, QDate(1999, 12, 31)},
        {u"120415"_s, QDate(2012, 4, 15)},
    };
    for (const Case& c : cases) {
        const Mrz::Zone zone = parsed(td3({.expiry = c.expiry}));
        EXPECT_EQ(Mrz::guestFields(zone, kToday).gecerlilikTarihi, c.expected) << c.expiry.toStdString();
    }
}

// Valid through the expiry date itself.
TEST(Mrz, TellsWhetherTheDocumentHasExpired)
{
    struct Case { QString expiry; bool expired; };
    const Case cases[] = {
        {u"240505"_s, true}, {u"240506"_s, false}, {u"990101"_s, true}, {u"310801"_s, false},
    };
    for (const Case& c : cases) {
        const Mrz::Zone zone = parsed(td3({.expiry = c.expiry}));
        EXPECT_EQ(Mrz::guestFields(zone, kToday).expired, c.expired) << c.expiry.toStdString();
    }
}

// ---- The guest record ------------------------------------------------------------

// An identity card's number continued into the optional data may run to 23
// characters; the register holds 20.
TEST(Mrz, ADocumentNumberLongerThanTheRegisterHoldsIsRefused)
{
    for (int length : {9, 20, 21, 23}) {
        SCOPED_TRACE(length);
        const QString number = u"D23145890ABCDEFGH1234567"_s.left(length);
        const Mrz::Guest g = Mrz::guestFields(parsed(td1({.code = u"I"_s, .number = number})), kToday);
        EXPECT_EQ(g.kimlikSeriNo, number);
        EXPECT_EQ(Mrz::registerRefusal(g),
                  length > 20 ? u"Belge numarası kayıt için çok uzun: %1 karakter; en çok 20 karakter olabilir. "
                                u"Belge aktarılamaz."_s.arg(length)
                              : QString());
    }
}

TEST(Mrz, SetsItsColumnsAndNoOthers)
{
    const Mrz::Zone zone = parsed(td3({.state = u"TUR"_s, .name = u"YILMAZ<<AYSE"_s, .number = u"U12345678"_s,
                                       .nationality = u"TUR"_s, .birth = u"010101"_s, .optional = u"10000000146"_s}));
    const QList<std::pair<QString, QVariant>> expected = {
        {u"Adi"_s, u"AYSE"_s},
        {u"Soyadi"_s, u"YILMAZ"_s},
        {u"DogumTarihi"_s, QDate(2001, 1, 1)},
        {u"Uyrugu"_s, u"TC"_s},
        {u"KimlikBelgesiTuru"_s, u"P"_s},
        {u"KimlikSeriNo"_s, u"U12345678"_s},
        {u"Cinsiyet"_s, u"K"_s},
        {u"TCKimlikNo"_s, u"10000000146"_s},
    };
    const auto columns = Mrz::guestFields(zone, kToday).columns();
    ASSERT_EQ(columns.size(), expected.size());
    for (qsizetype i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(columns[i].first, expected[i].first);
        EXPECT_EQ(columns[i].second, expected[i].second) << expected[i].first.toStdString();
        // Each is a column of Kisi, and its value fits.
        const ColumnDef& column = Schema::kisi().column(columns[i].first);
        if (column.type == ColumnType::Text) {
            EXPECT_LE(columns[i].second.toString().size(), column.size);
        }
    }

    // Unknown birth date, sex and identity number: set, to nothing.
    const auto unknown = Mrz::guestFields(parsed(td3({.birth = u"01<<<<"_s, .sex = u'<'})), kToday).columns();
    ASSERT_EQ(unknown.size(), expected.size());
    EXPECT_TRUE(unknown[2].second.isNull());
    EXPECT_EQ(unknown[6].second, QString());
    EXPECT_EQ(unknown[7].second, QString());
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Mrz.h"

#include "core/register/Columns.h"
#include "core/register/Schema.h"
#include "core/register/Validation.h"

#include <array>
#include <initializer_list>

namespace Mrz {

namespace {

constexpr QChar kFiller = u'<';
constexpr int kWeights[3] = {7, 3, 1};

// A character as the zone reads it, or 0 for one that has no place in a zone.
char16_t fold(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'a' && u <= u'z')
        return char16_t(u - u'a' + u'A');
    if ((u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'<')
        return u;
    switch (u) {
    case u'Ö':
    case u'ö':
        return u'<';
    case u'İ':
    case u'ı':
        return u'I';
    default:
        return 0;
    }
}

// Calls f for every line that holds more than blanks, trimmed of them.
// Returns whether a line break follows the last such line.
template <typename F>
bool forEachLine(QStringView text, F&& f)
{
    bool breakAfterLast = false;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = text.indexOf(u'\n', start);
        const bool hasBreak = end >= 0;
        const QStringView line = text.sliced(start, (hasBreak ? end : text.size()) - start).trimmed();
        if (!line.isEmpty()) {
            f(line);
            breakAfterLast = hasBreak;
        }
        if (!hasBreak)
            return breakAfterLast;
        start = end + 1;
    }
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isLetter(QChar c) { return c >= u'A' && c <= u'Z'; }
int digitValue(QChar c) { return c.unicode() - u'0'; }

int charValue(QChar c)
{
    if (isDigit(c))
        return digitValue(c);
    if (isLetter(c))
        return c.unicode() - u'A' + 10;
    return 0;
}

// The check digit over the parts taken as one run of characters.
int checkDigit(std::initializer_list<QStringView> parts)
{
    int sum = 0;
    int position = 0;
    for (QStringView part : parts) {
        for (QChar c : part)
            sum += charValue(c) * kWeights[position++ % 3];
    }
    return sum % 10;
}

bool checkDigitMatches(std::initializer_list<QStringView> parts, QChar digit)
{
    return isDigit(digit) && digitValue(digit) == checkDigit(parts);
}

bool onlyFillers(QStringView s)
{
    for (QChar c : s) {
        if (c != kFiller)
            return false;
    }
    return true;
}

QString withoutFillers(QStringView s)
{
    QString out;
    for (QChar c : s) {
        if (c != kFiller)
            out += c;
    }
    return out;
}

QString trimFillers(QStringView s)
{
    while (!s.isEmpty() && s.front() == kFiller)
        s = s.sliced(1);
    while (!s.isEmpty() && s.back() == kFiller)
        s.chop(1);
    return s.toString();
}

// Name parts separated by fillers, joined by one blank each.
QString nameText(QStringView part)
{
    QString out;
    for (QStringView word : part.split(kFiller, Qt::SkipEmptyParts)) {
        if (!out.isEmpty())
            out += u' ';
        out += word;
    }
    return out;
}

// A state code: a letter, more letters, then fillers only ("UTO", "D<<").
bool isStateCode(QStringView code)
{
    if (!isLetter(code.front()))
        return false;
    bool filled = false;
    for (QChar c : code) {
        if (c == kFiller)
            filled = true;
        else if (filled || !isLetter(c))
            return false;
    }
    return true;
}

// "YYMMDD" that names a day of the calendar. With partsMayBeUnknown, each
// pair may be "<<"; the rest must still fit (no month 13, no 30 February).
bool isDate(QStringView d, bool partsMayBeUnknown)
{
    int part[3];
    for (int k = 0; k < 3; ++k) {
        const QChar a = d[2 * k];
        const QChar b = d[2 * k + 1];
        if (isDigit(a) && isDigit(b))
            part[k] = digitValue(a) * 10 + digitValue(b);
        else if (partsMayBeUnknown && a == kFiller && b == kFiller)
            part[k] = -1;
        else
            return false;
    }
    const int year = part[0], month = part[1], day = part[2];
    if (month == 0 || month > 12)
        return false;
    if (day < 0)
        return true;
    // An unknown year may be a leap year; "00" is 2000, a leap year as well.
    const int daysInMonth = month < 0 ? 31 : QDate(year < 0 ? 2000 : 2000 + year, month, 1).daysInMonth();
    return day >= 1 && day <= daysInMonth;
}

// The fields that are read alike in every format.
class FieldReader
{
public:
    FieldReader(Zone& zone, QList<Problem>& problems) : m_zone(zone), m_problems(problems) {}

    void documentCode(QStringView code)
    {
        m_zone.documentCode = trimFillers(code);
        if (!isLetter(code[0]) || !(isLetter(code[1]) || code[1] == kFiller))
            problem(Field::DocumentCode, QStringLiteral("Belge türü kodu geçersiz."));
    }

    void issuingState(QStringView code)
    {
        m_zone.issuingState = trimFillers(code);
        if (!isStateCode(code))
            problem(Field::IssuingState, QStringLiteral("Belgeyi veren devletin kodu geçersiz."));
    }

    void name(QStringView field)
    {
        const qsizetype separator = field.indexOf(u"<<");
        m_zone.primaryIdentifier = nameText(separator < 0 ? field : field.first(separator));
        m_zone.secondaryIdentifier = separator < 0 ? QString() : nameText(field.sliced(separator + 2));
        bool sound = isLetter(field.front());
        for (QChar c : field)
            sound = sound && !isDigit(c);
        if (!sound)
            problem(Field::Name, QStringLiteral("Ad ve soyad alanı geçersiz."));
    }

    // The nine principal characters and the character after them. A filler
    // there, where optional data may continue the number, means the number
    // runs on into it up to its check digit, the last character before the
    // next filler. Returns the optional data after the number.
    QStringView documentNumber(QStringView principal, QChar check, QStringView continuation = {})
    {
        QStringView extension;
        QChar digit = check;
        QStringView rest = continuation;
        if (check == kFiller && !continuation.isEmpty()) {
            qsizetype run = continuation.indexOf(kFiller);
            if (run < 0)
                run = continuation.size();
            if (run > 0) {
                extension = continuation.first(run - 1);
                digit = continuation[run - 1];
                rest = continuation.sliced(run);
            }
        }
        m_zone.documentNumber = withoutFillers(principal) + withoutFillers(extension);
        if (m_zone.documentNumber.isEmpty())
            problem(Field::DocumentNumber, QStringLiteral("Belge numarası boş."));
        if (!checkDigitMatches({principal, extension}, digit))
            problem(Field::DocumentNumber, QStringLiteral("Belge numarasının kontrol hanesi tutmuyor."));
        return rest;
    }

    void birthDate(QStringView date, QChar check)
    {
        m_zone.birthDate = date.toString();
        if (!isDate(date, true))
            problem(Field::BirthDate, QStringLiteral("Doğum tarihi geçersiz."));
        if (!checkDigitMatches({date}, check))
            problem(Field::BirthDate, QStringLiteral("Doğum tarihinin kontrol hanesi tutmuyor."));
    }

    void sex(QChar c)
    {
        m_zone.sex = c;
        if (c != u'M' && c != u'F' && c != u'X' && c != kFiller)
            problem(Field::Sex, QStringLiteral("Cinsiyet hanesi geçersiz."));
    }

    void expiryDate(QStringView date, QChar check)
    {
        m_zone.expiryDate = date.toString();
        if (!isDate(date, false))
            problem(Field::ExpiryDate, QStringLiteral("Son geçerlilik tarihi geçersiz."));
        if (!checkDigitMatches({date}, check))
            problem(Field::ExpiryDate, QStringLiteral("Son geçerlilik tarihinin kontrol hanesi tutmuyor."));
    }

    void nationality(QStringView code)
    {
        m_zone.nationality = trimFillers(code);
        if (!isStateCode(code))
            problem(Field::Nationality, QStringLiteral("Uyruk kodu geçersiz."));
    }

    // A personal number of fillers only may carry "<" or "0" as check digit.
    void personalNumber(QStringView number, QChar check)
    {
        m_zone.optionalData = trimFillers(number);
        const bool sound = onlyFillers(number) ? (check == kFiller || check == u'0')
                                               : checkDigitMatches({number}, check);
        if (!sound)
            problem(Field::PersonalNumber, QStringLiteral("Kişisel numaranın kontrol hanesi tutmuyor."));
    }

    void composite(std::initializer_list<QStringView> covered, QChar check)
    {
        if (!checkDigitMatches(covered, check))
            problem(Field::Composite, QStringLiteral("Genel kontrol hanesi tutmuyor."));
    }

private:
    void problem(Field field, const QString& message) { m_problems.append({field, message}); }

    Zone& m_zone;
    QList<Problem>& m_problems;
};

// Positions below count from 0: line.sliced(from, length).

void readTd3(QStringView l1, QStringView l2, Zone& zone, QList<Problem>& problems)
{
    FieldReader read(zone, problems);
    read.documentCode(l1.sliced(0, 2));
    read.issuingState(l1.sliced(2, 3));
    read.name(l1.sliced(5, 39));
    read.documentNumber(l2.sliced(0, 9), l2[9]);
    read.nationality(l2.sliced(10, 3));
    read.birthDate(l2.sliced(13, 6), l2[19]);
    read.sex(l2[20]);
    read.expiryDate(l2.sliced(21, 6), l2[27]);
    read.personalNumber(l2.sliced(28, 14), l2[42]);
    read.composite({l2.sliced(0, 10), l2.sliced(13, 7), l2.sliced(21, 22)}, l2[43]);
}

void readTd2(QStringView l1, QStringView l2, Zone& zone, QList<Problem>& problems)
{
    FieldReader read(zone, problems);
    read.documentCode(l1.sliced(0, 2));
    read.issuingState(l1.sliced(2, 3));
    read.name(l1.sliced(5, 31));
    const QStringView optional = read.documentNumber(l2.sliced(0, 9), l2[9], l2.sliced(28, 7));
    zone.optionalData = trimFillers(optional);
    read.nationality(l2.sliced(10, 3));
    read.birthDate(l2.sliced(13, 6), l2[19]);
    read.sex(l2[20]);
    read.expiryDate(l2.sliced(21, 6), l2[27]);
    read.composite({l2.sliced(0, 10), l2.sliced(13, 7), l2.sliced(21, 14)}, l2[35]);
}

void readTd1(QStringView l1, QStringView l2, QStringView l3, Zone& zone, QList<Problem>& problems)
{
    FieldReader read(zone, problems);
    read.documentCode(l1.sliced(0, 2));
    read.issuingState(l1.sliced(2, 3));
    const QStringView optional = read.documentNumber(l1.sliced(5, 9), l1[14], l1.sliced(15, 15));
    zone.optionalData = trimFillers(optional);
    read.birthDate(l2.sliced(0, 6), l2[6]);
    read.sex(l2[7]);
    read.expiryDate(l2.sliced(8, 6), l2[14]);
    read.nationality(l2.sliced(15, 3));
    zone.optionalData2 = trimFillers(l2.sliced(18, 11));
    read.composite({l1.sliced(5, 25), l2.sliced(0, 7), l2.sliced(8, 7), l2.sliced(18, 11)}, l2[29]);
    read.name(l3);
}

QString lengthProblem(int line, qsizetype length, const QString& wanted)
{
    return QStringLiteral("%1. satır %2 karakter; %3 karakter olmalı.").arg(line).arg(length).arg(wanted);
}

// Line count and lengths; the format when they fit one.
std::optional<Format> readLayout(const QStringList& lines, QList<Problem>& problems)
{
    const auto problem = [&](const QString& message) { problems.append({Field::Layout, message}); };
    if (lines.isEmpty()) {
        problem(QStringLiteral("Okunan metin boş."));
        return std::nullopt;
    }
    if (lines.size() == 1 || lines.size() > 3) {
        problem(QStringLiteral("Okunan metin %1 satır; 2 ya da 3 satır olmalı.").arg(lines.size()));
        return std::nullopt;
    }
    if (lines.size() == 3) {
        bool sound = true;
        for (int i = 0; i < 3; ++i) {
            if (lines[i].size() != 30) {
                problem(lengthProblem(i + 1, lines[i].size(), QStringLiteral("30")));
                sound = false;
            }
        }
        return sound ? std::optional(Format::TD1) : std::nullopt;
    }
    const qsizetype first = lines[0].size();
    const qsizetype second = lines[1].size();
    const auto twoLineWidth = [](qsizetype n) { return n == 36 || n == 44; };
    if (twoLineWidth(first) && second == first)
        return first == 44 ? Format::TD3 : Format::TD2;
    if (twoLineWidth(first)) {
        problem(lengthProblem(2, second, QString::number(first)));
    } else if (twoLineWidth(second)) {
        problem(lengthProblem(1, first, QString::number(second)));
    } else {
        problem(lengthProblem(1, first, QStringLiteral("36 ya da 44")));
        problem(lengthProblem(2, second, QStringLiteral("36 ya da 44")));
    }
    return std::nullopt;
}

QString registerNationality(const QString& code)
{
    if (code == QStringView(u"TUR"))
        return QStringLiteral("TC");
    if (code == QStringView(u"D"))
        return QStringLiteral("DEU");
    for (const char16_t* british : {u"GBD", u"GBN", u"GBO", u"GBP", u"GBS"}) {
        if (code == QStringView(british))
            return QStringLiteral("GBR");
    }
    return code;
}

QString documentType(const Zone& zone)
{
    const QChar kind = zone.documentCode.isEmpty() ? QChar() : zone.documentCode.front();
    if (kind == u'P')
        return QStringLiteral("P");
    const bool card = zone.format != Format::TD3 && (kind == u'I' || kind == u'A' || kind == u'C');
    if (card && zone.issuingState == QStringView(u"TUR") && zone.nationality == QStringView(u"TUR"))
        return QStringLiteral("K");
    return QStringLiteral("D");
}

// Year, month and day of "YYMMDD"; nothing when a part is not digits.
std::optional<std::array<int, 3>> dateParts(const QString& date)
{
    std::array<int, 3> parts{};
    for (int k = 0; k < 3; ++k) {
        const QChar a = date[2 * k];
        const QChar b = date[2 * k + 1];
        if (!isDigit(a) || !isDigit(b))
            return std::nullopt;
        parts[k] = digitValue(a) * 10 + digitValue(b);
    }
    return parts;
}

std::optional<QDate> birthDate(const QString& date, const QDate& today)
{
    const auto parts = dateParts(date);
    if (!parts)
        return std::nullopt;
    const auto [yy, month, day] = *parts;
    const int year = today.year() - today.year() % 100 + yy;
    const QDate thisCentury(year, month, day);
    if (thisCentury.isValid() && thisCentury <= today)
        return thisCentury;
    const QDate lastCentury(year - 100, month, day);
    return lastCentury.isValid() ? std::optional(lastCentury) : std::nullopt;
}

QDate expiryDate(const QString& date, const QDate& today)
{
    const auto parts = dateParts(date);
    if (!parts)
        return {};
    const auto [yy, month, day] = *parts;
    int year = today.year() - today.year() % 100 + yy;
    if (QDate(year, month, day) > today.addYears(50))
        year -= 100;
    else if (QDate(year, month, day) <= today.addYears(-50))
        year += 100;
    return QDate(year, month, day);
}

bool isElevenDigits(const QString& text)
{
    if (text.size() != 11)
        return false;
    for (QChar c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

} // namespace

InputState inputState(QStringView text)
{
    constexpr int kMaxLines = 3;
    qsizetype lengths[kMaxLines] = {};
    int count = 0;
    bool badCharacter = false;
    const bool breakAfterLast = forEachLine(text, [&](QStringView line) {
        if (count < kMaxLines)
            lengths[count] = line.size();
        ++count;
        for (QChar c : line)
            badCharacter = badCharacter || fold(c) == 0;
    });
    if (badCharacter || count > kMaxLines)
        return InputState::Invalid;
    if (count == 0)
        return InputState::Incomplete;
    for (int i = 0; i < count; ++i) {
        if (lengths[i] > 44)
            return InputState::Invalid;
    }
    // Until Enter follows it, the first line may still grow.
    if (count == 1 && !breakAfterLast)
        return InputState::Incomplete;
    qsizetype width = 0;
    int needed = 0;
    switch (lengths[0]) {
    case 30: width = 30; needed = 3; break;
    case 36: width = 36; needed = 2; break;
    case 44: width = 44; needed = 2; break;
    default: return InputState::Invalid;
    }
    if (count > needed)
        return InputState::Invalid;
    for (int i = 1; i < count; ++i) {
        const bool ended = i < count - 1 || breakAfterLast;
        if (lengths[i] > width || (ended && lengths[i] != width))
            return InputState::Invalid;
    }
    return count == needed && lengths[count - 1] == width ? InputState::Complete : InputState::Incomplete;
}

QStringList ParseResult::messages() const
{
    QStringList out;
    for (const Problem& p : problems)
        out += p.message;
    return out;
}

ParseResult parse(QStringView text)
{
    ParseResult result;
    QStringList lines;
    QList<Problem> characterProblems;
    forEachLine(text, [&](QStringView line) {
        QString folded(line.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < line.size(); ++i) {
            const char16_t c = fold(line[i]);
            if (c == 0) {
                characterProblems.append(
                    {Field::Character, QStringLiteral("%1. satırın %2. karakteri (%3) geçersiz; yalnız A-Z, 0-9 ve < olabilir.")
                                           .arg(lines.size() + 1)
                                           .arg(i + 1)
                                           .arg(line[i])});
            }
            folded[i] = c == 0 ? kFiller : QChar(c);
        }
        lines.append(folded);
    });
    const std::optional<Format> format = readLayout(lines, result.problems);
    result.problems += characterProblems;
    if (!format || !result.problems.isEmpty())
        return result;

    if (lines[0].front() == u'V') {
        result.problems.append({Field::DocumentCode, QStringLiteral("Bu bir vize; pasaportu ya da kimlik kartını okutun.")});
        return result;
    }
    Zone zone;
    zone.format = *format;
    switch (*format) {
    case Format::TD1: readTd1(lines[0], lines[1], lines[2], zone, result.problems); break;
    case Format::TD2: readTd2(lines[0], lines[1], zone, result.problems); break;
    case Format::TD3: readTd3(lines[0], lines[1], zone, result.problems); break;
    }
    result.zone = std::move(zone);
    return result;
}

QList<std::pair<QString, QVariant>> Guest::columns() const
{
    return {
        {Columns::Adi, adi},
        {Columns::Soyadi, soyadi},
        {Columns::DogumTarihi, dogumTarihi ? QVariant(*dogumTarihi) : QVariant()},
        {Columns::Uyrugu, uyrugu},
        {Columns::KimlikBelgesiTuru, kimlikBelgesiTuru},
        {Columns::KimlikSeriNo, kimlikSeriNo},
        {Columns::Cinsiyet, cinsiyet},
        {Columns::TCKimlikNo, tcKimlikNo},
    };
}

Guest guestFields(const Zone& zone, const QDate& today)
{
    Guest guest;
    guest.soyadi = zone.primaryIdentifier;
    guest.adi = zone.secondaryIdentifier;
    guest.dogumTarihi = birthDate(zone.birthDate, today);
    guest.uyrugu = registerNationality(zone.nationality);
    guest.kimlikBelgesiTuru = documentType(zone);
    guest.kimlikSeriNo = zone.documentNumber;
    if (zone.sex == u'M')
        guest.cinsiyet = QStringLiteral("E");
    else if (zone.sex == u'F')
        guest.cinsiyet = QStringLiteral("K");
    guest.turkish = zone.nationality == QStringView(u"TUR");
    // TCKNoKontrol throws on text that is no integer: eleven digits only.
    const bool numberField = zone.format == Format::TD3 || zone.format == Format::TD1;
    if (guest.turkish && numberField && isElevenDigits(zone.optionalData) && TCKNoKontrol(zone.optionalData))
        guest.tcKimlikNo = zone.optionalData;
    guest.nationalityCode = zone.nationality;
    guest.documentCode = zone.documentCode;
    guest.gecerlilikTarihi = expiryDate(zone.expiryDate, today);
    guest.expired = guest.gecerlilikTarihi.isValid() && guest.gecerlilikTarihi < today;
    return guest;
}

QString registerRefusal(const Guest& guest)
{
    static const int longest = Schema::kisi().column(Columns::KimlikSeriNo).size;
    if (guest.kimlikSeriNo.size() > longest)
        return kDocumentNumberTooLong.arg(guest.kimlikSeriNo.size()).arg(longest);
    return {};
}

} // namespace Mrz

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/TurkishText.h"

#include <QVarLengthArray>
#include <algorithm>
#include <array>

namespace {

constexpr char16_t kAlphabet[] = u"ABCÇDEFGĞHIİJKLMNOÖPQRSŞTUÜVWXYZ";
constexpr int kLetters = int(std::size(kAlphabet)) - 1;

// Letters take the codes from 'A' on; every other character at or above 'A'
// moves up past them.
constexpr quint32 kFirstLetter = 0x41;
constexpr quint32 kShift = 0x20;
static_assert(kLetters <= int(kShift));

// Fold and weight of the characters most texts are made of.
constexpr char32_t kTabled = 0x180;

struct Tables
{
    std::array<char32_t, kTabled> fold{};
    std::array<quint32, kTabled> weight{};
};

char32_t computeFold(char32_t c)
{
    if (c == u'i')
        return u'İ';
    if (c == u'ı')
        return u'I';
    return QChar::toUpper(c);
}

quint32 computeWeight(char32_t folded)
{
    if (folded < kFirstLetter)
        return folded;
    for (int i = 0; i < kLetters; ++i) {
        if (kAlphabet[i] == folded)
            return kFirstLetter + quint32(i);
    }
    return folded + kShift;
}

const Tables& tables()
{
    static const Tables t = [] {
        Tables made;
        for (char32_t c = 0; c < kTabled; ++c) {
            made.fold[c] = computeFold(c);
            made.weight[c] = computeWeight(c);
        }
        return made;
    }();
    return t;
}

// The code points of a UTF-16 text; a lone surrogate stands for itself.
template <typename F>
void forEachCodePoint(QStringView text, F f)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            f(QChar::surrogateToUcs4(u, text[i + 1].unicode()));
            ++i;
        } else {
            f(char32_t(u));
        }
    }
}

void append(QString& out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else {
        out += QChar(char16_t(c));
    }
}

} // namespace

namespace TurkishText {

char32_t foldChar(char32_t c)
{
    return c < kTabled ? tables().fold[c] : computeFold(c);
}

quint32 sortWeight(char32_t folded)
{
    return folded < kTabled ? tables().weight[folded] : computeWeight(folded);
}

QString fold(QStringView text)
{
    QString out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](char32_t c) { append(out, foldChar(c)); });
    return out;
}

bool startsWith(QStringView text, QStringView prefix)
{
    return fold(text).startsWith(fold(prefix));
}

int compare(QStringView a, QStringView b)
{
    using Weights = QVarLengthArray<quint32, 64>;
    const auto weights = [](QStringView s) {
        Weights w;
        forEachCodePoint(s, [&](char32_t c) { w.append(sortWeight(foldChar(c))); });
        return w;
    };
    const Weights wa = weights(a), wb = weights(b);
    const qsizetype n = std::min(wa.size(), wb.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (wa[i] != wb[i])
            return wa[i] < wb[i] ? -1 : 1;
    }
    return wa.size() == wb.size() ? 0 : wa.size() < wb.size() ? -1 : 1;
}

} // namespace TurkishText

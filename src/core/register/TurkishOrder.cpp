// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/TurkishOrder.h"

#include "core/register/TypedFields.h"
#include "core/register/TurkishText.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

namespace {

bool isNumeric(ColumnType t)
{
    return t == ColumnType::AutoId || t == ColumnType::Integer || t == ColumnType::Bool;
}

// The code point at p in valid UTF-8, moving p past it.
char32_t nextCodePoint(const uchar*& p)
{
    const uchar b = *p++;
    if (b < 0x80)
        return b;
    if (b < 0xE0)
        return char32_t(b & 0x1F) << 6 | (*p++ & 0x3F);
    if (b < 0xF0) {
        const char32_t c = char32_t(b & 0x0F) << 12 | char32_t(p[0] & 0x3F) << 6 | (p[1] & 0x3F);
        p += 2;
        return c;
    }
    const char32_t c = char32_t(b & 0x07) << 18 | char32_t(p[0] & 0x3F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
    p += 3;
    return c;
}

void appendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        const char b[] = {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
        out.append(b, 2);
    } else if (c < 0x10000) {
        const char b[] = {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
        out.append(b, 3);
    } else {
        const char b[] = {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)), char(0x80 | ((c >> 6) & 0x3F)),
                          char(0x80 | (c & 0x3F))};
        out.append(b, 4);
    }
}

// Turkish upper case of valid UTF-8 text, appended as UTF-8.
void appendFolded(QByteArray& out, QByteArrayView utf8)
{
    const uchar* p = reinterpret_cast<const uchar*>(utf8.data());
    const uchar* end = p + utf8.size();
    while (p < end) {
        const uchar b = *p;
        if (b < 0x80 && b != 'i') {
            out.append(char(b >= 'a' && b <= 'z' ? b - ('a' - 'A') : b));
            ++p;
            continue;
        }
        appendUtf8(out, TurkishText::foldChar(nextCodePoint(p)));
    }
}

// Where a search for an empty text stops: a null text is found at the first
// row, an empty one at the first row whose value is not empty (as
// QString::startsWith has it). -2 when the text is not empty.
template <typename IsEmptyAt>
int findForEmpty(const QString& prefix, int count, IsEmptyAt isEmptyAt)
{
    if (!prefix.isEmpty())
        return -2;
    if (prefix.isNull())
        return count > 0 ? 0 : -1;
    for (int i = 0; i < count; ++i) {
        if (!isEmptyAt(i))
            return i;
    }
    return -1;
}

} // namespace

QList<int> TurkishOrder::sorted(const std::vector<PackedRow>& rows, const QList<int>& visible, int col) const
{
    const qsizetype n = visible.size();
    QList<int> sorted;
    sorted.reserve(n);
    if (isNumeric(m_table.columns[col].type)) {
        struct Key
        {
            bool present;
            qint64 value;
            int row;
        };
        std::vector<Key> keys;
        keys.reserve(std::size_t(n));
        for (int row : std::as_const(visible)) {
            const PackedRow::Field f = rows[std::size_t(row)].field(col);
            const qint64 value = f.isNull() ? 0
                                 : f.kind == PackedRow::Kind::Integer ? PackedRow::integerOf(f)
                                                                      : PackedRow::valueOf(f).toLongLong();
            keys.push_back({!f.isNull(), value, row});
        }
        std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
            if (a.present != b.present)
                return !a.present;
            return a.value < b.value;
        });
        for (const Key& k : keys)
            sorted.append(k.row);
    } else {
        // Sort keys built once: the sort weights of each value's folded
        // characters, written as UTF-8 writes code points so that comparing
        // bytes compares weights (a letter of the alphabet takes one byte).
        // The first eight bytes also make one number that decides most
        // comparisons.
        struct Key
        {
            quint64 head;
            quint32 offset;
            quint32 size;
            int row;
        };
        std::vector<Key> keys;
        keys.reserve(std::size_t(n));
        QByteArray bytes;
        uchar ascii[128];
        for (char32_t c = 0; c < 128; ++c) {
            const quint32 w = TurkishText::sortWeight(TurkishText::foldChar(c));
            ascii[c] = w < 0x80 ? uchar(w) : 0;
        }
        QByteArray converted;
        for (int row : std::as_const(visible)) {
            const PackedRow::Field f = rows[std::size_t(row)].field(col);
            const qsizetype offset = bytes.size();
            if (!f.isNull()) {
                QByteArrayView text = f.bytes();
                if (f.kind != PackedRow::Kind::Text) {
                    converted = textAt(rows[std::size_t(row)], col).toUtf8();
                    text = converted;
                }
                const uchar* p = reinterpret_cast<const uchar*>(text.data());
                const uchar* end = p + text.size();
                while (p < end) {
                    if (*p < 0x80 && ascii[*p]) {
                        bytes.append(char(ascii[*p++]));
                        continue;
                    }
                    appendUtf8(bytes, TurkishText::sortWeight(TurkishText::foldChar(nextCodePoint(p))));
                }
            }
            const qsizetype size = bytes.size() - offset;
            quint64 head = 0;
            for (qsizetype k = 0; k < 8; ++k)
                head = head << 8 | (k < size ? uchar(bytes[offset + k]) : 0);
            keys.push_back({head, quint32(offset), quint32(size), row});
        }
        const char* data = bytes.constData();
        std::stable_sort(keys.begin(), keys.end(), [data](const Key& a, const Key& b) {
            if (a.head != b.head)
                return a.head < b.head;
            if (a.size <= 8 || b.size <= 8)
                return a.size < b.size;
            const int c = std::memcmp(data + a.offset + 8, data + b.offset + 8, std::min(a.size, b.size) - 8);
            return c != 0 ? c < 0 : a.size < b.size;
        });
        for (const Key& k : keys)
            sorted.append(k.row);
    }
    return sorted;
}

int TurkishOrder::findExact(const std::vector<PackedRow>& rows, const QList<int>& visible, int col,
                            const QString& prefix) const
{
    const int count = int(visible.size());
    const auto rowAt = [&](int i) -> const PackedRow& { return rows[std::size_t(visible[i])]; };
    const int empty = findForEmpty(prefix, count, [&](int i) { return rowAt(i).field(col).isNull(); });
    if (empty != -2)
        return empty;
    const bool plainText = m_table.columns[col].type != ColumnType::Bool;
    const std::optional<QByteArray> wanted = TypedFields::exactUtf8(prefix);
    for (int i = 0; i < count; ++i) {
        const PackedRow::Field f = rowAt(i).field(col);
        if (f.isNull())
            continue;
        const bool found = wanted && plainText && f.kind == PackedRow::Kind::Text
                               ? f.bytes().startsWith(QByteArrayView(*wanted))
                               : textAt(rowAt(i), col).startsWith(prefix);
        if (found)
            return i;
    }
    return -1;
}

void TurkishOrder::foldColumn(const std::vector<PackedRow>& rows, const QList<int>& visible, bool inStoredOrder,
                              int col)
{
    if (m_foldedColumn == col)
        return;
    const qsizetype n = visible.size();
    const bool plainText = m_table.columns[col].type != ColumnType::Bool;
    const auto fold = [&](QByteArray& out, int row) {
        const PackedRow::Field f = rows[std::size_t(row)].field(col);
        if (plainText && f.kind == PackedRow::Kind::Text)
            appendFolded(out, f.bytes());
        else
            appendFolded(out, textAt(rows[std::size_t(row)], col).toUtf8());
    };
    m_folded.clear();
    m_foldedEnds.assign(std::size_t(n), 0);
    if (inStoredOrder) {
        // The visible rows are in stored order.
        for (qsizetype i = 0; i < n; ++i) {
            fold(m_folded, visible[i]);
            m_foldedEnds[std::size_t(i)] = quint32(m_folded.size());
        }
    } else {
        // Read the rows in stored order, as they lie in memory, then arrange
        // their folded texts in the visible order.
        std::vector<int> positionOf(rows.size(), -1);
        for (qsizetype i = 0; i < n; ++i)
            positionOf[std::size_t(visible[i])] = int(i);
        QByteArray byRow;
        std::vector<std::pair<quint32, quint32>> spans(m_foldedEnds.size());
        for (std::size_t row = 0; row < rows.size(); ++row) {
            const int at = positionOf[row];
            if (at < 0)
                continue;
            const quint32 start = quint32(byRow.size());
            fold(byRow, int(row));
            spans[std::size_t(at)] = {start, quint32(byRow.size())};
        }
        m_folded.reserve(byRow.size());
        for (qsizetype i = 0; i < n; ++i) {
            const auto [start, end] = spans[std::size_t(i)];
            m_folded.append(byRow.constData() + start, end - start);
            m_foldedEnds[std::size_t(i)] = quint32(m_folded.size());
        }
    }
    m_foldedColumn = col;
}

int TurkishOrder::findFolded(const std::vector<PackedRow>& rows, const QList<int>& visible, bool inStoredOrder, int col,
                             const QString& prefix)
{
    const int count = int(visible.size());
    const int empty = findForEmpty(prefix, count, [&](int i) { return rows[std::size_t(visible[i])].field(col).isNull(); });
    if (empty != -2)
        return empty;
    const std::optional<QByteArray> exact = TypedFields::exactUtf8(prefix);
    if (!exact) {
        for (int i = 0; i < count; ++i) {
            const PackedRow& row = rows[std::size_t(visible[i])];
            if (!row.field(col).isNull() && TurkishText::startsWith(textAt(row, col), prefix))
                return i;
        }
        return -1;
    }
    foldColumn(rows, visible, inStoredOrder, col);
    QByteArray wanted;
    appendFolded(wanted, *exact);
    const char* text = m_folded.constData();
    const qsizetype size = wanted.size();
    quint32 start = 0;
    for (int i = 0; i < count; ++i) {
        const quint32 end = m_foldedEnds[std::size_t(i)];
        if (end - start >= size && std::memcmp(text + start, wanted.constData(), std::size_t(size)) == 0)
            return i;
        start = end;
    }
    return -1;
}

int TurkishOrder::findIgnoringCase(const std::vector<PackedRow>& rows, const QList<int>& visible, int col,
                                   const QString& prefix) const
{
    for (int i = 0; i < visible.size(); ++i) {
        if (textAt(rows[std::size_t(visible[i])], col).startsWith(prefix, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

void TurkishOrder::forget()
{
    m_foldedColumn = -1;
    m_folded.clear();
    m_foldedEnds.clear();
}

void TurkishOrder::release()
{
    forget();
    m_foldedEnds.shrink_to_fit();
}

qsizetype TurkishOrder::memoryUsed() const
{
    return m_folded.capacity() + qsizetype(m_foldedEnds.capacity() * sizeof(quint32));
}

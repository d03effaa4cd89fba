// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Dataset.h"

#include "core/register/Formats.h"
#include "core/register/TurkishText.h"
#include "platform/core/Dialogs.h"

#include <QSet>
#include <QSignalBlocker>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <unordered_map>
#include <utility>

namespace {

const QString kNotEditing = QStringLiteral("Dataset not in edit or insert mode");
const QString kEmpty = QStringLiteral("Cannot perform this operation on an empty dataset");
const QString kClosed = QStringLiteral("Cannot perform this operation on a closed dataset");

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

// The UTF-8 of a text when it reads back as the same text (no lone surrogates).
std::optional<QByteArray> exactUtf8(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    if (QString::fromUtf8(utf8) != text)
        return std::nullopt;
    return utf8;
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

Dataset::Dataset(Store& store, const TableDef& table, QObject* parent)
    : QObject(parent), m_store(store), m_table(table)
{
}

void Dataset::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    Q_EMIT stateChanged();
}

void Dataset::open()
{
    if (isOpen())
        close();
    m_rows.clear();
    takeOpened(readRows(m_store, m_table));
}

void Dataset::open(Rows rows)
{
    if (isOpen())
        close();
    takeOpened(std::move(rows));
}

Dataset::Rows Dataset::readRows(Store& store, const TableDef& table, const std::atomic<bool>* stop)
{
    Rows read{{}, std::make_unique<RowArena>()};
    RowPacker packer(int(table.columns.size()), read.arena.get());
    // Collected in pieces of a fixed size and put in one list of the exact
    // size at the end: a growing list would move every row several times.
    constexpr std::size_t kPiece = 4096;
    std::vector<std::vector<PackedRow>> pieces;
    store.scan(table.name, [&](qint64 key, std::span<const StoreValue> values) {
        if (stop && stop->load(std::memory_order_relaxed))
            throw WorkAbandoned();
        for (const StoreValue& v : values)
            packer.add(v);
        if (pieces.empty() || pieces.back().size() == kPiece)
            pieces.emplace_back().reserve(kPiece);
        PackedRow& row = pieces.back().emplace_back(packer.take(key));
        row.version = store.readVersion(table.name, key);
    });
    std::size_t count = 0;
    for (const std::vector<PackedRow>& piece : pieces)
        count += piece.size();
    read.rows.reserve(count);
    for (std::vector<PackedRow>& piece : pieces)
        std::move(piece.begin(), piece.end(), std::back_inserter(read.rows));
    return read;
}

void Dataset::takeOpened(Rows rows)
{
    m_rows = std::move(rows.rows);
    m_arena = std::move(rows.arena);
    m_buffer.clear();
    m_modified = false;
    rebuildVisible();
    m_cur = m_visible.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_visible.isEmpty();
    setState(State::Browse);
    Q_EMIT rowsChanged();
    Q_EMIT rowChanged();
    if (afterOpen)
        afterOpen();
    // Opening lands on a row only when there is one.
    if (afterScroll && !m_visible.isEmpty())
        afterScroll();
}

void Dataset::close()
{
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_arena.reset();
    m_visible.clear();
    m_visible.squeeze();
    m_foldedColumn = -1;
    m_folded.clear();
    m_foldedEnds.clear();
    m_foldedEnds.shrink_to_fit();
    m_buffer.clear();
    m_modified = false;
    m_cur = -1;
    m_bof = m_eof = true;
    setState(State::Inactive);
    Q_EMIT rowsChanged();
    Q_EMIT rowChanged();
}

void Dataset::rebuildVisible()
{
    m_foldedColumn = -1;
    m_folded.clear();
    m_foldedEnds.clear();
    m_visible.clear();
    m_visible.reserve(qsizetype(m_rows.size()));
    if (m_filterColumn < 0) {
        for (int i = 0; i < int(m_rows.size()); ++i)
            m_visible.append(i);
    } else {
        const int col = m_filterColumn;
        const bool plainText = m_table.columns[col].type != ColumnType::Bool;
        const std::optional<QByteArray> wanted = exactUtf8(m_filterValue);
        for (int i = 0; i < int(m_rows.size()); ++i) {
            const PackedRow::Field f = m_rows[std::size_t(i)].field(col);
            const bool same = wanted && plainText && f.kind == PackedRow::Kind::Text
                                  ? f.bytes() == QByteArrayView(*wanted)
                                  : storedText(m_rows[std::size_t(i)], col) == m_filterValue;
            if (same)
                m_visible.append(i);
        }
    }
    if (m_sortColumn >= 0)
        sortVisible();
}

void Dataset::sortVisible()
{
    const int col = m_sortColumn;
    const qsizetype n = m_visible.size();
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
        for (int row : std::as_const(m_visible)) {
            const PackedRow::Field f = m_rows[std::size_t(row)].field(col);
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
        for (int row : std::as_const(m_visible)) {
            const PackedRow::Field f = m_rows[std::size_t(row)].field(col);
            const qsizetype offset = bytes.size();
            if (!f.isNull()) {
                QByteArrayView text = f.bytes();
                if (f.kind != PackedRow::Kind::Text) {
                    converted = storedText(m_rows[std::size_t(row)], col).toUtf8();
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
    m_visible = std::move(sorted);
}

int Dataset::visibleIndexOfKey(qint64 key) const
{
    for (int i = 0; i < m_visible.size(); ++i) {
        if (m_rows[std::size_t(m_visible[i])].key == key)
            return i;
    }
    return -1;
}

bool Dataset::settle()
{
    if (!isOpen())
        throw RadaError(kClosed);
    if (!isEditing())
        return true;
    if (m_modified)
        return post();
    cancel();
    return true;
}

bool Dataset::moveTo(int visibleIndex)
{
    if (!settle())
        return false;
    m_cur = m_visible.isEmpty() ? -1 : std::clamp(visibleIndex, 0, int(m_visible.size()) - 1);
    Q_EMIT rowChanged();
    if (afterScroll)
        afterScroll();
    return true;
}

bool Dataset::moveToFound(int visibleIndex)
{
    m_bof = m_eof = false;
    return moveTo(visibleIndex);
}

bool Dataset::first()
{
    if (!settle())
        return false;
    m_bof = true;
    m_eof = m_visible.isEmpty();
    return moveTo(0);
}

bool Dataset::moveToRow(int visibleRow)
{
    if (!isOpen())
        throw RadaError(kClosed);
    if (visibleRow < 0 || visibleRow >= m_visible.size())
        return false;
    // Settling may store the pending row and reorder the rows: the row asked
    // for is found again by its key.
    const qint64 target = m_rows[m_visible[visibleRow]].key;
    if (!settle())
        return false;
    const int at = visibleIndexOfKey(target);
    if (at < 0)
        return false;
    m_bof = m_eof = false;
    return moveTo(at);
}

bool Dataset::last()
{
    if (!settle())
        return false;
    m_eof = true;
    m_bof = m_visible.isEmpty();
    return moveTo(int(m_visible.size()) - 1);
}

bool Dataset::next()
{
    if (!settle())
        return false;
    if (m_cur + 1 >= m_visible.size()) {
        m_eof = true;
        m_bof = m_visible.isEmpty();
        return true;
    }
    m_bof = false;
    m_eof = false;
    return moveTo(m_cur + 1);
}

bool Dataset::prior()
{
    if (!settle())
        return false;
    if (m_cur <= 0) {
        m_bof = true;
        m_eof = m_visible.isEmpty();
        return true;
    }
    m_bof = false;
    m_eof = false;
    return moveTo(m_cur - 1);
}

bool Dataset::locate(const QString& column, const QString& prefix, Qt::CaseSensitivity cs)
{
    if (cs == Qt::CaseSensitive)
        return locate(column, prefix, Match::Exact);
    const int col = columnIndex(column);
    if (!settle())
        return false;
    for (int i = 0; i < m_visible.size(); ++i) {
        if (storedText(m_rows[std::size_t(m_visible[i])], col).startsWith(prefix, Qt::CaseInsensitive))
            return moveToFound(i);
    }
    return false;
}

bool Dataset::locate(const QString& column, const QString& prefix, Match match)
{
    const int col = columnIndex(column);
    if (!settle())
        return false;
    const int at = match == Match::Exact ? findExact(col, prefix) : findFolded(col, prefix);
    return at >= 0 && moveToFound(at);
}

int Dataset::findExact(int col, const QString& prefix) const
{
    const int count = int(m_visible.size());
    const auto rowAt = [&](int i) -> const PackedRow& { return m_rows[std::size_t(m_visible[i])]; };
    const int empty = findForEmpty(prefix, count, [&](int i) { return rowAt(i).field(col).isNull(); });
    if (empty != -2)
        return empty;
    const bool plainText = m_table.columns[col].type != ColumnType::Bool;
    const std::optional<QByteArray> wanted = exactUtf8(prefix);
    for (int i = 0; i < count; ++i) {
        const PackedRow::Field f = rowAt(i).field(col);
        if (f.isNull())
            continue;
        const bool found = wanted && plainText && f.kind == PackedRow::Kind::Text
                               ? f.bytes().startsWith(QByteArrayView(*wanted))
                               : storedText(rowAt(i), col).startsWith(prefix);
        if (found)
            return i;
    }
    return -1;
}

void Dataset::foldColumn(int col)
{
    if (m_foldedColumn == col)
        return;
    const qsizetype n = m_visible.size();
    const bool plainText = m_table.columns[col].type != ColumnType::Bool;
    const auto fold = [&](QByteArray& out, int row) {
        const PackedRow::Field f = m_rows[std::size_t(row)].field(col);
        if (plainText && f.kind == PackedRow::Kind::Text)
            appendFolded(out, f.bytes());
        else
            appendFolded(out, storedText(m_rows[std::size_t(row)], col).toUtf8());
    };
    m_folded.clear();
    m_foldedEnds.assign(std::size_t(n), 0);
    if (m_sortColumn < 0) {
        // The visible rows are in stored order.
        for (qsizetype i = 0; i < n; ++i) {
            fold(m_folded, m_visible[i]);
            m_foldedEnds[std::size_t(i)] = quint32(m_folded.size());
        }
    } else {
        // Read the rows in stored order, as they lie in memory, then arrange
        // their folded texts in the visible order.
        std::vector<int> positionOf(m_rows.size(), -1);
        for (qsizetype i = 0; i < n; ++i)
            positionOf[std::size_t(m_visible[i])] = int(i);
        QByteArray byRow;
        std::vector<std::pair<quint32, quint32>> spans(m_foldedEnds.size());
        for (std::size_t row = 0; row < m_rows.size(); ++row) {
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

int Dataset::findFolded(int col, const QString& prefix)
{
    const int count = int(m_visible.size());
    const int empty = findForEmpty(prefix, count, [&](int i) {
        return m_rows[std::size_t(m_visible[i])].field(col).isNull();
    });
    if (empty != -2)
        return empty;
    const std::optional<QByteArray> exact = exactUtf8(prefix);
    if (!exact) {
        for (int i = 0; i < count; ++i) {
            const PackedRow& row = m_rows[std::size_t(m_visible[i])];
            if (!row.field(col).isNull() && TurkishText::startsWith(storedText(row, col), prefix))
                return i;
        }
        return -1;
    }
    foldColumn(col);
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

bool Dataset::setFilter(const QString& column, const QString& value)
{
    const int col = columnIndex(column);
    if (!settle())
        return false;
    m_filterColumn = col;
    m_filterValue = value;
    rebuildVisible();
    Q_EMIT rowsChanged();
    return first();
}

bool Dataset::clearFilter()
{
    if (!settle())
        return false;
    m_filterColumn = -1;
    m_filterValue.clear();
    rebuildVisible();
    Q_EMIT rowsChanged();
    return first();
}

bool Dataset::setSort(const QString& column)
{
    const int col = column.isEmpty() ? -1 : columnIndex(column);
    if (!settle())
        return false;
    const qint64 current = key();
    m_sortColumn = col;
    rebuildVisible();
    Q_EMIT rowsChanged();
    const int at = visibleIndexOfKey(current);
    return moveTo(at < 0 ? 0 : at);
}

bool Dataset::edit()
{
    if (!isOpen())
        throw RadaError(kClosed);
    if (isEditing())
        return true;
    if (m_visible.isEmpty())
        return append();
    const PackedRow& row = m_rows[std::size_t(m_visible[m_cur])];
    m_buffer.clear();
    m_buffer.reserve(m_table.columns.size());
    for (int i = 0; i < m_table.columns.size(); ++i)
        m_buffer.append(row.value(i));
    m_modified = false;
    setState(State::Edit);
    return true;
}

bool Dataset::append()
{
    if (!settle())
        return false;
    if (beforeInsert && !beforeInsert())
        return false;
    m_buffer = QList<QVariant>(m_table.columns.size());
    if (onNewRecord) {
        // The first values are set as the row is begun, before anyone hears
        // of the new state.
        const State before = std::exchange(m_state, State::Insert);
        const QSignalBlocker quiet(this);
        onNewRecord();
        m_state = before;
    }
    m_modified = false;
    setState(State::Insert);
    Q_EMIT rowChanged();
    if (afterScroll)
        afterScroll();
    return true;
}

bool Dataset::post()
{
    if (!isEditing())
        return isOpen();
    if (beforePost && !beforePost())
        return false;
    const bool inserting = m_state == State::Insert;
    const int rowIndex = inserting ? -1 : m_visible[m_cur];
    qint64 rowKey = 0;
    qint64 version = 0;
    try {
        if (inserting) {
            rowKey = m_store.insert(m_table.name, m_buffer);
            version = m_store.readVersion(m_table.name, rowKey);
            const QString autoId = m_table.autoIdColumn();
            if (!autoId.isEmpty())
                m_buffer[m_table.indexOf(autoId)] = rowKey;
        } else {
            const PackedRow& row = m_rows[std::size_t(rowIndex)];
            rowKey = row.key;
            version = m_store.updateAt(m_table.name, {rowKey, row.version}, m_buffer);
        }
    } catch (const StoreConflict& e) {
        try {
            settleConflict(e, rowIndex);
            return false;
        } catch (const StoreError& again) {
            if (!onPostError)
                throw;
            onPostError(again);
            return false;
        }
    } catch (const StoreError& e) {
        if (!onPostError)
            throw;
        onPostError(e);
        return false;
    }
    PackedRow stored = pack(rowKey, m_buffer);
    stored.version = version;
    if (inserting)
        m_rows.push_back(std::move(stored));
    else
        m_rows[std::size_t(rowIndex)] = std::move(stored);
    m_buffer.clear();
    m_modified = false;
    rebuildVisible();
    const int at = visibleIndexOfKey(rowKey);
    if (at >= 0)
        m_cur = at;
    else
        m_cur = m_visible.isEmpty() ? -1 : std::clamp(m_cur, 0, int(m_visible.size()) - 1);
    m_bof = m_eof = false;
    setState(State::Browse);
    Q_EMIT rowsChanged();
    Q_EMIT rowChanged();
    Q_EMIT posted(rowKey);
    return true;
}

void Dataset::settleConflict(const StoreConflict& conflict, int rowIndex)
{
    StoreConflict::Kind kind = conflict.kind();
    QStringList both;
    if (m_state == State::Edit) {
        std::optional<PackedRow> now;
        RowPacker packer(int(m_table.columns.size()));
        const PackedRow& was = m_rows[std::size_t(rowIndex)];
        m_store.scanKeys(m_table.name, {was.key}, [&](qint64 key, std::span<const StoreValue> values) {
            now = packRead(packer, key, values);
        });
        if (!now) {
            kind = StoreConflict::Kind::Deleted;
            // The values typed here stay, as a row not stored yet.
            m_rows.erase(m_rows.begin() + rowIndex);
            const QString autoId = m_table.autoIdColumn();
            if (!autoId.isEmpty())
                m_buffer[m_table.indexOf(autoId)] = QVariant();
            m_modified = true;
            rebuildVisible();
            landOn(0, m_cur);
            setState(State::Insert);
        } else {
            // The row as the other desk left it, with this desk's changes over it.
            bool changedHere = false;
            for (int i = 0; i < m_table.columns.size(); ++i) {
                const ColumnType type = m_table.columns[i].type;
                const QString before = storedText(was, i);
                const QString mine = textOf(m_buffer[i], type);
                if (mine == before) {
                    m_buffer[i] = now->value(i);
                    continue;
                }
                changedHere = true;
                const QString theirs = storedText(*now, i);
                if (theirs != before && theirs != mine)
                    both << m_table.columns[i].name;
            }
            if (kind == StoreConflict::Kind::Deleted)
                kind = StoreConflict::Kind::Changed;
            m_rows[std::size_t(rowIndex)] = std::move(*now);
            m_modified = changedHere;
            rebuildVisible();
        }
        Q_EMIT rowsChanged();
        Q_EMIT rowChanged();
    }
    if (!onConflict)
        throw conflict;
    onConflict(kind, both);
}

void Dataset::landOn(qint64 key, int fallback)
{
    const int at = key == 0 ? -1 : visibleIndexOfKey(key);
    if (at >= 0)
        m_cur = at;
    else
        m_cur = m_visible.isEmpty() ? -1 : std::clamp(fallback, 0, int(m_visible.size()) - 1);
    m_bof = m_eof = m_visible.isEmpty();
}

void Dataset::refreshRows(const QList<qint64>& keys)
{
    if (!isOpen())
        return;
    if (!keys.isEmpty()) {
        takeRows(keys, true);
        return;
    }
    // The row being edited keeps what it was read as.
    const qint64 edited = editedKey();
    const qint64 current = m_state == State::Insert ? 0 : key();
    const int place = m_cur;
    RowPacker packer(int(m_table.columns.size()));
    std::vector<PackedRow> rows;
    std::optional<PackedRow> kept;
    if (edited != 0)
        kept = std::move(m_rows[std::size_t(m_visible[m_cur])]);
    m_store.scan(m_table.name, [&](qint64 k, std::span<const StoreValue> values) {
        if (kept && k == edited) {
            rows.push_back(std::move(*kept));
            kept.reset();
        } else {
            rows.push_back(packRead(packer, k, values));
        }
    });
    if (kept)
        rows.push_back(std::move(*kept)); // deleted there: its save will say so
    m_rows = std::move(rows);
    rowsTaken(edited, current, place, true);
}

void Dataset::catchUp()
{
    if (!isOpen() || !m_store.isShared())
        return;
    std::unordered_map<qint64, qint64> held;
    held.reserve(m_rows.size());
    for (const PackedRow& row : m_rows)
        held.emplace(row.key, row.version);
    QList<qint64> stale;
    for (const Store::VersionedKey& now : m_store.rowVersions(m_table.name)) {
        const auto found = held.find(now.key);
        if (found == held.end() || found->second != now.version)
            stale << now.key;
        if (found != held.end())
            held.erase(found);
    }
    for (const auto& [key, version] : held)
        stale << key; // deleted
    if (!stale.isEmpty())
        takeRows(stale, true);
}

void Dataset::dropRows(const QList<qint64>& keys)
{
    if (isOpen() && !keys.isEmpty())
        takeRows(keys, false);
}

qint64 Dataset::editedKey() const
{
    return m_state == State::Edit ? m_rows[std::size_t(m_visible[m_cur])].key : 0;
}

void Dataset::takeRows(const QList<qint64>& keys, bool read)
{
    const qint64 edited = editedKey();
    const qint64 current = m_state == State::Insert ? 0 : key();
    const int place = m_cur;
    std::unordered_map<qint64, PackedRow> now;
    QList<qint64> wanted;
    wanted.reserve(keys.size());
    for (qint64 k : keys) {
        if (k != edited)
            wanted << k;
    }
    if (wanted.isEmpty())
        return;
    if (read) {
        RowPacker packer(int(m_table.columns.size()));
        m_store.scanKeys(m_table.name, wanted, [&](qint64 k, std::span<const StoreValue> values) {
            now.insert_or_assign(k, packRead(packer, k, values));
        });
    }
    QSet<qint64> gone(wanted.begin(), wanted.end());
    for (PackedRow& row : m_rows) {
        auto found = now.find(row.key);
        if (found != now.end()) {
            row = std::move(found->second);
            now.erase(found);
            gone.remove(row.key);
        }
    }
    if (!gone.isEmpty())
        std::erase_if(m_rows, [&](const PackedRow& row) { return gone.contains(row.key); });
    std::vector<qint64> added;
    for (const auto& [k, row] : now)
        added.push_back(k);
    std::sort(added.begin(), added.end());
    for (qint64 k : added)
        m_rows.push_back(std::move(now.at(k)));
    rowsTaken(edited, current, place, current == 0 || wanted.contains(current));
}

void Dataset::rowsTaken(qint64 edited, qint64 current, int place, bool currentTaken)
{
    rebuildVisible();
    landOn(m_state == State::Edit ? edited : current, place);
    if (m_cur >= 0)
        m_bof = m_eof = false;
    Q_EMIT rowsChanged();
    // The current row is shown again only when it is another or changed:
    // other desks' work elsewhere in the table does not disturb the clerk.
    if (isEditing() || (!currentTaken && key() == current))
        return;
    Q_EMIT rowChanged();
    if (afterScroll)
        afterScroll();
}

void Dataset::cancel()
{
    if (!isEditing())
        return;
    m_buffer.clear();
    m_modified = false;
    setState(State::Browse);
    Q_EMIT rowChanged();
    if (afterCancel)
        afterCancel();
    Q_EMIT cancelled();
}

bool Dataset::remove()
{
    if (!isOpen())
        throw RadaError(kClosed);
    if (m_state == State::Insert) {
        cancel();
        return true;
    }
    if (m_visible.isEmpty())
        throw RadaError(kEmpty);
    const qint64 asked = key();
    if (beforeDelete && !beforeDelete())
        return false;
    // Another desk's change may have come in while the question was shown.
    if (key() != asked || m_cur < 0)
        return false;
    const int rowIndex = m_visible[m_cur];
    const PackedRow& row = m_rows[std::size_t(rowIndex)];
    const qint64 rowKey = row.key;
    std::optional<StoreConflict::Kind> refused;
    try {
        if (m_store.removeUnchanged(m_table.name, {{rowKey, row.version}}).isEmpty()) {
            // Changed or deleted at another desk since it was read.
            refused = StoreConflict::Kind::Deleted;
            RowPacker packer(int(m_table.columns.size()));
            m_store.scanKeys(m_table.name, {rowKey}, [&](qint64 k, std::span<const StoreValue> values) {
                m_rows[std::size_t(rowIndex)] = packRead(packer, k, values);
                refused = StoreConflict::Kind::Changed;
            });
        }
    } catch (const StoreError& e) {
        if (!onPostError)
            throw;
        onPostError(e);
        return false;
    }
    if (refused == StoreConflict::Kind::Changed) {
        // Shown as it is now; deleting it again deletes that.
        m_buffer.clear();
        m_modified = false;
        setState(State::Browse);
        Q_EMIT rowsChanged();
        Q_EMIT rowChanged();
        if (onConflict)
            onConflict(*refused, {});
        return false;
    }
    m_rows.erase(m_rows.begin() + rowIndex);
    m_buffer.clear();
    m_modified = false;
    const int keep = m_cur;
    rebuildVisible();
    m_cur = m_visible.isEmpty() ? -1 : std::min(keep, int(m_visible.size()) - 1);
    m_bof = m_cur <= 0;
    m_eof = m_visible.isEmpty();
    setState(State::Browse);
    Q_EMIT rowsChanged();
    Q_EMIT rowChanged();
    if (afterScroll)
        afterScroll();
    if (refused && onConflict)
        onConflict(*refused, {});
    return true;
}

int Dataset::columnIndex(const QString& column) const
{
    const int i = m_table.indexOf(column);
    if (i < 0)
        throw RadaError(QStringLiteral("%1: Field '%2' not found").arg(m_table.name, column));
    return i;
}

QVariant Dataset::currentValue(int column) const
{
    if (isEditing())
        return m_buffer.value(column);
    if (m_cur < 0 || m_cur >= m_visible.size())
        return {};
    return m_rows[std::size_t(m_visible[m_cur])].value(column);
}

PackedRow Dataset::packRead(RowPacker& packer, qint64 key, std::span<const StoreValue> values) const
{
    for (const StoreValue& v : values)
        packer.add(v);
    PackedRow row = packer.take(key);
    row.version = m_store.readVersion(m_table.name, key);
    return row;
}

PackedRow Dataset::pack(qint64 key, const QList<QVariant>& values)
{
    RowPacker packer(int(m_table.columns.size()));
    for (int i = 0; i < m_table.columns.size(); ++i)
        packer.add(values.value(i));
    return packer.take(key);
}

QString Dataset::storedText(const PackedRow& row, int column) const
{
    const PackedRow::Field f = row.field(column);
    if (f.isNull())
        return {};
    if (m_table.columns[column].type == ColumnType::Bool) {
        const qint64 n = f.kind == PackedRow::Kind::Integer ? PackedRow::integerOf(f) : PackedRow::valueOf(f).toLongLong();
        return n ? QStringLiteral("True") : QStringLiteral("False");
    }
    switch (f.kind) {
    case PackedRow::Kind::Text: return PackedRow::textOf(f);
    case PackedRow::Kind::Integer: return QString::fromLatin1(f.data, f.size);
    default: return PackedRow::valueOf(f).toString();
    }
}

QString Dataset::textOf(const QVariant& v, ColumnType type)
{
    if (v.isNull())
        return {};
    if (type == ColumnType::Bool)
        return v.toLongLong() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

QVariant Dataset::value(const QString& column) const
{
    return currentValue(columnIndex(column));
}

bool Dataset::isNull(const QString& column) const
{
    const QVariant v = value(column);
    return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

QString Dataset::text(const QString& column) const
{
    const int i = columnIndex(column);
    if (isEditing())
        return textOf(m_buffer.value(i), m_table.columns[i].type);
    if (m_cur < 0 || m_cur >= m_visible.size())
        return {};
    return storedText(m_rows[std::size_t(m_visible[m_cur])], i);
}

std::optional<QDate> Dataset::date(const QString& column) const
{
    const QString t = text(column);
    if (t.isEmpty())
        return std::nullopt;
    if (auto d = Formats::parseDate(t.left(10)))
        return d;
    throw RadaError(QStringLiteral("'%1' is not a valid date").arg(t));
}

std::optional<QDateTime> Dataset::dateTime(const QString& column) const
{
    const QString t = text(column);
    if (t.isEmpty())
        return std::nullopt;
    if (auto dt = Formats::parseDateTime(t))
        return dt;
    throw RadaError(QStringLiteral("'%1' is not a valid date and time").arg(t));
}

bool Dataset::boolean(const QString& column) const
{
    const QVariant v = value(column);
    return !v.isNull() && v.toLongLong() != 0;
}

qint64 Dataset::integer(const QString& column) const
{
    const QVariant v = value(column);
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (!ok)
        throw RadaError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
    return n;
}

qint64 Dataset::key() const
{
    if (m_state == State::Insert || m_cur < 0 || m_cur >= m_visible.size())
        return 0;
    return m_rows[std::size_t(m_visible[m_cur])].key;
}

void Dataset::requireEditing() const
{
    if (!isEditing())
        throw RadaError(kNotEditing);
}

void Dataset::setValue(const QString& column, const QVariant& value)
{
    const int i = columnIndex(column);
    requireEditing();
    if (m_table.columns[i].type == ColumnType::AutoId)
        throw RadaError(QStringLiteral("Field '%1' cannot be modified").arg(column));
    QVariant stored = value;
    if (stored.typeId() == QMetaType::QString && stored.toString().isEmpty())
        stored = QVariant();
    m_buffer[i] = stored;
    m_modified = true;
    Q_EMIT fieldChanged(column);
}

void Dataset::setText(const QString& column, const QString& text)
{
    const ColumnType type = m_table.columns[columnIndex(column)].type;
    if (type == ColumnType::Bool || type == ColumnType::Integer) {
        if (text.isEmpty()) {
            setValue(column, QVariant());
            return;
        }
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        if (!ok)
            throw RadaError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        setValue(column, type == ColumnType::Bool ? QVariant(qint64(n != 0)) : QVariant(n));
        return;
    }
    setValue(column, text);
}

void Dataset::setDate(const QString& column, const QDate& date)
{
    setValue(column, date.isValid() ? QVariant(Formats::dateText(date)) : QVariant());
}

void Dataset::setDateTime(const QString& column, const QDateTime& dateTime)
{
    setValue(column, dateTime.isValid() ? QVariant(Formats::dateTimeText(dateTime)) : QVariant());
}

void Dataset::setBoolean(const QString& column, bool value)
{
    setValue(column, QVariant(qint64(value ? 1 : 0)));
}

void Dataset::setInteger(const QString& column, qint64 value)
{
    setValue(column, QVariant(value));
}

void Dataset::clearField(const QString& column)
{
    setValue(column, QVariant());
}

QVariant Dataset::rowValue(int visibleRow, int column) const
{
    if (visibleRow < 0 || visibleRow >= m_visible.size() || column < 0 || column >= m_table.columns.size())
        return {};
    return m_rows[std::size_t(m_visible[visibleRow])].value(column);
}

qint64 Dataset::rowKey(int visibleRow) const
{
    if (visibleRow < 0 || visibleRow >= m_visible.size())
        return 0;
    return m_rows[std::size_t(m_visible[visibleRow])].key;
}

qint64 Dataset::rowVersion(int visibleRow) const
{
    if (visibleRow < 0 || visibleRow >= m_visible.size())
        return 0;
    return m_rows[std::size_t(m_visible[visibleRow])].version;
}

bool Dataset::rowBoolean(int visibleRow, int column) const
{
    const QVariant v = rowValue(visibleRow, column);
    return !v.isNull() && v.toLongLong() != 0;
}

QString Dataset::rowText(int visibleRow, int column) const
{
    if (visibleRow < 0 || visibleRow >= m_visible.size() || column < 0 || column >= m_table.columns.size())
        return {};
    return storedText(m_rows[std::size_t(m_visible[visibleRow])], column);
}

std::optional<QByteArrayView> Dataset::rowUtf8(int visibleRow, int column) const
{
    if (visibleRow < 0 || visibleRow >= m_visible.size() || column < 0 || column >= m_table.columns.size() ||
        m_table.columns[column].type == ColumnType::Bool)
        return std::nullopt;
    const PackedRow::Field f = m_rows[std::size_t(m_visible[visibleRow])].field(column);
    if (f.kind != PackedRow::Kind::Text)
        return std::nullopt;
    return f.bytes();
}

QString Dataset::rowText(int visibleRow, const QString& column) const
{
    return rowText(visibleRow, columnIndex(column));
}

qsizetype Dataset::memoryUsed() const
{
    qsizetype bytes = qsizetype(m_rows.capacity() * sizeof(PackedRow));
    for (const PackedRow& r : m_rows)
        bytes += r.blockSize();
    bytes += m_visible.capacity() * qsizetype(sizeof(int));
    bytes += m_folded.capacity() + qsizetype(m_foldedEnds.capacity() * sizeof(quint32));
    return bytes;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/DatasetRow.h"

#include "platform/core/LargeBlock.h"
#include "platform/core/RadaError.h"

#include <QStringDecoder>
#include <charconv>
#include <cstring>

// Block: a 16-bit head (column count, and the top bit set when the ends are
// 32-bit), then per column where its value ends in the payload, with the
// kind in the top two bits, then the payload. Ends are 16-bit while the
// payload fits in 14 bits, which every row of the register's own columns does.
namespace {

constexpr quint16 kWide = 0x8000;
constexpr quint32 kNarrowLimit = 0x3FFF;
constexpr quint32 kWideLimit = 0x3FFFFFFF;
constexpr int kHead = 2;

template <typename T>
T readAt(const char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

const QByteArrayView kBom("\xEF\xBB\xBF", 3);

bool startsWithBom(QByteArrayView text)
{
    return text.size() >= 3 && text[0] == kBom[0] && text[1] == kBom[1] && text[2] == kBom[2];
}

} // namespace

int PackedRow::columns() const
{
    return m_block ? readAt<quint16>(m_block.get()) & ~kWide : 0;
}

PackedRow::Field PackedRow::field(int column) const
{
    const char* b = m_block.get();
    const quint16 head = readAt<quint16>(b);
    const int count = head & ~kWide;
    const char* ends = b + kHead;
    if (head & kWide) {
        const quint32 e = readAt<quint32>(ends + 4 * column);
        const quint32 start = column > 0 ? readAt<quint32>(ends + 4 * (column - 1)) & kWideLimit : 0;
        return {Kind(e >> 30), ends + 4 * count + start, qsizetype((e & kWideLimit) - start)};
    }
    const quint16 e = readAt<quint16>(ends + 2 * column);
    const quint32 start = column > 0 ? readAt<quint16>(ends + 2 * (column - 1)) & kNarrowLimit : 0;
    return {Kind(e >> 14), ends + 2 * count + start, qsizetype((e & kNarrowLimit) - start)};
}

qsizetype PackedRow::blockSize() const
{
    const int n = columns();
    if (n == 0)
        return 0;
    const Field last = field(n - 1);
    return (last.data + last.size) - m_block.get();
}

QVariant PackedRow::value(int column) const
{
    return valueOf(field(column));
}

qint64 PackedRow::integerOf(const Field& f)
{
    qint64 v = 0;
    std::from_chars(f.data, f.data + f.size, v);
    return v;
}

QString PackedRow::textOf(const Field& f)
{
    if (f.isNull())
        return {};
    // QString::fromUtf8 would drop a leading byte-order mark that the value holds.
    if (startsWithBom(f.bytes())) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return decoder.decode(f.bytes());
    }
    return QString::fromUtf8(f.data, f.size);
}

QVariant PackedRow::valueOf(const Field& f)
{
    if (f.isNull())
        return {};
    switch (f.kind) {
    case Kind::Text: return textOf(f);
    case Kind::Integer: return QVariant(integerOf(f));
    case Kind::Real: return QVariant(readAt<double>(f.data));
    case Kind::Bytes: return QVariant(QByteArray(f.data, f.size));
    }
    return {};
}

RowArena::~RowArena()
{
    for (char* block : m_blocks)
        LargeBlock::release(block);
}

char* RowArena::allocate(std::size_t bytes)
{
    // Blocks start at even places: a row's head is read as 16 bits.
    bytes = (bytes + 1) & ~std::size_t(1);
    if (bytes > LargeBlock::kSize)
        return nullptr;
    if (bytes > m_left) {
        // A small table fills a small block of the usual heap; a large one
        // goes on in large blocks.
        if (!m_first && bytes <= kFirstSize) {
            m_first = std::make_unique_for_overwrite<char[]>(kFirstSize);
            m_at = m_first.get();
            m_left = kFirstSize;
        } else {
            char* block = LargeBlock::allocate();
            if (!block)
                return nullptr;
            m_blocks.push_back(block);
            m_at = block;
            m_left = LargeBlock::kSize;
        }
    }
    char* at = m_at;
    m_at += bytes;
    m_left -= bytes;
    return at;
}

RowPacker::RowPacker(int columns, RowArena* arena) : m_columns(columns), m_arena(arena)
{
}

void RowPacker::append(PackedRow::Kind kind, QByteArrayView bytes)
{
    m_payload.append(bytes.data(), bytes.size());
    m_ends.append(quint32(m_payload.size()));
    m_kinds.append(kind);
}

void RowPacker::addNull()
{
    append(PackedRow::Kind::Text, {});
}

void RowPacker::addText(QByteArrayView utf8)
{
    if (!startsWithBom(utf8) && utf8.isValidUtf8())
        append(PackedRow::Kind::Text, utf8);
    else
        append(PackedRow::Kind::Text, QString::fromUtf8(utf8).toUtf8());
}

void RowPacker::addInteger(qint64 value)
{
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, value);
    append(PackedRow::Kind::Integer, QByteArrayView(digits, r.ptr - digits));
}

void RowPacker::addReal(double value)
{
    char raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    append(PackedRow::Kind::Real, QByteArrayView(raw, sizeof raw));
}

void RowPacker::addBytes(QByteArrayView bytes)
{
    append(bytes.isEmpty() ? PackedRow::Kind::Text : PackedRow::Kind::Bytes, bytes);
}

void RowPacker::add(const StoreValue& v)
{
    switch (v.kind) {
    case StoreValue::Kind::Null: addNull(); break;
    case StoreValue::Kind::Integer: addInteger(v.integer); break;
    case StoreValue::Kind::Real: addReal(v.real); break;
    case StoreValue::Kind::Text: addText(QByteArrayView(v.data, v.size)); break;
    case StoreValue::Kind::Bytes: addBytes(QByteArrayView(v.data, v.size)); break;
    }
}

void RowPacker::add(const QVariant& v)
{
    // As the store writes it; a text as Qt gave it, and a real as its text,
    // which is what the register's columns keep of one.
    QByteArray held;
    const StoreValue value = StoreValue::of(v, held);
    if (value.kind == StoreValue::Kind::Text)
        append(PackedRow::Kind::Text, held);
    else if (value.kind == StoreValue::Kind::Real)
        append(PackedRow::Kind::Text, QByteArray::number(value.real, 'g', 17));
    else
        add(value);
}

PackedRow RowPacker::take(qint64 key)
{
    if (m_ends.size() != m_columns)
        throw RadaError(QStringLiteral("A row needs %1 values, not %2").arg(m_columns).arg(m_ends.size()));
    const quint32 payload = quint32(m_payload.size());
    if (qsizetype(m_payload.size()) > qsizetype(kWideLimit))
        throw RadaError(QStringLiteral("A row of %1 bytes is too large").arg(m_payload.size()));
    const bool wide = payload > kNarrowLimit;
    const int width = wide ? 4 : 2;
    const qsizetype header = kHead + qsizetype(width) * m_columns;
    PackedRow row;
    row.key = key;
    const std::size_t bytes = std::size_t(header + payload);
    if (char* in = m_arena ? m_arena->allocate(bytes) : nullptr)
        row.m_block = std::unique_ptr<char[], PackedRow::Release>(in, PackedRow::Release{false});
    else
        row.m_block = std::unique_ptr<char[], PackedRow::Release>(new char[bytes], PackedRow::Release{true});
    char* b = row.m_block.get();
    const quint16 head = quint16(m_columns) | (wide ? kWide : 0);
    std::memcpy(b, &head, sizeof head);
    for (int i = 0; i < m_columns; ++i) {
        const quint32 kind = quint32(m_kinds[i]);
        if (wide) {
            const quint32 e = m_ends[i] | (kind << 30);
            std::memcpy(b + kHead + 4 * i, &e, 4);
        } else {
            const quint16 e = quint16(m_ends[i] | (kind << 14));
            std::memcpy(b + kHead + 2 * i, &e, 2);
        }
    }
    if (payload)
        std::memcpy(b + header, m_payload.constData(), payload);
    m_ends.clear();
    m_kinds.clear();
    m_payload.clear();
    return row;
}

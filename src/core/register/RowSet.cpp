// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/RowSet.h"

#include "core/register/TypedFields.h"

#include <optional>

void RowSet::rebuild()
{
    order.forget();
    visible.clear();
    visible.reserve(qsizetype(rows.size()));
    if (filterColumn < 0) {
        for (int i = 0; i < int(rows.size()); ++i)
            visible.append(i);
    } else {
        const int col = filterColumn;
        const ColumnType type = m_table.columns[col].type;
        const bool plainText = type != ColumnType::Bool;
        const std::optional<QByteArray> wanted = TypedFields::exactUtf8(filterValue);
        for (int i = 0; i < int(rows.size()); ++i) {
            const PackedRow::Field f = rows[std::size_t(i)].field(col);
            const bool same = wanted && plainText && f.kind == PackedRow::Kind::Text
                                  ? f.bytes() == QByteArrayView(*wanted)
                                  : TypedFields::storedText(rows[std::size_t(i)], col, type) == filterValue;
            if (same)
                visible.append(i);
        }
    }
    if (sortColumn >= 0)
        visible = order.sorted(rows, visible, sortColumn);
}

void RowSet::put(int rowIndex, qint64 key, qint64 version, const QList<QVariant>& values)
{
    RowPacker packer(int(m_table.columns.size()));
    for (int i = 0; i < m_table.columns.size(); ++i)
        packer.add(values.value(i));
    PackedRow row = packer.take(key);
    row.version = version;
    if (rowIndex < 0)
        rows.push_back(std::move(row));
    else
        rows[std::size_t(rowIndex)] = std::move(row);
}

void RowSet::clear()
{
    rows.clear();
    rows.shrink_to_fit();
    arena.reset();
    visible.clear();
    visible.squeeze();
    order.release();
}

int RowSet::indexOfKey(qint64 key) const
{
    for (int i = 0; i < visible.size(); ++i) {
        if (at(i).key == key)
            return i;
    }
    return -1;
}

QList<qint64> RowSet::keys() const
{
    QList<qint64> keys;
    keys.reserve(visible.size());
    for (int row : visible)
        keys.append(rows[std::size_t(row)].key);
    return keys;
}

qsizetype RowSet::memoryUsed() const
{
    qsizetype bytes = qsizetype(rows.capacity() * sizeof(PackedRow));
    for (const PackedRow& r : rows)
        bytes += r.blockSize();
    bytes += visible.capacity() * qsizetype(sizeof(int));
    bytes += order.memoryUsed();
    return bytes;
}

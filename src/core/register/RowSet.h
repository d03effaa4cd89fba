// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/DatasetRow.h"
#include "core/register/RowChanges.h"
#include "core/register/Schema.h"
#include "core/register/TurkishOrder.h"

#include <QList>
#include <QString>
#include <memory>
#include <vector>

// The rows a dataset holds, in stored order, and those visible under its
// filter (a column equal to a value) in its order (by one column, or as
// stored).
class RowSet
{
public:
    explicit RowSet(const TableDef& table) : order(table), m_table(table) {}

    std::vector<PackedRow> rows;
    std::unique_ptr<RowArena> arena; // where the rows read at the opening are
    QList<int> visible;              // indexes into rows, filtered and sorted
    int filterColumn = -1;
    QString filterValue;
    int sortColumn = -1;
    TurkishOrder order;

    const PackedRow& at(int visibleIndex) const { return rows[std::size_t(visible[visibleIndex])]; }
    // The visible row there, null where there is none.
    const PackedRow* find(int visibleIndex) const
    {
        return visibleIndex < 0 || visibleIndex >= visible.size() ? nullptr : &at(visibleIndex);
    }
    // Keeps a row as saved with these values: in place of the row at
    // rowIndex, or as a new one where it is -1.
    void put(int rowIndex, qint64 key, qint64 version, const QList<QVariant>& values);
    // Makes the visible rows again after the rows, the filter or the order changed.
    void rebuild();
    void clear();
    int indexOfKey(qint64 key) const;
    QList<qint64> keys() const;
    // The changes that took the visible rows from these keys to what they
    // are now, where the rows with the keys in changed (every row when it is
    // null) were read again.
    RowChanges changesSince(const QList<qint64>& before, const QSet<qint64>* changed) const
    {
        return rowChangesBetween(before, keys(), changed);
    }
    qsizetype memoryUsed() const;

private:
    const TableDef& m_table;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QMetaType>
#include <QSet>

// One change to the visible rows of a dataset, as a grid takes it: the rows
// replaced whole, or the rows first to last removed, inserted, or changed in
// place. The changes of one list apply one after another, each at the
// positions the rows have once the ones before it are applied.
struct RowChange
{
    enum class Kind { Reset, Removed, Inserted, Updated };
    Kind kind = Kind::Reset;
    int first = 0;
    int last = -1;

    bool operator==(const RowChange&) const = default;
};
using RowChanges = QList<RowChange>;

// The changes that take rows shown with the keys before to the keys after,
// where the rows with the keys in changed (every row, when it is null) were
// read again. A changed row that keeps its place among the others is
// changed in place; one that moved is removed and inserted.
RowChanges rowChangesBetween(const QList<qint64>& before, const QList<qint64>& after, const QSet<qint64>* changed);

Q_DECLARE_METATYPE(RowChange)

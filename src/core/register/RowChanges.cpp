// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/RowChanges.h"

#include <algorithm>

namespace {

// Adds the position to the last change when it is of the same kind and
// continues its run (upwards, or downwards for removals from the end), as a
// new change otherwise.
void addAt(RowChanges& changes, RowChange::Kind kind, int at)
{
    if (!changes.isEmpty()) {
        RowChange& last = changes.last();
        if (last.kind == kind && last.last + 1 == at) {
            last.last = at;
            return;
        }
        if (last.kind == kind && last.first - 1 == at) {
            last.first = at;
            return;
        }
    }
    changes.append({kind, at, at});
}

} // namespace

RowChanges rowChangesBetween(const QList<qint64>& before, const QList<qint64>& after, const QSet<qint64>* changed)
{
    const auto isChanged = [changed](qint64 key) { return !changed || changed->contains(key); };
    // What both begin and end with is where it was.
    const qsizetype common = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < common && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < common - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const qsizetype beforeEnd = before.size() - tail;
    const qsizetype afterEnd = after.size() - tail;

    // Between them: the rows both show that keep their order stay, the
    // others (rows read again that moved) are taken out and put back.
    const QSet<qint64> wasShown(before.begin() + head, before.begin() + beforeEnd);
    const QSet<qint64> isShown(after.begin() + head, after.begin() + afterEnd);
    QSet<qint64> moved;
    qsizetype i = head;
    qsizetype j = head;
    const auto skipBefore = [&] {
        while (i < beforeEnd && (!isShown.contains(before[i]) || moved.contains(before[i])))
            ++i;
    };
    const auto skipAfter = [&] {
        while (j < afterEnd && (!wasShown.contains(after[j]) || moved.contains(after[j])))
            ++j;
    };
    for (skipBefore(), skipAfter(); i < beforeEnd || j < afterEnd; skipBefore(), skipAfter()) {
        if (i < beforeEnd && j < afterEnd && before[i] == after[j]) {
            ++i;
            ++j;
        } else if (i < beforeEnd && (j == afterEnd || isChanged(before[i]) || !isChanged(after[j]))) {
            moved.insert(before[i++]);
        } else {
            moved.insert(after[j++]);
        }
    }

    RowChanges changes;
    for (qsizetype k = beforeEnd - 1; k >= head; --k) {
        if (!isShown.contains(before[k]) || moved.contains(before[k]))
            addAt(changes, RowChange::Kind::Removed, int(k));
    }
    for (qsizetype k = head; k < afterEnd; ++k) {
        if (!wasShown.contains(after[k]) || moved.contains(after[k]))
            addAt(changes, RowChange::Kind::Inserted, int(k));
    }
    for (qsizetype k = 0; k < after.size(); ++k) {
        const qint64 key = after[k];
        const bool inside = k >= head && k < afterEnd;
        if (isChanged(key) && (!inside || (wasShown.contains(key) && !moved.contains(key))))
            addAt(changes, RowChange::Kind::Updated, int(k));
    }
    return changes;
}

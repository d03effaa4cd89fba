// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Dataset.h"

#include <QSignalBlocker>
#include <algorithm>
#include <utility>

namespace {

const QString kNotEditing = QStringLiteral("Dataset not in edit or insert mode");
const QString kEmpty = QStringLiteral("Cannot perform this operation on an empty dataset");
const QString kClosed = QStringLiteral("Cannot perform this operation on a closed dataset");

} // namespace

Dataset::Dataset(Store& store, const TableDef& table, QObject* parent)
    : QObject(parent), TypedFields(table), m_store(store), m_follower(store, table), m_set(table)
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
    m_set.rows.clear();
    takeOpened(readRows(m_store, m_table));
}

void Dataset::open(Rows rows)
{
    if (isOpen())
        close();
    takeOpened(std::move(rows));
}

void Dataset::takeOpened(Rows rows)
{
    m_set.rows = std::move(rows.rows);
    m_set.arena = std::move(rows.arena);
    dropEdits();
    m_set.rebuild();
    m_cur = m_set.visible.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_set.visible.isEmpty();
    setState(State::Browse);
    showAllRows();
    Q_EMIT rowChanged();
    Q_EMIT opened();
    // Opening lands on a row only when there is one.
    if (!m_set.visible.isEmpty())
        Q_EMIT scrolled();
}

void Dataset::close()
{
    m_set.clear();
    dropEdits();
    m_cur = -1;
    m_bof = m_eof = true;
    setState(State::Inactive);
    showAllRows();
    Q_EMIT rowChanged();
}

void Dataset::showRows(const QList<qint64>& before, const QSet<qint64>* changed)
{
    Q_EMIT rowsChanged(m_set.changesSince(before, changed));
}

void Dataset::showAllRows()
{
    Q_EMIT rowsChanged({RowChange{}});
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
    m_cur = m_set.visible.isEmpty() ? -1 : std::clamp(visibleIndex, 0, int(m_set.visible.size()) - 1);
    Q_EMIT rowChanged();
    Q_EMIT scrolled();
    return true;
}

bool Dataset::moveToFound(int visibleIndex)
{
    m_bof = m_eof = false;
    return moveTo(visibleIndex);
}

bool Dataset::first()
{
    return toEnd(false);
}

bool Dataset::last()
{
    return toEnd(true);
}

bool Dataset::toEnd(bool last)
{
    if (!settle())
        return false;
    (last ? m_eof : m_bof) = true;
    (last ? m_bof : m_eof) = isEmpty();
    return moveTo(last ? recordCount() - 1 : 0);
}

bool Dataset::moveToRow(int visibleRow)
{
    if (!isOpen())
        throw RadaError(kClosed);
    if (visibleRow < 0 || visibleRow >= m_set.visible.size())
        return false;
    // Settling may store the pending row and reorder the rows: the row asked
    // for is found again by its key.
    const qint64 target = m_set.at(visibleRow).key;
    if (!settle())
        return false;
    const int at = m_set.indexOfKey(target);
    if (at < 0)
        return false;
    m_bof = m_eof = false;
    return moveTo(at);
}

bool Dataset::next()
{
    return step(1);
}

bool Dataset::prior()
{
    return step(-1);
}

bool Dataset::step(int by)
{
    if (!settle())
        return false;
    const int to = m_cur + by;
    if (to < 0 || to >= recordCount()) {
        // Past an end: that end is reached, both where there is no row.
        (by > 0 ? m_eof : m_bof) = true;
        (by > 0 ? m_bof : m_eof) = isEmpty();
        return true;
    }
    m_bof = m_eof = false;
    return moveTo(to);
}

bool Dataset::locate(const QString& column, const QString& prefix, Qt::CaseSensitivity cs)
{
    if (cs == Qt::CaseSensitive)
        return locate(column, prefix, Match::Exact);
    const int col = columnIndex(column);
    if (!settle())
        return false;
    const int at = m_set.order.findIgnoringCase(m_set.rows, m_set.visible, col, prefix);
    return at >= 0 && moveToFound(at);
}

bool Dataset::locate(const QString& column, const QString& prefix, Match match)
{
    const int col = columnIndex(column);
    if (!settle())
        return false;
    const int at = match == Match::Exact ? m_set.order.findExact(m_set.rows, m_set.visible, col, prefix)
                                         : m_set.order.findFolded(m_set.rows, m_set.visible, m_set.sortColumn < 0, col, prefix);
    return at >= 0 && moveToFound(at);
}

bool Dataset::setFilter(const QString& column, const QString& value)
{
    return filterBy(columnIndex(column), value);
}

bool Dataset::clearFilter()
{
    return filterBy(-1, QString());
}

bool Dataset::filterBy(int column, const QString& value)
{
    if (!settle())
        return false;
    m_set.filterColumn = column;
    m_set.filterValue = value;
    m_set.rebuild();
    showAllRows();
    return first();
}

bool Dataset::setSort(const QString& column)
{
    const int col = column.isEmpty() ? -1 : columnIndex(column);
    if (!settle())
        return false;
    const qint64 current = key();
    m_set.sortColumn = col;
    m_set.rebuild();
    showAllRows();
    const int at = m_set.indexOfKey(current);
    return moveTo(at < 0 ? 0 : at);
}

bool Dataset::edit()
{
    if (!isOpen())
        throw RadaError(kClosed);
    if (isEditing())
        return true;
    if (m_set.visible.isEmpty())
        return append();
    const PackedRow& row = m_set.at(m_cur);
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
    Q_EMIT scrolled();
    return true;
}

bool Dataset::post()
{
    if (!isEditing())
        return isOpen();
    if (beforePost && !beforePost())
        return false;
    const bool inserting = m_state == State::Insert;
    const int rowIndex = inserting ? -1 : m_set.visible[m_cur];
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
            const PackedRow& row = m_set.rows[std::size_t(rowIndex)];
            rowKey = row.key;
            version = m_store.updateAt(m_table.name, {rowKey, row.version}, m_buffer);
        }
    } catch (const StoreConflict& e) {
        try {
            settleConflict(e, rowIndex);
        } catch (const StoreError& again) {
            refusedWrite(again);
        }
        return false;
    } catch (const StoreError& e) {
        refusedWrite(e);
        return false;
    }
    const QList<qint64> before = m_set.keys();
    m_set.put(rowIndex, rowKey, version, m_buffer);
    dropEdits();
    m_set.rebuild();
    landOn(rowKey, m_cur);
    m_bof = m_eof = false;
    setState(State::Browse);
    const QSet<qint64> changed{rowKey};
    showRows(before, &changed);
    Q_EMIT rowChanged();
    Q_EMIT posted(rowKey);
    return true;
}

void Dataset::settleConflict(const StoreConflict& conflict, int rowIndex)
{
    StoreConflict::Kind kind = conflict.kind();
    QStringList both;
    if (m_state == State::Edit) {
        const QList<qint64> before = m_set.keys();
        const QSet<qint64> changed{m_set.rows[std::size_t(rowIndex)].key};
        const RowFollower::Settled settled = m_follower.settle(m_set.rows, rowIndex, m_buffer);
        m_set.rebuild();
        if (settled.deleted) {
            // The values typed here stay, as a row not stored yet.
            kind = StoreConflict::Kind::Deleted;
            m_modified = true;
            landOn(0, m_cur);
            setState(State::Insert);
        } else {
            // The row as the other desk left it, with this desk's changes over it.
            both = settled.bothChanged;
            kind = StoreConflict::Kind::Changed;
            m_modified = settled.changedHere;
        }
        showRows(before, &changed);
        Q_EMIT rowChanged();
    }
    if (!onConflict)
        throw conflict;
    onConflict(kind, both);
}

void Dataset::landOn(qint64 key, int fallback)
{
    const int at = key == 0 ? -1 : m_set.indexOfKey(key);
    if (at >= 0)
        m_cur = at;
    else
        m_cur = m_set.visible.isEmpty() ? -1 : std::clamp(fallback, 0, int(m_set.visible.size()) - 1);
    m_bof = m_eof = m_set.visible.isEmpty();
}

void Dataset::refreshRows(const QList<qint64>& keys)
{
    if (isOpen())
        takeRows(keys.isEmpty() ? RowFollower::Take::ReadAll : RowFollower::Take::Read, keys);
}

void Dataset::catchUp()
{
    if (isOpen() && m_store.isShared())
        takeRows(RowFollower::Take::Read, m_follower.stale(m_set.rows));
}

void Dataset::dropRows(const QList<qint64>& keys)
{
    if (isOpen())
        takeRows(RowFollower::Take::Drop, keys);
}

void Dataset::takeRows(RowFollower::Take how, const QList<qint64>& keys)
{
    if (how != RowFollower::Take::ReadAll && keys.isEmpty())
        return;
    // The row being edited keeps what it was read as; a new row being built
    // is left alone.
    const int edited = m_state == State::Edit ? m_set.visible[m_cur] : -1;
    const qint64 editedKey = edited >= 0 ? m_set.rows[std::size_t(edited)].key : 0;
    const qint64 current = m_state == State::Insert ? 0 : key();
    const int place = m_cur;
    const QList<qint64> before = m_set.keys();
    const RowFollower::Taken taken = m_follower.take(m_set.rows, how, keys, edited);
    if (!taken.any)
        return;
    m_set.rebuild();
    landOn(m_state == State::Edit ? editedKey : current, place);
    if (m_cur >= 0)
        m_bof = m_eof = false;
    showRows(before, taken.all ? nullptr : &taken.keys);
    // The current row is shown again only when it is another or changed:
    // other desks' work elsewhere in the table does not disturb the clerk.
    const bool currentTaken = taken.all || current == 0 || taken.keys.contains(current);
    if (isEditing() || (!currentTaken && key() == current))
        return;
    Q_EMIT rowChanged();
    Q_EMIT scrolled();
}

void Dataset::cancel()
{
    if (!isEditing())
        return;
    dropEdits();
    setState(State::Browse);
    Q_EMIT rowChanged();
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
    if (m_set.visible.isEmpty())
        throw RadaError(kEmpty);
    const qint64 asked = key();
    if (beforeDelete && !beforeDelete())
        return false;
    // Another desk's change may have come in while the question was shown.
    if (key() != asked || m_cur < 0)
        return false;
    const int rowIndex = m_set.visible[m_cur];
    const qint64 rowKey = m_set.rows[std::size_t(rowIndex)].key;
    const QList<qint64> before = m_set.keys();
    std::optional<StoreConflict::Kind> refused;
    try {
        refused = m_follower.remove(m_set.rows, rowIndex);
    } catch (const StoreError& e) {
        refusedWrite(e);
        return false;
    }
    if (refused == StoreConflict::Kind::Changed) {
        // Shown as it is now; deleting it again deletes that.
        dropEdits();
        setState(State::Browse);
        const QSet<qint64> changed{rowKey};
        showRows(before, &changed);
        Q_EMIT rowChanged();
        if (onConflict)
            onConflict(*refused, {});
        return false;
    }
    dropEdits();
    const int keep = m_cur;
    m_set.rebuild();
    m_cur = m_set.visible.isEmpty() ? -1 : std::min(keep, int(m_set.visible.size()) - 1);
    m_bof = m_cur <= 0;
    m_eof = m_set.visible.isEmpty();
    setState(State::Browse);
    showRows(before, nullptr);
    Q_EMIT rowChanged();
    Q_EMIT scrolled();
    if (refused && onConflict)
        onConflict(*refused, {});
    return true;
}

void Dataset::dropEdits()
{
    m_buffer.clear();
    m_modified = false;
}

void Dataset::refusedWrite(const StoreError& error)
{
    // Called while the error is handled: without a handler it goes on.
    if (!onPostError)
        throw;
    onPostError(error);
}

qint64 Dataset::key() const
{
    if (m_state == State::Insert || m_cur < 0 || m_cur >= m_set.visible.size())
        return 0;
    return m_set.at(m_cur).key;
}

void Dataset::setValue(const QString& column, const QVariant& value)
{
    const int i = columnIndex(column);
    if (!isEditing())
        throw RadaError(kNotEditing);
    if (m_table.columns[i].type == ColumnType::AutoId)
        throw RadaError(QStringLiteral("Field '%1' cannot be modified").arg(column));
    QVariant stored = value;
    if (stored.typeId() == QMetaType::QString && stored.toString().isEmpty())
        stored = QVariant();
    m_buffer[i] = stored;
    m_modified = true;
    Q_EMIT fieldChanged(column);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/DatasetRow.h"
#include "core/register/RowChanges.h"
#include "core/register/RowFollower.h"
#include "core/register/RowSet.h"
#include "core/register/Schema.h"
#include "core/register/Store.h"
#include "core/register/TypedFields.h"

#include <QObject>
#include <QSet>
#include <QVariant>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

// A record cursor over one table, in the manner of a classic desktop
// database: the whole table is loaded as a snapshot; one row is current; the
// current row is browsed, edited, or a new row is being inserted. Every move
// first settles a pending edit (posted when a field was changed, cancelled
// otherwise); a refused post stops the move.
//
// Whoever shows the table hears of what happens by the signals below. The
// rules of a table answer its questions (may a row be saved, begun,
// deleted) and handle what the dataset cannot by the handlers: each has
// one owner and gives one answer.
class Dataset : public QObject, public TypedFields
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    Dataset(Store& store, const TableDef& table, QObject* parent = nullptr);

    Store& store() const { return m_store; }

    // Questions, installed by the core (Tables). A false return refuses the
    // operation.
    std::function<bool()> beforePost;
    std::function<bool()> beforeInsert;
    std::function<bool()> beforeDelete;
    // Sets a new row's first values, which do not count as a change: a new
    // row left as it began is still dropped by the next move.
    std::function<void()> onNewRecord;
    // A write the store refused. Without a handler the error propagates.
    std::function<void(const StoreError&)> onPostError;
    // A save or delete refused because another desk changed or deleted the
    // row: the dataset has already taken the row as it is now (changed: this
    // desk's changes put back over it, unsaved; deleted: the values kept as
    // a new row). bothChanged names the columns both desks changed.
    std::function<void(StoreConflict::Kind kind, const QStringList& bothChanged)> onConflict;
    // Brings the clerk to the box of a column of the current row; set by the
    // window that edits the table.
    std::function<void(const QString& column)> showField;

    void open();
    using Rows = TableRows;
    // Opens on rows read beforehand with readRows, as open() would have read them.
    void open(Rows rows);
    // Reads and packs the rows on the calling thread from a store only that
    // thread uses, so that a large table is read beside other work. Throws
    // WorkAbandoned once stop is set.
    static Rows readRows(Store& store, const TableDef& table, const std::atomic<bool>* stop = nullptr)
    {
        return RowFollower::readAll(store, table, stop);
    }
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }
    bool isModified() const { return m_modified; }

    // Rows visible under the filter; a row being inserted is not counted.
    int recordCount() const { return int(m_set.visible.size()); }
    bool isEmpty() const { return m_set.visible.isEmpty(); }
    // Position of the current row among the visible rows, -1 when empty.
    int recNo() const { return m_cur; }
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }

    bool first();
    // Moves to a visible row, as a click in a grid does. False when the row
    // does not exist or a pending post was refused.
    bool moveToRow(int visibleRow);
    bool prior();
    bool next();
    bool last();
    // How locate compares a value with the text sought: character for
    // character, or ignoring letter case the Turkish way (TurkishText::fold:
    // "i" finds "İ", "ı" finds "I", but "i" never finds "I").
    enum class Match { Exact, IgnoreTurkishCase };
    // Moves to the first row, in the current order, whose column begins with
    // the text. False (and no move) when none does or a pending post was refused.
    // An empty value begins only with a null text; a null text is found at
    // the first row, an empty text at the first row whose value is not empty.
    bool locate(const QString& column, const QString& prefix, Qt::CaseSensitivity cs = Qt::CaseSensitive);
    bool locate(const QString& column, const QString& prefix, Match match);
    // Shows only the rows whose column equals the value exactly.
    bool setFilter(const QString& column, const QString& value);
    bool clearFilter();
    bool isFiltered() const { return m_set.filterColumn >= 0; }
    // Orders the rows ascending by one column (stable); an empty name restores
    // the stored order. The current row stays current. Numbers and yes/no in
    // numeric order; texts and dates in the order of the Turkish alphabet,
    // ignoring case (TurkishText::compare). Empty values come first.
    bool setSort(const QString& column);

    // What every move does first: a pending edit is posted when a field was
    // changed, cancelled otherwise. False when the post was refused.
    bool settle();
    // Begins editing the current row; on an empty dataset begins a new row.
    bool edit();
    // Settles, asks beforeInsert, then begins a new blank row.
    bool append();
    bool post();
    void cancel();
    // Deletes the current row (a row being inserted is just dropped).
    // Throws on an empty dataset.
    bool remove();

    // Reads again the rows with these keys, or the whole table when none
    // are given, after another desk changed them: changed rows are taken,
    // new ones added, deleted ones dropped. The row being edited keeps the
    // version it was read at (its save meets the other desk's change) and
    // a new row being built is left alone. The current row stays current
    // where it still exists.
    void refreshRows(const QList<qint64>& keys);
    // Where other desks write too: reads again only the rows whose version
    // the store no longer has, and drops those it no longer holds.
    void catchUp();
    // Lets go of rows known to be deleted, without asking the store.
    void dropRows(const QList<qint64>& keys);

    qint64 key() const;                          // store key of the current row, 0 when none
    void setValue(const QString& column, const QVariant& value) override;

    // Key and version of a visible row, without moving to it (0 where the
    // store keeps no versions).
    qint64 rowKey(int visibleRow) const { return m_set.find(visibleRow) ? m_set.at(visibleRow).key : 0; }
    qint64 rowVersion(int visibleRow) const { return m_set.find(visibleRow) ? m_set.at(visibleRow).version : 0; }

    // Bytes the dataset holds for its rows: the packed values, the row and
    // order lists and the copy a search folds; for measurements.
    qsizetype memoryUsed() const { return m_set.memoryUsed(); }

Q_SIGNALS:
    // The rows were opened, and the first row (where there is one) shown.
    void opened();
    // The current row (or the whole table) is another one now.
    void rowChanged();
    // A row is shown anew: the cursor moved, a new row was begun, or the
    // current row was read again after another desk changed it. Follows
    // rowChanged; not for a save or a cancel that stays on the row.
    void scrolled();
    void stateChanged();
    void fieldChanged(const QString& column);
    // The visible rows changed: loaded, added, removed, reordered or read
    // again; how, for whoever shows them row by row.
    void rowsChanged(const RowChanges& changes);
    // A row was stored (inserted or changed); its key.
    void posted(qint64 key);
    // A pending edit or a new row was dropped.
    void cancelled();

private:
    const QList<QVariant>* editedValues() const override { return isEditing() ? &m_buffer : nullptr; }
    const PackedRow* visibleRow(int visibleRow) const override { return m_set.find(visibleRow); }
    const PackedRow* currentRow() const override { return visibleRow(m_cur); }

    bool moveTo(int visibleIndex);
    bool toEnd(bool last);
    bool step(int by);
    bool filterBy(int column, const QString& value);
    void dropEdits();
    // A write the store refused, while its error is handled: to onPostError,
    // or on to the caller.
    void refusedWrite(const StoreError& error);
    bool moveToFound(int visibleIndex);
    // Tells of the rows shown with these keys before; those with the keys in
    // changed (every row when it is null) were read again.
    void showRows(const QList<qint64>& before, const QSet<qint64>* changed);
    void showAllRows();
    void setState(State s);
    void takeOpened(Rows rows);
    // Makes the row with this key current again, or the nearest row.
    void landOn(qint64 key, int fallback);
    // Takes in rows other desks changed, then finds the current row again
    // and shows it again when it is another row or was among those taken.
    void takeRows(RowFollower::Take how, const QList<qint64>& keys);
    // After a refused save: takes the row as it is now with this desk's
    // changes over it (or, deleted there, this desk's values as a new row)
    // and tells onConflict which columns both desks changed.
    void settleConflict(const StoreConflict& conflict, int rowIndex);

    Store& m_store;
    RowFollower m_follower;
    RowSet m_set;
    State m_state = State::Inactive;
    int m_cur = -1;           // index into the visible rows
    bool m_bof = true;
    bool m_eof = true;
    QList<QVariant> m_buffer; // values being edited or inserted
    bool m_modified = false;
};

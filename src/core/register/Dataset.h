// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/DatasetRow.h"
#include "core/register/Schema.h"
#include "core/register/Store.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QVariant>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A record cursor over one table, in the manner of a classic desktop
// database: the whole table is loaded as a snapshot; one row is current; the
// current row is browsed, edited, or a new row is being inserted. Every move
// first settles a pending edit (posted when a field was changed, cancelled
// otherwise); a refused post stops the move.
class Dataset : public QObject
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    Dataset(Store& store, const TableDef& table, QObject* parent = nullptr);

    const TableDef& table() const { return m_table; }
    Store& store() const { return m_store; }

    // Hooks. The rules of a table are installed by the core (Tables); the
    // after-hooks are for whoever shows the table. A false return refuses
    // the operation.
    std::function<bool()> beforePost;
    std::function<bool()> beforeInsert;
    std::function<bool()> beforeDelete;
    std::function<void()> afterOpen;
    std::function<void()> afterScroll;
    std::function<void()> afterCancel;
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
    // Every row of a table as open() takes it, packed together in an arena.
    struct Rows
    {
        std::vector<PackedRow> rows;
        std::unique_ptr<RowArena> arena;
    };
    // Opens on rows read beforehand with readRows, as open() would have read them.
    void open(Rows rows);
    // Reads and packs the rows on the calling thread from a store only that
    // thread uses, so that a large table is read beside other work. Throws
    // WorkAbandoned once stop is set.
    static Rows readRows(Store& store, const TableDef& table, const std::atomic<bool>* stop = nullptr);
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }
    bool isModified() const { return m_modified; }

    // Rows visible under the filter; a row being inserted is not counted.
    int recordCount() const { return int(m_visible.size()); }
    bool isEmpty() const { return m_visible.isEmpty(); }
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
    bool isFiltered() const { return m_filterColumn >= 0; }
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

    // Fields of the current row (or of the row being edited).
    QVariant value(const QString& column) const;
    bool isNull(const QString& column) const;   // null or empty text
    QString text(const QString& column) const;
    std::optional<QDate> date(const QString& column) const;
    std::optional<QDateTime> dateTime(const QString& column) const;
    bool boolean(const QString& column) const;
    qint64 integer(const QString& column) const;
    qint64 key() const;                          // store key of the current row, 0 when none

    void setValue(const QString& column, const QVariant& value);
    void setText(const QString& column, const QString& text);
    void setDate(const QString& column, const QDate& date);
    void setDateTime(const QString& column, const QDateTime& dateTime);
    void setBoolean(const QString& column, bool value);
    void setInteger(const QString& column, qint64 value);
    void clearField(const QString& column);

    // Value, key and yes/no of a visible row, without moving to it.
    QVariant rowValue(int visibleRow, int column) const;
    qint64 rowKey(int visibleRow) const;
    // The version a visible row was read at (0 where the store keeps none).
    qint64 rowVersion(int visibleRow) const;
    bool rowBoolean(int visibleRow, int column) const;

    // Text of a visible row, for grids.
    QString rowText(int visibleRow, const QString& column) const;
    QString rowText(int visibleRow, int column) const;
    // The UTF-8 bytes a visible row holds for a text value, without decoding
    // them, valid until the rows change; none where the value is held as
    // anything else. Lets a reader of many rows decode each repeated value once.
    std::optional<QByteArrayView> rowUtf8(int visibleRow, int column) const;

    // Bytes the dataset holds for its rows: the packed values, the row and
    // order lists and the copy a search folds; for measurements.
    qsizetype memoryUsed() const;

Q_SIGNALS:
    // The current row (or the whole table) is another one now.
    void rowChanged();
    void stateChanged();
    void fieldChanged(const QString& column);
    // Rows were loaded, added, removed, reordered or changed.
    void rowsChanged();
    // A row was stored (inserted or changed); its key.
    void posted(qint64 key);
    // A pending edit or a new row was dropped.
    void cancelled();

private:
    bool moveTo(int visibleIndex);
    bool moveToFound(int visibleIndex);
    void rebuildVisible();
    void sortVisible();
    int visibleIndexOfKey(qint64 key) const;
    QVariant currentValue(int column) const;
    QString storedText(const PackedRow& row, int column) const;
    int findExact(int column, const QString& prefix) const;
    int findFolded(int column, const QString& prefix);
    void foldColumn(int column);
    int columnIndex(const QString& column) const;
    void requireEditing() const;
    void setState(State s);
    void takeOpened(Rows rows);
    PackedRow pack(qint64 key, const QList<QVariant>& values);
    // A row as the store hands it out, with its version.
    PackedRow packRead(RowPacker& packer, qint64 key, std::span<const StoreValue> values) const;
    // Makes the row with this key current again, or the nearest row.
    void landOn(qint64 key, int fallback);
    // The key of the stored row being edited, 0 when none is.
    qint64 editedKey() const;
    // Takes these rows as the store has them now (read) or as deleted.
    void takeRows(const QList<qint64>& keys, bool read);
    // After rows were taken: the current row found again, and shown again
    // when it is another row or was among those taken.
    void rowsTaken(qint64 edited, qint64 current, int place, bool currentTaken);
    // After a refused save: takes the row as it is now with this desk's
    // changes over it (or, deleted there, this desk's values as a new row)
    // and tells onConflict which columns both desks changed.
    void settleConflict(const StoreConflict& conflict, int rowIndex);
    static QString textOf(const QVariant& v, ColumnType type);

    Store& m_store;
    const TableDef& m_table;
    State m_state = State::Inactive;
    std::vector<PackedRow> m_rows; // stored order
    std::unique_ptr<RowArena> m_arena; // where the rows read at the opening are
    QList<int> m_visible;     // indexes into m_rows, filtered and sorted
    int m_cur = -1;           // index into m_visible
    bool m_bof = true;
    bool m_eof = true;
    QList<QVariant> m_buffer; // values being edited or inserted
    bool m_modified = false;
    int m_filterColumn = -1;
    QString m_filterValue;
    int m_sortColumn = -1;
    // One column of the visible rows in Turkish upper case (UTF-8), in the
    // current order, built by the first case-ignoring search on it and
    // dropped whenever the rows or their order change.
    int m_foldedColumn = -1;
    QByteArray m_folded;
    std::vector<quint32> m_foldedEnds; // where each visible row's text ends
};

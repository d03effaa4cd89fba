// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/DatasetRow.h"
#include "core/register/Schema.h"
#include "core/register/Store.h"

#include <QList>
#include <QSet>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// Every row of a table as a dataset opens on it, packed together in an arena.
struct TableRows
{
    std::vector<PackedRow> rows;
    std::unique_ptr<RowArena> arena;
};

// Reads a table's rows from its store, with the version each was read at:
// all of them for an opening, and again those other desks changed since, so
// that the rows a desk holds follow what the others do; and settles a save
// that met another desk's change.
class RowFollower
{
public:
    RowFollower(Store& store, const TableDef& table) : m_store(store), m_table(table) {}

    // Reads and packs the rows on the calling thread from a store only that
    // thread uses. Throws WorkAbandoned once stop is set.
    static TableRows readAll(Store& store, const TableDef& table, const std::atomic<bool>* stop = nullptr);

    // Takes in the rows with these keys as the store has them now: a
    // changed row takes its place, a new one is added at the end (in the
    // order of the keys), one the store no longer holds is dropped. Without
    // keys, every row is read again. The row at edited (-1 for none) is left
    // as it was read, for its save to meet the other desk's change.
    enum class Take { Read, ReadAll, Drop };
    struct Taken
    {
        bool any = false;      // whether any row was taken
        bool all = false;      // every row was read again
        QSet<qint64> keys;     // else the keys of the rows taken
    };
    Taken take(std::vector<PackedRow>& rows, Take how, const QList<qint64>& keys, int edited) const;
    // The keys of the rows whose version the store no longer has, and of
    // the rows held here or there that the other does not hold.
    QList<qint64> stale(const std::vector<PackedRow>& rows) const;
    // The row with this key as the store has it now; none when it is deleted.
    std::optional<PackedRow> readRow(qint64 key) const;

    // Deletes the row at rowIndex where no other desk changed it since it was
    // read, and drops it. Else gives Changed, the row taken as it is now, or
    // Deleted, the row dropped.
    std::optional<StoreConflict::Kind> remove(std::vector<PackedRow>& rows, int rowIndex) const;

    // A save of the row at rowIndex, being edited from these values, was
    // refused because another desk changed or deleted it. Changed: the row
    // is taken as it is now and the values not changed here are taken from
    // it. Deleted: the row is dropped and the values stay, without a key.
    struct Settled
    {
        bool deleted = false;
        QStringList bothChanged; // the columns both desks changed, to different values
        bool changedHere = false;
    };
    Settled settle(std::vector<PackedRow>& rows, int rowIndex, QList<QVariant>& edited) const;

private:
    PackedRow packRead(RowPacker& packer, qint64 key, std::span<const StoreValue> values) const;
    void takeKeys(std::vector<PackedRow>& rows, const QList<qint64>& keys, bool read) const;
    void takeAll(std::vector<PackedRow>& rows, int keep) const;

    Store& m_store;
    const TableDef& m_table;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/RowFollower.h"

#include "core/register/TypedFields.h"
#include "platform/core/Dialogs.h"

#include <QSet>
#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <utility>

TableRows RowFollower::readAll(Store& store, const TableDef& table, const std::atomic<bool>* stop)
{
    TableRows read{{}, std::make_unique<RowArena>()};
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

PackedRow RowFollower::packRead(RowPacker& packer, qint64 key, std::span<const StoreValue> values) const
{
    for (const StoreValue& v : values)
        packer.add(v);
    PackedRow row = packer.take(key);
    row.version = m_store.readVersion(m_table.name, key);
    return row;
}

void RowFollower::takeKeys(std::vector<PackedRow>& rows, const QList<qint64>& keys, bool read) const
{
    std::unordered_map<qint64, PackedRow> now;
    if (read) {
        RowPacker packer(int(m_table.columns.size()));
        m_store.scanKeys(m_table.name, keys, [&](qint64 k, std::span<const StoreValue> values) {
            now.insert_or_assign(k, packRead(packer, k, values));
        });
    }
    QSet<qint64> gone(keys.begin(), keys.end());
    for (PackedRow& row : rows) {
        auto found = now.find(row.key);
        if (found != now.end()) {
            row = std::move(found->second);
            now.erase(found);
            gone.remove(row.key);
        }
    }
    if (!gone.isEmpty())
        std::erase_if(rows, [&](const PackedRow& row) { return gone.contains(row.key); });
    std::vector<qint64> added;
    for (const auto& [k, row] : now)
        added.push_back(k);
    std::sort(added.begin(), added.end());
    for (qint64 k : added)
        rows.push_back(std::move(now.at(k)));
}

void RowFollower::takeAll(std::vector<PackedRow>& rows, int keep) const
{
    RowPacker packer(int(m_table.columns.size()));
    std::vector<PackedRow> read;
    std::optional<PackedRow> kept;
    if (keep >= 0)
        kept = std::move(rows[std::size_t(keep)]);
    const qint64 keptKey = kept ? kept->key : 0;
    m_store.scan(m_table.name, [&](qint64 k, std::span<const StoreValue> values) {
        if (kept && k == keptKey) {
            read.push_back(std::move(*kept));
            kept.reset();
        } else {
            read.push_back(packRead(packer, k, values));
        }
    });
    if (kept)
        read.push_back(std::move(*kept)); // deleted there: its save will say so
    rows = std::move(read);
}

QList<qint64> RowFollower::stale(const std::vector<PackedRow>& rows) const
{
    std::unordered_map<qint64, qint64> held;
    held.reserve(rows.size());
    for (const PackedRow& row : rows)
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
    return stale;
}

std::optional<PackedRow> RowFollower::readRow(qint64 key) const
{
    std::optional<PackedRow> now;
    RowPacker packer(int(m_table.columns.size()));
    m_store.scanKeys(m_table.name, {key}, [&](qint64 k, std::span<const StoreValue> values) {
        now = packRead(packer, k, values);
    });
    return now;
}

RowFollower::Taken RowFollower::take(std::vector<PackedRow>& rows, Take how, const QList<qint64>& keys,
                                     int edited) const
{
    Taken taken;
    if (how == Take::ReadAll) {
        takeAll(rows, edited);
        taken.any = taken.all = true;
        return taken;
    }
    const qint64 editedKey = edited >= 0 ? rows[std::size_t(edited)].key : 0;
    QList<qint64> wanted;
    wanted.reserve(keys.size());
    for (qint64 k : keys) {
        if (k != editedKey)
            wanted << k;
    }
    if (wanted.isEmpty())
        return taken;
    takeKeys(rows, wanted, how == Take::Read);
    taken.any = true;
    taken.keys = QSet<qint64>(wanted.begin(), wanted.end());
    return taken;
}

std::optional<StoreConflict::Kind> RowFollower::remove(std::vector<PackedRow>& rows, int rowIndex) const
{
    PackedRow& row = rows[std::size_t(rowIndex)];
    std::optional<StoreConflict::Kind> refused;
    if (m_store.removeUnchanged(m_table.name, {{row.key, row.version}}).isEmpty()) {
        // Changed or deleted at another desk since it was read.
        refused = StoreConflict::Kind::Deleted;
        if (std::optional<PackedRow> now = readRow(row.key)) {
            row = std::move(*now);
            return StoreConflict::Kind::Changed;
        }
    }
    rows.erase(rows.begin() + rowIndex);
    return refused;
}

RowFollower::Settled RowFollower::settle(std::vector<PackedRow>& rows, int rowIndex, QList<QVariant>& edited) const
{
    Settled settled;
    const PackedRow& was = rows[std::size_t(rowIndex)];
    std::optional<PackedRow> now = readRow(was.key);
    if (!now) {
        settled.deleted = true;
        rows.erase(rows.begin() + rowIndex);
        const QString autoId = m_table.autoIdColumn();
        if (!autoId.isEmpty())
            edited[m_table.indexOf(autoId)] = QVariant();
        return settled;
    }
    for (int i = 0; i < m_table.columns.size(); ++i) {
        const ColumnType type = m_table.columns[i].type;
        const QString before = TypedFields::storedText(was, i, type);
        const QString mine = TypedFields::textOf(edited[i], type);
        if (mine == before) {
            edited[i] = now->value(i);
            continue;
        }
        settled.changedHere = true;
        const QString theirs = TypedFields::storedText(*now, i, type);
        if (theirs != before && theirs != mine)
            settled.bothChanged << m_table.columns[i].name;
    }
    rows[std::size_t(rowIndex)] = std::move(*now);
    return settled;
}

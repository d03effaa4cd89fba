// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/DatasetModel.h"

#include "core/register/Dataset.h"

DatasetModel::DatasetModel(Dataset* dataset, QStringList columns, QStringList captions, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_columns(std::move(columns)), m_captions(std::move(captions))
{
    for (const QString& c : m_columns) {
        const int i = dataset->table().indexOf(c);
        if (i < 0)
            throw RadaError(QStringLiteral("%1: Field '%2' not found").arg(dataset->table().name, c));
        m_indexes << i;
    }
    m_count = dataset->recordCount();
    connect(dataset, &Dataset::rowsChanged, this, &DatasetModel::follow);
    connect(dataset, &Dataset::rowChanged, this, &DatasetModel::markCurrentRow);
}

void DatasetModel::follow(const RowChanges& changes)
{
    // Many scattered changes at once (a purge, a catch-up after a long
    // break): the views start over once rather than follow each of them.
    constexpr qsizetype kMostFollowed = 64;
    if (changes.size() > kMostFollowed) {
        beginResetModel();
        m_count = m_dataset->recordCount();
        endResetModel();
        markCurrentRow();
        return;
    }
    for (const RowChange& c : changes) {
        const int rows = c.last - c.first + 1;
        switch (c.kind) {
        case RowChange::Kind::Reset:
            beginResetModel();
            m_count = m_dataset->recordCount();
            endResetModel();
            break;
        case RowChange::Kind::Removed:
            beginRemoveRows({}, c.first, c.last);
            m_count -= rows;
            endRemoveRows();
            break;
        case RowChange::Kind::Inserted:
            beginInsertRows({}, c.first, c.last);
            m_count += rows;
            endInsertRows();
            break;
        case RowChange::Kind::Updated:
            if (columnCount() > 0)
                Q_EMIT dataChanged(index(c.first, 0), index(c.last, columnCount() - 1));
            break;
        }
    }
    markCurrentRow();
}

void DatasetModel::markCurrentRow()
{
    if (!m_indicator)
        return;
    const int before = m_marked;
    m_marked = m_dataset->recNo();
    if (before >= 0 && before < rowCount())
        Q_EMIT headerDataChanged(Qt::Vertical, before, before);
    if (m_marked >= 0 && m_marked < rowCount())
        Q_EMIT headerDataChanged(Qt::Vertical, m_marked, m_marked);
}

void DatasetModel::setRowIndicator(bool on)
{
    m_indicator = on;
    m_marked = m_dataset->recNo();
    if (rowCount() > 0)
        Q_EMIT headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

int DatasetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int DatasetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return m_dataset->rowText(index.row(), m_indexes.value(index.column(), -1));
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_captions.value(section, m_columns.value(section));
    if (m_indicator)
        return section == m_dataset->recNo() ? QStringLiteral("►") : QString();
    return section + 1;
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

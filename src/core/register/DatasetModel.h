// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/RowChanges.h"

#include <QAbstractTableModel>
#include <QStringList>

class Dataset;

// Read-only grid model over the visible rows of a dataset. Columns are given
// by name, with their header captions. A row changed, added or removed is
// told as that row alone, so that a grid keeps its place and selection; the
// whole model is reset only when the dataset opens, closes, is filtered or
// sorted.
class DatasetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    DatasetModel(Dataset* dataset, QStringList columns, QStringList captions, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const QStringList& columns() const { return m_columns; }
    // The vertical header marks the dataset's current row with "►" (a row
    // indicator) instead of numbering the rows.
    void setRowIndicator(bool on);

private:
    void follow(const RowChanges& changes);
    // Repaints the row indicator where the current row was and where it is.
    void markCurrentRow();

    Dataset* m_dataset;
    QStringList m_columns;
    QList<int> m_indexes;
    QStringList m_captions;
    bool m_indicator = false;
    int m_marked = -1;
    // The rows the views know of: the dataset's count once its changes have
    // been told.
    int m_count = 0;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTableView>

class Dataset;
class DatasetModel;

// A read-only list of a dataset's rows, one row selected as a whole: the
// dataset's current row. Moving in the list moves the dataset, which first
// settles a pending edit; when that is refused the list stays where it was.
class DBGrid : public QTableView
{
    Q_OBJECT
public:
    DBGrid(Dataset* dataset, const QStringList& columns, const QStringList& captions, QWidget* parent = nullptr);

    Dataset* dataset() const;
    DatasetModel* datasetModel() const { return m_model; }
    // A marker for the current row in a narrow column at the left.
    void setRowIndicator(bool on);
    // Selects the dataset's current row.
    void followDataset();

Q_SIGNALS:
    void titleClicked(const QString& column);
    void rowDoubleClicked();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    Dataset* m_dataset;
    DatasetModel* m_model;
    bool m_following = false;
};

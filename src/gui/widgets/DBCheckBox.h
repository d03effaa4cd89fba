// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCheckBox>

class Dataset;

// A yes/no box bound to a column, like the other data-aware controls.
class DBCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    DBCheckBox(Dataset* dataset, const QString& column, const QString& caption, QWidget* parent = nullptr);
    const QString& column() const { return m_column; }
    void refresh();

private:
    Dataset* m_dataset;
    QString m_column;
    bool m_writing = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/DBCheckBox.h"

#include "core/register/Dataset.h"

#include <QScopedValueRollback>

DBCheckBox::DBCheckBox(Dataset* dataset, const QString& column, const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent), m_dataset(dataset), m_column(column)
{
    connect(this, &QCheckBox::clicked, this, [this](bool checked) {
        Dataset* ds = m_dataset;
        if (!ds->isOpen())
            return;
        QScopedValueRollback<bool> writing(m_writing, true);
        if (ds->edit())
            ds->setBoolean(m_column, checked);
    });
    connect(dataset, &Dataset::rowChanged, this, &DBCheckBox::refresh);
    connect(dataset, &Dataset::fieldChanged, this, [this](const QString& c) {
        if (c == m_column)
            refresh();
    });
}

void DBCheckBox::refresh()
{
    if (m_writing)
        return;
    Dataset* ds = m_dataset;
    if (ds->isOpen())
        setChecked(ds->boolean(m_column));
}

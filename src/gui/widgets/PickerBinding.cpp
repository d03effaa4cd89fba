// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/PickerBinding.h"

#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "platform/core/RadaError.h"

#include <QDateTimeEdit>
#include <QScopedValueRollback>

PickerBinding::PickerBinding(QDateTimeEdit* picker, Kind kind, Dataset* dataset, const QString& column)
    : QObject(picker), m_picker(picker), m_kind(kind), m_dataset(dataset), m_column(column)
{
    connect(picker, &QDateTimeEdit::dateTimeChanged, this, &PickerBinding::pickerChanged);
    connect(dataset, &Dataset::rowChanged, this, &PickerBinding::refresh);
    connect(dataset, &Dataset::fieldChanged, this, [this](const QString& c) {
        if (c == m_column)
            refresh();
    });
    refresh();
}

PickerBinding* PickerBinding::of(const QDateTimeEdit* picker)
{
    return picker->findChild<PickerBinding*>(QString(), Qt::FindDirectChildrenOnly);
}

QDateTime PickerBinding::stored() const
{
    const QDateTime zero(Formats::dayZero(), QTime(0, 0));
    if (!m_dataset->isOpen())
        return zero;
    try {
        if (m_kind == Kind::Date) {
            const auto d = m_dataset->date(m_column);
            return QDateTime(d ? *d : Formats::dayZero(), QTime(0, 0));
        }
        const auto t = Formats::parseTime(m_dataset->text(m_column));
        return QDateTime(Formats::dayZero(), t ? *t : QTime(0, 0));
    } catch (const RadaError&) {
        // The window that shows the row tells the clerk what it could not read.
        return zero;
    }
}

void PickerBinding::display(const QDateTime& value)
{
    const QScopedValueRollback<bool> writing(m_writing, true);
    if (m_kind == Kind::Date)
        m_picker->setDate(value.date());
    else
        m_picker->setTime(value.time());
}

void PickerBinding::refresh()
{
    if (!m_writing)
        display(stored());
}

void PickerBinding::pickerChanged()
{
    if (m_writing || !m_dataset->isOpen())
        return;
    const QDate date = m_picker->date();
    const QTime time = m_picker->time();
    {
        // A new row begun by edit() refreshes every picker; this one keeps
        // what the clerk set.
        const QScopedValueRollback<bool> writing(m_writing, true);
        if (m_dataset->edit()) {
            if (m_kind == Kind::Date)
                m_dataset->setDate(m_column, date);
            else
                m_dataset->setText(m_column, Formats::timeText(time));
        }
    }
    if (!m_dataset->isEditing())
        refresh();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class Dataset;
class QDateTime;
class QDateTimeEdit;

// Binds a date or a time picker to a column, as the data-aware boxes are
// bound: the picker shows the current row's value (day zero or midnight when
// there is none, or when it cannot be read), and a change the clerk makes
// begins editing and is written into the record at once. A date is stored
// as "yyyy-mm-dd", a time as "HH:mm:ss".
class PickerBinding : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Date, Time };
    PickerBinding(QDateTimeEdit* picker, Kind kind, Dataset* dataset, const QString& column);

    // The binding of a picker, if it has one.
    static PickerBinding* of(const QDateTimeEdit* picker);

    const QString& column() const { return m_column; }

    // Shows a value without writing it into the record.
    void display(const QDateTime& value);
    // Shows the current row's value.
    void refresh();

private:
    void pickerChanged();
    QDateTime stored() const;

    QDateTimeEdit* m_picker;
    Kind m_kind;
    Dataset* m_dataset;
    QString m_column;
    bool m_writing = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/DatasetRow.h"
#include "core/register/Schema.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

// Typed reads and writes of a table's fields by column name: texts, dates,
// yes/no and numbers, over the values of the current row, of the row being
// edited, or of a visible row. Which rows those are is for the cursor built
// on it (Dataset) to say.
class TypedFields
{
public:
    TypedFields(const TypedFields&) = delete;
    TypedFields& operator=(const TypedFields&) = delete;

    const TableDef& table() const { return m_table; }

    // Fields of the current row (or of the row being edited).
    QVariant value(const QString& column) const;
    bool isNull(const QString& column) const;   // null or empty text
    QString text(const QString& column) const;
    std::optional<QDate> date(const QString& column) const;
    std::optional<QDateTime> dateTime(const QString& column) const;
    bool boolean(const QString& column) const;
    qint64 integer(const QString& column) const;

    // Writes a field of the row being edited; an empty text is stored as none.
    virtual void setValue(const QString& column, const QVariant& value) = 0;
    void setText(const QString& column, const QString& text);
    void setDate(const QString& column, const QDate& date);
    void setDateTime(const QString& column, const QDateTime& dateTime);
    void setBoolean(const QString& column, bool value);
    void setInteger(const QString& column, qint64 value);
    void clearField(const QString& column);

    // Value and yes/no of a visible row, without moving to it.
    QVariant rowValue(int visibleRow, int column) const;
    bool rowBoolean(int visibleRow, int column) const;

    // Text of a visible row, for grids.
    QString rowText(int visibleRow, const QString& column) const;
    QString rowText(int visibleRow, int column) const;
    // The UTF-8 bytes a visible row holds for a text value, without decoding
    // them, valid until the rows change; none where the value is held as
    // anything else. Lets a reader of many rows decode each repeated value once.
    std::optional<QByteArrayView> rowUtf8(int visibleRow, int column) const;

    // The text of a stored value ("True" or "False" for yes/no), and of a
    // value being edited.
    static QString storedText(const PackedRow& row, int column, ColumnType type);
    static QString textOf(const QVariant& v, ColumnType type);
    // The UTF-8 of a text when it reads back as the same text (no lone surrogates).
    static std::optional<QByteArray> exactUtf8(const QString& text);

protected:
    explicit TypedFields(const TableDef& table) : m_table(table) {}
    virtual ~TypedFields() = default;

    int columnIndex(const QString& column) const;
    QString storedText(const PackedRow& row, int column) const
    {
        return storedText(row, column, m_table.columns[column].type);
    }
    // The values being edited or inserted, null when no row is.
    virtual const QList<QVariant>* editedValues() const = 0;
    // The row shown at a visible position, null where there is none.
    virtual const PackedRow* visibleRow(int visibleRow) const = 0;
    // The current stored row, null where there is none.
    virtual const PackedRow* currentRow() const = 0;

    const TableDef& m_table;

private:
    QVariant currentValue(int column) const;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/TypedFields.h"

#include "core/register/Formats.h"

int TypedFields::columnIndex(const QString& column) const
{
    const int i = m_table.indexOf(column);
    if (i < 0)
        throw RadaError(QStringLiteral("%1: Field '%2' not found").arg(m_table.name, column));
    return i;
}

QString TypedFields::storedText(const PackedRow& row, int column, ColumnType type)
{
    const PackedRow::Field f = row.field(column);
    if (f.isNull())
        return {};
    if (type == ColumnType::Bool) {
        const qint64 n = f.kind == PackedRow::Kind::Integer ? PackedRow::integerOf(f) : PackedRow::valueOf(f).toLongLong();
        return n ? QStringLiteral("True") : QStringLiteral("False");
    }
    switch (f.kind) {
    case PackedRow::Kind::Text: return PackedRow::textOf(f);
    case PackedRow::Kind::Integer: return QString::fromLatin1(f.data, f.size);
    default: return PackedRow::valueOf(f).toString();
    }
}

QString TypedFields::textOf(const QVariant& v, ColumnType type)
{
    if (v.isNull())
        return {};
    if (type == ColumnType::Bool)
        return v.toLongLong() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

std::optional<QByteArray> TypedFields::exactUtf8(const QString& text)
{
    QByteArray utf8 = text.toUtf8();
    if (QString::fromUtf8(utf8) != text)
        return std::nullopt;
    return utf8;
}

QVariant TypedFields::currentValue(int column) const
{
    if (const QList<QVariant>* edited = editedValues())
        return edited->value(column);
    const PackedRow* row = currentRow();
    return row ? row->value(column) : QVariant();
}

QVariant TypedFields::value(const QString& column) const
{
    return currentValue(columnIndex(column));
}

bool TypedFields::isNull(const QString& column) const
{
    const QVariant v = value(column);
    return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

QString TypedFields::text(const QString& column) const
{
    const int i = columnIndex(column);
    if (const QList<QVariant>* edited = editedValues())
        return textOf(edited->value(i), m_table.columns[i].type);
    const PackedRow* row = currentRow();
    return row ? storedText(*row, i) : QString();
}

std::optional<QDate> TypedFields::date(const QString& column) const
{
    const QString t = text(column);
    if (t.isEmpty())
        return std::nullopt;
    if (auto d = Formats::parseDate(t.left(10)))
        return d;
    throw RadaError(QStringLiteral("'%1' is not a valid date").arg(t));
}

std::optional<QDateTime> TypedFields::dateTime(const QString& column) const
{
    const QString t = text(column);
    if (t.isEmpty())
        return std::nullopt;
    if (auto dt = Formats::parseDateTime(t))
        return dt;
    throw RadaError(QStringLiteral("'%1' is not a valid date and time").arg(t));
}

bool TypedFields::boolean(const QString& column) const
{
    const QVariant v = value(column);
    return !v.isNull() && v.toLongLong() != 0;
}

qint64 TypedFields::integer(const QString& column) const
{
    const QVariant v = value(column);
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (!ok)
        throw RadaError(QStringLiteral("'%1' is not a valid integer value").arg(v.toString()));
    return n;
}

void TypedFields::setText(const QString& column, const QString& text)
{
    const ColumnType type = m_table.columns[columnIndex(column)].type;
    if (type == ColumnType::Bool || type == ColumnType::Integer) {
        if (text.isEmpty()) {
            setValue(column, QVariant());
            return;
        }
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        if (!ok)
            throw RadaError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        setValue(column, type == ColumnType::Bool ? QVariant(qint64(n != 0)) : QVariant(n));
        return;
    }
    setValue(column, text);
}

void TypedFields::setDate(const QString& column, const QDate& date)
{
    setValue(column, date.isValid() ? QVariant(Formats::dateText(date)) : QVariant());
}

void TypedFields::setDateTime(const QString& column, const QDateTime& dateTime)
{
    setValue(column, dateTime.isValid() ? QVariant(Formats::dateTimeText(dateTime)) : QVariant());
}

void TypedFields::setBoolean(const QString& column, bool value)
{
    setValue(column, QVariant(qint64(value ? 1 : 0)));
}

void TypedFields::setInteger(const QString& column, qint64 value)
{
    setValue(column, QVariant(value));
}

void TypedFields::clearField(const QString& column)
{
    setValue(column, QVariant());
}

QVariant TypedFields::rowValue(int visibleRow, int column) const
{
    const PackedRow* row = column < 0 || column >= m_table.columns.size() ? nullptr : this->visibleRow(visibleRow);
    return row ? row->value(column) : QVariant();
}

bool TypedFields::rowBoolean(int visibleRow, int column) const
{
    const QVariant v = rowValue(visibleRow, column);
    return !v.isNull() && v.toLongLong() != 0;
}

QString TypedFields::rowText(int visibleRow, int column) const
{
    const PackedRow* row = column < 0 || column >= m_table.columns.size() ? nullptr : this->visibleRow(visibleRow);
    return row ? storedText(*row, column) : QString();
}

std::optional<QByteArrayView> TypedFields::rowUtf8(int visibleRow, int column) const
{
    if (column < 0 || column >= m_table.columns.size() || m_table.columns[column].type == ColumnType::Bool)
        return std::nullopt;
    const PackedRow* row = this->visibleRow(visibleRow);
    if (!row)
        return std::nullopt;
    const PackedRow::Field f = row->field(column);
    if (f.kind != PackedRow::Kind::Text)
        return std::nullopt;
    return f.bytes();
}

QString TypedFields::rowText(int visibleRow, const QString& column) const
{
    return rowText(visibleRow, columnIndex(column));
}

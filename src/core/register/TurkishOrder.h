// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/TypedFields.h"
#include "core/register/DatasetRow.h"
#include "core/register/Schema.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

// The order of a table's rows by one column, and the search for the rows
// whose column begins with a text, the Turkish way. The rows are given as
// the stored rows and the list of those visible (indexes into them).
//
// Numbers and yes/no sort in numeric order, texts and dates in the order of
// the Turkish alphabet, ignoring case (TurkishText::compare), empty values
// first. A search ignoring case folds the column of the visible rows once,
// to Turkish upper case, and keeps it until the rows or their order change.
class TurkishOrder
{
public:
    explicit TurkishOrder(const TableDef& table) : m_table(table) {}

    // The visible rows ordered ascending by the column; equal values keep
    // their order.
    QList<int> sorted(const std::vector<PackedRow>& rows, const QList<int>& visible, int column) const;

    // Positions among the visible rows of the first whose column begins with
    // the text, -1 when none does: character for character, or ignoring
    // letter case (TurkishText::fold). An empty value begins only with a null
    // text; a null text is found at the first row, an empty text at the
    // first row whose value is not empty. inStoredOrder says the visible
    // rows are in the order of the stored ones.
    int findExact(const std::vector<PackedRow>& rows, const QList<int>& visible, int column, const QString& prefix) const;
    int findFolded(const std::vector<PackedRow>& rows, const QList<int>& visible, bool inStoredOrder, int column,
                   const QString& prefix);
    // Ignoring case as Qt does (without the Turkish letters' rules).
    int findIgnoringCase(const std::vector<PackedRow>& rows, const QList<int>& visible, int column,
                         const QString& prefix) const;

    // The rows or their order changed: the folded column is made again when
    // next needed. release also gives back its memory.
    void forget();
    void release();
    // Bytes of the folded column.
    qsizetype memoryUsed() const;

private:
    QString textAt(const PackedRow& row, int column) const
    {
        return TypedFields::storedText(row, column, m_table.columns[column].type);
    }
    void foldColumn(const std::vector<PackedRow>& rows, const QList<int>& visible, bool inStoredOrder, int column);

    const TableDef& m_table;
    // One column of the visible rows in Turkish upper case (UTF-8), in the
    // visible order.
    int m_foldedColumn = -1;
    QByteArray m_folded;
    std::vector<quint32> m_foldedEnds; // where each visible row's text ends
};

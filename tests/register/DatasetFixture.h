// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"

#include <gtest/gtest.h>

inline const QString kAdi = QStringLiteral("Adi");

// A register file of the test's own, with guests stored by name.
class DatasetFixture : public ::testing::Test
{
protected:
    DatasetFixture() { db.open(); }

    QList<qint64> guests(const QStringList& names)
    {
        QList<qint64> ids;
        for (const QString& n : names)
            ids << insertGuest(db, n);
        return ids;
    }
    QString storedName(qint64 id)
    {
        return db.column(QStringLiteral("SELECT Adi FROM Kisi WHERE ID = ?"), {id}).value(0).toString();
    }
    QList<QList<QVariant>> storedRows(const QString& table)
    {
        QList<QList<QVariant>> out;
        for (const StoreRow& r : db.load(table))
            out << r.values;
        return out;
    }

    TestDir dir;
    Database db{dir.databasePath()};
};

// The visible rows' values of one column, in the current order.
inline QStringList column(const Dataset& ds, const QString& name = kAdi)
{
    QStringList out;
    for (int i = 0; i < ds.recordCount(); ++i)
        out << ds.rowText(i, name);
    return out;
}

// Customers (whose names may be empty) with these names, coded K1, K2, ...
inline QList<qint64> customers(Database& db, const QStringList& names)
{
    const TableDef& t = Schema::musteriler();
    QList<qint64> ids;
    for (const QString& n : names) {
        QList<QVariant> v(t.columns.size());
        v[t.indexOf(QStringLiteral("musteriKodu"))] = QStringLiteral("K%1").arg(ids.size() + 1);
        v[t.indexOf(kAdi)] = n.isNull() ? QVariant() : QVariant(n);
        ids << db.insert(t.name, v);
    }
    return ids;
}

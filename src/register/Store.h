#pragma once

#include "platform/RadaError.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// A row as the store hands it out: an opaque key and the values of the
// table's columns in schema order. A null QVariant is an empty value.
struct StoreRow
{
    qint64 key = 0;
    QList<QVariant> values;
};

// The database refused a write (constraint, I/O).
class StoreError : public RadaError
{
public:
    using RadaError::RadaError;
};

// What the datasets need of a database. Free of any engine's types, so that
// another database could stand behind it.
class Store
{
public:
    virtual ~Store() = default;

    // Every row of a table in stored order.
    virtual QList<StoreRow> load(const QString& table) = 0;
    // Inserts a row (values in schema order; the auto-number column is
    // ignored) and returns its key, which is also its auto-number.
    virtual qint64 insert(const QString& table, const QList<QVariant>& values) = 0;
    virtual void update(const QString& table, qint64 key, const QList<QVariant>& values) = 0;
    // Deletes the rows with these keys, all or none.
    virtual void remove(const QString& table, const QList<qint64>& keys) = 0;
    virtual int count(const QString& table) = 0;

    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
};

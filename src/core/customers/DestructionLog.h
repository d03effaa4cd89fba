// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class Store;

// The record of every destruction of personal data, kept for three years:
// when, what kind of record, how many, how and why. It never holds a name
// or a number of the people destroyed.
namespace DestructionLog {

inline const QString kCategory = QStringLiteral("Müşteri Kaydı");
inline const QString kMethod = QStringLiteral("Silme");
inline const QString kPeriodOver = QStringLiteral("Saklama süresi doldu");
inline const QString kPersonsRequest = QStringLiteral("İlgili kişi başvurusu");
inline constexpr int kKeepYears = 3;

struct Entry
{
    QDateTime moment;
    QString category;
    int count = 0;
    QString method;
    QString reason;
};

// Adds a row for a destruction of count customer records.
void record(Store& store, const QDateTime& moment, int count, const QString& reason);
// Every row, newest first.
QList<Entry> readAll(Store& store);
// Removes the rows older than three years at now; how many.
int prune(Store& store, const QDateTime& now);

} // namespace DestructionLog

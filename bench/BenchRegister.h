// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class Database;

// Stores a facility, then guests and customers with varied Turkish identity
// data (names in title case, capitals and lower case), in one transaction.
void fillRegister(Database& db, int guests, int customers);
// A new register at path, filled so, and closed again.
void makeRegister(const QString& path, int guests, int customers);

// Resident and peak resident memory of this process, in KiB (Linux).
qint64 residentKib();
qint64 peakResidentKib();

// The sqlcipher tool run on a file with a script, its output thrown away;
// the time it took, in ms. A failure is said on standard error.
qint64 sqlcipherToolMs(const QString& file, const QByteArray& script);

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Failure.h"

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace Failure {

Kind ofServer(const Server& failure)
{
    if (failure.connecting) {
        if (!failure.reached)
            return Kind::Unreachable;
        return failure.timedOut ? Kind::Busy : Kind::LoginRefused;
    }
    if (failure.timedOut)
        return Kind::Busy;
    if (!failure.connectionOpen)
        return Kind::ConnectionLost;
    const QString& state = failure.sqlState;
    // A statement or lock timeout, a lock not to be had at once, two
    // transactions in each other's way, a server out of connections or
    // memory, one starting up.
    if (state == QLatin1String("57014") || state == QLatin1String("55P03") || state == QLatin1String("40001") ||
        state == QLatin1String("40P01") || state == QLatin1String("57P03") || state.startsWith(QLatin1String("53")))
        return Kind::Busy;
    // The connection's own faults, and a server process ended by the
    // server's administrator or its shutdown.
    if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")))
        return Kind::ConnectionLost;
    return Kind::Other;
}

Kind ofSqlite(int resultCode)
{
    switch (resultCode & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Kind::Malformed;
    case SQLITE_FULL:
        return Kind::DiskFull;
    case SQLITE_READONLY:
        return Kind::ReadOnly;
    default:
        return Kind::Other;
    }
}

QString firstLine(Kind kind)
{
    switch (kind) {
    case Kind::Other: return {};
    case Kind::Unreachable: return kUnreachableLine;
    case Kind::LoginRefused: return kLoginRefusedLine;
    case Kind::ConnectionLost: return kConnectionLostLine;
    case Kind::Busy: return kBusyLine;
    case Kind::Malformed: return kMalformedLine;
    case Kind::DiskFull: return kDiskFullLine;
    case Kind::ReadOnly: return kReadOnlyLine;
    case Kind::RolledBack: return kRolledBackLine;
    }
    return {};
}

QString text(Kind kind, const QString& detail)
{
    const QString first = firstLine(kind);
    if (first.isEmpty())
        return detail;
    return detail.isEmpty() ? first : first + QLatin1Char('\r') + detail;
}

} // namespace Failure

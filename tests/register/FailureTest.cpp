// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Failure.h"

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Every failure a clerk can meet gets its Turkish first line, the server's
// or the engine's own text below it; the others keep the engine's text alone.
namespace {

enum Flag { Connecting = 1, Reached = 2, TimedOut = 4, Gone = 8 };

Failure::Kind onServer(int flags, const QString& sqlState = {})
{
    Failure::Server failure;
    failure.connecting = flags & Connecting;
    failure.reached = flags & Reached;
    failure.timedOut = flags & TimedOut;
    failure.connectionOpen = !(flags & Gone);
    failure.sqlState = sqlState;
    return Failure::ofServer(failure);
}

} // namespace

TEST(Failure, EachFailureAClerkCanMeetGetsItsTurkishFirstLine)
{
    struct Case
    {
        const char* name;
        Failure::Kind kind;
        QString line;
    };
    const Case cases[] = {
        {"a closed port", onServer(Connecting), Failure::kUnreachableLine},
        {"no answer to the network", onServer(Connecting | TimedOut),
         Failure::kUnreachableLine},
        {"a password refused", onServer(Connecting | Reached), Failure::kLoginRefusedLine},
        {"a server reached that does not answer",
         onServer(Connecting | Reached | TimedOut), Failure::kBusyLine},
        {"a statement past the desk's deadline", onServer(TimedOut | Gone),
         Failure::kBusyLine},
        {"a connection that broke", onServer(Gone), Failure::kConnectionLostLine},
        {"the server's statement timeout", onServer(0, u"57014"_s), Failure::kBusyLine},
        {"a lock not had in time", onServer(0, u"55P03"_s), Failure::kBusyLine},
        {"a deadlock", onServer(0, u"40P01"_s), Failure::kBusyLine},
        {"too many connections", onServer(0, u"53300"_s), Failure::kBusyLine},
        {"a server process ended", onServer(0, u"57P01"_s), Failure::kConnectionLostLine},
        {"a value refused", onServer(0, u"23505"_s), QString()},
        {"database disk image is malformed", Failure::ofSqlite(SQLITE_CORRUPT), Failure::kMalformedLine},
        {"file is not a database", Failure::ofSqlite(SQLITE_NOTADB), Failure::kMalformedLine},
        {"database or disk is full", Failure::ofSqlite(SQLITE_FULL), Failure::kDiskFullLine},
        {"attempt to write a readonly database", Failure::ofSqlite(SQLITE_READONLY), Failure::kReadOnlyLine},
        {"a read-only file moved away", Failure::ofSqlite(SQLITE_READONLY_DBMOVED), Failure::kReadOnlyLine},
        {"a unique value taken", Failure::ofSqlite(SQLITE_CONSTRAINT_UNIQUE), QString()},
    };
    for (const Case& c : cases) {
        const QString detail = QString::fromLatin1(c.name);
        const QString text = Failure::text(c.kind, detail);
        EXPECT_EQ(text, c.line.isEmpty() ? detail : c.line + u'\r' + detail) << c.name;
        EXPECT_EQ(Failure::firstLine(c.kind), c.line) << c.name;
    }
}

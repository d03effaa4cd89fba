// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "doubles/FakePlatform.h"
#include "platform/core/System.h"

#include <QDate>
#include <QString>
#include <QTemporaryDir>
#include <QTime>
#include <ostream>

class Store;

// Skips the test on Windows, which has not got what it checks; the reason
// is one line.
#define SKIP_ON_WINDOWS(reason)                                                                                        \
    do {                                                                                                               \
        if (kOnWindows)                                                                                                \
            GTEST_SKIP() << (reason);                                                                                  \
    } while (false)

// A fresh directory per test, made the current directory while the test runs.
class TestDir
{
public:
    TestDir();
    ~TestDir();
    QString path(const QString& name = {}) const;
    QString databasePath() const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// The first 16 bytes of a file.
QByteArray fileHead(const QString& path, int bytes = 16);

// Another local user's doing, in a child process under another user id
// (nobody's) when the tests run as root, else under the tests' own: a file
// with the content, mode 0666, or with link set a symbolic link to link.
// The owner's user id, or -1 when nothing was made.
int makeAsAnotherUser(const QString& path, const QByteArray& content, const QString& link = {});
// The user id of a file, -1 when there is none.
int ownerOf(const QString& path);

// What the sqlcipher command-line tool prints for a script on a register.
QString sqlcipherCli(const QString& dbPath, const QString& script);

// Stores a set-up facility.
void storeFacility(Store& db, const QString& code = QStringLiteral("12345"),
                   const QString& name = QStringLiteral("Otel Deniz"));

// Inserts a guest row with every column that the database requires: a
// foreigner ("DEU") with a passport of a serial number no other guest has.
qint64 insertGuest(Store& db, const QString& adi, bool kalici = true);

// The text of a PDF file as pdftotext reads it; empty when it cannot.
QString pdfText(const QString& path);

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QDate& d, std::ostream* os)
{
    *os << d.toString(Qt::ISODate).toStdString();
}
inline void PrintTo(const QTime& t, std::ostream* os)
{
    *os << t.toString(Qt::ISODate).toStdString();
}

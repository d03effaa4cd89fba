// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include "core/register/Database.h"
#include "core/register/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

TestDir::TestDir() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

TestDir::~TestDir()
{
    QDir::setCurrent(m_previous);
}

QString TestDir::path(const QString& name) const
{
    return name.isEmpty() ? m_dir.path() : m_dir.filePath(name);
}

QString TestDir::databasePath() const
{
    return path(Database::kFileName);
}

QByteArray fileHead(const QString& path, int bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(bytes);
}

int makeAsAnotherUser(const QString& path, const QByteArray& content, const QString& link)
{
#ifdef Q_OS_WIN
    Q_UNUSED(link);
    QFile f(path);
    if (!f.open(QIODevice::NewOnly) || f.write(content) != content.size())
        return -1;
    return 0;
#else
    // Prepared before the fork: the child calls nothing but the system.
    const QByteArray name = QFile::encodeName(path);
    const QByteArray target = QFile::encodeName(link);
    const uid_t other = ::getuid() == 0 ? 65534 : ::getuid();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(other) != 0 || ::setuid(other) != 0))
            ::_exit(1);
        if (!target.isEmpty())
            ::_exit(::symlink(target.constData(), name.constData()) == 0 ? 0 : 1);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd < 0 || ::fchmod(fd, 0666) != 0 ||
            ::write(fd, content.constData(), size_t(content.size())) != ssize_t(content.size()))
            ::_exit(1);
        ::close(fd);
        ::_exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return int(other);
#endif
}

int ownerOf(const QString& path)
{
#ifdef Q_OS_WIN
    return QFileInfo::exists(path) ? 0 : -1;
#else
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_uid) : -1;
#endif
}

QString sqlcipherCli(const QString& dbPath, const QString& script)
{
    QProcess p;
    p.start(QStringLiteral("sqlcipher"), {dbPath});
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
}

void storeFacility(Store& db, const QString& code, const QString& name)
{
    const TableDef& t = Schema::ayar();
    QList<QVariant> row(t.columns.size());
    row[t.indexOf(QStringLiteral("tesiskodu"))] = code;
    row[t.indexOf(QStringLiteral("tesisadi"))] = name;
    row[t.indexOf(QStringLiteral("aktif"))] = qint64(1);
    db.insert(t.name, row);
}

qint64 insertGuest(Store& db, const QString& adi, bool kalici)
{
    const TableDef& t = Schema::kisi();
    QList<QVariant> v(t.columns.size());
    auto set = [&](const char* col, const QVariant& value) { v[t.indexOf(QString::fromLatin1(col))] = value; };
    set("Adi", adi);
    set("Soyadi", QStringLiteral("Yılmaz"));
    set("Uyrugu", QStringLiteral("DEU"));
    set("KimlikBelgesiTuru", QStringLiteral("P"));
    // Every guest its own passport: the same document twice is a finding of
    // the check before a transfer run.
    static int serial = 100000;
    set("KimlikSeriNo", QString::number(serial++));
    set("Cinsiyet", QStringLiteral("E"));
    set("IkametAdresi", QStringLiteral("Berlin"));
    set("DogumTarihi", QStringLiteral("1980-01-02"));
    set("GelisTarihi", QStringLiteral("2024-03-01"));
    set("GelisSaati", QStringLiteral("12:00:00"));
    set("Kalici", qint64(kalici ? 1 : 0));
    set("AyrilisTarihi", kalici ? QStringLiteral("1899-12-30") : QStringLiteral("2024-03-05"));
    set("AyrilisSaati", kalici ? QStringLiteral("00:00:00") : QStringLiteral("10:30:00"));
    return db.insert(t.name, v);
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!p.waitForFinished(20000)) {
        p.kill();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

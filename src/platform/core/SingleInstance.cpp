// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/SingleInstance.h"

#include "platform/core/FileSystem.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifndef Q_OS_WIN
// The longest path a Unix socket address holds (sun_path less its ending zero).
constexpr int kMaxSocketPath = 107;

QString systemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}
#endif

// The guard's folder exists, belongs to this user and lets nobody else in.
QString preparePrivateFolder(const QString& dir)
{
    QString reason;
    if (!QFileInfo(dir).isDir() && !makePrivateFolder(dir, &reason))
        return QStringLiteral("Klasör oluşturulamadı: %1\r%2").arg(QDir::toNativeSeparators(dir), reason);
#ifndef Q_OS_WIN
    const QByteArray path = QFile::encodeName(dir);
    struct stat st = {};
    if (::stat(path.constData(), &st) != 0)
        return QStringLiteral("Klasör kullanılamıyor: %1\r%2").arg(QDir::toNativeSeparators(dir), systemReason(errno));
    if (st.st_uid != ::geteuid())
        return QStringLiteral("Klasör bu kullanıcıya ait değil: %1").arg(QDir::toNativeSeparators(dir));
    if ((st.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0)
        return QStringLiteral("Klasör başka kullanıcılara kapatılamadı: %1\r%2")
            .arg(QDir::toNativeSeparators(dir), systemReason(errno));
#endif
    return {};
}

// A lock file that is not this user's own says nothing about this user's
// copies: it goes. Empty when nothing stands in the way.
QString removeForeignLock(const QString& lockPath)
{
#ifdef Q_OS_WIN
    Q_UNUSED(lockPath);
#else
    const QByteArray path = QFile::encodeName(lockPath);
    struct stat st = {};
    if (::lstat(path.constData(), &st) != 0)
        return {};
    if (S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
        return {};
    if (::unlink(path.constData()) != 0)
        return QStringLiteral("Başka bir kullanıcının kilit dosyası kaldırılamadı: %1\r%2")
            .arg(QDir::toNativeSeparators(lockPath), systemReason(errno));
#endif
    return {};
}

} // namespace

SingleInstance::SingleInstance(const QString& key, const QString& lockDir, QObject* parent)
    : QObject(parent), m_lockDir(lockDir), m_lockPath(QDir(lockDir).filePath(key + QStringLiteral(".lock"))),
      m_socketPath(QDir(lockDir).filePath(key + QStringLiteral(".socket")))
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lock)
        m_lock->unlock();
}

SingleInstance::Result SingleInstance::tryAcquire()
{
    m_error.clear();
#ifndef Q_OS_WIN
    // A longer path would be cut short by the system, and the socket would
    // land under another name.
    const qsizetype socketBytes = QFile::encodeName(m_socketPath).size();
    if (socketBytes > kMaxSocketPath) {
        m_error = QStringLiteral("Yerel soket yolu çok uzun (%1 bayt; en çok %2 olabilir):\r%3")
                      .arg(socketBytes)
                      .arg(kMaxSocketPath)
                      .arg(QDir::toNativeSeparators(m_socketPath));
        return Result::Failed;
    }
#endif
    m_error = preparePrivateFolder(m_lockDir);
    if (m_error.isEmpty())
        m_error = removeForeignLock(m_lockPath);
    if (!m_error.isEmpty())
        return Result::Failed;

    m_lock = std::make_unique<QLockFile>(m_lockPath);
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Result::Acquired;
    // A lock left by a copy that died is recovered.
    if (m_lock->error() == QLockFile::LockFailedError) {
        if (m_lock->removeStaleLockFile() && m_lock->tryLock(0))
            return Result::Acquired;
        return Result::Running;
    }
    m_error = QStringLiteral("Kilit dosyası kullanılamıyor: %1").arg(QDir::toNativeSeparators(m_lockPath));
    return Result::Failed;
}

bool SingleInstance::activateRunningCopy(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
#ifdef Q_OS_WIN
    // Windows lets only the process the clerk just started bring a window to
    // the front; this one hands that right on to the running copy.
    AllowSetForegroundWindow(ASFW_ANY);
#endif
    const QByteArray request("activate\n");
    bool written = socket.write(request) == request.size();
    while (written && socket.bytesToWrite() > 0)
        written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return written;
}

bool SingleInstance::listen()
{
    if (m_server)
        return true;
    // The folder is private already: the socket is made right where it
    // stays, under a name whose length tryAcquire has checked.
    m_server = new QLocalServer(this);
    QLocalServer::removeServer(m_socketPath);
    if (!m_server->listen(m_socketPath))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().startsWith("activate"))
                    Q_EMIT activationRequested();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

QString SingleInstance::defaultKey()
{
    const QByteArray home = QDir::homePath().toUtf8();
    return QStringLiteral("radadir-") +
           QString::fromLatin1(QCryptographicHash::hash(home, QCryptographicHash::Md5).toHex().left(12));
}

QString SingleInstance::defaultLockDir()
{
    // Not QStandardPaths::RuntimeLocation: without XDG_RUNTIME_DIR it falls
    // back to a predictable name in the shared temporary folder.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime))
        return runtime;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("RadaDIR"));
}

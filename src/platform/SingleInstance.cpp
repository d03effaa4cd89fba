#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString& key, const QString& lockDir, QObject* parent)
    : QObject(parent), m_key(key), m_lockPath(QDir(lockDir).filePath(key + QStringLiteral(".lock")))
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lock)
        m_lock->unlock();
}

bool SingleInstance::tryAcquire()
{
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    // A lock left by a copy that died is recovered.
    if (m_lock->error() == QLockFile::LockFailedError && m_lock->removeStaleLockFile())
        return m_lock->tryLock(0);
    return false;
}

bool SingleInstance::activateRunningCopy(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_key);
    if (!socket.waitForConnected(timeoutMs))
        return false;
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
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_key);
    if (!m_server->listen(m_key))
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
    return QStandardPaths::writableLocation(QStandardPaths::TempLocation);
}

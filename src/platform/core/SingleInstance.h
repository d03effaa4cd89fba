// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLockFile;
class QLocalServer;

// One running copy per user. The first copy holds a lock file and listens on
// a local socket, both in a folder only the user can reach; a second copy
// finds the lock taken and asks the first one, through the socket, to come
// to the foreground.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Result {
        Acquired,  // this process is the only running copy and holds the guard
        Running,   // another copy of this user runs
        Failed,    // the guard could not be used; error() says why
    };

    // key names the guard; lockDir is where its lock file and socket live.
    SingleInstance(const QString& key, const QString& lockDir, QObject* parent = nullptr);
    ~SingleInstance() override;

    Result tryAcquire();
    // Why the last tryAcquire failed.
    const QString& error() const { return m_error; }
    // Asks the running copy to bring its main window forward. True when it answered.
    bool activateRunningCopy(int timeoutMs = 2000);
    // Starts listening for such requests; call once the main window exists.
    bool listen();

    const QString& lockPath() const { return m_lockPath; }
    const QString& socketPath() const { return m_socketPath; }

    static QString defaultKey();
    // $XDG_RUNTIME_DIR where set, else a private folder in the user's cache
    // folder: never a place where another user could put the lock first.
    static QString defaultLockDir();

Q_SIGNALS:
    void activationRequested();

private:
    QString m_lockDir;
    QString m_lockPath;
    QString m_socketPath;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};

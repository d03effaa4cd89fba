#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLockFile;
class QLocalServer;

// One running copy per user. The first copy holds a lock file and listens on
// a local socket; a second copy finds the lock taken and asks the first one,
// through the socket, to come to the foreground.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // key names the guard; lockDir is where the lock file lives.
    SingleInstance(const QString& key, const QString& lockDir, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the only running copy (and now holds the guard).
    bool tryAcquire();
    // Asks the running copy to bring its main window forward. True when it answered.
    bool activateRunningCopy(int timeoutMs = 2000);
    // Starts listening for such requests; call once the main window exists.
    bool listen();

    static QString defaultKey();
    static QString defaultLockDir();

Q_SIGNALS:
    void activationRequested();

private:
    QString m_key;
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// One running copy per register file, whoever and wherever it runs: an
// advisory lock on a small file beside the register ("<register>.lock")
// that the operating system releases when the process ends, however it
// ends, so no staleness has to be guessed. The holder writes its user and
// host into the file for the copy that is refused. The register itself is
// not locked: read-only tools can still open it.
class RegisterLock
{
public:
    enum class Result { Acquired, HeldByOther, Failed };

    explicit RegisterLock(const QString& registerPath);
    ~RegisterLock();
    RegisterLock(const RegisterLock&) = delete;
    RegisterLock& operator=(const RegisterLock&) = delete;

    Result acquire();
    void release();
    bool isHeld() const;

    const QString& lockPath() const { return m_lockPath; }
    // After HeldByOther: who holds the lock, as its holder wrote it (may be
    // empty). After Failed: why the lock file could not be used.
    const QString& detail() const { return m_detail; }

    // "user@host (pid N)" of this process.
    static QString thisHolder();

private:
    QString m_lockPath;
    QString m_detail;
#ifdef Q_OS_WIN
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/RegisterLock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHostInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

QString userName()
{
    for (const char* var : {"USER", "USERNAME", "LOGNAME"}) {
        const QString v = qEnvironmentVariable(var);
        if (!v.isEmpty())
            return v;
    }
    return QStringLiteral("?");
}

// What the holder wrote: a short line of text.
QString readHolder(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.read(512)).trimmed();
}

} // namespace

RegisterLock::RegisterLock(const QString& registerPath)
    : m_lockPath(QFileInfo(registerPath).absoluteFilePath() + QStringLiteral(".lock"))
{
}

RegisterLock::~RegisterLock()
{
    release();
}

QString RegisterLock::thisHolder()
{
    return QStringLiteral("%1@%2 (pid %3)")
        .arg(userName(), QHostInfo::localHostName(), QString::number(QCoreApplication::applicationPid()));
}

#ifdef Q_OS_WIN

RegisterLock::Result RegisterLock::acquire()
{
    if (m_handle)
        return Result::Acquired;
    m_detail.clear();
    HANDLE h = CreateFileW(reinterpret_cast<LPCWSTR>(m_lockPath.utf16()), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        m_detail = QStringLiteral("Kilit dosyası açılamadı (hata %1).").arg(GetLastError());
        return Result::Failed;
    }
    // A byte far beyond the text is locked, so that others can still read
    // who holds the lock.
    OVERLAPPED at = {};
    at.Offset = 0x7FFFFFFF;
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const DWORD err = GetLastError();
        CloseHandle(h);
        if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) {
            m_detail = readHolder(m_lockPath);
            return Result::HeldByOther;
        }
        m_detail = QStringLiteral("Kilit alınamadı (hata %1).").arg(err);
        return Result::Failed;
    }
    const QByteArray text = thisHolder().toUtf8() + "\r\n";
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    DWORD written = 0;
    WriteFile(h, text.constData(), DWORD(text.size()), &written, nullptr);
    FlushFileBuffers(h);
    m_handle = h;
    return Result::Acquired;
}

void RegisterLock::release()
{
    if (!m_handle)
        return;
    OVERLAPPED at = {};
    at.Offset = 0x7FFFFFFF;
    UnlockFileEx(static_cast<HANDLE>(m_handle), 0, 1, 0, &at);
    CloseHandle(static_cast<HANDLE>(m_handle));
    m_handle = nullptr;
}

bool RegisterLock::isHeld() const
{
    return m_handle != nullptr;
}

#else

RegisterLock::Result RegisterLock::acquire()
{
    if (m_fd >= 0)
        return Result::Acquired;
    m_detail.clear();
    const QByteArray path = QFile::encodeName(m_lockPath);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0664);
    if (fd < 0) {
        m_detail = QStringLiteral("Kilit dosyası açılamadı: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return Result::Failed;
    }
    // flock: each open of the file is its own lock holder, also within one
    // process, and the kernel drops the lock when the process ends.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK) {
            m_detail = readHolder(m_lockPath);
            return Result::HeldByOther;
        }
        m_detail = QStringLiteral("Kilit alınamadı: %1").arg(QString::fromLocal8Bit(std::strerror(err)));
        return Result::Failed;
    }
    const QByteArray text = thisHolder().toUtf8() + '\n';
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, text.constData(), size_t(text.size()), 0) == text.size())
        ::fsync(fd);
    m_fd = fd;
    return Result::Acquired;
}

void RegisterLock::release()
{
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

bool RegisterLock::isHeld() const
{
    return m_fd >= 0;
}

#endif

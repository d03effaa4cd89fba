// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#include <aclapi.h>
#include <vector>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The file's bytes on the disk, not only in the system's cache.
bool syncFile(QFile& file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()))) != 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

#ifdef Q_OS_WIN
// The security identifier of the user the program runs as, in a buffer of
// its own; empty when the system does not say.
std::vector<char> currentUser()
{
    std::vector<char> buffer;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return buffer;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    buffer.resize(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        buffer.clear();
    CloseHandle(token);
    return buffer;
}

PSID sidOf(std::vector<char>& user)
{
    return reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
}

std::wstring nativeName(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString();
}

// Inside the profile a file inherits the profile's access list: the user's
// and the system's own accounts'.
bool insideProfile(const QString& path)
{
    const QString home = QDir::cleanPath(QDir::homePath()) + QLatin1Char('/');
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath()).startsWith(home, Qt::CaseInsensitive);
}

// An access list of the file's own, not taken from its folder, that lets in
// the user alone. Nothing happens on a drive that keeps no access lists (a
// memory stick): there is nothing to restrict there.
void restrictToUser(const QString& path)
{
    std::vector<char> user = currentUser();
    if (user.empty())
        return;
    EXPLICIT_ACCESS_W access{};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_USER;
    access.Trustee.ptstrName = static_cast<LPWSTR>(sidOf(user));
    PACL acl = nullptr;
    if (SetEntriesInAclW(1, &access, nullptr, &acl) != ERROR_SUCCESS)
        return;
    std::wstring name = nativeName(path);
    SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                          DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                          nullptr);
    LocalFree(acl);
}
#endif

#ifndef Q_OS_WIN
// The directory entry of a file just renamed into place, on the disk. On
// Windows the rename itself writes through.
bool syncDirectoryOf(const QString& path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}
#endif

} // namespace

QString resolvedFilePath(const QString& path)
{
    QFileInfo info(path);
    // A link to a file not made yet has no canonical path; follow it by
    // hand, a bounded number of times in case the links go round.
    for (int hops = 0; hops < 40 && info.isSymLink() && !info.exists(); ++hops)
        info = QFileInfo(info.symLinkTarget());
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

#ifndef Q_OS_WIN
namespace {

// mkdir with its missing parents, all of the same mode.
bool makeFolder(const QString& absolute, mode_t mode, QString* reason)
{
    const QString parent = QFileInfo(absolute).absolutePath();
    if (parent != absolute && !QFileInfo::exists(parent) && !makeFolder(parent, mode, reason))
        return false;
    if (::mkdir(QFile::encodeName(absolute).constData(), mode) == 0)
        return true;
    const int err = errno;
    if (err == EEXIST && QFileInfo(absolute).isDir())
        return true;
    if (reason)
        *reason = QString::fromLocal8Bit(std::strerror(err));
    return false;
}

} // namespace
#endif

bool makePrivateFolder(const QString& path, QString* reason)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
#ifdef Q_OS_WIN
    if (QDir().mkpath(absolute))
        return true;
    if (reason)
        *reason = QStringLiteral("Klasör oluşturulamadı.");
    return false;
#else
    return makeFolder(absolute, 0700, reason);
#endif
}

namespace {

// The file made afresh, exclusively; errno's EEXIST (or Windows' own) when
// the name is taken.
bool createExclusively(const QString& path, QString* reason, bool* taken)
{
    *taken = false;
#ifdef Q_OS_WIN
    // A new file only: CREATE_NEW, which an existing file or link refuses.
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return true;
    *taken = QFileInfo::exists(path) || QFileInfo(path).isSymLink();
    if (reason)
        *reason = file.errorString();
    return false;
#else
    // O_EXCL refuses any name already there, a link to nowhere included;
    // O_NOFOLLOW says so for a link even where O_EXCL would not be honoured.
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int err = errno;
        *taken = err == EEXIST || err == ELOOP;
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(err));
        return false;
    }
    ::close(fd);
    return true;
#endif
}

} // namespace

bool createPrivateFile(const QString& path, QString* reason)
{
    bool taken = false;
    return createExclusively(path, reason, &taken);
}

QString createUniquePrivateFile(const QString& prefix, QString* reason)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 8; ++attempt) {
        QString path = prefix;
        for (int i = 0; i < 12; ++i)
            path += QLatin1Char(kLetters[QRandomGenerator::system()->bounded(int(sizeof kLetters) - 1)]);
        bool taken = false;
        if (createExclusively(path, reason, &taken))
            return path;
        if (!taken)
            return QString();
    }
    return QString();
}

bool othersMayWriteIn(const QString& folder)
{
#ifdef Q_OS_WIN
    // Folders inherit permissions no mode tells of.
    Q_UNUSED(folder);
    return false;
#else
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return false;
    return (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
#endif
}

bool isOwnFile(const QString& path)
{
#ifdef Q_OS_WIN
    // The folders the program writes lie in the user's own profile.
    return QFileInfo(path).isFile() && !QFileInfo(path).isSymLink();
#else
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISREG(st.st_mode) && st.st_uid == ::geteuid();
#endif
}

bool onlyOwnerMayUse(const QString& path)
{
#ifdef Q_OS_WIN
    std::vector<char> user = currentUser();
    if (user.empty())
        return false;
    std::wstring name = nativeName(path);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    // No access list at all lets everybody in.
    bool own = dacl != nullptr && GetSecurityDescriptorControl(descriptor, &control, &revision) &&
               (control & SE_DACL_PROTECTED) != 0 && dacl->AceCount > 0;
    for (DWORD i = 0; own && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) {
            own = false;
            break;
        }
        const auto* header = static_cast<ACE_HEADER*>(ace);
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            own = EqualSid(reinterpret_cast<PSID>(&allowed->SidStart), sidOf(user)) != 0;
        }
    }
    LocalFree(descriptor);
    return own;
#else
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
#endif
}

bool syncToDisk(const QString& path, QString* reason)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite) && syncFile(file))
        return true;
    if (reason)
        *reason = file.errorString();
    return false;
}

bool LocalFileSystem::exists(const QString& path)
{
    return QFileInfo::exists(path);
}

bool LocalFileSystem::remove(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    return QFile::remove(path);
}

bool LocalFileSystem::replace(const QString& from, const QString& to)
{
#ifdef Q_OS_WIN
    return MoveFileExW(reinterpret_cast<LPCWSTR>(from.utf16()), reinterpret_cast<LPCWSTR>(to.utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    return syncDirectoryOf(to);
#endif
}

bool LocalFileSystem::writeAtomically(const QString& path, const QByteArray& content)
{
    const QFileInfo target(path);
    QString written;
    {
        QTemporaryFile file(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
        // Made with mode 0600 less the umask, never wider, and the file keeps
        // that mode when it takes the name: no moment in which others may read.
        if (!file.open())
            return false;
#ifdef Q_OS_WIN
        if (!insideProfile(path))
            restrictToUser(file.fileName());
#endif
        if (file.write(content) != content.size() || !syncFile(file))
            return false;
        // A temporary file stays open when closed, and Windows renames no
        // open file: the file is let go at the end of this scope.
        file.setAutoRemove(false);
        written = file.fileName();
    }
    // The whole file is on the disk before it takes the name, and its name
    // is on the disk before this returns.
    if (replace(written, target.absoluteFilePath()))
        return true;
    QFile::remove(written);
    return false;
}

bool LocalFileSystem::copyMode(const QString& from, const QString& to)
{
#ifdef Q_OS_WIN
    // Files inherit the folder's permissions; there are no modes to copy.
    Q_UNUSED(from);
    Q_UNUSED(to);
    return true;
#else
    struct stat st {};
    if (::stat(QFile::encodeName(from).constData(), &st) != 0)
        return false;
    return ::chmod(QFile::encodeName(to).constData(), st.st_mode & 07777) == 0;
#endif
}

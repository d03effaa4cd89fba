#include "FileSystem.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cstdio>
#endif

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
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

bool LocalFileSystem::writeAtomically(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

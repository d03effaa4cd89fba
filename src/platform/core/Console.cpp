// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/Console.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Console {

bool write(const QString& text, Stream stream)
{
#ifdef Q_OS_WIN
    // A windowed program has no console of its own: it writes where its
    // output was sent (a pipe, a file), or else borrows the console of the
    // command prompt that started it, if any.
    const DWORD which = stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE;
    auto usable = [](HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN; };
    HANDLE handle = GetStdHandle(which);
    if (!usable(handle)) {
        static const bool attached = GetConsoleWindow() != nullptr || AttachConsole(ATTACH_PARENT_PROCESS);
        if (!attached)
            return false;
        handle = GetStdHandle(which);
        if (!usable(handle))
            return false;
    }
    const QString line = text + QStringLiteral("\r\n");
    DWORD written = 0;
    if (GetFileType(handle) == FILE_TYPE_CHAR)
        return WriteConsoleW(handle, line.utf16(), DWORD(line.size()), &written, nullptr) != 0;
    const QByteArray bytes = line.toUtf8();
    return WriteFile(handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr) != 0;
#else
    FILE* out = stream == Stream::Output ? stdout : stderr;
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    const bool ok = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out) == size_t(bytes.size());
    return std::fflush(out) == 0 && ok;
#endif
}

} // namespace Console

// SPDX-License-Identifier: GPL-3.0-or-later
#include "FaultyFileSystem.h"

bool FaultyFileSystem::allow(Op op, const QString& path)
{
    ++calls;
    return !before || before(op, path);
}

bool FaultyFileSystem::exists(const QString& path)
{
    return allow(Op::Exists, path) && LocalFileSystem::exists(path);
}

bool FaultyFileSystem::remove(const QString& path)
{
    return allow(Op::Remove, path) && LocalFileSystem::remove(path);
}

bool FaultyFileSystem::replace(const QString& from, const QString& to)
{
    return allow(Op::Replace, to) && LocalFileSystem::replace(from, to);
}

bool FaultyFileSystem::writeAtomically(const QString& path, const QByteArray& content)
{
    return allow(Op::Write, path) && LocalFileSystem::writeAtomically(path, content);
}

bool FaultyFileSystem::copyMode(const QString& from, const QString& to)
{
    return allow(Op::Mode, to) && LocalFileSystem::copyMode(from, to);
}

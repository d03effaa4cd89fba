// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/FileSystem.h"

#include <functional>

// Test double: the real file system, with a hook before every operation that
// may fail it (return false) or do something else first.
class FaultyFileSystem : public LocalFileSystem
{
public:
    enum class Op { Exists, Remove, Replace, Write, Mode };
    // Called before each operation; returning false fails the operation.
    std::function<bool(Op, const QString& path)> before;
    int calls = 0;

    bool exists(const QString& path) override;
    bool remove(const QString& path) override;
    bool replace(const QString& from, const QString& to) override;
    bool writeAtomically(const QString& path, const QByteArray& content) override;
    // Refused, it stands for a file system that keeps no modes.
    bool copyMode(const QString& from, const QString& to) override;

private:
    bool allow(Op op, const QString& path);
};

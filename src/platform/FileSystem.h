#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// File operations whose failure must not cost data.
class FileSystem
{
public:
    virtual ~FileSystem() = default;
    virtual bool exists(const QString& path) = 0;
    // True when the file is gone afterwards (also when it never existed).
    virtual bool remove(const QString& path) = 0;
    // Moves from over to in one step: afterwards to is either the old or the
    // new file, never a half of either.
    virtual bool replace(const QString& from, const QString& to) = 0;
    // Writes the whole content to a temporary file beside path and renames it
    // into place; on failure path is as it was.
    virtual bool writeAtomically(const QString& path, const QByteArray& content) = 0;
};

class LocalFileSystem : public FileSystem
{
public:
    bool exists(const QString& path) override;
    bool remove(const QString& path) override;
    bool replace(const QString& from, const QString& to) override;
    bool writeAtomically(const QString& path, const QByteArray& content) override;
};

// Test double: the real file system, with a hook before every operation that
// may fail it (return false) or do something else first.
class FaultyFileSystem : public LocalFileSystem
{
public:
    enum class Op { Exists, Remove, Replace, Write };
    // Called before each operation; returning false fails the operation.
    std::function<bool(Op, const QString& path)> before;
    int calls = 0;

    bool exists(const QString& path) override;
    bool remove(const QString& path) override;
    bool replace(const QString& from, const QString& to) override;
    bool writeAtomically(const QString& path, const QByteArray& content) override;

private:
    bool allow(Op op, const QString& path);
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The file a path stands for: absolute, with every symbolic link on the way
// followed, the file's own included, also when the file is not there yet.
QString resolvedFilePath(const QString& path);

// Makes a folder and its missing parents, each private to its owner (mode
// 0700, or stricter where the umask says so); a folder already there is
// left as it is. False, with the system's reason, when it cannot be made.
bool makePrivateFolder(const QString& path, QString* reason);

// Makes an empty file that only its owner may read and write (mode 0600, or
// stricter where the umask says so); a database made into it keeps that
// mode, and so does its journal. The file is made only where nothing is: a
// file of that name (another user's, in a shared folder) or a link (to
// anything, or to nowhere) is refused and never opened. Where the file
// system has no modes the file is made all the same. False, with the
// system's reason, when it cannot be made.
bool createPrivateFile(const QString& path, QString* reason);

// Makes such a file at prefix followed by a random part, tried again with
// another part a few times where the name is taken, so that nobody can have
// the name ready for it. The path made, or an empty text with the reason.
QString createUniquePrivateFile(const QString& prefix, QString* reason);

// True when users other than the folder's owner may make files in it (its
// group or everybody may write there), as far as the file system tells.
bool othersMayWriteIn(const QString& folder);

// True for a file (not a link) that belongs to the user the program runs as:
// only such a file is the program's to remove from a shared folder.
bool isOwnFile(const QString& path);

// True when nobody but the user the program runs as may use the file, as
// far as the system tells: on Windows, an access list of its own (not taken
// from the folder) that lets in that user alone; elsewhere, a file of that
// user without group or other bits in its mode.
bool onlyOwnerMayUse(const QString& path);

// Puts a file's bytes on the disk, not only in the system's cache. False,
// with the reason, when it cannot.
bool syncToDisk(const QString& path, QString* reason);

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
    // into place; on failure path is as it was. The file is private to its
    // owner from its first byte (mode 0600, or stricter where the umask says
    // so), also when it replaces a file of another mode. On Windows a file in
    // the user's profile takes the profile's permissions; one elsewhere (a
    // shared folder, another drive) gets an access list for the user alone
    // before its first byte, where the drive keeps access lists.
    virtual bool writeAtomically(const QString& path, const QByteArray& content) = 0;
    // Gives to the permissions of from, as a file that takes the place of
    // another keeps that one's mode. False where the file system keeps no
    // modes (a FAT disk, some shares): nothing to keep there, and no reason
    // to fail what the file is made for.
    virtual bool copyMode(const QString& from, const QString& to) = 0;
};

class LocalFileSystem : public FileSystem
{
public:
    bool exists(const QString& path) override;
    bool remove(const QString& path) override;
    bool replace(const QString& from, const QString& to) override;
    bool writeAtomically(const QString& path, const QByteArray& content) override;
    bool copyMode(const QString& from, const QString& to) override;
};

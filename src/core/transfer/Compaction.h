// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <memory>

class Database;
class Dialogs;
class FileSystem;

// Compacts the database file: the live file is copied into a fresh, compact
// file under the same password, the copy is checked, and only then does it
// take the live file's place in one rename. Whatever fails, the live file
// stays as it was.
class Compaction
{
public:
    Compaction(Database& connection, FileSystem& fs, Dialogs& dialogs);

    // "radadir.dvb" beside the live file (the file itself, not a link to it).
    QString compactionPath() const;
    static QString compactionPathFor(const QString& liveFile);

    // Compacts source into destination and checks the copy (integrity, the
    // same rows in every table). Shows no message.
    bool exportCompactedCopy(const QString& source, const QString& destination);

    // Closes the connection, compacts, replaces the live file and opens the
    // connection again. A failed compaction shows its message and leaves the
    // live file alone; an open that fails afterwards throws. False when the
    // compaction failed (and its message was shown). It shows its progress
    // and may be abandoned until the live file is replaced: then it is left
    // as it was and false is returned without a message.
    bool compactRegister();
    // Opens the register again when a compaction that failed half-way left
    // it closed; throws RadaError when it cannot be opened.
    void reopenIfClosed();

    // Runs before each step, for tests that make a step fail (by returning
    // false) or stop the process there.
    enum class Step { RemoveStale, Export, Verify, Replace };
    std::function<bool(Step)> beforeStep;

    static const QString kFailureText;
    static const QString kWorkText; // "Kayıt dosyası sıkıştırılıyor..."

private:
    bool step(Step s) { return !beforeStep || beforeStep(s); }

    Database& m_connection;
    FileSystem& m_fs;
    Dialogs& m_dialogs;
};

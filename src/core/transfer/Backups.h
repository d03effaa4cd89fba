// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include "platform/core/Dialogs.h"

#include <functional>
#include <memory>
#include <optional>

class Clock;
class Database;
class FileSystem;
class Store;

// Encrypted backups of the register: compacted copies under the register's
// key at that moment, checked and on the disk before they take their name,
// kept for a month at most and ten at most. Every backup goes through the
// program's own connection, which must be open with no transaction pending.
class Backups
{
public:
    Backups(Database& db, FileSystem& fs, Clock& clock);
    // Where a backup and a restore show their progress and may be
    // abandoned; without one they run without a word.
    void setDialogs(Dialogs* dialogs) { m_dialogs = dialogs; }
    static const QString kMaking;     // "Yedek alınıyor..."
    static const QString kRestoring;  // "Yedekten geri yükleniyor..."

    static constexpr int kKeepDays = 30;
    static constexpr int kKeepCount = 10;
    // The folder beside the register when none is chosen.
    static const QString kDefaultFolderName; // "Yedekler"
    // %1: the folder, %2: the reason.
    static const QString kFailure;
    // %1: the backup, %2: the reason.
    static const QString kRestoreFailure;
    static const QString kWrongKey;
    static const QString kDamaged;
    // Headings of the backups named after a password change.
    static const QString kNotReencrypted;
    static const QString kUnderAnotherKey;
    static const QString kDamagedDeleted;
    static const QString kDamagedNotDeleted;
    // After an erasure: %1 the number of backups rewritten; the heading of
    // those that still hold the records.
    static const QString kErasedFromBackups;
    static const QString kNotErasedFromBackups;

    // Where backups go: the folder chosen, or "Yedekler" beside the register.
    QString folder();
    // Stores the choice (an empty folder: beside the register). False, with
    // the reason, when it cannot be stored.
    bool setFolder(const QString& folder, QString* reason = nullptr);
    // True when other users may put files into the folder, where a backup
    // is no longer the clerk's alone to make; said when it is chosen.
    bool folderIsShared();
    static const QString kSharedFolder;

    // Makes one backup now and deletes those past keeping. The message
    // naming the folder and the reason, or nothing when the backup is made.
    // A failed backup leaves no file behind. Abandoned ("İptal"), it throws
    // WorkAbandoned with the folder as it was.
    std::optional<QString> make();

    // The newest backup's moment, from the names in the folder.
    std::optional<QDateTime> newest();
    // True when no backup is younger than 24 hours.
    bool isDue(const QDateTime& now);
    // True when a backup was made on that day.
    bool madeOn(const QDate& day);

    struct Entry
    {
        QString path;
        QDateTime moment;
        int guests = -1;
        int customers = -1;
        bool opensWithKey = false;
        // Cut short or spoilt: its first page opens with the key or the
        // built-in key but the rest does not, or it is no whole number of
        // pages. Such a backup is not one under another password.
        bool damaged = false;
    };
    // Every backup, newest first; the guests and customers it holds when it
    // opens with the key (else -1 and opensWithKey false).
    QList<Entry> list(const QByteArray& key);
    // Whether the backup is damaged, as Entry::damaged says, looked at under
    // the key and the built-in key; readWithKey: its rows were read with the
    // key already, only its size is left to look at.
    static bool isDamaged(const QString& path, const QByteArray& key, bool readWithKey = false);

    // Puts a backup in the register's place: the current register is backed
    // up first, the backup's copy (opened with backupKey) keeps the current
    // run history and backup folder, is encrypted anew with the register's
    // current key, checked and renamed over the register: the password in
    // use stays the only one that opens it, whatever the backup was taken
    // under. The caller closes every table before and opens them after. The
    // message, or nothing; on failure the register is as it was and open.
    // It may be abandoned until the register is replaced: WorkAbandoned is
    // thrown with the register and the backup folder as they were.
    std::optional<QString> restore(const Entry& backup, const QByteArray& backupKey);
    // Said after a restore of a backup taken under another key: the
    // register's own password, or none.
    static const QString kRekeyedWithPassword;
    static const QString kRekeyedWithoutPassword;

    // What re-encrypting the backups came to: how many now open with the
    // register's key, and the paths of those damaged under their old key
    // (left to be deleted once the clerk is told), of those that could not
    // be rewritten (still under their old key) and of those under a key
    // neither old one is.
    struct Rewritten
    {
        int done = 0;
        QStringList damaged;
        QStringList failed;
        QStringList otherKey;
    };
    // Called after each backup with how many are done of how many.
    using Progress = std::function<void(int done, int total)>;
    // After a password change: encrypts every backup that opens with the
    // old key or the built-in key anew with the register's key. Each one is
    // exported under the new key into a file of its own beside it, checked,
    // put on the disk and renamed over the old one, so that at every moment
    // the backup is whole under exactly one of the two keys.
    Rewritten reencrypt(const QByteArray& oldKey, const Progress& progress = {});
    // After an erasure at a person's request: from every backup that opens
    // with the register's key or the built-in key, deletes the customers
    // whom finds in it (their numbers), with their last stays, rewritten as
    // reencrypt does, the rows gone with secure delete and the copy
    // compacted. A backup without them is left as it is.
    Rewritten eraseCustomers(const std::function<QList<qint64>(Store&)>& whom, const Progress& progress = {});
    // Deletes backups found damaged; false when one stays.
    bool removeDamaged(const QStringList& paths);

    // "radadir-yyyyMMdd-HHmmss.dve".
    static QString fileNameFor(const QDateTime& moment);
    // The replacement built beside the register while restoring.
    static QString restorePathFor(const QString& liveFile);

private:
    struct Found
    {
        QString path;
        QDateTime moment;
    };
    QList<Found> found();
    // The reason of a failure, or nothing; never deletes keep. Without
    // rotation, the old backups stay until the caller rotates; made: the
    // new backup's path.
    std::optional<QString> backUp(const QString& keep, bool rotation = true, QString* made = nullptr);
    std::unique_ptr<Dialogs::Work> beginWork(const QString& text);
    std::optional<QString> buildReplacement(const QString& backup, const QByteArray& backupKey,
                                            const QList<int>& backupCounts, const QString& replacement);
    // An encrypted, compacted copy of the register through its connection.
    void exportTo(const QString& path);
    void rotate(const QString& keep);
    // Rewrites one backup opened with fromKey under the register's key:
    // exported into a file of its own beside it, edited there (when edit is
    // given) and exported once more, compacted, checked, put on the disk and
    // renamed over it. The reason of a failure, or nothing; on failure the
    // backup is as it was.
    std::optional<QString> rewrite(const QString& path, const QByteArray& fromKey,
                                   const std::function<void(Database&)>& edit = {});
    void removeTemporary(const QString& path);

    Database& m_db;
    FileSystem& m_fs;
    Clock& m_clock;
    Dialogs* m_dialogs = nullptr;
};

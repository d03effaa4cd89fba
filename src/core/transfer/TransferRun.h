// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/Store.h"
#include "core/transfer/Completeness.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct Platform;
class Compaction;
class Tables;

// The transfer run: writes the notification file of the whole guest
// register, then deletes the departed guests the file has carried and
// compacts the database. The file is complete on disk before any guest is
// deleted, and the purge is all or nothing. The guest window hears of the
// run through the signals; the run itself needs no window.
class TransferRun : public QObject
{
    Q_OBJECT
public:
    // facilityCode: the code as the main window shows it. Without a
    // compaction (a register on a server) the run leaves that step out.
    TransferRun(Platform& platform, Store& store, Tables& tables, Compaction* compaction,
                std::function<QString()> facilityCode, QObject* parent = nullptr);

    // The run as the clerk starts it: refused while the facility is not set
    // up (the file would carry no facility code); a guest being edited is
    // stored first, then the save dialog asks for the file. False when the run stopped
    // before its end (a refusal, a cancelled dialog, a failure).
    bool run();
    // The part after the dialog, on a chosen path.
    bool runTo(const QString& path);

    // "yyyy-MM-dd HH-mm-ss" of the moment.
    static QString defaultFileName(const QDateTime& moment);

    static const QString kNotSetUpText;
    static const QString kSuccessText;
    // After the failure message, when the purge had already been committed.
    static const QString kPurgedText;
    static const QString kFailureText;
    // After the failure message, when the file was written but the purge was
    // refused; kNotRecordedText follows when the run could not be recorded.
    static const QString kNotPurgedText;
    static const QString kNotRecordedText;
    static const QString kDialogTitle;
    // Another desk on the same server is running a transfer.
    static const QString kBusyText;
    // The connection that held the run's lock broke before the file was written.
    static const QString kConnectionLostText;

    // What the last run spent where, for the benchmark.
    struct Timings
    {
        qint64 composeMs = 0;
        qint64 writeMs = 0;
        qint64 purgeMs = 0;
        qint64 compactMs = 0;
    };
    Timings lastTimings;

    // Shown the guests the notification system is likely to refuse, once the
    // rows of the file are final and before anything is written; without it
    // the run goes on.
    Completeness::Ask reviewFindings;

    // Makes a backup once the run has purged and compacted the register;
    // its failure message, or nothing. Without it no backup is made.
    std::function<std::optional<QString>()> backUp;

    // For the tests of what survives a crash: called when the file has been
    // written, and inside the purge's transaction before it commits.
    enum class Step { Written, Purging };
    std::function<void(Step)> onStep;

Q_SIGNALS:
    // The run was refused because the facility is not set up yet: the
    // first-run window asks for code and name.
    void facilityMissing();
    // After the success message.
    void succeeded();

private:
    QString askPath();
    // Deletes the guests of the purge list in one transaction, each only
    // at the version the file carries (another desk may have changed it
    // since: it stays for the next file); the keys deleted.
    // The check before the run, shown as long as it has something to show
    // and, where other desks write, again while rows saved meanwhile bring
    // new problems; false when the run is to stop.
    bool reviewUntilSettled(const QDateTime& tarih);
    QList<qint64> purgeDeparted();
    // Holds the run's lock among desks for the scope; false (and told)
    // when another desk holds it.
    bool claimRun();
    // Gives the guest window its data back, whatever state the run left.
    void restoreTables();
    // The failure message, and a further one when there is one to give.
    void fail(const QString& text, const QString& afterwards = QString());
    void step(Step s);
    // Makes the guest with this key the current one, with the focus in the
    // box of the column.
    void showGuest(qint64 key, const QString& column);

    Platform& m_platform;
    Store& m_store;
    Tables& m_tables;
    Compaction* m_compaction;
    std::function<QString()> m_facilityCode;
    QList<Store::VersionedKey> m_purgeList;
};

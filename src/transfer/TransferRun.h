#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

struct Platform;
class Compaction;
class Database;
class Dataset;
class GuestEntry;
class QWidget;

// The transfer run: writes the notification file of the whole guest
// register, then deletes the departed guests the file has carried and
// compacts the database. The file is complete on disk before any guest is
// deleted, and the purge is all or nothing.
class TransferRun
{
public:
    struct Window
    {
        GuestEntry& entry;
        // The facility code as the main window shows it.
        std::function<QString()> facilityCode;
        // Every dataset on the connection, in the order they are opened again
        // (the customer table first, the guest table last).
        std::function<QList<Dataset*>()> tables;
        QWidget* firstNameBox;
    };

    TransferRun(Platform& platform, Database& connection, Compaction& compaction, Window window);

    void SpeedButton11Click();

    // "yyyy-MM-dd HH-mm-ss" of the moment.
    static QString defaultFileName(const QDateTime& moment);

    static const QString kSuccessText;
    static const QString kFailureText;
    static const QString kDialogTitle;

    // What the last run did, for the benchmark and the tests.
    struct Timings
    {
        qint64 composeMs = 0;
        qint64 writeMs = 0;
        qint64 purgeMs = 0;
        qint64 compactMs = 0;
    };
    Timings lastTimings;

    // Runs the part after the dialog on a chosen path; false when it stopped
    // with a message.
    bool runTo(const QString& path);

private:
    QString askPath();
    // Deletes the guests of the purge list in one transaction.
    void Sil();
    void VeriSil(const QList<qint64>& ids);
    // Gives the entry window its data back, whatever state the run left.
    void restoreWindow();
    void fail(const QString& text);

    Platform& m_platform;
    Database& m_connection;
    Compaction& m_compaction;
    Window m_window;
    QStringList m_purgeList;
};

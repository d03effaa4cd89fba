// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/Database.h"
#include "core/shell/StartOptions.h"
#include "platform/core/Console.h"
#include "platform/core/Platform.h"

#include <functional>
#include <memory>
#include <optional>

class BackupCommands;
class BackupSchedule;
class Backups;
class Compaction;
class PgStore;
class CustomerDestruction;
class LastStayRecorder;
class PersonalDataCommands;
class QTimer;
class RegisterLock;
class SingleInstance;
class Tables;
class TransferRun;
class MainWindow;
class GuestSearchWindow;
class CustomerWindow;
class FacilitySetupWindow;
class SplashScreen;

// The running program: its database connection, the tables over it, the
// transfer run, the personal-data duties, the backups and its windows,
// built in the order the start needs them and taken down in the reverse.
class Program
{
public:
    // Takes the register's lock, removes a compaction copy that a crash left
    // behind, opens (or creates) the database and every table, then builds
    // the rest over them. Throws DatabaseOpenError, also when another copy
    // holds the register. With a server's connection string the register is
    // the server's database instead: no lock, no password, no compaction, no
    // backups; the file at databasePath is not touched. The splash is shown
    // during the start and kept for the first-run window's set-up.
    Program(Platform& platform, const QString& databasePath, const QString& programDir, const QString& server,
            std::unique_ptr<SplashScreen> splash);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The register's store: the server's database or the file.
    Store& store();
    bool onServer() const { return m_server != nullptr; }
    // True when the start made the register's tables.
    bool createdNew() const;

    // The register file; not opened with a server.
    Database& database() { return m_database; }
    PgStore* server() const { return m_server.get(); }
    Tables* tables() const { return m_tables.get(); }
    TransferRun* transfer() const { return m_transfer.get(); }
    // None with a server.
    Backups* backups() const { return m_backups.get(); }
    QTimer* backupTimer() const { return m_backupTimer.get(); }
    LastStayRecorder* lastStays() const { return m_lastStays.get(); }
    PersonalDataCommands* personalData() const { return m_personalData.get(); }
    SplashScreen* splash() const { return m_splash.get(); }
    MainWindow* mainWindow() const { return m_mainWindow.get(); }
    GuestSearchWindow* searchWindow() const { return m_searchWindow.get(); }
    CustomerWindow* customerWindow() const { return m_customerWindow.get(); }
    FacilitySetupWindow* facilityWindow() const { return m_facilityWindow.get(); }

private:
    // The lock, the password and the tables of the register file.
    void openFile();
    // The tables of the register on a server.
    void openServer(const QString& connection);
    // The transfer run and the windows over the tables.
    void buildWindows(const QString& programDir);
    // The customers' last stays and their destruction past the retention
    // period: at start and then whenever it is due.
    void startPersonalData();
    // Backups of the register file: one at the first start of a day, one
    // after every successful run, and one whenever the newest is a day old
    // and nothing is edited.
    void startBackups();

    Platform& m_platform;
    std::unique_ptr<SplashScreen> m_splash;
    // Held for as long as the database is open; none with a server.
    std::unique_ptr<RegisterLock> m_lock;
    Database m_database;
    std::unique_ptr<PgStore> m_server;
    std::unique_ptr<Tables> m_tables;
    // None with a server: the server keeps its own files.
    std::unique_ptr<Compaction> m_compaction;
    std::unique_ptr<TransferRun> m_transfer;
    std::unique_ptr<Backups> m_backups;
    std::unique_ptr<BackupSchedule> m_backupSchedule;
    std::unique_ptr<BackupCommands> m_backupCommands;
    // Asks now and then whether a backup is due while the program runs.
    std::unique_ptr<QTimer> m_backupTimer;
    std::unique_ptr<LastStayRecorder> m_lastStays;
    std::unique_ptr<CustomerDestruction> m_destruction;
    std::unique_ptr<PersonalDataCommands> m_personalData;
    std::unique_ptr<QTimer> m_destructionTimer;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<GuestSearchWindow> m_searchWindow;
    std::unique_ptr<CustomerWindow> m_customerWindow;
    std::unique_ptr<FacilitySetupWindow> m_facilityWindow;
};

// The program's start: the single-instance guard, the splash, the database
// and the windows. Returns null, with the process's exit code, when the
// program must end instead of running.
// programDir is where the program's transient files go; empty for the
// program's own directory (GetAppPath()). server: the connection string of
// a PostgreSQL database that holds the register, empty for the file; with
// one, the password and backup items are disabled and no backups are made.
std::unique_ptr<Program> startProgram(Platform& platform, SingleInstance& guard, const QString& databasePath,
                                      int& exitCode, const QString& programDir = QString(),
                                      const QString& server = QString());

// The launcher could not make the user's data folder and started the
// program with its option and the folder, so that the clerk learns why
// nothing opens: shows the folder and the system's reason through the
// start's error report and returns the exit code.
int reportDataFolderFailure(Platform& platform, const QString& folder);

// What the command line asks for when it is no start: the help or the
// version printed (in a message box where there is no terminal), or a
// refusal written to the standard error and shown in a message box. The
// exit code then; nothing when the program goes on.
using ConsoleWrite = std::function<bool(const QString& text, Console::Stream stream)>;
std::optional<int> answerCommandLine(const StartOptions& options, Dialogs& dialogs,
                                     const ConsoleWrite& write = Console::write);

inline const QString kAlreadyRunningCaption = QStringLiteral("Program Zaten Açık...");
inline const QString kAlreadyRunningText = QStringLiteral(
    "Aynı anda yalnızca bir Rirede Zarevave Rurored programı kullanılabilir.\r\n\r\n"
    "Lütfen \"Tamam\" tuşuna basarak bu programı sonlandırınız.");

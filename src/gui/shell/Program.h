// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/Database.h"
#include "core/shell/StartOptions.h"
#include "platform/core/Console.h"
#include "platform/core/Platform.h"

#include <functional>
#include <memory>
#include <optional>

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
// transfer run, and its windows, created in the order main window, search
// window, customer window, first-run window.
class Program
{
public:
    // Takes the register's lock, removes a compaction copy that a crash left
    // behind, opens (or creates) the database and every table. Throws
    // DatabaseOpenError, also when another copy holds the register.
    // With a server's connection string the register is the server's
    // database instead: no lock, no password, no compaction; the file at
    // databasePath is not touched.
    Program(Platform& platform, const QString& databasePath, const QString& server = QString());
    ~Program();

    // The register's store: the server's database or the file.
    Store& store();
    bool onServer() const { return server != nullptr; }
    // True when the start made the register's tables.
    bool createdNew() const;

    Platform& platform;
    // Held for as long as the database is open; none with a server.
    std::unique_ptr<RegisterLock> lock;
    // The register file; not opened with a server.
    Database database;
    std::unique_ptr<PgStore> server;
    std::unique_ptr<Tables> tables;
    // None with a server: the server keeps its own files.
    std::unique_ptr<Compaction> compaction;
    std::unique_ptr<TransferRun> transfer;
    std::unique_ptr<Backups> backups;
    std::unique_ptr<BackupSchedule> backupSchedule;
    // Asks now and then whether a backup is due while the program runs.
    std::unique_ptr<QTimer> backupTimer;
    // The customers' last stays, and the destruction of those past the
    // retention period: at start and then whenever it is due.
    std::unique_ptr<LastStayRecorder> lastStays;
    std::unique_ptr<CustomerDestruction> destruction;
    std::unique_ptr<PersonalDataCommands> personalData;
    std::unique_ptr<QTimer> destructionTimer;
    std::unique_ptr<SplashScreen> splash;
    std::unique_ptr<MainWindow> mainWindow;
    std::unique_ptr<GuestSearchWindow> searchWindow;
    std::unique_ptr<CustomerWindow> customerWindow;
    std::unique_ptr<FacilitySetupWindow> facilityWindow;
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

#pragma once

#include "core/register/Database.h"
#include "platform/core/Platform.h"

#include <memory>

class BackupSchedule;
class Backups;
class Compaction;
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
    Program(Platform& platform, const QString& databasePath);
    ~Program();

    Platform& platform;
    // Held for as long as the database is open.
    std::unique_ptr<RegisterLock> lock;
    Database database;
    std::unique_ptr<Tables> tables;
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
// program's own directory (GetAppPath()).
std::unique_ptr<Program> startProgram(Platform& platform, SingleInstance& guard, const QString& databasePath,
                                      int& exitCode, const QString& programDir = QString());

// The launcher could not make the user's data folder and started the
// program with this option and the folder, so that the clerk learns why
// nothing opens: shows the folder and the system's reason through the
// start's error report and returns the exit code.
inline const QString kDataFolderFailedOption = QStringLiteral("--data-folder-failed");
int reportDataFolderFailure(Platform& platform, const QString& folder);

inline const QString kAlreadyRunningCaption = QStringLiteral("Program Zaten Açık...");
inline const QString kAlreadyRunningText = QStringLiteral(
    "Aynı anda yalnızca bir Rirede Zarevave Rurored programı kullanılabilir.\r\n\r\n"
    "Lütfen \"Tamam\" tuşuna basarak bu programı sonlandırınız.");

// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/Program.h"

#include "core/customers/CustomerDestruction.h"
#include "core/customers/LastStayRecorder.h"
#include "core/customers/PersonalDataSearch.h"
#include "core/register/Dataset.h"
#include "core/register/PgStore.h"
#include "core/register/RegisterPassword.h"
#include "core/register/Tables.h"
#include "core/shell/Facility.h"
#include "core/transfer/BackupSchedule.h"
#include "core/transfer/Backups.h"
#include "core/transfer/Compaction.h"
#include "core/transfer/TransferRun.h"
#include "gui/customers/CustomerWindow.h"
#include "gui/customers/GuestSearchWindow.h"
#include "gui/customers/PersonalDataCommands.h"
#include "gui/register/GuestEntry.h"
#include "gui/shell/FacilitySetupWindow.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/SplashScreen.h"
#include "gui/transfer/CompletenessDialog.h"
#include "gui/widgets/LedDisplay.h"
#include "platform/core/AppPath.h"
#include "platform/core/Dialogs.h"
#include "platform/core/FileSystem.h"
#include "platform/core/RegisterLock.h"
#include "platform/core/SingleInstance.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>

namespace {

const QString kServerUnreachableText = QStringLiteral("Veritabanı sunucusuna bağlanılamadı.\n%1");
const QString kServerRefusedText = QStringLiteral("Sunucudaki veritabanı açılamadı.\n%1");

// Backups of the register file: one at the first start of a day, one after
// every successful run, and one whenever the newest is a day old and
// nothing is edited.
void startBackups(Program& program)
{
    Platform& platform = program.platform;
    MainWindow* mainWindow = program.mainWindow.get();
    program.backups = std::make_unique<Backups>(program.database, platform.fs, platform.clock);
    program.backups->setDialogs(&platform.dialogs);
    program.backupSchedule = std::make_unique<BackupSchedule>(*program.backups, platform.clock);
    BackupSchedule* schedule = program.backupSchedule.get();
    program.mainWindow->setBackups(program.backups.get());
    program.transfer->backUp = [schedule] { return schedule->afterRun(); };
    if (const auto failure = schedule->atStart())
        platform.dialogs.message(kAppTitle, *failure, Dialogs::Icon::Warning, Dialogs::Ok, Dialogs::Ok);
    program.backupTimer = std::make_unique<QTimer>();
    program.backupTimer->setObjectName(QStringLiteral("BackupTimer"));
    program.backupTimer->setInterval(BackupSchedule::kCheckIntervalMs);
    Platform* adapters = &platform;
    Tables* tables = program.tables.get();
    QObject::connect(program.backupTimer.get(), &QTimer::timeout, mainWindow, [schedule, mainWindow, adapters, tables] {
        // Not in the middle of anything: no edit pending, no dialog open
        // (a transfer run or a restore may be waiting in one), every table open.
        const bool busy =
            mainWindow->editPending() || QApplication::activeModalWidget() != nullptr || Dialogs::working() ||
            !tables->allOpen();
        if (const auto failure = schedule->whileRunning(busy))
            adapters->dialogs.message(kAppTitle, *failure, Dialogs::Icon::Warning, Dialogs::Ok, Dialogs::Ok);
    });
    program.backupTimer->start();
}

// An erasure at a person's request reaches every backup; what the clerk
// is told of them, or nothing when none held the records.
std::optional<QString> eraseFromBackups(Backups& backups, Dialogs& dialogs, const PersonalDataSearch::Query& query)
{
    Backups::Rewritten outcome;
    {
        const std::unique_ptr<Dialogs::Work> work =
            dialogs.beginWork({QStringLiteral("Kayıtlar yedeklerden siliniyor..."), false});
        outcome = backups.eraseCustomers(
            [&query](Store& store) {
                QList<qint64> keys;
                for (const PersonalDataSearch::Record& r : PersonalDataSearch::find(store, query).customers)
                    keys << r.key;
                return keys;
            },
            [&work](int done, int total) { work->setProgress(done, total); });
    }
    QStringList said;
    if (outcome.done > 0)
        said << Backups::kErasedFromBackups.arg(outcome.done);
    const QStringList left = outcome.failed + outcome.damaged + outcome.otherKey;
    if (!left.isEmpty()) {
        said << Backups::kNotErasedFromBackups;
        for (const QString& path : left)
            said << QDir::toNativeSeparators(path);
    }
    if (said.isEmpty())
        return std::nullopt;
    return said.join(QLatin1Char('\r'));
}

} // namespace

Program::Program(Platform& p, const QString& databasePath, const QString& serverConnection)
    : platform(p), database(databasePath)
{
    if (!serverConnection.isEmpty()) {
        // The connection string is not repeated: it may carry a password.
        server = std::make_unique<PgStore>(serverConnection);
        server->setDialogs(&platform.dialogs);
        try {
            server->open();
            tables = std::make_unique<Tables>(*server, platform.clock, platform.dialogs);
            tables->openAll();
        } catch (const StoreError& e) {
            // A failure of a known kind says so on its first line.
            if (e.failure() != Failure::Kind::Other)
                throw DatabaseOpenError(e.text());
            if (dynamic_cast<const StoreUnreachable*>(&e))
                throw DatabaseOpenError(kServerUnreachableText.arg(e.text()));
            throw DatabaseOpenError(kServerRefusedText.arg(e.text()));
        } catch (const RadaError& e) {
            throw DatabaseOpenError(kServerRefusedText.arg(e.text()));
        }
        return;
    }
    // The lock, like the compaction, goes with the file itself: a copy that
    // reaches it through a link, or not, must meet the same lock.
    lock = std::make_unique<RegisterLock>(database.filePath());
    switch (lock->acquire()) {
    case RegisterLock::Result::Acquired:
        break;
    case RegisterLock::Result::HeldByOther: {
        QString text = QStringLiteral("Kayıt dosyası şu anda başka bir programda açık:\r%1")
                           .arg(QDir::toNativeSeparators(database.path()));
        if (!lock->detail().isEmpty())
            text += QStringLiteral("\rKullanan: %1").arg(lock->detail());
        text += QStringLiteral("\rAynı kayıt dosyası aynı anda yalnızca bir programda kullanılabilir.");
        throw DatabaseOpenError(text);
    }
    case RegisterLock::Result::Failed:
        throw DatabaseOpenError(QStringLiteral("Veritabanı açılamadı: %1\n%2")
                                    .arg(QDir::toNativeSeparators(database.path()), lock->detail()));
    }
    // Nothing is touched before the register is known to be writable.
    RegisterPassword::openAsking(database, platform.dialogs);
    // A copy that a compaction killed half-way left behind holds guests
    // nobody needs; only the lock holder may take it away.
    platform.fs.remove(Compaction::compactionPathFor(database.filePath()));
    tables = std::make_unique<Tables>(database, platform.clock, platform.dialogs);
    compaction = std::make_unique<Compaction>(database, platform.fs, platform.dialogs);
    try {
        tables->openAll();
    } catch (const RadaError& e) {
        throw DatabaseOpenError(QStringLiteral("Veritabanı açılamadı: %1\n%2").arg(database.path(), e.text()));
    }
}

Store& Program::store()
{
    if (server)
        return *server;
    return database;
}

bool Program::createdNew() const
{
    return server ? server->createdNew() : database.createdNew();
}

Program::~Program()
{
    if (server)
        server->onConnection = nullptr;
    facilityWindow.reset();
    customerWindow.reset();
    searchWindow.reset();
    mainWindow.reset();
    splash.reset();
    backupTimer.reset();
    destructionTimer.reset();
    personalData.reset();
    destruction.reset();
    lastStays.reset();
    transfer.reset();
    backupSchedule.reset();
    backups.reset();
    tables.reset();
    server.reset();
    database.close();
    lock.reset();
}

std::unique_ptr<Program> startProgram(Platform& platform, SingleInstance& guard, const QString& databasePath,
                                      int& exitCode, const QString& programDir, const QString& server)
{
    exitCode = 0;
    switch (guard.tryAcquire()) {
    case SingleInstance::Result::Acquired:
        break;
    case SingleInstance::Result::Failed:
        platform.dialogs.reportError(QStringLiteral("Program başlatılamadı.\r%1").arg(guard.error()));
        exitCode = 1;
        return nullptr;
    case SingleInstance::Result::Running:
        platform.dialogs.message(kAlreadyRunningCaption, kAlreadyRunningText, Dialogs::Icon::Error, Dialogs::Ok,
                                 Dialogs::Ok);
        guard.activateRunningCopy();
        return nullptr;
    }

    auto splash = std::make_unique<SplashScreen>(platform.clock);
    splash->show();
    splash->repaint();
    QCoreApplication::setApplicationName(kAppTitle);

    std::unique_ptr<Program> program;
    try {
        program = std::make_unique<Program>(platform, databasePath, server);
    } catch (const DatabaseOpenError& e) {
        splash->hide();
        platform.dialogs.reportError(e.text());
        exitCode = 1;
        return nullptr;
    }
    program->splash = std::move(splash);
    Program* prog = program.get();
    // The stored code, which the main window's display shows unchanged.
    program->transfer = std::make_unique<TransferRun>(platform, program->store(), *program->tables,
                                                      program->compaction.get(), [prog] {
                                                          return Facility::code(*prog->tables->ayar);
                                                      });
    program->mainWindow = std::make_unique<MainWindow>(
        platform, program->onServer() ? nullptr : &program->database, *program->tables, *program->transfer,
        MainWindow::Places{programDir.isEmpty() ? GetAppPath() : programDir, program->database.path()});
    // The search and customer windows belong to the main window: no
    // taskbar entries of their own, and closing the main window ends the
    // program whatever else is open.
    program->searchWindow = std::make_unique<GuestSearchWindow>(program->tables->kisi, program->mainWindow.get());
    program->customerWindow = std::make_unique<CustomerWindow>(platform, *program->tables, program->mainWindow.get());
    MainWindow* mainWindow = program->mainWindow.get();
    program->transfer->reviewFindings = [mainWindow](const QList<Completeness::Finding>& findings) {
        return CompletenessDialog::ask(findings, mainWindow);
    };
    program->facilityWindow = std::make_unique<FacilitySetupWindow>(platform.dialogs, *program->tables->ayar);
    if (!program->onServer() && program->createdNew())
        program->facilityWindow->showNewRegister(program->database.path());
    program->mainWindow->setWindows(program->searchWindow.get(), program->customerWindow.get(), program->facilityWindow.get());

    // The personal-data duties. Pending edits are settled as before a run;
    // the destruction is due at intervals of at most six months.
    program->lastStays = std::make_unique<LastStayRecorder>(*program->tables, platform.clock);
    mainWindow->customerCopied = [stays = program->lastStays.get()](qint64 key) { stays->customerCopied(key); };
    program->destruction = std::make_unique<CustomerDestruction>(program->store(), *program->tables,
                                                                 program->compaction.get(), platform.clock);
    program->destruction->setDialogs(&platform.dialogs);
    program->personalData = std::make_unique<PersonalDataCommands>(
        platform, program->store(), *program->tables, *program->destruction,
        [tables = program->tables.get()] { return tables->settleAll(); },
        mainWindow);
    // The backups are there once the start is through (none on a server).
    program->personalData->eraseFromBackups = [prog, &dialogs = platform.dialogs](const PersonalDataSearch::Query& query) {
        return prog->backups ? eraseFromBackups(*prog->backups, dialogs, query) : std::optional<QString>();
    };
    program->mainWindow->setPersonalData(program->personalData.get());
    program->personalData->destroyIfDue();
    program->destructionTimer = std::make_unique<QTimer>();
    program->destructionTimer->setObjectName(QStringLiteral("DestructionTimer"));
    // Asked every hour, so that a day when a dialog was open at the hour
    // is not lost; due at most once in six months.
    program->destructionTimer->setInterval(60 * 60 * 1000);
    QObject::connect(program->destructionTimer.get(), &QTimer::timeout, program->personalData.get(),
                     [commands = program->personalData.get()] {
                         // Never under a dialog (a run or a restore may be waiting in
                         // one) nor during other work.
                         if (QApplication::activeModalWidget() == nullptr && !Dialogs::working())
                             commands->destroyIfDue();
                     });
    program->destructionTimer->start();

    // A server keeps its own copies (pg_dump) and access rules.
    if (!program->onServer())
        startBackups(*program);

    MainWindow* main = program->mainWindow.get();
    if (program->server)
        program->server->onConnection = [main](bool connected) { main->setServerConnected(connected); };
    guard.listen();
    QObject::connect(&guard, &SingleInstance::activationRequested, main, &MainWindow::bringToFront);
    return program;
}

int reportDataFolderFailure(Platform& platform, const QString& folder)
{
    // The launcher's attempt is made again to learn the reason; a folder
    // that is not absolute was to be in a home folder nobody named.
    QString reason;
    if (!QDir::isAbsolutePath(folder))
        reason = QStringLiteral("Ev klasörü (HOME) belirlenemedi.");
    else if (makePrivateFolder(folder, &reason))
        reason = QStringLiteral("Klasöre erişilemedi.");
    platform.dialogs.reportError(
        QStringLiteral("Veri klasörü oluşturulamadı: %1\r%2").arg(QDir::toNativeSeparators(folder), reason));
    return 1;
}

std::optional<int> answerCommandLine(const StartOptions& options, Dialogs& dialogs, const ConsoleWrite& write)
{
    switch (options.action) {
    case StartOptions::Action::Print:
        if (!write(options.text, Console::Stream::Output))
            dialogs.message(kAppTitle, options.text, Dialogs::Icon::Information, Dialogs::Ok, Dialogs::Ok);
        return 0;
    case StartOptions::Action::Refuse:
        write(options.text, Console::Stream::Error);
        dialogs.message(kAppTitle, options.text, Dialogs::Icon::Error, Dialogs::Ok, Dialogs::Ok);
        return StartOptions::kUsageExit;
    case StartOptions::Action::Start:
    case StartOptions::Action::CopyToServer:
    case StartOptions::Action::ReportDataFolder:
        break;
    }
    return std::nullopt;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/Program.h"

#include "core/customers/CustomerDestruction.h"
#include "core/customers/LastStayRecorder.h"
#include "core/customers/PersonalDataCommands.h"
#include "core/customers/PersonalDataSearch.h"
#include "core/register/Dataset.h"
#include "core/register/PgStore.h"
#include "core/register/RegisterPassword.h"
#include "core/register/Tables.h"
#include "core/shell/Facility.h"
#include "core/transfer/BackupCommands.h"
#include "core/transfer/BackupSchedule.h"
#include "core/transfer/Backups.h"
#include "core/transfer/Compaction.h"
#include "core/transfer/TransferRun.h"
#include "gui/customers/CustomerWindow.h"
#include "gui/customers/GuestSearchWindow.h"
#include "gui/customers/DestructionLogWindow.h"
#include "gui/customers/PersonalDataRequestWindow.h"
#include "gui/customers/RetentionPeriodDialog.h"
#include "gui/register/GuestEntry.h"
#include "gui/shell/FacilitySetupWindow.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/SplashScreen.h"
#include "gui/transfer/CompletenessDialog.h"
#include "gui/transfer/RestoreWindow.h"
#include "gui/widgets/LedDisplay.h"
#include "platform/core/AppPath.h"
#include "platform/core/Clock.h"
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

} // namespace

Program::Program(Platform& platform, const QString& databasePath, const QString& programDir,
                 const QString& server, std::unique_ptr<SplashScreen> splash)
    : m_platform(platform), m_splash(std::move(splash)), m_database(databasePath)
{
    if (server.isEmpty())
        openFile();
    else
        openServer(server);
    buildWindows(programDir);
    startPersonalData();
    // A server keeps its own copies (pg_dump) and access rules.
    if (!onServer())
        startBackups();
    if (m_server) {
        MainWindow* main = m_mainWindow.get();
        m_server->onConnection = [main](bool connected) { main->setServerConnected(connected); };
    }
}

void Program::openServer(const QString& connection)
{
    // The connection string is not repeated: it may carry a password.
    m_server = std::make_unique<PgStore>(connection);
    m_server->setDialogs(&m_platform.dialogs);
    try {
        m_server->open();
        m_tables = std::make_unique<Tables>(*m_server, m_platform.clock, m_platform.dialogs);
        m_tables->openAll();
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
}

void Program::openFile()
{
    // The lock, like the compaction, goes with the file itself: a copy that
    // reaches it through a link, or not, must meet the same lock.
    m_lock = std::make_unique<RegisterLock>(m_database.filePath());
    switch (m_lock->acquire()) {
    case RegisterLock::Result::Acquired:
        break;
    case RegisterLock::Result::HeldByOther: {
        QString text = QStringLiteral("Kayıt dosyası şu anda başka bir programda açık:\r%1")
                           .arg(QDir::toNativeSeparators(m_database.path()));
        if (!m_lock->detail().isEmpty())
            text += QStringLiteral("\rKullanan: %1").arg(m_lock->detail());
        text += QStringLiteral("\rAynı kayıt dosyası aynı anda yalnızca bir programda kullanılabilir.");
        throw DatabaseOpenError(text);
    }
    case RegisterLock::Result::Failed:
        throw DatabaseOpenError(QStringLiteral("Veritabanı açılamadı: %1\n%2")
                                    .arg(QDir::toNativeSeparators(m_database.path()), m_lock->detail()));
    }
    // Nothing is touched before the register is known to be writable.
    RegisterPassword::openAsking(m_database, m_platform.dialogs);
    // A copy that a compaction killed half-way left behind holds guests
    // nobody needs; only the lock holder may take it away.
    m_platform.fs.remove(Compaction::compactionPathFor(m_database.filePath()));
    m_tables = std::make_unique<Tables>(m_database, m_platform.clock, m_platform.dialogs);
    m_compaction = std::make_unique<Compaction>(m_database, m_platform.fs, m_platform.dialogs);
    try {
        m_tables->openAll();
    } catch (const RadaError& e) {
        throw DatabaseOpenError(QStringLiteral("Veritabanı açılamadı: %1\n%2").arg(m_database.path(), e.text()));
    }
}

void Program::buildWindows(const QString& programDir)
{
    Tables* tables = m_tables.get();
    // The stored code, which the main window's display shows unchanged.
    m_transfer = std::make_unique<TransferRun>(m_platform, store(), *tables, m_compaction.get(),
                                               [tables] { return Facility::code(*tables->ayar); });
    m_mainWindow = std::make_unique<MainWindow>(
        m_platform, onServer() ? nullptr : &m_database, *tables, *m_transfer,
        MainWindow::Places{programDir.isEmpty() ? GetAppPath() : programDir, m_database.path()});
    MainWindow* mainWindow = m_mainWindow.get();
    // The search and customer windows belong to the main window: no
    // taskbar entries of their own, and closing the main window ends the
    // program whatever else is open.
    m_searchWindow = std::make_unique<GuestSearchWindow>(tables->kisi, mainWindow);
    m_customerWindow = std::make_unique<CustomerWindow>(m_platform, *tables, mainWindow);
    m_transfer->reviewFindings = [mainWindow](const QList<Completeness::Finding>& findings) {
        return CompletenessDialog::ask(findings, mainWindow);
    };
    m_facilityWindow = std::make_unique<FacilitySetupWindow>(m_platform.dialogs, *tables->ayar);
    if (!onServer() && createdNew())
        m_facilityWindow->showNewRegister(m_database.path());
    mainWindow->setWindows(m_searchWindow.get(), m_customerWindow.get(), m_facilityWindow.get());
}

void Program::startPersonalData()
{
    Platform& platform = m_platform;
    MainWindow* mainWindow = m_mainWindow.get();
    m_lastStays = std::make_unique<LastStayRecorder>(*m_tables, platform.clock);
    mainWindow->customerCopied = [stays = m_lastStays.get()](qint64 key) { stays->customerCopied(key); };
    m_destruction = std::make_unique<CustomerDestruction>(store(), *m_tables, m_compaction.get(), platform.clock);
    m_destruction->setDialogs(&platform.dialogs);
    m_personalData = std::make_unique<PersonalDataCommands>(*m_tables, *m_destruction, platform.dialogs);
    CustomerDestruction* destruction = m_destruction.get();
    Store* register_ = &store();
    Tables* tables = m_tables.get();
    m_personalData->openRetention = [=, &platform] {
        RetentionPeriodDialog dialog(destruction->settings(), platform.dialogs, mainWindow);
        dialog.exec();
    };
    m_personalData->openLog = [=, &platform] {
        DestructionLogWindow window(*register_, platform.dialogs, mainWindow);
        window.exec();
    };
    // The backups are there once the start is through (none on a server).
    m_personalData->openRequest = [=, this, &platform] {
        PersonalDataRequestWindow window(
            platform, *register_, *destruction,
            [=, &platform] {
                return PersonalDataReport::Header{platform.clock.now(), Facility::code(*tables->ayar),
                                                  Facility::name(*tables->ayar), destruction->settings().months()};
            },
            mainWindow);
        window.eraseFromBackups = [this, &platform](const PersonalDataSearch::Query& query) {
            return m_backups ? PersonalDataCommands::eraseFromBackups(*m_backups, platform.dialogs, query)
                             : std::optional<QString>();
        };
        window.exec();
    };
    mainWindow->setPersonalData(m_personalData.get());
    m_personalData->destroyIfDue();
    m_destructionTimer = std::make_unique<QTimer>();
    m_destructionTimer->setObjectName(QStringLiteral("DestructionTimer"));
    // Asked every hour, so that a day when a dialog was open at the hour
    // is not lost; due at most once in six months.
    m_destructionTimer->setInterval(60 * 60 * 1000);
    QObject::connect(m_destructionTimer.get(), &QTimer::timeout, mainWindow,
                     [commands = m_personalData.get()] {
                         // Never under a dialog (a run or a restore may be waiting in
                         // one) nor during other work.
                         if (QApplication::activeModalWidget() == nullptr && !Dialogs::working())
                             commands->destroyIfDue();
                     });
    m_destructionTimer->start();
}

void Program::startBackups()
{
    Platform& platform = m_platform;
    MainWindow* mainWindow = m_mainWindow.get();
    m_backups = std::make_unique<Backups>(m_database, platform.fs, platform.clock);
    m_backups->setDialogs(&platform.dialogs);
    m_backupSchedule = std::make_unique<BackupSchedule>(*m_backups, platform.clock);
    BackupSchedule* schedule = m_backupSchedule.get();
    m_backupCommands = std::make_unique<BackupCommands>(*m_backups, m_database, *m_tables, platform.dialogs);
    m_backupCommands->chooseBackup = [mainWindow](const QList<Backups::Entry>& list) -> std::optional<Backups::Entry> {
        RestoreWindow window(list, mainWindow);
        if (window.exec() != QDialog::Accepted)
            return std::nullopt;
        return window.chosen();
    };
    // A backup may bring back customers destroyed since it was taken.
    m_backupCommands->restored = [commands = m_personalData.get()] { commands->destroyAfterRestore(); };
    mainWindow->setBackups(m_backupCommands.get());
    m_transfer->backUp = [schedule] { return schedule->afterRun(); };
    if (const auto failure = schedule->atStart())
        platform.dialogs.message(kAppTitle, *failure, Dialogs::Icon::Warning, Dialogs::Ok, Dialogs::Ok);
    m_backupTimer = std::make_unique<QTimer>();
    m_backupTimer->setObjectName(QStringLiteral("BackupTimer"));
    m_backupTimer->setInterval(BackupSchedule::kCheckIntervalMs);
    Platform* adapters = &platform;
    Tables* tables = m_tables.get();
    QObject::connect(m_backupTimer.get(), &QTimer::timeout, mainWindow, [schedule, mainWindow, adapters, tables] {
        // Not in the middle of anything: no edit pending, no dialog open
        // (a transfer run or a restore may be waiting in one), every table open.
        const bool busy =
            mainWindow->editPending() || QApplication::activeModalWidget() != nullptr || Dialogs::working() ||
            !tables->allOpen();
        if (const auto failure = schedule->whileRunning(busy))
            adapters->dialogs.message(kAppTitle, *failure, Dialogs::Icon::Warning, Dialogs::Ok, Dialogs::Ok);
    });
    m_backupTimer->start();
}

Store& Program::store()
{
    if (m_server)
        return *m_server;
    return m_database;
}

bool Program::createdNew() const
{
    return m_server ? m_server->createdNew() : m_database.createdNew();
}

Program::~Program()
{
    if (m_server)
        m_server->onConnection = nullptr;
    // The windows first, then what they show, then the register itself.
    m_facilityWindow.reset();
    m_customerWindow.reset();
    m_searchWindow.reset();
    m_mainWindow.reset();
    m_splash.reset();
    m_backupTimer.reset();
    m_destructionTimer.reset();
    m_backupCommands.reset();
    m_personalData.reset();
    m_destruction.reset();
    m_lastStays.reset();
    m_transfer.reset();
    m_backupSchedule.reset();
    m_backups.reset();
    m_compaction.reset();
    m_tables.reset();
    m_server.reset();
    m_database.close();
    m_lock.reset();
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
        // A register that cannot be opened takes the splash down with it,
        // before the clerk is told why.
        program = std::make_unique<Program>(platform, databasePath, programDir, server, std::move(splash));
    } catch (const DatabaseOpenError& e) {
        platform.dialogs.reportError(e.text());
        exitCode = 1;
        return nullptr;
    }
    guard.listen();
    QObject::connect(&guard, &SingleInstance::activationRequested, program->mainWindow(), &MainWindow::bringToFront);
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

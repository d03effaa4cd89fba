// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/MainWindow.h"

#include "Version.h"

#include "core/customers/CustomerCopy.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/Tables.h"
#include "core/shell/Closing.h"
#include "core/shell/Facility.h"
#include "core/customers/PersonalDataCommands.h"
#include "core/transfer/BackupCommands.h"
#include "core/transfer/TransferRun.h"
#include "gui/customers/CustomerWindow.h"
#include "gui/register/RoomBoardWindow.h"
#include "gui/transfer/StatisticsWindow.h"
#include "gui/customers/GuestSearchWindow.h"
#include "gui/register/GuestEntry.h"
#include "gui/register/PasswordWindow.h"
#include "gui/shell/AnnouncementPanel.h"
#include "gui/shell/Application.h"
#include "gui/shell/FacilitySetupWindow.h"
#include "gui/shell/SplashScreen.h"
#include "gui/transfer/HistoryWindow.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/EngravedLabel.h"
#include "gui/widgets/FocusHighlight.h"
#include "gui/widgets/FormKit.h"
#include "gui/widgets/KeyPreview.h"
#include "gui/widgets/LedDisplay.h"
#include "platform/core/AppPath.h"
#include "platform/core/Clock.h"
#include "platform/core/Dialogs.h"
#include "platform/core/Platform.h"
#include "platform/core/Shortcuts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

const QString MainWindow::kNoServerText = QStringLiteral("Sunucu bağlantısı yok");
const QString MainWindow::kSupportContact =
    QStringLiteral("E-Mail : destek@radadir.com.tr    Tel. : 0 (212) 555 01 45");

MainWindow::MainWindow(Platform& platform, Database* database, Tables& tables, TransferRun& transfer, const Places& places,
               QWidget* parent)
    : QMainWindow(parent), guests(tables.kisi), settings(tables.ayar), m_platform(platform), m_tables(tables),
      m_transfer(transfer), m_database(database), m_places(places)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(kAppTitle);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    buildMenu();
    wireMenu();
    buildFrame();
    buildStatusBar();

    entry = new GuestEntry(platform, tables, {requiredGroup, citizensGroup, otherGroup, toolbarPanel}, this);
    entry->openSearch = [this] { openSearchWindow(); };
    entry->showCustomers = [this] { showCustomerWindow(); };
    entry->customerCodeBox->installEventFilter(this);
    entry->transferRun = [this] { startTransfer(); };
    connect(&m_transfer, &TransferRun::succeeded, this, [this] { entry->nameBox->setFocus(Qt::OtherFocusReason); });
    connect(&m_transfer, &TransferRun::facilityMissing, this, [this] {
        if (m_firstRun)
            m_firstRun->exec();
    });
    highlighter = new FocusHighlighter(this, &FocusHighlighter::isEditor, entry->customerCodeBox);
    // Keyboard preview: the window sees every key before the focused control.
    new KeyPreview::Filter(this, [this](QKeyEvent* key) { return previewKey(key); });
    m_enter = new KeyPreview::EnterMover(this, [this] { focusNextChild(); });

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(688 / 2, 550 / 2));

    m_announcement = std::make_unique<Announcement>(platform.connectivity, platform.http, platform.fs, *announcementPanel,
                                                    m_places.programDir, kVersion);
    connect(announcementPanel, &AnnouncementPanel::documentComplete, this, [this] { m_announcement->documentComplete(); });
    applySettingsAndAnnouncement();
}

MainWindow::~MainWindow()
{
    m_platform.dialogs.showStatus = nullptr;
}

void MainWindow::startTransfer()
{
    m_transfer.run();
}

void MainWindow::setWindows(GuestSearchWindow* search, CustomerWindow* customers, FacilitySetupWindow* firstRun)
{
    m_search = search;
    m_customers = customers;
    m_firstRun = firstRun;
    if (m_firstRun)
        connect(m_firstRun, &FacilitySetupWindow::facilityStored, this, &MainWindow::facilityStored);
    if (m_customers)
        connect(m_customers, &CustomerWindow::transferRequested, this, &MainWindow::Aktar);
}

void MainWindow::Aktar()
{
    if (m_customers && copyCustomerToGuest(*guests, *m_tables.musteriler, *m_customers, m_platform.clock.now()) &&
        customerCopied)
        customerCopied(m_tables.musteriler->key());
}

void MainWindow::lookUpCustomerCode()
{
    const QString code = entry->customerCodeBox->text();
    if (code.isEmpty() || !entry->customerCodeTyped() || !m_customers)
        return;
    const std::optional<qint64> copied = copyCustomerWithCode(*guests, *m_tables.musteriler, *m_customers, code,
                                                              m_platform.clock.now(), m_platform.dialogs);
    if (copied && customerCopied)
        customerCopied(*copied);
}

bool MainWindow::hasUnsavedChanges() const
{
    return Closing::mustAsk(*guests, *m_tables.musteriler);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (Closing::confirm(m_platform.dialogs, m_tables))
        QMainWindow::closeEvent(event);
    else
        event->ignore();
}

void MainWindow::facilityStored()
{
    auto* splash = new SplashScreen(m_platform.clock);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    splash->repaint();
    applySettingsAndAnnouncement();
    splash->close();
}

void MainWindow::setServerConnected(bool connected)
{
    m_serverConnected = connected;
    // What a waiting call shows stays until the call is over.
    if (!Dialogs::working())
        m_platform.dialogs.showStatus(QString());
}

bool MainWindow::facilitySetUp() const
{
    return Facility::isSetUp(*settings);
}

void MainWindow::applySettingsAndAnnouncement()
{
    applyFacilitySettings();
    m_announcement->start(facilitySetUp(), Facility::code(*settings), [] {
        SetSplashStatus(QStringLiteral("Internet bağlantısı kontrol ediliyor..."), 500);
    });
    if (SplashScreen* splash = SplashScreen::last()) {
        splash->repaint();
        splash->hide();
    }
}

void MainWindow::applyFacilitySettings()
{
    SetSplashStatus(QStringLiteral("Program ayarları yapılıyor..."), 500);
    installToolTipSettings();
    SetSplashStatus(QStringLiteral("Ana Form ayarları yapılıyor..."), 500);
    setFixedSize(688, 550);
    StatusPanels[2]->setText(kVersion);
    if (facilitySetUp()) {
        renameFacilityAction->setEnabled(true);
        TesisAdiLabel->setText(Facility::name(*settings));
        TesisKoduLed->setText(Facility::code(*settings));
    }
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        // After the window is on screen, so that the first-run window opens over it.
        QMetaObject::invokeMethod(this, &MainWindow::askForFacilityOrFocus, Qt::QueuedConnection);
    }
}

void MainWindow::askForFacilityOrFocus()
{
    if (!facilitySetUp()) {
        if (m_firstRun)
            m_firstRun->exec();
        return;
    }
    TesisKoduLed->setText(Facility::code(*settings));
}

void MainWindow::renameFacility()
{
    if (const std::optional<QString> name = Facility::renameAsking(*settings, m_platform.dialogs))
        TesisAdiLabel->setText(*name);
}

void MainWindow::openSearchWindow()
{
    if (m_search)
        m_search->exec();
}

void MainWindow::showCustomerWindow()
{
    if (m_customers)
        FormKit::bringToFront(m_customers);
}

void MainWindow::showRoomBoard()
{
    if (!m_roomBoard) {
        m_roomBoard = new RoomBoardWindow(m_platform, m_tables, this);
        m_roomBoard->showGuest = [this](qint64 key) { showGuest(key); };
        m_roomBoard->addGuestToRoom = [this](qint64 key) {
            showGuest(key);
            if (guests->key() == key)
                addGuestToSameRoom();
        };
    }
    FormKit::bringToFront(m_roomBoard);
}

void MainWindow::addGuestToSameRoom()
{
    entry->newGuestInSameRoom();
}

void MainWindow::showGuest(qint64 key)
{
    for (int row = 0; row < guests->recordCount(); ++row) {
        if (guests->rowKey(row) == key) {
            // A move settles a pending change first; refused, the guest
            // being edited stays in front of the clerk.
            guests->moveToRow(row);
            break;
        }
    }
    bringToFront();
}

void MainWindow::openZoneReader()
{
    entry->readDocument(this);
}

void MainWindow::showHistory()
{
    if (!m_history)
        m_history = new HistoryWindow(m_platform, m_tables.kisi->store(), this);
    m_history->exec();
}

void MainWindow::showStatistics()
{
    if (!m_statistics)
        m_statistics = new StatisticsWindow(m_platform, m_tables, this);
    m_statistics->exec();
}

void MainWindow::changePassword()
{
    PasswordWindow window(*m_database, m_platform.dialogs, this);
    if (m_backupCommands)
        window.afterChange = [this](const QByteArray& oldKey) { m_backupCommands->reencrypt(oldKey); };
    window.exec();
}

void MainWindow::setBackups(BackupCommands* commands)
{
    m_backupCommands = commands;
    backupFolderAction->setEnabled(commands != nullptr);
    restoreAction->setEnabled(commands != nullptr);
}

void MainWindow::setPersonalData(PersonalDataCommands* commands)
{
    m_personalData = commands;
    for (QAction* action : {retentionAction, destructionLogAction, destroyAction, requestAction})
        action->setEnabled(commands != nullptr);
}

bool MainWindow::editPending() const
{
    return m_tables.kisi->isEditing() || m_tables.musteriler->isEditing();
}

void MainWindow::bringToFront()
{
    FormKit::bringToFront(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // customerCodeDoubleClicked: the customer window, to pick the customer by hand.
    if (watched == entry->customerCodeBox && event->type() == QEvent::MouseButtonDblClick) {
        showCustomerWindow();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::previewKey(QKeyEvent* key)
{
    // The customer code lookup runs on Enter in its box, before the move.
    if (KeyPreview::isPlainEnter(*key) && QApplication::focusWidget() == entry->customerCodeBox)
        lookUpCustomerCode();
    runCommandKey(key);
    return m_enter->finishKey(*key);
}

void MainWindow::runCommandKey(QKeyEvent* event)
{
    const int k = event->key();
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    if (k == Qt::Key_F3)
        openSearchWindow();
    // The record keys are the guest form's own, as in the customer window.
    entry->runRecordKey(*event);
    if (ctrl && k == Qt::Key_E)
        startTransfer();
    if (k == Qt::Key_F5)
        showCustomerWindow();
    if (k == Qt::Key_F6)
        showRoomBoard();
    if (ctrl && k == Qt::Key_G)
        addGuestToSameRoom();
    if (k == Qt::Key_F8)
        openZoneReader();
}

void MainWindow::showClock()
{
    const QDateTime now = m_platform.clock.now();
    StatusPanels[0]->setText(Formats::longDate(now.date()));
    StatusPanels[1]->setText(Formats::timeText(now.time()));
}

void MainWindow::quit()
{
    close();
}

void MainWindow::createShortcut(ShortcutPlace place)
{
    // The shortcut starts the program in the folder of the register in use.
    const ShortcutTarget target{shortcutName(kVersion), QCoreApplication::applicationFilePath(),
                                QFileInfo(m_places.registerPath).absolutePath(), shortcutIcon(m_places.programDir)};
    m_platform.shortcuts.create(target, place);
}

void MainWindow::showAbout()
{
    m_platform.dialogs.about(kAppTitle + QLatin1Char(' ') + kVersion,
                             QStringLiteral("Konaklama tesisleri için Kimlik Bildirim Sistemi programı.\n") +
                                 kSupportContact);
}

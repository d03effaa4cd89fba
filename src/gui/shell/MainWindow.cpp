// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/MainWindow.h"

#include "Version.h"

#include "core/customers/CustomerCopy.h"
#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/GuestRules.h"
#include "core/register/RegisterPassword.h"
#include "core/register/Tables.h"
#include "core/shell/Closing.h"
#include "core/shell/Facility.h"
#include "core/transfer/BackupSchedule.h"
#include "core/transfer/TransferRun.h"
#include "gui/customers/CustomerWindow.h"
#include "gui/register/RoomBoardWindow.h"
#include "gui/transfer/StatisticsWindow.h"
#include "gui/customers/GuestSearchWindow.h"
#include "gui/customers/PersonalDataCommands.h"
#include "gui/register/DocumentReaderDialog.h"
#include "gui/register/GuestEntry.h"
#include "gui/register/PasswordWindow.h"
#include "gui/shell/AnnouncementPanel.h"
#include "gui/shell/Application.h"
#include "gui/shell/FacilitySetupWindow.h"
#include "gui/shell/SplashScreen.h"
#include "gui/transfer/HistoryWindow.h"
#include "gui/transfer/RestoreWindow.h"
#include "gui/widgets/DBCheckBox.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/EngravedLabel.h"
#include "gui/widgets/FocusHighlight.h"
#include "gui/widgets/KeyPreview.h"
#include "gui/widgets/LedDisplay.h"
#include "platform/core/AppPath.h"
#include "platform/core/Clock.h"
#include "platform/core/Dialogs.h"
#include "platform/core/Platform.h"
#include "platform/core/Shortcuts.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>

const QString MainWindow::kNoServerText = QStringLiteral("Sunucu bağlantısı yok");

namespace {

const QString kSupportContact = QStringLiteral("E-Mail : destek@radadir.com.tr    Tel. : 0 (212) 555 01 45");

QGroupBox* groupBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    return box;
}

} // namespace

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
    buildFrame();
    buildStatusBar();

    clockTimer = new QTimer(this);
    clockTimer->setObjectName(QStringLiteral("Timer1"));
    clockTimer->setInterval(1000);
    connect(clockTimer, &QTimer::timeout, this, &MainWindow::showClock);
    clockTimer->start();

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
    highlighter = new FocusHighlighter(
        this,
        [](const QWidget* w) {
            return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
                   qobject_cast<const QListView*>(w) || qobject_cast<const QTextEdit*>(w) ||
                   qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const DBCheckBox*>(w) ||
                   qobject_cast<const QTableView*>(w) || qobject_cast<const QDateTimeEdit*>(w);
        },
        entry->customerCodeBox);
    connect(renameFacilityAction, &QAction::triggered, this, &MainWindow::renameFacility);
    // Keyboard preview: the window sees every key before the focused control.
    new KeyPreview::Filter(this, [this](QKeyEvent* key) { return previewKey(key); });
    m_enter = new KeyPreview::EnterMover(this, [this] { focusNextChild(); });

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(688 / 2, 550 / 2));

    m_announcement = std::make_unique<Announcement>(platform.connectivity, platform.http, platform.fs, *announcementPanel,
                                                    m_places.programDir, kVersion);
    connect(announcementPanel, &AnnouncementPanel::documentComplete, this, &MainWindow::announcementLoaded);
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
    if (!m_customers)
        return;
    if (copyCustomerToGuest(*guests, *m_tables.musteriler, *m_customers, m_platform.clock.now()) && customerCopied)
        customerCopied(m_tables.musteriler->key());
}

void MainWindow::lookUpCustomerCode()
{
    const QString code = entry->customerCodeBox->text();
    if (code.isEmpty() || !entry->customerCodeTyped() || !m_customers)
        return;
    Dataset& customers = *m_tables.musteriler;
    // Restricting the customers settles a pending customer edit first; a
    // refusal has shown the customer window's message and ends the lookup.
    if (!customers.setFilter(QStringLiteral("musteriKodu"), code))
        return;
    if (customers.recordCount() > 0)
        Aktar();
    else
        m_platform.dialogs.inform(CustomerCopy::kCodeNotFound);
    customers.clearFilter();
}

bool MainWindow::hasUnsavedChanges() const
{
    return Closing::mustAsk(*guests, *m_tables.musteriler);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Typed data are not lost without a word: with something unsaved the
    // clerk is asked once.
    if (!hasUnsavedChanges()) {
        QMainWindow::closeEvent(event);
        return;
    }
    const Dialogs::Button answer =
        m_platform.dialogs.message(kAppTitle, kUnsavedQuestion, Dialogs::Icon::Question,
                                   Dialogs::Buttons(Dialogs::Yes) | Dialogs::No | Dialogs::Cancel, Dialogs::Yes);
    if (Closing::settle(answer, *guests, *m_tables.musteriler))
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

void MainWindow::buildMenu()
{
    QMenu* ayarlar = menuBar()->addMenu(QStringLiteral("Ayarlar"));
    ayarlar->setObjectName(QStringLiteral("Ayarlar1"));
    QMenu* kisayol = ayarlar->addMenu(QStringLiteral("Kısayol Oluştur"));
    kisayol->setObjectName(QStringLiteral("KsayolOlutur1"));
    desktopShortcutAction = kisayol->addAction(QStringLiteral("Masaüstü'ne"));
    desktopShortcutAction->setObjectName(QStringLiteral("Masastne1"));
    connect(desktopShortcutAction, &QAction::triggered, this, &MainWindow::createDesktopShortcut);
    quickLaunchShortcutAction = kisayol->addAction(QStringLiteral("Hızlı Başlat Çubuğu'na"));
    quickLaunchShortcutAction->setObjectName(QStringLiteral("HzlBalatubuuna1"));
    connect(quickLaunchShortcutAction, &QAction::triggered, this, &MainWindow::createQuickLaunchShortcut);
    ayarlar->addSeparator();
    renameFacilityAction = ayarlar->addAction(QStringLiteral("Tesis Adını Değiştir"));
    renameFacilityAction->setObjectName(QStringLiteral("esisAdnDeitir1"));
    renameFacilityAction->setEnabled(false);
    ayarlar->addSeparator();
    quitAction = ayarlar->addAction(QStringLiteral("Çıkış"));
    quitAction->setObjectName(QStringLiteral("k1"));
    connect(quitAction, &QAction::triggered, this, &MainWindow::quit);

    // The program's own commands beyond the settings.
    QMenu* islemler = menuBar()->addMenu(QStringLiteral("İşlemler"));
    islemler->setObjectName(QStringLiteral("Islemler1"));
    readDocumentAction = islemler->addAction(QStringLiteral("Kimlik / Pasaport Oku"));
    readDocumentAction->setObjectName(QStringLiteral("KimlikOku1"));
    readDocumentAction->setToolTip(QStringLiteral("Kimlik / Pasaport Oku [F8]"));
    connect(readDocumentAction, &QAction::triggered, this, &MainWindow::openZoneReader);
    // The menu shows the key after the tab; the key preview runs it.
    sameRoomAction = islemler->addAction(QStringLiteral("Aynı Odaya Misafir Ekle\tCtrl+G"));
    sameRoomAction->setObjectName(QStringLiteral("AyniOdayaMisafirEkle1"));
    sameRoomAction->setToolTip(QStringLiteral("Aynı Odaya Misafir Ekle [Ctrl+G]"));
    connect(sameRoomAction, &QAction::triggered, this, &MainWindow::addGuestToSameRoom);
    roomBoardAction = islemler->addAction(QStringLiteral("Oda Durumu\tF6"));
    roomBoardAction->setObjectName(QStringLiteral("OdaDurumu1"));
    roomBoardAction->setToolTip(QStringLiteral("Oda Durumu [F6]"));
    connect(roomBoardAction, &QAction::triggered, this, &MainWindow::showRoomBoard);
    historyAction = islemler->addAction(QStringLiteral("Transfer Geçmişi"));
    historyAction->setObjectName(QStringLiteral("TransferGecmisi1"));
    connect(historyAction, &QAction::triggered, this, &MainWindow::showHistory);
    statisticsAction = islemler->addAction(QStringLiteral("Aylık Konaklama İstatistiği"));
    statisticsAction->setObjectName(QStringLiteral("AylikKonaklamaIstatistigi1"));
    connect(statisticsAction, &QAction::triggered, this, &MainWindow::showStatistics);
    islemler->addSeparator();
    passwordAction = islemler->addAction(QStringLiteral("Kayıt &Parolası..."));
    passwordAction->setObjectName(QStringLiteral("KayitParolasi1"));
    connect(passwordAction, &QAction::triggered, this, &MainWindow::changePassword);
    passwordAction->setEnabled(m_database != nullptr);
    backupFolderAction = islemler->addAction(QStringLiteral("&Yedekleme Klasörü..."));
    backupFolderAction->setObjectName(QStringLiteral("YedeklemeKlasoru1"));
    backupFolderAction->setEnabled(false);
    connect(backupFolderAction, &QAction::triggered, this, &MainWindow::chooseBackupFolder);
    restoreAction = islemler->addAction(QStringLiteral("Yedekten &Geri Yükle..."));
    restoreAction->setObjectName(QStringLiteral("YedektenGeriYukle1"));
    restoreAction->setEnabled(false);
    connect(restoreAction, &QAction::triggered, this, &MainWindow::restoreBackup);
    // The personal-data duties: retention, destruction, a person's request.
    islemler->addSeparator();
    retentionAction = islemler->addAction(QStringLiteral("Saklama &Süresi..."));
    retentionAction->setObjectName(QStringLiteral("SaklamaSuresi1"));
    destructionLogAction = islemler->addAction(QStringLiteral("İmha &Kayıtları"));
    destructionLogAction->setObjectName(QStringLiteral("ImhaKayitlari1"));
    destroyAction = islemler->addAction(QStringLiteral("İmha &Et"));
    destroyAction->setObjectName(QStringLiteral("ImhaEt1"));
    requestAction = islemler->addAction(QStringLiteral("Kişisel Veri &Başvurusu..."));
    requestAction->setObjectName(QStringLiteral("KisiselVeriBasvurusu1"));
    connect(retentionAction, &QAction::triggered, this, [this] { m_personalData->setRetention(); });
    connect(destructionLogAction, &QAction::triggered, this, [this] { m_personalData->showLog(); });
    connect(destroyAction, &QAction::triggered, this, [this] { m_personalData->destroyNow(); });
    connect(requestAction, &QAction::triggered, this, [this] { m_personalData->answerRequest(); });
    setPersonalData(nullptr);

    aboutAction = menuBar()->addAction(QStringLiteral("Hakkında"));
    aboutAction->setObjectName(QStringLiteral("Hakknda1"));
    aboutAction->setShortcut(QKeySequence(Qt::Key_F1));
    aboutAction->setShortcutContext(Qt::WindowShortcut);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::buildFrame()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(central);

    requiredGroup = groupBox(central, "GroupBox1", QStringLiteral(" [ Herkes İçin Zorunlu ] "), {8, 11, 217, 465});
    citizensGroup = groupBox(central, "GroupBox3", QStringLiteral(" [ T.C. Vatandaşları İçin Zorunlu ] "), {232, 11, 217, 233});
    otherGroup = groupBox(central, "GroupBox4", QStringLiteral(" [ Diğer Bilgiler ] "), {456, 11, 215, 465});

    toolbarPanel = new QFrame(central);
    toolbarPanel->setObjectName(QStringLiteral("Panel1"));
    toolbarPanel->setFrameShape(QFrame::StyledPanel);
    toolbarPanel->setGeometry(232, 250, 147, 63);

    TesisKoduLed = new LedDisplay(central);
    TesisKoduLed->setObjectName(QStringLiteral("TesisKoduLed"));
    TesisKoduLed->setGeometry(384, 264, 65, 49);

    // The label stands whole right above the display and no wider than it,
    // whatever font stands in for Arial.
    auto* kodLabel = new QLabel(QStringLiteral("Tesis Kodu"), central);
    kodLabel->setObjectName(QStringLiteral("Label30"));
    QFont arialBold(QStringLiteral("Arial"));
    arialBold.setBold(true);
    arialBold.setPixelSize(13);
    while (arialBold.pixelSize() > 8 &&
           QFontMetrics(arialBold).horizontalAdvance(kodLabel->text()) > TesisKoduLed->width())
        arialBold.setPixelSize(arialBold.pixelSize() - 1);
    kodLabel->setFont(arialBold);
    kodLabel->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    const int labelHeight = QFontMetrics(arialBold).height();
    kodLabel->setGeometry(TesisKoduLed->x(), TesisKoduLed->y() - labelHeight - 1, TesisKoduLed->width(), labelHeight);

    announcementPanel = new AnnouncementPanel(central);
    announcementPanel->setObjectName(QStringLiteral("AnnouncementPanel"));
    announcementPanel->setGeometry(232, 320, 216, 90);

    TesisAdiLabel = new EngravedLabel(central);
    TesisAdiLabel->setObjectName(QStringLiteral("TesisAdiLabel"));
    TesisAdiLabel->setGeometry(232, 416, 217, 57);
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPixelSize(13);
    verdana.setBold(true);
    TesisAdiLabel->setFont(verdana);
}

void MainWindow::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(22);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    bar->setFont(tahoma);
    int widths[4] = {155, 60, 80, 50};
    const QString initial[4] = {QStringLiteral("00.00.0000"), QStringLiteral("00:00:00"), QString(), kSupportContact};
    // The date panel fits the longest date the locale writes: its longest
    // month and weekday names.
    {
        const QFontMetrics metrics(tahoma);
        const QLocale locale = QLocale::system();
        QString month, day;
        for (int m = 1; m <= 12; ++m) {
            if (metrics.horizontalAdvance(locale.monthName(m)) > metrics.horizontalAdvance(month))
                month = locale.monthName(m);
        }
        for (int d = 1; d <= 7; ++d) {
            if (metrics.horizontalAdvance(locale.dayName(d)) > metrics.horizontalAdvance(day))
                day = locale.dayName(d);
        }
        const int longest = metrics.horizontalAdvance(QStringLiteral("28 %1 2028 %2").arg(month, day)) + 12;
        widths[0] = std::max(widths[0], longest);
        widths[1] = std::max(widths[1], metrics.horizontalAdvance(QStringLiteral("00:00:00")) + 12);
        widths[2] = std::max(widths[2], metrics.horizontalAdvance(kVersion) + 12);
    }
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(initial[i], bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        panel->setAlignment(Qt::AlignCenter);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i < 3)
            panel->setFixedWidth(widths[i]);
        else
            panel->setMinimumWidth(widths[i]);
        bar->addWidget(panel, i == 3 ? 1 : 0);
        StatusPanels[i] = panel;
    }
    // What the program is busy with shows in the last panel for a while.
    m_platform.dialogs.showStatus = [this](const QString& text) {
        StatusPanels[3]->setText(!text.isEmpty() ? text : m_serverConnected ? kSupportContact : kNoServerText);
    };
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
    const QString current = Facility::name(*settings);
    const QString name = m_platform.dialogs.inputText(Facility::renameRequest(current)).value_or(current);
    if (const auto refused = Facility::checkNewName(name)) {
        m_platform.dialogs.inform(*refused);
        return;
    }
    if (Facility::rename(*settings, name))
        TesisAdiLabel->setText(name);
}

void MainWindow::openSearchWindow()
{
    if (m_search)
        m_search->exec();
}

void MainWindow::showCustomerWindow()
{
    if (m_customers) {
        m_customers->show();
        if (m_customers->isMinimized())
            m_customers->showNormal();
        m_customers->raise();
        m_customers->activateWindow();
    }
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
    m_roomBoard->show();
    if (m_roomBoard->isMinimized())
        m_roomBoard->showNormal();
    m_roomBoard->raise();
    m_roomBoard->activateWindow();
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
    // A change to the guest shown is stored (or refused, with its message)
    // before a document is read.
    if (!GuestRules::settleStoredGuest(*guests))
        return;
    if (!m_zoneReader) {
        m_zoneReader = new DocumentReaderDialog(m_tables, m_platform.clock, [this](const Mrz::Guest& guest, bool known) {
            m_documentTaken = GuestRules::fillFromDocument(*guests, guest.columns(), known);
        }, this);
    }
    m_documentTaken = false;
    m_zoneReader->exec();
    // The clerk goes on where the document left something to type: the
    // first box a save needs that is still empty, else the room.
    if (m_documentTaken) {
        const QStringList missing = GuestRules::missingFields(*guests);
        entry->focusField(missing.isEmpty() ? QStringLiteral("VerilenOdaNo") : missing.first());
    }
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
    if (m_backups)
        window.afterChange = [this](const QByteArray& oldKey) { reencryptBackups(oldKey); };
    window.exec();
}

void MainWindow::reencryptBackups(const QByteArray& oldKey)
{
    Backups::Rewritten outcome;
    {
        const std::unique_ptr<Dialogs::Work> work =
            m_platform.dialogs.beginWork({QStringLiteral("Yedekler yeni parolayla şifreleniyor..."), false});
        outcome = m_backups->reencrypt(oldKey, [&work](int done, int total) { work->setProgress(done, total); });
    }
    const auto named = [](const QString& heading, const QStringList& paths) {
        QStringList lines = {heading};
        for (const QString& path : paths)
            lines << QDir::toNativeSeparators(path);
        return lines.join(QLatin1Char('\r'));
    };
    QStringList said;
    if (!outcome.failed.isEmpty())
        said << named(Backups::kNotReencrypted, outcome.failed);
    if (!outcome.otherKey.isEmpty())
        said << named(Backups::kUnderAnotherKey, outcome.otherKey);
    if (!outcome.damaged.isEmpty())
        said << named(Backups::kDamagedDeleted, outcome.damaged);
    if (!said.isEmpty())
        m_platform.dialogs.reportError(said.join(QLatin1Char('\r')));
    // A damaged backup goes only once the clerk has been told.
    if (!m_backups->removeDamaged(outcome.damaged))
        m_platform.dialogs.reportError(Backups::kDamagedNotDeleted);
}

void MainWindow::setBackups(Backups* backups)
{
    m_backups = backups;
    backupFolderAction->setEnabled(backups != nullptr);
    restoreAction->setEnabled(backups != nullptr);
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

void MainWindow::chooseBackupFolder()
{
    const QString folder = m_platform.dialogs.folderName(QStringLiteral("Yedekleme Klasörü"), m_backups->folder());
    if (folder.isEmpty())
        return;
    QString reason;
    const QString before = m_backups->folder();
    if (!m_backups->setFolder(folder, &reason)) {
        m_platform.dialogs.reportError(QStringLiteral("Yedekleme klasörü kaydedilemedi: %1").arg(reason));
        return;
    }
    std::optional<QString> failure;
    try {
        failure = m_backups->make();
    } catch (const WorkAbandoned&) {
        // "İptal": the backups go where they went.
        m_backups->setFolder(before);
        return;
    }
    if (failure) {
        m_platform.dialogs.reportError(*failure);
        return;
    }
    QString done = QStringLiteral("Yedekler bundan sonra bu klasöre alınacak:\r%1").arg(QDir::toNativeSeparators(folder));
    if (m_backups->folderIsShared())
        done += QLatin1Char('\r') + Backups::kSharedFolder;
    m_platform.dialogs.inform(done);
}

void MainWindow::restoreBackup()
{
    const QString title = QStringLiteral("Yedekten Geri Yükle");
    // The tables are replaced: what is being edited is stored (or refused)
    // first, as before a transfer run.
    if (!m_tables.settleAll())
        return;
    RestoreWindow window(m_backups->list(m_database->password()), this);
    if (window.exec() != QDialog::Accepted)
        return;
    const std::optional<Backups::Entry> backup = window.chosen();
    if (!backup)
        return;
    if (backup->damaged) {
        m_platform.dialogs.reportError(
            Backups::kRestoreFailure.arg(QDir::toNativeSeparators(backup->path), Backups::kDamaged));
        return;
    }
    QByteArray key = m_database->password();
    // A backup made before the register had a password opens with the
    // built-in key, which nobody could type.
    const bool withoutPassword = !backup->opensWithKey && Database::opensWith(backup->path, Database::kPassword);
    if (withoutPassword)
        key = Database::kPassword;
    if (!backup->opensWithKey && !withoutPassword) {
        Dialogs::TextRequest request;
        request.caption = title;
        request.prompt = QStringLiteral("Bu yedek başka bir parolayla alınmış. Yedeğin parolasını giriniz:");
        request.secret = true;
        const std::optional<QString> typed = m_platform.dialogs.inputText(request);
        if (!typed)
            return;
        key = RegisterPassword::keyFor(*typed);
        if (!Database::opensWith(backup->path, key)) {
            m_platform.dialogs.inform(RegisterPassword::kWrong);
            return;
        }
    }
    const QString question =
        QStringLiteral("%1 tarihli yedek geri yüklenecek.\rBu yedekten sonra bildirilen misafirler bir sonraki "
                       "transfer dosyasında yeniden yer alacak ve aylık konaklama istatistiğinde yeniden sayılacak (istatistik "
                       "olduğu gibi kalır); bu yedekten sonra girilen ve değiştirilen kayıtlar "
                       "kaybolacak (şu anki kayıt önce yedeklenir).\rDevam edilsin mi?")
            .arg(Formats::dateTimeText(backup->moment));
    if (m_platform.dialogs.message(title, question, Dialogs::Icon::Warning, Dialogs::Buttons(Dialogs::Evet) | Dialogs::Hayir,
                                   Dialogs::Hayir) != Dialogs::Evet)
        return;
    // The windows follow the tables opened again by themselves.
    std::optional<QString> failure;
    try {
        failure = ::restoreBackup(*m_backups, m_tables, *backup, key);
    } catch (const WorkAbandoned&) {
        // "İptal": the register is as it was.
        return;
    }
    if (failure) {
        m_platform.dialogs.reportError(*failure);
        return;
    }
    QString done = QStringLiteral("Yedek geri yüklendi.");
    if (key != m_database->password())
        done += QLatin1Char('\r') + (m_database->hasOwnPassword() ? Backups::kRekeyedWithPassword
                                                                   : Backups::kRekeyedWithoutPassword);
    m_platform.dialogs.inform(done);
    // A backup may bring back customers destroyed since it was taken.
    if (m_personalData)
        m_personalData->destroyAfterRestore();
}

void MainWindow::bringToFront()
{
    if (isHidden())
        show();
    if (isMinimized())
        showNormal();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
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
    if (KeyPreview::isCtrlDelete(*key))
        return true;
    if (KeyPreview::isPlainEnter(*key)) {
        moveOnEnter(key);
        return true;
    }
    return false;
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

void MainWindow::moveOnEnter(QKeyEvent*)
{
    m_enter->queueMove();
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

QString MainWindow::aboutTitle() const
{
    return kAppTitle + QLatin1Char(' ') + kVersion;
}

QString MainWindow::aboutDetails() const
{
    return QStringLiteral("Konaklama tesisleri için Kimlik Bildirim Sistemi programı.\n") + kSupportContact;
}

void MainWindow::createShortcut(ShortcutPlace place)
{
    // The shortcut starts the program in the folder of the register in use.
    const ShortcutTarget target{shortcutName(kVersion), QCoreApplication::applicationFilePath(),
                                QFileInfo(m_places.registerPath).absolutePath(), shortcutIcon(m_places.programDir)};
    m_platform.shortcuts.create(target, place);
}

void MainWindow::createDesktopShortcut()
{
    createShortcut(ShortcutPlace::Desktop);
}

void MainWindow::createQuickLaunchShortcut()
{
    createShortcut(ShortcutPlace::QuickLaunch);
}

void MainWindow::announcementLoaded()
{
    m_announcement->documentComplete();
}

void MainWindow::showAbout()
{
    m_platform.dialogs.about(aboutTitle(), aboutDetails());
}

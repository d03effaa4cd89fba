// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's fixed layout, built once: the menu and its wiring to the
// window's commands, the frame with its groups and displays, and the status
// bar with its clock.
#include "gui/shell/MainWindow.h"

#include "Version.h"
#include "core/customers/PersonalDataCommands.h"
#include "core/transfer/BackupCommands.h"
#include "gui/shell/AnnouncementPanel.h"
#include "gui/widgets/EngravedLabel.h"
#include "gui/widgets/LedDisplay.h"
#include "platform/core/Dialogs.h"
#include "platform/core/Platform.h"
#include "platform/core/Shortcuts.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

namespace {

QGroupBox* groupBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry)
{
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    return box;
}

} // namespace

void MainWindow::buildMenu()
{
    QMenu* ayarlar = menuBar()->addMenu(QStringLiteral("Ayarlar"));
    ayarlar->setObjectName(QStringLiteral("Ayarlar1"));
    QMenu* kisayol = ayarlar->addMenu(QStringLiteral("Kısayol Oluştur"));
    kisayol->setObjectName(QStringLiteral("KsayolOlutur1"));
    desktopShortcutAction = kisayol->addAction(QStringLiteral("Masaüstü'ne"));
    desktopShortcutAction->setObjectName(QStringLiteral("Masastne1"));
    quickLaunchShortcutAction = kisayol->addAction(QStringLiteral("Hızlı Başlat Çubuğu'na"));
    quickLaunchShortcutAction->setObjectName(QStringLiteral("HzlBalatubuuna1"));
    ayarlar->addSeparator();
    renameFacilityAction = ayarlar->addAction(QStringLiteral("Tesis Adını Değiştir"));
    renameFacilityAction->setObjectName(QStringLiteral("esisAdnDeitir1"));
    renameFacilityAction->setEnabled(false);
    ayarlar->addSeparator();
    quitAction = ayarlar->addAction(QStringLiteral("Çıkış"));
    quitAction->setObjectName(QStringLiteral("k1"));

    // The program's own commands beyond the settings.
    QMenu* islemler = menuBar()->addMenu(QStringLiteral("İşlemler"));
    islemler->setObjectName(QStringLiteral("Islemler1"));
    readDocumentAction = islemler->addAction(QStringLiteral("Kimlik / Pasaport Oku"));
    readDocumentAction->setObjectName(QStringLiteral("KimlikOku1"));
    readDocumentAction->setToolTip(QStringLiteral("Kimlik / Pasaport Oku [F8]"));
    // The menu shows the key after the tab; the key preview runs it.
    sameRoomAction = islemler->addAction(QStringLiteral("Aynı Odaya Misafir Ekle\tCtrl+G"));
    sameRoomAction->setObjectName(QStringLiteral("AyniOdayaMisafirEkle1"));
    sameRoomAction->setToolTip(QStringLiteral("Aynı Odaya Misafir Ekle [Ctrl+G]"));
    roomBoardAction = islemler->addAction(QStringLiteral("Oda Durumu\tF6"));
    roomBoardAction->setObjectName(QStringLiteral("OdaDurumu1"));
    roomBoardAction->setToolTip(QStringLiteral("Oda Durumu [F6]"));
    historyAction = islemler->addAction(QStringLiteral("Transfer Geçmişi"));
    historyAction->setObjectName(QStringLiteral("TransferGecmisi1"));
    statisticsAction = islemler->addAction(QStringLiteral("Aylık Konaklama İstatistiği"));
    statisticsAction->setObjectName(QStringLiteral("AylikKonaklamaIstatistigi1"));
    islemler->addSeparator();
    passwordAction = islemler->addAction(QStringLiteral("Kayıt &Parolası..."));
    passwordAction->setObjectName(QStringLiteral("KayitParolasi1"));
    passwordAction->setEnabled(m_database != nullptr);
    backupFolderAction = islemler->addAction(QStringLiteral("&Yedekleme Klasörü..."));
    backupFolderAction->setObjectName(QStringLiteral("YedeklemeKlasoru1"));
    backupFolderAction->setEnabled(false);
    restoreAction = islemler->addAction(QStringLiteral("Yedekten &Geri Yükle..."));
    restoreAction->setObjectName(QStringLiteral("YedektenGeriYukle1"));
    restoreAction->setEnabled(false);
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

    aboutAction = menuBar()->addAction(QStringLiteral("Hakkında"));
    aboutAction->setObjectName(QStringLiteral("Hakknda1"));
    aboutAction->setShortcut(QKeySequence(Qt::Key_F1));
    aboutAction->setShortcutContext(Qt::WindowShortcut);
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

    clockTimer = new QTimer(this);
    clockTimer->setObjectName(QStringLiteral("Timer1"));
    clockTimer->setInterval(1000);
    connect(clockTimer, &QTimer::timeout, this, &MainWindow::showClock);
    clockTimer->start();
}

void MainWindow::wireMenu()
{
    connect(desktopShortcutAction, &QAction::triggered, this, [this] { createShortcut(ShortcutPlace::Desktop); });
    connect(quickLaunchShortcutAction, &QAction::triggered, this,
            [this] { createShortcut(ShortcutPlace::QuickLaunch); });
    connect(quitAction, &QAction::triggered, this, &MainWindow::quit);
    connect(readDocumentAction, &QAction::triggered, this, &MainWindow::openZoneReader);
    connect(sameRoomAction, &QAction::triggered, this, &MainWindow::addGuestToSameRoom);
    connect(roomBoardAction, &QAction::triggered, this, &MainWindow::showRoomBoard);
    connect(historyAction, &QAction::triggered, this, &MainWindow::showHistory);
    connect(statisticsAction, &QAction::triggered, this, &MainWindow::showStatistics);
    connect(passwordAction, &QAction::triggered, this, &MainWindow::changePassword);
    connect(backupFolderAction, &QAction::triggered, this, [this] { m_backupCommands->chooseFolder(); });
    connect(restoreAction, &QAction::triggered, this, [this] { m_backupCommands->restore(); });
    connect(retentionAction, &QAction::triggered, this, [this] { m_personalData->setRetention(); });
    connect(destructionLogAction, &QAction::triggered, this, [this] { m_personalData->showLog(); });
    connect(destroyAction, &QAction::triggered, this, [this] { m_personalData->destroyNow(); });
    connect(requestAction, &QAction::triggered, this, [this] { m_personalData->answerRequest(); });
    connect(aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
    connect(renameFacilityAction, &QAction::triggered, this, &MainWindow::renameFacility);
    setPersonalData(nullptr);
}

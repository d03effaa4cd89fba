// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

struct Platform;
class BackupCommands;
class PersonalDataCommands;
class Database;
class Dataset;
class Tables;
class QAction;
class QGroupBox;
class QLabel;
class LedDisplay;
class GuestEntry;
class FocusHighlighter;
class TransferRun;
class QKeyEvent;
class QMenu;
class QTimer;
class QFrame;
class GuestSearchWindow;
class CustomerWindow;
class FacilitySetupWindow;
class HistoryWindow;
class RoomBoardWindow;
class StatisticsWindow;
class Announcement;
class AnnouncementPanel;
class EngravedLabel;
enum class ShortcutPlace;
namespace KeyPreview {
class EnterMover;
}

// The main window: frame, menu, status bar with its clock, facility displays
// and the guest entry area.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Where the program keeps its files.
    struct Places
    {
        QString programDir;    // transient files (GetAppPath())
        QString registerPath;  // the register in use
    };

    // The tables are open; runs applySettingsAndAnnouncement. database is
    // the register file, for its password; null for a register on a
    // server, whose password item is then disabled.
    MainWindow(Platform& platform, Database* database, Tables& tables, TransferRun& transfer, const Places& places,
           QWidget* parent = nullptr);
    ~MainWindow() override;

    void setWindows(GuestSearchWindow* search, CustomerWindow* customers, FacilitySetupWindow* firstRun);
    // The backup commands, for the backup menu items; without them the
    // items are disabled.
    void setBackups(BackupCommands* commands);
    // The personal-data commands, for their menu items; without them the
    // items are disabled.
    void setPersonalData(PersonalDataCommands* commands);

    void applySettingsAndAnnouncement();
    void askForFacilityOrFocus();
    void applyFacilitySettings();
    void showClock();
    void quit();
    void showAbout();
    void createShortcut(ShortcutPlace place);
    void renameFacility();
    // Command keys of the guest window, every matching line in order.
    void runCommandKey(QKeyEvent* event);
    // F3: the search window, with a pending edit left as it is.
    void openSearchWindow();
    void showCustomerWindow();
    // Copies the customer window's current customer into the guest record.
    void Aktar();
    // Told the customer's number after every copy, whatever started it.
    std::function<void(qint64 customerKey)> customerCopied;
    // Enter in the customer code box: the customer with exactly that code
    // is copied into the guest record.
    void lookUpCustomerCode();
    // A guest or a customer being edited with something changed.
    bool hasUnsavedChanges() const;
    // Shown, restored and raised, as far as the window system allows.
    void bringToFront();
    // A register on a server: the status bar says so while the desk has no
    // connection to it.
    void setServerConnected(bool connected);
    static const QString kNoServerText;
    // The support address and telephone, in the status bar and the about box.
    static const QString kSupportContact;
    // The record of the transfer runs.
    void showHistory();
    // "Kayıt Parolası...": the window that sets, changes or removes the
    // register's password.
    void changePassword();
    // Whether a guest or a customer is being edited.
    bool editPending() const;
    // F8: a document's machine-readable zone fills the guest record.
    void openZoneReader();
    // F6: who is in which room now.
    void showRoomBoard();
    RoomBoardWindow* roomBoard() const { return m_roomBoard; }
    // Ctrl+G: a new guest with the stay of the guest shown.
    void addGuestToSameRoom();
    // Shows the guest with that key in the guest window, brought to the front.
    void showGuest(qint64 key);
    // The month's arrivals and nights by nationality.
    void showStatistics();
    // The transfer run: notification file, purge, compaction.
    void startTransfer();
    // The first-run window stored the facility: the set-up runs again
    // under a splash of its own.
    void facilityStored();

    // The facility counts as set up when Ayar.aktif holds 1.
    bool facilitySetUp() const;

    Platform& platform() const { return m_platform; }
    Tables& tables() const { return m_tables; }
    Dataset* const guests;   // Kisi
    Dataset* const settings;   // Ayar

    QGroupBox* requiredGroup;
    QGroupBox* citizensGroup;
    QGroupBox* otherGroup;
    QFrame* toolbarPanel;
    LedDisplay* TesisKoduLed;
    GuestEntry* entry;
    FocusHighlighter* highlighter;
    EngravedLabel* TesisAdiLabel;
    AnnouncementPanel* announcementPanel;
    QLabel* StatusPanels[4];
    QTimer* clockTimer;
    QAction* renameFacilityAction;
    QAction* quitAction;
    QAction* historyAction;
    QAction* passwordAction;
    QAction* backupFolderAction;
    QAction* restoreAction;
    QAction* retentionAction;
    QAction* destructionLogAction;
    QAction* destroyAction;
    QAction* requestAction;
    QAction* readDocumentAction;
    QAction* roomBoardAction;
    QAction* sameRoomAction;
    QAction* statisticsAction;
    QAction* aboutAction;
    QAction* desktopShortcutAction;
    QAction* quickLaunchShortcutAction;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFrame();
    void buildMenu();
    // The menu items to the window's commands.
    void wireMenu();
    void buildStatusBar();
    // The keyboard preview: true keeps the key from the focused control.
    bool previewKey(QKeyEvent* key);

    Platform& m_platform;
    Tables& m_tables;
    TransferRun& m_transfer;
    Database* m_database;
    GuestSearchWindow* m_search = nullptr;
    CustomerWindow* m_customers = nullptr;
    // After a password change every backup follows under the new key.
    BackupCommands* m_backupCommands = nullptr;
    PersonalDataCommands* m_personalData = nullptr;
    FacilitySetupWindow* m_firstRun = nullptr;
    HistoryWindow* m_history = nullptr;
    RoomBoardWindow* m_roomBoard = nullptr;
    StatisticsWindow* m_statistics = nullptr;
    std::unique_ptr<Announcement> m_announcement;
    Places m_places;
    bool m_shown = false;
    bool m_serverConnected = true;
    KeyPreview::EnterMover* m_enter;
};

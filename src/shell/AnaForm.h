#pragma once

#include <QMainWindow>

struct Platform;
class Database;
class Dataset;
class DataSource;
class QAction;
class QGroupBox;
class QLabel;
class LedDisplay;
class GuestEntry;
class FocusHighlighter;
class Compaction;
class TransferRun;
class QKeyEvent;
class QMenu;
class QTimer;
class QFrame;
class TForm2;
class TForm3;
class TForm4;

// The main window: frame, menu, status bar with its clock, facility displays,
// and the datasets of every table but the customers'.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    static const QString kVersion;   // "v1.4.5"

    // Opens every table of the main window, then runs FormCreate.
    TForm1(Platform& platform, Database& connection, QWidget* parent = nullptr);
    ~TForm1() override;

    void setWindows(TForm2* search, TForm3* customers, TForm4* firstRun);

    void FormCreate();
    void FormShow();
    void FormProgramAyarlari();
    void Timer1Timer();
    void k1Click();
    void Hakknda1Click();
    void esisAdnDeitir1Click();
    // Command keys of the guest window, every matching line in order.
    void FormKeyDown(QKeyEvent* event);
    // Enter moves to the next control once the key's own handling is done.
    void FormKeyPress(QKeyEvent* event);
    // F3: the search window, with a pending edit left as it is.
    void openSearchWindow();
    void showCustomerWindow();
    // The transfer run: notification file, purge, compaction.
    void SpeedButton11Click();
    // Every dataset on the connection, in the order they are opened: the
    // lookups, the settings, then the guests (whose fields need the lookups).
    QList<Dataset*> connectionTables() const;

    // The facility counts as set up when Ayar.aktif holds 1.
    bool facilitySetUp() const;

    Platform& platform() const { return m_platform; }
    Database& ADOConnection1;
    Dataset* ADOTable1;   // Kisi
    Dataset* ADOTable2;   // Ulke
    Dataset* ADOTable3;   // KimlikTuru
    Dataset* ADOTable4;   // Cinsiyet
    Dataset* ADOTable5;   // Iller
    Dataset* ADOTable6;   // MedeniHali
    Dataset* ADOTable7;   // Ayar
    DataSource* DataSource1;
    DataSource* DataSource2;
    DataSource* DataSource3;
    DataSource* DataSource4;
    DataSource* DataSource5;
    DataSource* DataSource6;
    DataSource* DataSource7;

    QGroupBox* GroupBox1;
    QGroupBox* GroupBox3;
    QGroupBox* GroupBox4;
    QFrame* Panel1;
    LedDisplay* TesisKoduLed;
    GuestEntry* entry;
    FocusHighlighter* highlighter;
    Compaction* compaction;
    TransferRun* transfer;
    QLabel* TesisAdiLabel;
    QFrame* AnnouncementPanel;
    QLabel* StatusPanels[4];
    QTimer* Timer1;
    QAction* esisAdnDeitir1;
    QAction* k1;
    QAction* Hakknda1;
    QAction* Masastne1;
    QAction* HzlBalatubuuna1;

    QString aboutTitle() const;
    QString aboutDetails() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFrame();
    void buildMenu();
    void buildStatusBar();
    QList<Dataset*> mainTables() const;

    Platform& m_platform;
    TForm2* m_search = nullptr;
    TForm3* m_customers = nullptr;
    TForm4* m_firstRun = nullptr;
    bool m_shown = false;
    bool m_enterPending = false;
};

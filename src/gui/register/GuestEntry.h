#pragma once

#include "core/register/GuestRules.h"
#include "core/register/Mrz.h"

#include <QDate>
#include <QObject>
#include <QTime>
#include <functional>

struct Platform;
class DataSource;
class Dataset;
class Tables;
class DBCheckBox;
class DBEdit;
class DBLookupComboBox;
class DBMaskEdit;
class QDateEdit;
class QDateTimeEdit;
class QGroupBox;
class QLineEdit;
class QTimeEdit;
class QToolButton;
class QWidget;

// The main window's guest entry area: the fields bound to the guest table,
// the five date and time pickers kept in step with the current guest, the
// "Kalıcı" box, the record toolbar and the checks before a guest is stored.
class GuestEntry : public QObject
{
    Q_OBJECT
public:
    struct Parents
    {
        QGroupBox* required;   // " [ Herkes İçin Zorunlu ] "
        QGroupBox* citizens;   // " [ T.C. Vatandaşları İçin Zorunlu ] "
        QGroupBox* other;      // " [ Diğer Bilgiler ] "
        QWidget* toolbar;
    };
    // Binds to the guest table and lists the lookup tables.
    GuestEntry(Platform& platform, Tables& tables, const Parents& parents, QObject* parent = nullptr);

    DataSource* source() const { return m_source; }

    // Dataset hooks.
    void showCurrentGuest();
    void guestsOpened();
    void editCancelled();
    bool checkBeforeSave();
    bool confirmDelete();
    void reportRefusedSave();

    // Toolbar commands.
    void firstRecord();   // first
    void priorRecord();   // previous
    void nextRecord();   // next
    void lastRecord();   // last
    void newRecord();   // new
    void deleteRecord();   // delete
    void saveRecord();   // save
    void cancelEdit();   // cancel
    void cancelAndSearch();  // cancel, then search
    void openIdentityQuery();   // identity-number query page

    void checkIdentityNumber();
    void tidyPlate();
    // A picker changed by the user begins editing.
    void pickerChanged();
    // Sets the pickers to zero and ticks Kalıcı without touching a record.
    void zeroPickers();
    // The customer copy: the birth-date box, and the arrival stamped now.
    void setBirthPicker(const QDate& date);
    void stampArrival();
    // A change pending on a stored guest is settled as a move would settle
    // it; a new guest being built stays as it is. False when refused.
    bool settleStoredGuest();
    // Fills the guest from a document's zone: a new guest being built is
    // filled in place; otherwise a new guest begins (a scan is a new
    // arrival) and a stored stay is never written. Nothing is stored.
    bool fillFromZone(const Mrz::Guest& guest, bool nationalityKnown);
    // The guest is being edited or inserted with something changed: a
    // column, or one of the date and time boxes.
    bool hasUnsavedChanges() const;

    // Commands that live in other windows, wired by the main window.
    std::function<void()> openSearch;
    std::function<void()> showCustomers;
    std::function<void()> transferRun;

    QToolButton* button(int number) const;

    QLineEdit* Edit1;
    DBEdit* DBEdit1;
    DBEdit* DBEdit2;
    DBMaskEdit* DBEdit4;
    DBEdit* DBEdit15;
    DBEdit* DBEdit16;
    QDateEdit* DateTimePicker1;
    QDateEdit* DateTimePicker2;
    QTimeEdit* DateTimePicker3;
    QDateEdit* DateTimePicker4;
    QTimeEdit* DateTimePicker5;
    DBCheckBox* DBCheckBox1;
    // Every focusable control in tab order.
    QList<QWidget*> tabOrder;


private:
    void build(const Parents& parents);
    QList<QDateTimeEdit*> pickers() const;
    QDateTime pickerNow() const;
    QString guestName() const;
    GuestRules::StayBoxes stayBoxes() const;
    void buildToolbar(QWidget* toolbar);
    void setPickers(const QDate& birth, const QDate& arrival, const QTime& arrivalTime, const QDate& departure,
                    const QTime& departureTime, bool kalici);
    void applyKalici(bool ticked);
    void kaliciClicked(bool ticked);
    void ctrlEnter(QDateTimeEdit* picker);
    bool eventFilter(QObject* watched, QEvent* event) override;

    Platform& m_platform;
    Tables& m_tables;
    DataSource* m_source;
    Dataset* m_table;
    QList<QToolButton*> m_buttons;
    bool m_settingPickers = false;
    bool m_pickersChanged = false;
};

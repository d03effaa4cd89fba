#pragma once

#include "core/customers/CustomerCopy.h"

#include <QWidget>

struct Platform;
class DataSource;
class Dataset;
class DBEdit;
class DBGrid;
class DBMaskEdit;
class QComboBox;
class QDateEdit;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QToolButton;
class Tables;
namespace KeyPreview {
class EnterMover;
}

// The customer window: the master list of regular customers, kept under
// customer codes, with a quick search, a sortable list, and the transfer of
// a customer into the guest record. Closing it only hides it.
class CustomerWindow : public QWidget, public CustomerView
{
    Q_OBJECT
public:
    CustomerWindow(Platform& platform, Tables& tables, QWidget* parent = nullptr);

    // What the customer copy reads.
    QString shownText(const QString& column) const override;
    QDate birthDate() const override;

    // A customer being edited or inserted with anything changed: a column,
    // or the birth-date box.
    bool hasUnsavedChanges() const;
    // Saves a changed pending customer (with the window's checks) or drops
    // an unchanged one. False when the save was refused (its message shown).
    bool settlePendingEdit();

    // Table hooks.
    bool beforeNewCustomer();
    void showCurrentCustomer();
    bool checkBeforeSave();
    void reportRefusedSave();
    bool confirmDelete();

    // Commands.
    void copyToGuest();   // copy into the guest record, then hide
    void firstRecord();   // first
    void priorRecord();   // previous
    void nextRecord();   // next
    void lastRecord();   // last
    void newRecord();   // new
    void deleteRecord();   // delete
    void saveRecord();   // save
    void cancelEdit();  // cancel
    void openIdentityQuery();   // identity-number query page

    void quickSearch();
    void searchFieldChanged();
    void sortByColumn(const QString& column);
    void birthDateChanged();
    void checkIdentityNumber();
    void tidyPlate();
    void runCommandKey(QKeyEvent* event);

    Dataset* const ADOTable1;
    DataSource* const source;

    QLineEdit* Edit1;        // quick search text
    QComboBox* ComboBox1;    // quick search field
    DBGrid* DBGrid1;
    QDateEdit* DateTimePicker1;
    DBEdit* DBEdit14;        // musteriKodu
    DBMaskEdit* DBEdit4;     // TCKimlikNo
    DBEdit* DBEdit15;        // AracPlakaNo
    QPushButton* SpeedButton2;
    QList<QWidget*> tabOrder;

    QToolButton* button(int number) const;

    static const QString kPostErrorText;

Q_SIGNALS:
    // The customer is to be copied into the guest record (the main window
    // runs the copy).
    void transferRequested();

private:
    void build();
    bool previewKey(QKeyEvent* key);
    void setBirthBox(const QDate& date);

    Platform& m_platform;
    Tables& m_tables;
    QList<QToolButton*> m_buttons;
    QString m_sortColumn;
    bool m_settingBirth = false;
    bool m_birthChanged = false;
    bool m_runningCommand = false;
    KeyPreview::EnterMover* m_enter = nullptr;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/widgets/RecordForm.h"

#include <QObject>
#include <functional>

class DBCheckBox;
class DocumentReaderDialog;
class QDateEdit;
class QDateTimeEdit;
class QGroupBox;
class QLineEdit;
class QTimeEdit;
class QWidget;

// The main window's guest entry area: the record form bound to the guest
// table, the arrival and departure boxes, the "Kalıcı" box and the record
// toolbar with the guest window's own commands.
class GuestEntry : public QObject, public RecordForm
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
    GuestEntry(Platform& platform, Tables& tables, const Parents& parents, QObject* parent = nullptr);

    // Shows the current guest's stay, and tells the clerk once of every
    // value that could not be read.
    void showCurrentGuest();

    void newRecord() override;   // a new guest, begun at the customer code
    void cancelAndSearch();      // cancel, then search
    // A new guest with the stay of the guest shown (a family, a group),
    // begun at "Adı :".
    void newGuestInSameRoom();
    // F8: a document's machine-readable zone fills the guest record, after
    // a change to the guest shown is stored (or refused, with its message).
    // The reader's window belongs to window.
    void readDocument(QWidget* window);

    // A customer code was typed into its box since the guest shown was
    // begun or shown: only such a code is copied by Enter, so that a code
    // left in the box never fills another guest. A new guest empties the box.
    bool customerCodeTyped() const { return m_codeTyped; }

    // Commands that live in other windows, wired by the main window.
    std::function<void()> openSearch;
    std::function<void()> showCustomers;
    std::function<void()> transferRun;

    QLineEdit* customerCodeBox;
    QDateEdit* arrivalDateBox;
    QTimeEdit* arrivalTimeBox;
    DBCheckBox* kaliciBox;
    QDateEdit* departureDateBox;
    QTimeEdit* departureTimeBox;

private:
    void build(const Parents& parents);
    void buildToolbar(QWidget* toolbar);
    void guestsOpened();
    // What the boxes show while there is no guest to show.
    void showNoGuest(bool staying);
    // Ticking Kalıcı clears the departure; unticking sets it to now.
    void kaliciClicked(bool ticked);
    void setToNow(QDateTimeEdit* picker);
    bool eventFilter(QObject* watched, QEvent* event) override;

    DocumentReaderDialog* m_reader = nullptr;
    bool m_documentTaken = false;
    bool m_codeTyped = false;
    bool m_inserting = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/customers/CustomerCopy.h"
#include "gui/widgets/RecordForm.h"

#include <QWidget>
#include <functional>

class DBGrid;
class QComboBox;
class QLineEdit;
class QPushButton;
namespace KeyPreview {
class EnterMover;
}

// The customer window: the master list of regular customers, kept under
// customer codes, with a quick search, a sortable list, and the transfer of
// a customer into the guest record. Closing it only hides it.
class CustomerWindow : public QWidget, public RecordForm, public CustomerView
{
    Q_OBJECT
public:
    CustomerWindow(Platform& platform, Tables& tables, QWidget* parent = nullptr);

    // What the customer copy reads.
    QString shownText(const QString& column) const override;
    QDate birthDate() const override;

    // Shows the current customer, and tells the clerk of a birth date that
    // could not be read.
    void showCurrentCustomer();

    void copyToGuest();   // copy into the guest record, then hide
    void quickSearch();
    void searchFieldChanged();
    void sortByColumn(const QString& column);
    void runCommandKey(QKeyEvent* event);

    Dataset& customers;
    QLineEdit* searchBox;
    QComboBox* searchFieldBox;
    DBGrid* customerList;
    DBEdit* codeBox;
    QPushButton* copyButton;

Q_SIGNALS:
    // The customer is to be copied into the guest record (the main window
    // runs the copy).
    void transferRequested();

protected:
    void runCommand(const std::function<void()>& command) override;

private:
    void build();
    bool previewKey(QKeyEvent* key);

    QString m_sortColumn;
    bool m_runningCommand = false;
    KeyPreview::EnterMover* m_enter = nullptr;
};

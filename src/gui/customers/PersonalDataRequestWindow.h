// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/customers/PersonalDataSearch.h"
#include "gui/customers/PersonalDataReport.h"

#include <QDialog>
#include <functional>
#include <optional>

struct Platform;
class CustomerDestruction;
class Store;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// "Kişisel Veri Başvurusu": finds what the register holds about one person
// (by T.C. Kimlik No, document number, or first name and surname), writes
// it into a PDF ("Rapor") and erases the customer records found ("Sil").
// Guest rows are shown but never erased here. Nothing of the search is
// kept once the window closes.
class PersonalDataRequestWindow : public QDialog
{
    Q_OBJECT
public:
    PersonalDataRequestWindow(Platform& platform, Store& store, CustomerDestruction& destruction,
                              std::function<PersonalDataReport::Header()> header, QWidget* parent = nullptr);

    void search();
    // The PDF, where the clerk chooses; its path or empty.
    QString writeReport();
    // Erases the customer records found, after a question.
    void eraseCustomers();

    QComboBox* KeyBox;
    QLineEdit* ValueEdit;
    QLineEdit* SurnameEdit;
    QPushButton* SearchButton;
    QPlainTextEdit* ResultView;
    QPushButton* ReportButton;
    QPushButton* EraseButton;
    QLabel* GuestNote;

    // After an erasure: the same person's records erased from the backups
    // too; what the clerk is told of them, or nothing.
    std::function<std::optional<QString>(const PersonalDataSearch::Query&)> eraseFromBackups;

    static const QString kGuestNote;
    static const QString kNothingFound;

    void done(int result) override;

private:
    void showFindings();
    void forget();

    Platform& m_platform;
    Store& m_store;
    CustomerDestruction& m_destruction;
    std::function<PersonalDataReport::Header()> m_header;
    PersonalDataSearch::Findings m_findings;
    PersonalDataSearch::Query m_query;
};

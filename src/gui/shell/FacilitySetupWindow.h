// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class Dataset;
class NumericEdit;
class QLineEdit;
class Dialogs;
class QLabel;
class QPushButton;

// The first-run window that asks for the facility code and name and stores
// them in the settings row.
class FacilitySetupWindow : public QDialog
{
    Q_OBJECT
public:
    FacilitySetupWindow(Dialogs& dialogs, Dataset& ayar, QWidget* parent = nullptr);

    // Names the register that this start has made, so that a register made
    // in the wrong folder does not go unnoticed.
    void showNewRegister(const QString& path);

    void clearBoxes();
    void prepare();
    void storeFacility();
    void selectCode();

    NumericEdit* codeBox;
    QLineEdit* nameBox;
    QPushButton* okButton;
    QLabel* NewRegisterLabel;

Q_SIGNALS:
    // Code and name are stored; the window closes right after.
    void facilityStored();

protected:
    void showEvent(QShowEvent* event) override;
    // Esc does nothing: the window has no way to be closed but the confirm.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Dialogs& m_dialogs;
    Dataset& m_ayar;
};

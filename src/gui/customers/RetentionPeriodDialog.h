// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class Dialogs;
class QSpinBox;
class RetentionSettings;

// "Saklama Süresi": how many months a customer record is kept after the
// customer's last stay (12 to 120).
class RetentionPeriodDialog : public QDialog
{
    Q_OBJECT
public:
    RetentionPeriodDialog(RetentionSettings& settings, Dialogs& dialogs, QWidget* parent = nullptr);

    // Stores the period shown; closes the window once it is stored.
    void store();

    QSpinBox* MonthsBox;

private:
    RetentionSettings& m_settings;
    Dialogs& m_dialogs;
};

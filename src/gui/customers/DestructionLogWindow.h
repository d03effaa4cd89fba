// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class Dialogs;
class Store;
class QTreeWidget;

// "İmha Kayıtları": every destruction of the last three years, newest
// first, read-only.
class DestructionLogWindow : public QDialog
{
    Q_OBJECT
public:
    DestructionLogWindow(Store& store, Dialogs& dialogs, QWidget* parent = nullptr);

    // Reads the log again; called each time the window is shown.
    void reload();

    QTreeWidget* LogList;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Store& m_store;
    Dialogs& m_dialogs;
};

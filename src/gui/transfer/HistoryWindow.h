// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/transfer/RunHistory.h"

#include <QDialog>

struct Platform;
class Store;
class QLabel;
class QPushButton;
class QTreeWidget;

// The record of the transfer runs, newest first, read-only, with the time
// since the last successful run. "Klasörü Aç" opens the folder of the
// selected run's file.
class HistoryWindow : public QDialog
{
    Q_OBJECT
public:
    HistoryWindow(Platform& platform, Store& store, QWidget* parent = nullptr);

    // Reads the record again; called each time the window is shown.
    void reload();
    void openFolder();

    QLabel* SinceLabel;
    QTreeWidget* RunList;
    QPushButton* FolderButton;

    static const QString kGone;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Platform& m_platform;
    Store& m_store;
    QList<RunHistory::Run> m_runs;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/transfer/Backups.h"

#include <QDialog>
#include <optional>

class QPushButton;
class QTreeWidget;

// "Yedekten Geri Yükle": the backups, newest first, with their moment and
// how many guests and customers each holds. Enter, a double click or
// "Geri Yükle" chooses the selected one; the caller asks and restores.
class RestoreWindow : public QDialog
{
    Q_OBJECT
public:
    explicit RestoreWindow(const QList<Backups::Entry>& backups, QWidget* parent = nullptr);

    // The backup chosen, once the window was accepted.
    std::optional<Backups::Entry> chosen() const;

    QTreeWidget* BackupList;
    QPushButton* RestoreButton;

private:
    QList<Backups::Entry> m_backups;
};

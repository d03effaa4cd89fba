// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/transfer/RestoreWindow.h"

#include "core/register/Formats.h"
#include "gui/widgets/FormKit.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

RestoreWindow::RestoreWindow(const QList<Backups::Entry>& backups, QWidget* parent)
    : QDialog(parent), m_backups(backups)
{
    setObjectName(QStringLiteral("RestoreWindow"));
    setWindowTitle(QStringLiteral("Yedekten Geri Yükle"));
    setModal(true);
    resize(560, 320);

    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(backups.isEmpty() ? QStringLiteral("Henüz yedek yok.")
                                              : QStringLiteral("Geri yüklenecek yedeği seçiniz:"),
                            this);
    hint->setObjectName(QStringLiteral("HintLabel"));
    layout->addWidget(hint);

    BackupList = new QTreeWidget(this);
    BackupList->setObjectName(QStringLiteral("BackupList"));
    BackupList->setRootIsDecorated(false);
    BackupList->setSelectionMode(QAbstractItemView::SingleSelection);
    BackupList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    BackupList->setHeaderLabels({QStringLiteral("Yedek Zamanı"), QStringLiteral("Misafir"), QStringLiteral("Müşteri"),
                                 QStringLiteral("Dosya")});
    BackupList->header()->setStretchLastSection(true);
    BackupList->setColumnWidth(0, 150);
    BackupList->setColumnWidth(1, 70);
    BackupList->setColumnWidth(2, 70);
    auto count = [](int n) { return n < 0 ? QStringLiteral("?") : QString::number(n); };
    for (const Backups::Entry& e : backups) {
        auto* item = new QTreeWidgetItem(BackupList, {Formats::dateTimeText(e.moment), count(e.guests),
                                                      count(e.customers), QFileInfo(e.path).fileName()});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (!backups.isEmpty())
        BackupList->setCurrentItem(BackupList->topLevelItem(0));
    layout->addWidget(BackupList);
    connect(BackupList, &QTreeWidget::itemActivated, this, &QDialog::accept);

    RestoreButton = new QPushButton(QStringLiteral("&Geri Yükle"), this);
    RestoreButton->setObjectName(QStringLiteral("RestoreButton"));
    RestoreButton->setEnabled(!backups.isEmpty());
    connect(RestoreButton, &QPushButton::clicked, this, &QDialog::accept);
    FormKit::addCommandRow(this, layout, RestoreButton);
    BackupList->setFocus();
}

std::optional<Backups::Entry> RestoreWindow::chosen() const
{
    const int row = BackupList->indexOfTopLevelItem(BackupList->currentItem());
    if (result() != QDialog::Accepted || row < 0 || row >= m_backups.size())
        return std::nullopt;
    return m_backups[row];
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/transfer/HistoryWindow.h"

#include "platform/core/Clock.h"
#include "platform/core/Dialogs.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Platform.h"
#include "platform/core/RadaError.h"
#include "platform/gui/Shell.h"
#include "core/register/Formats.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

const QString HistoryWindow::kGone = QStringLiteral(" (dosya artık bu konumda yok)");

HistoryWindow::HistoryWindow(Platform& platform, Store& store, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_store(store)
{
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QStringLiteral("Transfer Geçmişi"));
    setModal(true);
    resize(720, 360);

    auto* layout = new QVBoxLayout(this);
    SinceLabel = new QLabel(this);
    SinceLabel->setObjectName(QStringLiteral("SinceLabel"));
    QFont bold = SinceLabel->font();
    bold.setBold(true);
    SinceLabel->setFont(bold);
    layout->addWidget(SinceLabel);

    RunList = new QTreeWidget(this);
    RunList->setObjectName(QStringLiteral("RunList"));
    RunList->setRootIsDecorated(false);
    RunList->setUniformRowHeights(true);
    RunList->setSelectionMode(QAbstractItemView::SingleSelection);
    RunList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RunList->setHeaderLabels({QStringLiteral("Zaman"), QStringLiteral("Dosya"), QStringLiteral("Yazılan"),
                              QStringLiteral("Silinen"), QStringLiteral("Sonuç")});
    RunList->header()->setStretchLastSection(true);
    RunList->setColumnWidth(0, 130);
    RunList->setColumnWidth(1, 300);
    RunList->setColumnWidth(2, 60);
    RunList->setColumnWidth(3, 60);
    layout->addWidget(RunList);

    FolderButton = new QPushButton(QStringLiteral("Klasörü &Aç"), this);
    FolderButton->setObjectName(QStringLiteral("FolderButton"));
    FolderButton->setAutoDefault(false);
    connect(FolderButton, &QPushButton::clicked, this, &HistoryWindow::openFolder);
    connect(RunList, &QTreeWidget::itemActivated, this, &HistoryWindow::openFolder);
    layout->addWidget(FolderButton, 0, Qt::AlignRight);
}

void HistoryWindow::showEvent(QShowEvent* event)
{
    reload();
    QDialog::showEvent(event);
}

void HistoryWindow::reload()
{
    RunList->clear();
    try {
        m_runs = RunHistory::readAll(m_store);
    } catch (const RadaError& e) {
        m_runs.clear();
        m_platform.dialogs.reportError(e.text());
    }
    SinceLabel->setText(RunHistory::sinceLastSuccess(m_runs, m_platform.clock.now()));
    for (const RunHistory::Run& run : m_runs) {
        QString file = QDir::toNativeSeparators(run.path);
        if (!m_platform.fs.exists(run.path))
            file += kGone;
        QString outcome = run.outcome;
        if (!run.failure.isEmpty())
            outcome += QStringLiteral(" (%1)").arg(run.failure);
        auto* item = new QTreeWidgetItem(RunList, {run.moment.toString(Formats::kDateTime), file,
                                                   QString::number(run.written), QString::number(run.purged),
                                                   outcome});
        item->setToolTip(1, QDir::toNativeSeparators(run.path));
    }
    if (RunList->topLevelItemCount() > 0)
        RunList->setCurrentItem(RunList->topLevelItem(0));
    FolderButton->setEnabled(!m_runs.isEmpty());
}

void HistoryWindow::openFolder()
{
    const int row = RunList->indexOfTopLevelItem(RunList->currentItem());
    if (row < 0 || row >= m_runs.size())
        return;
    m_platform.shell.openUrl(QUrl::fromLocalFile(QFileInfo(m_runs[row].path).absolutePath()));
}

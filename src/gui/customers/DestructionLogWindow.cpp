// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/customers/DestructionLogWindow.h"

#include "core/customers/DestructionLog.h"
#include "core/register/Formats.h"
#include "platform/core/Dialogs.h"
#include "platform/core/RadaError.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

DestructionLogWindow::DestructionLogWindow(Store& store, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_store(store), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("DestructionLogWindow"));
    setWindowTitle(QStringLiteral("İmha Kayıtları"));
    setModal(true);
    resize(640, 320);

    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("Kişisel verilerin imhası; kayıtlar üç yıl saklanır."), this);
    layout->addWidget(hint);
    LogList = new QTreeWidget(this);
    LogList->setObjectName(QStringLiteral("LogList"));
    LogList->setRootIsDecorated(false);
    LogList->setUniformRowHeights(true);
    LogList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LogList->setHeaderLabels({QStringLiteral("Tarih"), QStringLiteral("Kategori"), QStringLiteral("Adet"),
                              QStringLiteral("Yöntem"), QStringLiteral("Gerekçe")});
    LogList->header()->setStretchLastSection(true);
    LogList->setColumnWidth(0, 140);
    LogList->setColumnWidth(1, 110);
    LogList->setColumnWidth(2, 50);
    LogList->setColumnWidth(3, 60);
    layout->addWidget(LogList);
}

void DestructionLogWindow::showEvent(QShowEvent* event)
{
    reload();
    QDialog::showEvent(event);
}

void DestructionLogWindow::reload()
{
    LogList->clear();
    QList<DestructionLog::Entry> entries;
    try {
        entries = DestructionLog::readAll(m_store);
    } catch (const RadaError& e) {
        m_dialogs.reportError(e.text());
    }
    for (const DestructionLog::Entry& e : entries) {
        auto* item = new QTreeWidgetItem(LogList, {e.moment.toString(Formats::kDateTime), e.category,
                                                   QString::number(e.count), e.method, e.reason});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
}

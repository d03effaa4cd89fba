// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/DBLookupComboBox.h"

#include "core/register/Dataset.h"
#include "core/register/TurkishText.h"

#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QSignalBlocker>

DBLookupComboBox::DBLookupComboBox(Dataset* dataset, const QString& column, Dataset* lookup,
                                   const QString& keyColumn, const QString& listColumn, QWidget* parent)
    : QComboBox(parent), m_dataset(dataset), m_column(column), m_lookup(lookup), m_keyColumn(keyColumn),
      m_listColumn(listColumn)
{
    setEditable(false);
    connect(this, &QComboBox::activated, this, &DBLookupComboBox::userChose);
    connect(dataset, &Dataset::rowChanged, this, &DBLookupComboBox::refresh);
    connect(dataset, &Dataset::fieldChanged, this, [this](const QString& c) {
        if (c == m_column)
            refresh();
    });
    connect(lookup, &Dataset::rowsChanged, this, &DBLookupComboBox::reloadList);
    reloadList();
}

void DBLookupComboBox::reloadList()
{
    const bool blocked = blockSignals(true);
    clear();
    for (int i = 0; i < m_lookup->recordCount(); ++i)
        addItem(m_lookup->rowText(i, m_listColumn), m_lookup->rowText(i, m_keyColumn));
    blockSignals(blocked);
    refresh();
}

void DBLookupComboBox::refresh()
{
    if (m_writing)
        return;
    Dataset* ds = m_dataset;
    const QString key = (ds->isOpen()) ? ds->text(m_column) : QString();
    const bool blocked = blockSignals(true);
    setCurrentIndex(key.isEmpty() ? -1 : findData(key));
    blockSignals(blocked);
}

void DBLookupComboBox::userChose(int index)
{
    Dataset* ds = m_dataset;
    if (!ds->isOpen() || index < 0)
        return;
    const QString key = itemData(index).toString();
    {
        QScopedValueRollback<bool> writing(m_writing, true);
        if (ds->edit())
            ds->setText(m_column, key);
    }
    refresh();
}

void DBLookupComboBox::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool plain = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
    if (plain && !typed.isEmpty() && typed.at(0).isPrint()) {
        search(typed);
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void DBLookupComboBox::focusOutEvent(QFocusEvent* event)
{
    m_search.clear();
    QComboBox::focusOutEvent(event);
}

void DBLookupComboBox::search(const QString& typed)
{
    if (!m_sinceTyped.isValid() || m_sinceTyped.elapsed() >= kSearchPauseMs)
        m_search.clear();
    m_sinceTyped.restart();
    const QString sought = m_search + typed;
    for (int i = 0; i < count(); ++i) {
        if (TurkishText::startsWith(itemText(i), sought)) {
            m_search = sought;
            if (i != currentIndex()) {
                setCurrentIndex(i);
                userChose(i);
            }
            return;
        }
    }
    // Nothing begins so: the letter is not taken, and the choice stays.
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/DBEdit.h"

#include "core/register/CodePage.h"
#include "core/register/Dataset.h"

#include <QKeyEvent>
#include <QScopedValueRollback>
#include <algorithm>

namespace {

int columnSize(Dataset* dataset, const QString& column)
{
    return dataset->table().column(column).size;
}

} // namespace

DBEdit::DBEdit(Dataset* dataset, const QString& column, QWidget* parent)
    : QLineEdit(parent), m_dataset(dataset), m_column(column)
{
    const int size = columnSize(dataset, column);
    if (size > 0)
        setMaxLength(size);
    connect(this, &QLineEdit::textEdited, this, &DBEdit::userEdited);
    connect(dataset, &Dataset::rowChanged, this, &DBEdit::refresh);
    connect(dataset, &Dataset::fieldChanged, this, [this](const QString& c) {
        if (c == m_column)
            refresh();
    });
    refresh();
}

Dataset* DBEdit::dataset() const
{
    return m_dataset;
}

QString DBEdit::fieldText() const
{
    return text();
}

void DBEdit::setKeep(std::function<QString(const QString&)> keep)
{
    m_keep = std::move(keep);
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() && !CodePage::fits(typed)) {
        event->accept();
        return;
    }
    // Keys that edit, leave or command the box (Backspace, Enter, Ctrl+V)
    // bring control characters: they are no characters to keep, and what a
    // paste brings is kept as userEdited says.
    if (m_keep && !typed.isEmpty() && typed.at(0).unicode() >= 0x20 && typed.at(0).unicode() != 0x7f) {
        const QString kept = m_keep(typed);
        if (kept.isEmpty()) {
            event->accept();
            return;
        }
        if (kept != typed) {
            QKeyEvent replaced(event->type(), event->key(), event->modifiers(), kept, event->isAutoRepeat(),
                               ushort(event->count()));
            QLineEdit::keyPressEvent(&replaced);
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!CodePage::fits(event->commitString())) {
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(CodePage::keepFitting(event->commitString()), event->replacementStart(),
                                 event->replacementLength());
        QLineEdit::inputMethodEvent(&filtered);
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void DBEdit::userEdited()
{
    // Pasted text: keep what the file can carry and the box takes.
    const QString kept = m_keep ? m_keep(CodePage::keepFitting(text())) : CodePage::keepFitting(text());
    if (kept != text()) {
        const int pos = cursorPosition() - int(text().size() - kept.size());
        setText(kept);
        setCursorPosition(std::clamp(pos, 0, int(kept.size())));
    }
    Dataset* ds = dataset();
    if (!ds->isOpen())
        return;
    const QString typed = text();
    const int pos = cursorPosition();
    {
        // A new row begun by edit() refreshes every box; this one keeps what was typed.
        QScopedValueRollback<bool> writing(m_writing, true);
        if (ds->edit()) {
            if (text() != typed) {
                setText(typed);
                setCursorPosition(pos);
            }
            ds->setText(m_column, fieldText());
        }
    }
    if (!ds->isEditing())
        refresh();
}

void DBEdit::refresh()
{
    if (m_writing)
        return;
    Dataset* ds = dataset();
    const QString value = (ds->isOpen()) ? ds->text(m_column) : QString();
    if (value != fieldText() || (value.isEmpty() && !text().isEmpty()))
        showValue(value);
}

void DBEdit::showValue(const QString& value)
{
    setText(value);
    setCursorPosition(0);
}

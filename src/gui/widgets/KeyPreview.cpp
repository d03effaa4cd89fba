// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace KeyPreview {

bool isAltGrCharacter(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers m = key.modifiers();
    if (!m.testFlag(Qt::ControlModifier) || !m.testFlag(Qt::AltModifier))
        return false;
    const QString text = key.text();
    return !text.isEmpty() && text.at(0).isPrint();
}

bool isPlainEnter(const QKeyEvent& key)
{
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
           !key.modifiers().testFlag(Qt::ControlModifier);
}

bool isCtrlDelete(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Delete && key.modifiers().testFlag(Qt::ControlModifier);
}

Filter::Filter(QWidget* window, Handler handler) : QObject(window), m_window(window), m_handler(std::move(handler))
{
    qApp->installEventFilter(this);
}

bool Filter::eventFilter(QObject* watched, QEvent* event)
{
    // An application-wide filter sees the key first; it also sees each copy
    // handed on to a parent, so only the copy for the focus widget counts.
    if (event->type() != QEvent::KeyPress || !m_window || !m_window->isActiveWindow())
        return false;
    QWidget* focus = QApplication::focusWidget();
    if (watched != (focus ? static_cast<QObject*>(focus) : static_cast<QObject*>(m_window.data())))
        return false;
    if (focus && focus->window() != m_window)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (isAltGrCharacter(*key))
        return false;
    return m_handler(key);
}

EnterMover::EnterMover(QObject* parent, std::function<void()> focusNext)
    : QObject(parent), m_focusNext(std::move(focusNext))
{
}

void EnterMover::queueMove()
{
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pending = false;
            m_focusNext();
        },
        Qt::QueuedConnection);
}

bool EnterMover::finishKey(const QKeyEvent& key)
{
    if (isCtrlDelete(key))
        return true;
    if (!isPlainEnter(key))
        return false;
    queueMove();
    return true;
}

} // namespace KeyPreview

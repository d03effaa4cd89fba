// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QKeyEvent;
class QWidget;

// What the windows' key previews make of a key.
namespace KeyPreview {

// A key that types a character through AltGr. On Windows AltGr arrives as
// Ctrl+Alt, so AltGr+E ("€" on a Turkish Q keyboard) would otherwise read
// as Ctrl+E: such a key is never a command.
bool isAltGrCharacter(const QKeyEvent& key);

// Enter or Return without Ctrl: the key that moves on to the next box.
bool isPlainEnter(const QKeyEvent& key);

// Ctrl+Del: the delete command. The key goes no further, so that a text box
// does not go on to delete a word of the record that is current now.
bool isCtrlDelete(const QKeyEvent& key);

// A window's keyboard preview: the handler sees every key pressed in the
// window before the focused control does (and once only, though Qt hands a
// key on to the parents); returning true keeps the key from the control.
// Keys typed through AltGr never reach the handler.
class Filter : public QObject
{
public:
    using Handler = std::function<bool(QKeyEvent*)>;
    Filter(QWidget* window, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    Handler m_handler;
};

// Moves the focus to the next control once the current key's own handling
// has ended, so that whatever the key set off runs first. The window hands
// in its focusNextChild(), which only it may call.
class EnterMover : public QObject
{
public:
    EnterMover(QObject* parent, std::function<void()> focusNext);
    void queueMove();
    // A record window's key once its commands have run: Ctrl+Del goes no
    // further, and Enter moves on instead of reaching the control. True
    // when the key is kept from the focused control.
    bool finishKey(const QKeyEvent& key);

private:
    std::function<void()> m_focusNext;
    bool m_pending = false;
};

} // namespace KeyPreview

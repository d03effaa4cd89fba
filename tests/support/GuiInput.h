// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QDate>
#include <QKeyEvent>
#include <QTest>
#include <QTime>
#include <QWidget>
#include <gtest/gtest.h>

#include "TestSupport.h"

#include <functional>

// Keyboard and focus helpers for window tests: keys go where the user's keys
// go, and waits report to GoogleTest instead of returning silently.

inline bool waitFor(const std::function<bool()>& condition, int ms = 2000)
{
    return QTest::qWaitFor(condition, ms);
}

inline bool focusOn(QWidget* w)
{
    w->setFocus(Qt::OtherFocusReason);
    return waitFor([w] { return w->hasFocus(); });
}

// A key to whatever has the focus.
inline void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr) << "nothing has the focus";
    QTest::keyClick(target, key, modifiers);
}

// Types text into a widget; characters beyond ASCII (Turkish letters) arrive
// as key events that carry only their text, as from a Turkish keyboard.
inline void typeText(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(w, char(c.unicode()));
            continue;
        }
        QKeyEvent down(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &down);
        QKeyEvent up(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &up);
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/FocusHighlight.h"

#include "gui/widgets/DBCheckBox.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextEdit>
#include <QWidget>

bool FocusHighlighter::isEditor(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QListView*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const DBCheckBox*>(w) ||
           qobject_cast<const QTableView*>(w) || qobject_cast<const QDateTimeEdit*>(w);
}

FocusHighlighter::FocusHighlighter(QWidget* window, Kind highlightable, QWidget* alwaysGreen)
    : QObject(window), m_window(window), m_highlightable(std::move(highlightable)), m_alwaysGreen(alwaysGreen)
{
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && now->window() == m_window)
            CMFocusChanged(controlOf(now));
    });
    if (m_alwaysGreen)
        paint(m_alwaysGreen, FocusColors::kMoneyGreen);
}

QWidget* FocusHighlighter::controlOf(QWidget* focusWidget)
{
    QWidget* w = focusWidget;
    while (w && w->parentWidget() &&
           (qobject_cast<QAbstractSpinBox*>(w->parentWidget()) || qobject_cast<QComboBox*>(w->parentWidget())))
        w = w->parentWidget();
    return w;
}

void FocusHighlighter::paint(QWidget* control, const QColor& colour)
{
    QPalette p = control->palette();
    p.setColor(QPalette::Base, colour);
    if (qobject_cast<QComboBox*>(control))
        p.setColor(QPalette::Button, colour);  // what a list box is filled with
    p.setColor(control->backgroundRole(), colour);
    control->setPalette(p);
    if (control->backgroundRole() == QPalette::Window)
        control->setAutoFillBackground(true);
}

QColor FocusHighlighter::colourOf(const QWidget* control)
{
    return control->palette().color(control->backgroundRole());
}

void FocusHighlighter::CMFocusChanged(QWidget* control)
{
    if (control && m_highlightable(control)) {
        // This window's controls only: the windows it owns (the customer and
        // search windows) keep their own colours.
        const QList<QWidget*> all = m_window->findChildren<QWidget*>();
        for (QWidget* w : all) {
            if (w->window() == m_window && m_highlightable(w) && controlOf(w) == w)
                paint(w, FocusColors::kWhite);
        }
        paint(control, FocusColors::kSkyBlue);
    }
    if (m_alwaysGreen)
        paint(m_alwaysGreen, FocusColors::kMoneyGreen);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QString>
#include <QStyle>
#include <functional>

class QBoxLayout;
class QDialog;
class QPushButton;
class Dataset;
class DBEdit;
class DBLookupComboBox;
class QDateEdit;
class QLabel;
class QTimeEdit;
class QToolButton;
class QWidget;

// Building blocks of the data-entry windows: bold captions over boxes, date
// and time pickers in the program's formats, lookup boxes and flat toolbar
// buttons that name their key in the hint.
namespace FormKit {

// Shown, restored and raised, as far as the window system allows.
void bringToFront(QWidget* window);

// A caption in bold Arial.
QLabel* caption(QWidget* parent, const QString& text, int x, int y);

// Names the widget (tests find it by name) and places it.
QWidget* place(QWidget* widget, const char* name, const QRect& geometry);
template <typename W>
W* place(W* widget, const char* name, const QRect& geometry)
{
    place(static_cast<QWidget*>(widget), name, geometry);
    return widget;
}

// A date picker in "yyyy-MM-dd" that can show day zero.
QDateEdit* datePicker(QWidget* parent, const char* name, const QRect& geometry, const QString& hint);
// A time picker showing "HH:mm"; it keeps the seconds it is given.
QTimeEdit* timePicker(QWidget* parent, const char* name, const QRect& geometry, const QString& hint);

// Runs the handler each time the focus leaves the box for another control
// (not when another window or a popup takes it): an OnExit handler.
void onLeave(QWidget* box, std::function<void()> handler);

// The bottom row of a dialog: the command button given, then "Vazgeç",
// which rejects the dialog; both at the right, neither taking Enter.
void addCommandRow(QDialog* dialog, QBoxLayout* layout, QPushButton* command);

// A flat button that takes no focus.
QToolButton* flatButton(QWidget* parent, const char* name, const QString& hint, QStyle::StandardPixmap icon,
                        const QRect& geometry);

// A column of captioned boxes, one under the other: each add() puts the
// caption at the next step and the box right below it.
class Column
{
public:
    Column(QWidget* parent, int x, int y, int width, int step = 37);

    // Moves down one step and puts a caption there; returns the box's place.
    QRect next(const QString& text, int width = -1);
    // A text box bound to a column.
    DBEdit* edit(const QString& text, const char* name, Dataset* dataset, const QString& column);
    // A lookup box bound to a column, listing a lookup table.
    DBLookupComboBox* lookup(const QString& text, const char* name, Dataset* dataset, const QString& column,
                             Dataset* list, const QString& key, const QString& shown);
    // The top of the next step.
    int y() const { return m_y + m_step; }
    QWidget* parent() const { return m_parent; }
    int width() const { return m_width; }

private:
    QWidget* m_parent;
    int m_x;
    int m_y;
    int m_width;
    int m_step;
};

} // namespace FormKit

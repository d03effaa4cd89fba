// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace FocusColors {
inline const QColor kWhite{255, 255, 255};
inline const QColor kSkyBlue{166, 202, 240};
inline const QColor kMoneyGreen{192, 220, 192};
} // namespace FocusColors

// Paints the control that has the focus sky blue and every other
// highlightable control of the window white. A focus move to a control of
// another kind leaves the colours as they are.
class FocusHighlighter : public QObject
{
    Q_OBJECT
public:
    using Kind = std::function<bool(const QWidget*)>;

    FocusHighlighter(QWidget* window, Kind highlightable, QWidget* alwaysGreen = nullptr);

    // Every control the clerk types or picks in: line and text boxes,
    // lookups, lists, grids, date and time boxes, the data-aware tick box.
    static bool isEditor(const QWidget* w);
    // The control a focus widget belongs to (a picker for its inner editor).
    static QWidget* controlOf(QWidget* focusWidget);
    static void paint(QWidget* control, const QColor& colour);
    static QColor colourOf(const QWidget* control);

    void CMFocusChanged(QWidget* control);

private:
    QWidget* m_window;
    Kind m_highlightable;
    QPointer<QWidget> m_alwaysGreen;
};

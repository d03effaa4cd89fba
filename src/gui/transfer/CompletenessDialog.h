// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/transfer/Completeness.h"

#include <QDialog>

class QAbstractItemModel;
class QLabel;
class QPushButton;
class QTreeView;

// Lists the guests that Completeness::check found, one line per guest with
// its room and its problems joined by a blank (the selected guest's problems
// whole below the list, one a line, and in the line's tooltip), and lets the clerk either go to a guest to
// correct it (the run stops, nothing is written) or go on with the run.
//
// "Kayda Git" (default button: Enter, Alt+G; also Esc, a double click on a
// line and closing the window) chooses GoToGuest with the key of the selected
// guest (of the clicked one for a double click) and the column of its first
// problem; "Devam Et" (Alt+D) chooses
// GoOn. The first line is selected and the list has the focus when it opens.
// When a finding blocks the run (a character the file cannot carry), "Devam
// Et" is not offered, a line says why, and the first such guest is selected.
//
// The transfer run takes CompletenessDialog::ask as its Completeness::Ask:
//
//     [window](const QList<Completeness::Finding>& f) { return CompletenessDialog::ask(f, window); }
class CompletenessDialog : public QDialog
{
    Q_OBJECT
public:
    static const QString kIntroText;
    static const QString kCannotGoOnText;

    explicit CompletenessDialog(const QList<Completeness::Finding>& findings, QWidget* parent = nullptr);

    // Shows the dialog modally and returns the clerk's choice; GoOn at once,
    // without a window, when there is nothing to show.
    static Completeness::Decision ask(const QList<Completeness::Finding>& findings, QWidget* parent);

    // The choice made; before one is made, GoToGuest with the first guest.
    Completeness::Decision decision() const { return m_decision; }

    QTreeView* list() const { return m_list; }
    QPushButton* goToButton() const { return m_goTo; }
    QPushButton* goOnButton() const { return m_goOn; }

public Q_SLOTS:
    // Esc and the window system's close: the same as "Kayda Git".
    void reject() override;

private:
    void goTo(int row);
    void goOn();
    void showDetail(int row);
    int selectedRow() const;

    QList<Completeness::Finding> m_findings;
    QAbstractItemModel* m_model;
    QLabel* m_intro;
    QLabel* m_detail;
    QTreeView* m_list;
    QPushButton* m_goTo;
    QPushButton* m_goOn;
    Completeness::Decision m_decision;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QRect>
#include <QString>
#include <functional>

struct Platform;
class Dataset;
class DBEdit;
class DBMaskEdit;
class QDateEdit;
class QKeyEvent;
class QObject;
class QToolButton;
class QWidget;
class Tables;
namespace FormKit {
class Column;
}

// What the guest and the customer window share: the captioned boxes of a
// person, built from one field table and bound to the window's table; the
// birth-date box written into the record as it changes; the identity-number
// warning and the plate's tidying as the focus leaves their boxes; the record
// toolbar, the record commands and their keys. Each window adds what is its
// own and lays the boxes out in its own columns.
class RecordForm
{
public:
    // context: the window object, which owns the connections.
    RecordForm(Platform& platform, Tables& tables, Dataset& records, QObject* context);
    virtual ~RecordForm();
    RecordForm(const RecordForm&) = delete;
    RecordForm& operator=(const RecordForm&) = delete;

    // Puts the captioned box of a column of the field table at the next step
    // of the layout column, named as the clerk's windows have always named
    // it. The identity number comes with its query button (number 1).
    QWidget* addBox(FormKit::Column& column, const QString& name);
    // Several boxes in turn.
    QList<QWidget*> addBoxes(FormKit::Column& column, const QStringList& names);

    // The record toolbar: first, previous, next, last, new, delete, save and
    // cancel, numbered from firstNumber, each placed where at(i) says.
    void addRecordButtons(QWidget* parent, int firstNumber, const std::function<QRect(int)>& at);
    QToolButton* button(int number) const;

    // Record commands.
    void firstRecord();
    void priorRecord();
    void nextRecord();
    void lastRecord();
    virtual void newRecord();
    void deleteRecord();
    void saveRecord();
    void cancelEdit();
    void openIdentityQuery();   // the identity-number query page
    void checkIdentityNumber();
    void tidyPlate();

    // Runs the record command a key stands for (Alt or Ctrl with an arrow,
    // Ctrl+S, Ctrl+N, Ctrl+Del, Esc).
    void runRecordKey(const QKeyEvent& key);

    // The record is being edited or inserted with something changed.
    bool hasUnsavedChanges() const;

    // The box that edits a column; nothing for a column without one.
    QWidget* boxOf(const QString& column) const { return m_boxes.value(column); }
    // Puts the focus on a column's box (what the table's showField does).
    void focusField(const QString& column);

    DBEdit* nameBox = nullptr;
    DBEdit* surnameBox = nullptr;
    QDateEdit* birthBox = nullptr;
    DBEdit* serialBox = nullptr;
    DBMaskEdit* identityBox = nullptr;
    DBEdit* plateBox = nullptr;
    // Every focusable control in tab order.
    QList<QWidget*> tabOrder;

protected:
    // Every command of the toolbar and the keys runs through here.
    virtual void runCommand(const std::function<void()>& command) { command(); }
    // Sets the tab order of the controls listed in tabOrder.
    void applyTabOrder();
    void setButton(int number, QToolButton* button);
    // A box of the window's own that edits a column.
    void addOwnBox(const QString& column, QWidget* box) { m_boxes.insert(column, box); }
    // A delete with no record to delete does nothing (otherwise the
    // dataset's own error is shown).
    bool quietDeleteOnEmpty = false;

    Platform& m_platform;
    Tables& m_tables;
    Dataset& m_records;
    QObject* m_context;

private:
    QWidget* makeBox(FormKit::Column& column, const QString& name);

    QList<QToolButton*> m_buttons;
    QHash<QString, QWidget*> m_boxes;
};

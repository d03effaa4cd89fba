// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class Dataset;
class DBGrid;
class FocusHighlighter;
class QKeyEvent;
class QLabel;
class QLineEdit;

// The guest search window: finds a guest by first name or surname. Its list
// is the guest window's own guest dataset, so every move in it moves the
// guest window (settling a pending guest edit first); closing it leaves the
// guest window on the guest last selected.
class GuestSearchWindow : public QDialog
{
    Q_OBJECT
public:
    explicit GuestSearchWindow(Dataset* guests, QWidget* parent = nullptr);

    void clearSearch();
    void searchByName();
    void searchBySurname();

    QLineEdit* nameBox;   // "Adı :"
    QLineEdit* surnameBox;   // "Soyadı :"
    DBGrid* guestList;
    QLabel* statusBar;

    static const QString kStatusText;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool previewKey(QKeyEvent* key);
    void search(const QString& column, const QString& text);

    Dataset* m_guests;
    FocusHighlighter* m_highlighter;
};

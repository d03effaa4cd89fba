// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/RoomBoard.h"

#include <QWidget>
#include <functional>

struct Platform;
class Tables;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

// "Oda Durumu": the occupied rooms with their guests, today's movements and
// the departed guests waiting for the next file, kept up to date with the
// guest table. Beside the guest window, as the customer window is.
class RoomBoardWindow : public QWidget
{
    Q_OBJECT
public:
    RoomBoardWindow(Platform& platform, Tables& tables, QWidget* parent = nullptr);

    // Wired by the main window: show a guest in the guest window and bring
    // it to the front; begin a new guest in that guest's room there.
    std::function<void(qint64 key)> showGuest;
    std::function<void(qint64 key)> addGuestToRoom;

    // Reads the board again, keeping the selected row.
    void refresh();
    const RoomBoard::Board& board() const { return m_board; }

    QLabel* figures;
    QLineEdit* search;
    QTreeWidget* rooms;
    QTreeView* leaving;          // a list as long as the departed guests waiting
    QPushButton* checkOutButton;
    QPushButton* addGuestButton;

    // Checks out the selected room after the clerk's yes.
    void checkOutRoom();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill(qint64 keptLeaving);
    void searchChanged();
    void open(QTreeWidgetItem* item);
    void openLeaving(const QModelIndex& index);
    // The room of the selected row, and the guest (the room's first when a
    // room row is selected); empty and 0 when nothing is selected.
    QString selectedRoom() const;
    qint64 selectedGuest() const;

    Platform& m_platform;
    Tables& m_tables;
    RoomBoard::Board m_board;
    class LeavingModel;
    LeavingModel* m_leaving;
    QTimer* m_follow;
};

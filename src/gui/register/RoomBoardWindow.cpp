// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/register/RoomBoardWindow.h"

#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/Tables.h"
#include "platform/core/Clock.h"
#include "platform/core/Dialogs.h"
#include "platform/core/Platform.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QAbstractTableModel>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kRoomRole = Qt::UserRole + 1;

const QString kTitle = u"Oda Durumu"_s;
const QString kFigures = u"Dolu oda: %1    Kalan misafir: %2    Bugün gelen: %3    Bugün ayrılan: %4    "
                         u"Transfer bekleyen: %5"_s;
const QString kToday = u"Bugün"_s;

QTreeWidget* makeList(QWidget* parent, const char* name, const QStringList& headers)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    // Fixed widths: measuring every row's text again at each change of the
    // guest table would cost more than the rest of the refresh.
    const int widths[] = {60, 260, 110, 90, 90};
    for (int i = 0; i < int(std::size(widths)) && i < headers.size() - 1; ++i)
        list->header()->resizeSection(i, widths[i]);
    return list;
}

} // namespace

// The departed guests can number thousands before a run: the list asks for
// the rows it paints only, and their names are read when they are painted.
class RoomBoardWindow::LeavingModel : public QAbstractTableModel
{
public:
    LeavingModel(const Dataset& table, QObject* parent) : QAbstractTableModel(parent), m_table(table) {}

    void set(const QList<RoomBoard::Departure>* guests)
    {
        beginResetModel();
        m_guests = guests;
        endResetModel();
    }
    qint64 keyAt(int row) const { return m_guests && row >= 0 && row < m_guests->size() ? m_guests->at(row).key : 0; }
    int rowOf(qint64 key) const
    {
        for (int i = 0; m_guests && i < m_guests->size(); ++i) {
            if (m_guests->at(i).key == key)
                return i;
        }
        return -1;
    }
    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() || !m_guests ? 0 : int(m_guests->size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
            return {};
        const RoomBoard::Departure& g = m_guests->at(index.row());
        switch (index.column()) {
        case 0: return g.room;
        case 1: return RoomBoard::nameOf(m_table, g);
        case 2: return g.departure;
        default: return g.staying ? u"Bugün ayrılacak"_s : u"Transfer bekliyor"_s;
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList headers = {u"Oda"_s, u"Misafir"_s, u"Ayrılış"_s, u"Durum"_s};
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return headers.value(section);
    }

private:
    const Dataset& m_table;
    const QList<RoomBoard::Departure>* m_guests = nullptr;
};

RoomBoardWindow::RoomBoardWindow(Platform& platform, Tables& tables, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_platform(platform), m_tables(tables), m_follow(new QTimer(this))
{
    setObjectName(u"OdaDurumu"_s);
    setWindowTitle(kTitle);
    resize(760, 560);

    figures = new QLabel(this);
    figures->setObjectName(u"OdaRakamlari"_s);
    search = new QLineEdit(this);
    search->setObjectName(u"OdaAra"_s);
    search->setPlaceholderText(u"Oda no veya soyadı"_s);
    auto* searchCaption = new QLabel(u"&Ara :"_s, this);
    searchCaption->setBuddy(search);
    rooms = makeList(this, "Odalar", {u"Oda"_s, u"Misafir"_s, u"Uyruğu"_s, u"Geliş"_s, u"Ayrılış"_s, kToday});
    rooms->setRootIsDecorated(true);
    m_leaving = new LeavingModel(*m_tables.kisi, this);
    leaving = new QTreeView(this);
    leaving->setObjectName(u"Ayrilanlar"_s);
    leaving->setModel(m_leaving);
    leaving->setRootIsDecorated(false);
    leaving->setUniformRowHeights(true);
    leaving->setAllColumnsShowFocus(true);
    leaving->setSelectionMode(QAbstractItemView::SingleSelection);
    leaving->header()->setStretchLastSection(true);
    leaving->header()->resizeSection(0, 60);
    leaving->header()->resizeSection(1, 260);
    leaving->header()->resizeSection(2, 100);
    auto* roomsCaption = new QLabel(u"D&olu Odalar"_s, this);
    roomsCaption->setBuddy(rooms);
    auto* leavingCaption = new QLabel(u"Bugün Ayrılanlar ve &Transfer Bekleyenler"_s, this);
    leavingCaption->setBuddy(leaving);

    checkOutButton = new QPushButton(u"Odayı &Boşalt"_s, this);
    checkOutButton->setObjectName(u"OdayiBosalt"_s);
    addGuestButton = new QPushButton(u"Aynı Odaya &Misafir Ekle"_s, this);
    addGuestButton->setObjectName(u"AyniOdayaMisafirEkle"_s);
    auto* closeButton = new QPushButton(u"&Kapat"_s, this);
    closeButton->setObjectName(u"Kapat"_s);
    for (QPushButton* b : {checkOutButton, addGuestButton, closeButton})
        b->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(searchCaption);
    top->addWidget(search, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(checkOutButton);
    buttons->addWidget(addGuestButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(figures);
    layout->addLayout(top);
    layout->addWidget(roomsCaption);
    layout->addWidget(rooms, 3);
    layout->addWidget(leavingCaption);
    layout->addWidget(leaving, 2);
    layout->addLayout(buttons);
    setTabOrder(search, rooms);
    setTabOrder(rooms, leaving);
    setTabOrder(leaving, checkOutButton);

    connect(search, &QLineEdit::textChanged, this, &RoomBoardWindow::searchChanged);
    connect(rooms, &QTreeWidget::itemActivated, this, &RoomBoardWindow::open);
    connect(leaving, &QTreeView::activated, this, &RoomBoardWindow::openLeaving);
    connect(checkOutButton, &QPushButton::clicked, this, &RoomBoardWindow::checkOutRoom);
    connect(addGuestButton, &QPushButton::clicked, this, [this] {
        if (const qint64 key = selectedGuest(); key != 0 && addGuestToRoom)
            addGuestToRoom(key);
    });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    search->installEventFilter(this);

    // Every change of the guest table (a save here or at another desk, a
    // run, a restore) reaches the board once the event loop is free, however
    // many rows changed at once.
    m_follow->setSingleShot(true);
    m_follow->setInterval(0);
    connect(m_follow, &QTimer::timeout, this, &RoomBoardWindow::refresh);
    connect(m_tables.kisi, &Dataset::rowsChanged, this, [this] {
        if (isVisible())
            m_follow->start();
    });
}

void RoomBoardWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
    search->setFocus(Qt::OtherFocusReason);
    search->selectAll();
}

void RoomBoardWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool RoomBoardWindow::eventFilter(QObject* watched, QEvent* event)
{
    // From the search box, Down and Enter go into the room list.
    if (watched == search && event->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent*>(event)->key();
        if (k == Qt::Key_Down || k == Qt::Key_Return || k == Qt::Key_Enter) {
            rooms->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RoomBoardWindow::refresh()
{
    const qint64 keptLeaving = m_leaving->keyAt(leaving->currentIndex().row());
    // The list lets go of the rows before they are replaced.
    m_leaving->set(nullptr);
    m_board = RoomBoard::read(*m_tables.kisi, m_platform.clock.now().date());
    fill(keptLeaving);
}

void RoomBoardWindow::fill(qint64 keptLeaving)
{
    const QString keptRoom = selectedRoom();
    const qint64 keptGuest = selectedGuest();
    const bool keptOnRoomRow = rooms->currentItem() && rooms->currentItem()->data(0, kKeyRole).toLongLong() == 0;

    QHash<QString, QString> countries;
    const Dataset& ulke = *m_tables.ulke;
    if (ulke.isOpen()) {
        for (int i = 0; i < ulke.recordCount(); ++i)
            countries.insert(ulke.rowText(i, 0), ulke.rowText(i, 1));
    }
    const auto nationality = [&](const QString& code) { return countries.value(code, code); };

    const RoomBoard::Figures& f = m_board.figures;
    figures->setText(kFigures.arg(f.rooms).arg(f.staying).arg(f.arrivalsToday).arg(f.departuresToday).arg(f.waiting));

    const QSignalBlocker quietRooms(rooms);
    rooms->clear();
    QTreeWidgetItem* select = nullptr;
    for (const RoomBoard::Room& r : m_board.rooms) {
        auto* item = new QTreeWidgetItem(rooms);
        item->setText(0, r.room);
        item->setText(1, u"%1 misafir"_s.arg(r.guests.size()));
        item->setText(5, r.movementToday ? kToday : QString());
        item->setData(0, kKeyRole, qint64(0));
        item->setData(0, kRoomRole, r.room);
        if (r.room == keptRoom && (keptOnRoomRow || keptGuest == 0))
            select = item;
        for (const RoomBoard::Guest& g : r.guests) {
            auto* child = new QTreeWidgetItem(item);
            child->setText(1, u"%1 %2"_s.arg(g.surname, g.name).trimmed());
            child->setText(2, nationality(g.nationality));
            child->setText(3, g.arrival);
            child->setText(4, g.departure);
            child->setData(0, kKeyRole, g.key);
            child->setData(0, kRoomRole, r.room);
            if (!keptOnRoomRow && g.key == keptGuest)
                select = child;
        }
    }
    rooms->expandAll();
    if (!select && rooms->topLevelItemCount() > 0)
        select = rooms->topLevelItem(0);
    if (select)
        rooms->setCurrentItem(select);

    m_leaving->set(&m_board.leaving);
    if (const int at = m_leaving->rowOf(keptLeaving); at >= 0 && keptLeaving != 0)
        leaving->setCurrentIndex(m_leaving->index(at, 0));
}

void RoomBoardWindow::searchChanged()
{
    const int at = RoomBoard::find(m_board, search->text());
    if (at >= 0)
        rooms->setCurrentItem(rooms->topLevelItem(at));
}

void RoomBoardWindow::open(QTreeWidgetItem* item)
{
    if (!item || !showGuest)
        return;
    qint64 key = item->data(0, kKeyRole).toLongLong();
    if (key == 0 && item->childCount() > 0)
        key = item->child(0)->data(0, kKeyRole).toLongLong();
    if (key != 0)
        showGuest(key);
}

void RoomBoardWindow::openLeaving(const QModelIndex& index)
{
    if (const qint64 key = m_leaving->keyAt(index.row()); key != 0 && showGuest)
        showGuest(key);
}

QString RoomBoardWindow::selectedRoom() const
{
    const QTreeWidgetItem* item = rooms->currentItem();
    return item ? item->data(0, kRoomRole).toString() : QString();
}

qint64 RoomBoardWindow::selectedGuest() const
{
    const QTreeWidgetItem* item = rooms->currentItem();
    if (!item)
        return 0;
    const qint64 key = item->data(0, kKeyRole).toLongLong();
    if (key == 0 && item->childCount() > 0)
        return item->child(0)->data(0, kKeyRole).toLongLong();
    return key;
}

void RoomBoardWindow::checkOutRoom()
{
    Dataset& guests = *m_tables.kisi;
    // A change pending in the guest window is settled first; its refusal
    // has shown its own message.
    if (!guests.settle())
        return;
    refresh();
    const QString room = selectedRoom();
    const QList<RoomBoard::Guest> staying = RoomBoard::stayingIn(guests, room);
    if (staying.isEmpty())
        return;
    QStringList names;
    for (const RoomBoard::Guest& g : staying)
        names << u"%1 %2"_s.arg(g.name, g.surname).trimmed();
    const QString question = RoomBoard::kCheckOutQuestion.arg(room).arg(staying.size()) + u"\n\n"_s + names.join(u'\n');
    if (m_platform.dialogs.message(kTitle, question, Dialogs::Icon::Question,
                                   Dialogs::Buttons(Dialogs::Evet) | Dialogs::Hayir, Dialogs::Hayir) != Dialogs::Evet)
        return;
    const RoomBoard::CheckOut result = RoomBoard::checkOut(guests, staying, m_platform.clock.now());
    if (!result.refusal.isEmpty())
        m_platform.dialogs.message(kTitle, result.refusal, Dialogs::Icon::Warning, Dialogs::Ok, Dialogs::Ok);
    refresh();
}

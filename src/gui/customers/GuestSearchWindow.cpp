// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/customers/GuestSearchWindow.h"

#include "core/register/Columns.h"
#include "core/customers/RecordSearch.h"
#include "core/register/Dataset.h"
#include "gui/widgets/CodePageBox.h"
#include "gui/widgets/DBCheckBox.h"
#include "gui/widgets/DBGrid.h"
#include "gui/widgets/FocusHighlight.h"
#include "gui/widgets/FormKit.h"
#include "gui/widgets/KeyPreview.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>

const QString GuestSearchWindow::kStatusText = QStringLiteral("Enter'a Basarak Seçtiğiniz Kaydı Ana Ekrana Aktarabilirsiniz.");

GuestSearchWindow::GuestSearchWindow(Dataset* guests, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_guests(guests)
{
    using namespace FormKit;
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Müşteri Arama Formu"));
    setModal(true);
    setFixedSize(419, 421);

    caption(this, QStringLiteral("Adı :"), 8, 6);
    nameBox = place(new QLineEdit(this), "LabeledEdit1", QRect(8, 22, 198, 22));
    caption(this, QStringLiteral("Soyadı :"), 213, 6);
    surnameBox = place(new QLineEdit(this), "LabeledEdit2", QRect(213, 22, 198, 22));
    for (QLineEdit* box : {nameBox, surnameBox}) {
        keepToCodePage1254(box);
        box->installEventFilter(this);
    }
    connect(nameBox, &QLineEdit::textEdited, this, &GuestSearchWindow::searchByName);
    connect(surnameBox, &QLineEdit::textEdited, this, &GuestSearchWindow::searchBySurname);

    guestList = place(new DBGrid(guests, {Columns::Adi, Columns::Soyadi},
                               {QStringLiteral("Adı"), QStringLiteral("Soyadı")}, this),
                    "DBGrid1", QRect(0, 52, 419, 347));
    guestList->setColumnWidth(0, 200);
    guestList->setColumnWidth(1, 200);
    guestList->horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: silver; }"));
    connect(guestList, &DBGrid::rowDoubleClicked, this, &QDialog::accept);

    statusBar = place(new QLabel(kStatusText, this), "StatusBar1", QRect(0, 401, 419, 20));
    statusBar->setFrameShape(QFrame::Panel);
    statusBar->setFrameShadow(QFrame::Sunken);

    setTabOrder(nameBox, surnameBox);
    setTabOrder(surnameBox, guestList);

    m_highlighter = new FocusHighlighter(this, [](const QWidget* w) {
        return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
               qobject_cast<const QListView*>(w) || qobject_cast<const QTextEdit*>(w) ||
               qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const DBCheckBox*>(w) ||
               qobject_cast<const QTableView*>(w);
    });
    new KeyPreview::Filter(this, [this](QKeyEvent* key) { return previewKey(key); });
}

void GuestSearchWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    clearSearch();
}

void GuestSearchWindow::clearSearch()
{
    nameBox->clear();
    surnameBox->clear();
    guestList->followDataset();
    nameBox->setFocus(Qt::OtherFocusReason);
}

void GuestSearchWindow::search(const QString& column, const QString& text)
{
    RecordSearch::findGuest(*m_guests, column, text);
}

void GuestSearchWindow::searchByName()
{
    search(Columns::Adi, nameBox->text());
}

void GuestSearchWindow::searchBySurname()
{
    search(Columns::Soyadi, surnameBox->text());
}

bool GuestSearchWindow::previewKey(QKeyEvent* key)
{
    // Enter closes the window wherever the focus is.
    if (KeyPreview::isPlainEnter(*key)) {
        accept();
        return true;
    }
    return false;
}

bool GuestSearchWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The Down arrow in a search text goes into the list.
    if (event->type() == QEvent::KeyPress && (watched == nameBox || watched == surnameBox) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
        guestList->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

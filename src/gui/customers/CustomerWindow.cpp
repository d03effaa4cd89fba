// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/customers/CustomerWindow.h"

#include "core/customers/RecordSearch.h"
#include "core/register/Columns.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/GuestRules.h"
#include "core/register/Tables.h"
#include "core/register/Validation.h"
#include "gui/widgets/CodePageBox.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBGrid.h"
#include "gui/widgets/DBMaskEdit.h"
#include "gui/widgets/FormKit.h"
#include "gui/widgets/KeyPreview.h"
#include "platform/core/Dialogs.h"
#include "platform/core/Platform.h"
#include "platform/core/RadaError.h"
#include "platform/gui/Shell.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace {

constexpr int kWidth = 200;

struct SearchField
{
    const char* caption;
    Columns::Name column;
};
const SearchField kSearchFields[] = {
    {"Kodu'na Göre", Columns::musteriKodu},
    {"Adı'na Göre", Columns::Adi},
    {"Soyadı'na Göre", Columns::Soyadi},
    {"Kimlik No'suna Göre", Columns::TCKimlikNo},
};

} // namespace

CustomerWindow::CustomerWindow(Platform& platform, Tables& tables, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      RecordForm(platform, tables, *tables.musteriler, this), customers(*tables.musteriler)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Müşteri Bilgileri"));
    setFixedSize(731, 514);
    build();

    connect(&customers, &Dataset::scrolled, this, [this] { showCurrentCustomer(); });
    connect(&customers, &Dataset::cancelled, this, [this] { showCurrentCustomer(); });
    connect(&customers, &Dataset::opened, this, [this] { showCurrentCustomer(); });
    // A new customer begun by a command starts at its code; one begun by
    // typing into a box of an empty list leaves the clerk in that box.
    connect(&customers, &Dataset::stateChanged, this, [this] {
        if (m_runningCommand && customers.state() == Dataset::State::Insert)
            QTimer::singleShot(0, codeBox, [box = codeBox] { box->setFocus(Qt::OtherFocusReason); });
    });

    new KeyPreview::Filter(this, [this](QKeyEvent* key) { return previewKey(key); });
    m_enter = new KeyPreview::EnterMover(this, [this] { focusNextChild(); });
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void CustomerWindow::build()
{
    using namespace FormKit;
    using namespace Qt::StringLiterals;

    // Quick search row, in a thin frame.
    auto* searchFrame = place(new QFrame(this), "SearchFrame", QRect(8, 6, 440, 34));
    searchFrame->setFrameShape(QFrame::StyledPanel);
    auto* searchLabel = caption(searchFrame, QStringLiteral("Hızlı &Arama :"), 6, 9);
    searchFieldBox = place(new QComboBox(searchFrame), "ComboBox1", QRect(100, 6, 140, 22));
    for (const SearchField& f : kSearchFields)
        searchFieldBox->addItem(QString::fromUtf8(f.caption), f.column.text());
    searchBox = place(new QLineEdit(searchFrame), "Edit1", QRect(246, 6, 188, 22));
    keepToCodePage1254(searchBox);
    searchLabel->setBuddy(searchBox);
    connect(searchBox, &QLineEdit::textChanged, this, &CustomerWindow::quickSearch);
    connect(searchFieldBox, &QComboBox::activated, this, &CustomerWindow::searchFieldChanged);

    copyButton = place(new QPushButton(QStringLiteral("Bilgileri Aktar     >>>>>"), this), "SpeedButton2",
                       QRect(456, 6, 267, 34));
    QFont bold = copyButton->font();
    bold.setBold(true);
    copyButton->setFont(bold);
    copyButton->setStyleSheet(QStringLiteral("QPushButton { color: maroon; }"));
    copyButton->setToolTip(QStringLiteral("[F5]"));
    copyButton->setFocusPolicy(Qt::NoFocus);
    copyButton->setFlat(true);
    connect(copyButton, &QPushButton::clicked, this, &CustomerWindow::copyToGuest);

    Column left(this, 8, 48, kWidth, 41);
    codeBox = static_cast<DBEdit*>(addBox(left, Columns::musteriKodu));
    codeBox->setFont(bold);
    QPalette green = codeBox->palette();
    green.setColor(QPalette::Base, QColor(192, 220, 192));
    codeBox->setPalette(green);
    const QList<QWidget*> first =
        addBoxes(left, {Columns::Adi, Columns::Soyadi, Columns::DogumTarihi, Columns::Uyrugu, Columns::KimlikBelgesiTuru,
                        Columns::KimlikSeriNo, Columns::Cinsiyet, Columns::IkametAdresi, Columns::TCKimlikNo, Columns::BabaAdi});
    Column middle(this, 216, 48, kWidth, 41);
    const QList<QWidget*> second =
        addBoxes(middle, {Columns::AnaAdi, Columns::NufusaKayitliOlduguIl, Columns::NufusaKayitliOlduguIlce, Columns::DogumYeri,
                          Columns::NufusaKayitliOlduguMahalle, Columns::NufusCilt, Columns::NufusAileSira, Columns::NufusSiraNo,
                          Columns::MedeniHali, Columns::Isi, Columns::AracPlakaNo});

    caption(this, QStringLiteral("Müşteri Listesi :"), 424, 48);
    customerList = place(new DBGrid(&customers, {Columns::musteriKodu, Columns::Adi, Columns::Soyadi, Columns::TCKimlikNo},
                                    {u"Kodu"_s, u"Adı"_s, u"Soyadı"_s, u"TC Kimlik No"_s}, this),
                         "DBGrid1", QRect(424, 62, 299, 400));
    customerList->setRowIndicator(true);
    // The code and the identity number whole; names share the rest, so the
    // list never scrolls sideways, with or without its vertical bar.
    QHeaderView* titles = customerList->horizontalHeader();
    titles->setMinimumSectionSize(24);
    customerList->setColumnWidth(0, 60);
    customerList->setColumnWidth(
        3, std::max(titles->sectionSizeHint(3),
                    customerList->fontMetrics().horizontalAdvance(QString(11, QLatin1Char('0'))) + 12));
    titles->setSectionResizeMode(1, QHeaderView::Stretch);
    titles->setSectionResizeMode(2, QHeaderView::Stretch);
    connect(customerList, &DBGrid::titleClicked, this, &CustomerWindow::sortByColumn);
    connect(customerList, &DBGrid::rowDoubleClicked, this, &CustomerWindow::copyToGuest);

    addRecordButtons(this, 3, [](int i) { return QRect(424 + i * 37, 470, 34, 34); });

    tabOrder = QList<QWidget*>{codeBox} + first + second + QList<QWidget*>{customerList, searchFieldBox, searchBox};
    applyTabOrder();
}

QString CustomerWindow::shownText(const QString& column) const
{
    if (column == Columns::TCKimlikNo)
        return identityBox->boxText();
    for (const DBEdit* box : findChildren<DBEdit*>()) {
        if (box->column() == column)
            return box->text();
    }
    return {};
}

QDate CustomerWindow::birthDate() const
{
    return birthBox->date();
}

void CustomerWindow::showCurrentCustomer()
{
    if (!customers.isOpen() || customers.state() == Dataset::State::Insert)
        return;
    try {
        customers.date(Columns::DogumTarihi);
    } catch (const RadaError& e) {
        m_platform.dialogs.reportError(e.text());
    }
}

void CustomerWindow::copyToGuest()
{
    if (customers.recordCount() == 0)
        m_platform.dialogs.inform(CustomerCopy::kNoCustomer);
    else
        Q_EMIT transferRequested();
    hide();
}

void CustomerWindow::quickSearch()
{
    RecordSearch::findCustomer(customers, searchFieldBox->currentData().toString(), searchBox->text());
}

void CustomerWindow::searchFieldChanged()
{
    searchBox->setFocus(Qt::OtherFocusReason);
}

void CustomerWindow::sortByColumn(const QString& column)
{
    if (column.isEmpty() || column == m_sortColumn)
        return;
    if (customers.setSort(column))
        m_sortColumn = column;
}

void CustomerWindow::runCommand(const std::function<void()>& command)
{
    const QScopedValueRollback<bool> running(m_runningCommand, true);
    command();
}

bool CustomerWindow::previewKey(QKeyEvent* key)
{
    runCommandKey(key);
    return m_enter->finishKey(*key);
}

void CustomerWindow::runCommandKey(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F5)
        runCommand([this] { copyToGuest(); });
    runRecordKey(*event);
}

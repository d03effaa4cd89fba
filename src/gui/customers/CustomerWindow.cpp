#include "gui/customers/CustomerWindow.h"

#include "platform/core/Dialogs.h"
#include "platform/core/Platform.h"
#include "platform/gui/Shell.h"
#include "gui/widgets/DBControls.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/GuestRules.h"
#include "core/register/Tables.h"
#include "core/register/Validation.h"
#include "gui/widgets/FormKit.h"
#include "gui/widgets/KeyPreview.h"

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

const QString CustomerWindow::kPostErrorText =
    QStringLiteral("Müşteri Kodu boş geçilmiş veya daha önce kullanılmış!\rLütfen Müşteri Kodu'nu tekrar giriniz.");

namespace {

constexpr int kWidth = 200;

struct SearchField
{
    const char* caption;
    const char* column;
};
const SearchField kSearchFields[] = {
    {"Kodu'na Göre", "musteriKodu"},
    {"Adı'na Göre", "Adi"},
    {"Soyadı'na Göre", "Soyadi"},
    {"Kimlik No'suna Göre", "TCKimlikNo"},
};

} // namespace

CustomerWindow::CustomerWindow(Platform& platform, Tables& tables, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ADOTable1(tables.musteriler), source(tables.musterilerSource), m_platform(platform), m_tables(tables)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Müşteri Bilgileri"));
    setFixedSize(731, 514);
    build();

    ADOTable1->beforeInsert = [this] { return beforeNewCustomer(); };
    ADOTable1->afterScroll = [this] { showCurrentCustomer(); };
    ADOTable1->afterCancel = [this] { showCurrentCustomer(); };
    ADOTable1->afterOpen = [this] { showCurrentCustomer(); };
    ADOTable1->beforePost = [this] { return checkBeforeSave(); };
    ADOTable1->onPostError = [this](const StoreError&) { reportRefusedSave(); };
    ADOTable1->beforeDelete = [this] { return confirmDelete(); };
    // A birth-date change counts until the customer is stored or dropped.
    connect(ADOTable1, &Dataset::stateChanged, this, [this] {
        if (!ADOTable1->isEditing())
            m_birthChanged = false;
    });
    showCurrentCustomer();

    new KeyPreview::Filter(this, [this](QKeyEvent* key) { return previewKey(key); });
    m_enter = new KeyPreview::EnterMover(this, [this] { focusNextChild(); });
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void CustomerWindow::build()
{
    using namespace FormKit;
    m_buttons.resize(11);

    // Quick search row, in a thin frame.
    auto* searchFrame = place(new QFrame(this), "SearchFrame", QRect(8, 6, 440, 34));
    searchFrame->setFrameShape(QFrame::StyledPanel);
    auto* searchLabel = caption(searchFrame, QStringLiteral("Hızlı &Arama :"), 6, 9);
    ComboBox1 = place(new QComboBox(searchFrame), "ComboBox1", QRect(100, 6, 140, 22));
    for (const SearchField& f : kSearchFields)
        ComboBox1->addItem(QString::fromUtf8(f.caption), QString::fromLatin1(f.column));
    Edit1 = place(new QLineEdit(searchFrame), "Edit1", QRect(246, 6, 188, 22));
    keepToCodePage1254(Edit1);
    searchLabel->setBuddy(Edit1);
    connect(Edit1, &QLineEdit::textChanged, this, &CustomerWindow::quickSearch);
    connect(ComboBox1, &QComboBox::activated, this, &CustomerWindow::searchFieldChanged);

    SpeedButton2 = place(new QPushButton(QStringLiteral("Bilgileri Aktar     >>>>>"), this), "SpeedButton2",
                         QRect(456, 6, 267, 34));
    QFont bold = SpeedButton2->font();
    bold.setBold(true);
    SpeedButton2->setFont(bold);
    SpeedButton2->setStyleSheet(QStringLiteral("QPushButton { color: maroon; }"));
    SpeedButton2->setToolTip(QStringLiteral("[F5]"));
    SpeedButton2->setFocusPolicy(Qt::NoFocus);
    SpeedButton2->setFlat(true);
    connect(SpeedButton2, &QPushButton::clicked, this, &CustomerWindow::copyToGuest);

    DataSource* src = source;
    Column left(this, 8, 48, kWidth, 41);
    DBEdit14 = left.edit(QStringLiteral("Müşteri Kodu :"), "DBEdit14", src, QStringLiteral("musteriKodu"));
    DBEdit14->setFont(bold);
    QPalette green = DBEdit14->palette();
    green.setColor(QPalette::Base, QColor(192, 220, 192));
    DBEdit14->setPalette(green);
    auto* adi = left.edit(QStringLiteral("Adı :"), "DBEdit1", src, QStringLiteral("Adi"));
    auto* soyadi = left.edit(QStringLiteral("Soyadı :"), "DBEdit2", src, QStringLiteral("Soyadi"));
    DateTimePicker1 = datePicker(this, "DateTimePicker1", left.next(QStringLiteral("Doğum Tarihi :")),
                                 QStringLiteral("[Yıl-Ay-Gün]"));
    connect(DateTimePicker1, &QDateTimeEdit::dateTimeChanged, this, [this] {
        if (!m_settingBirth)
            birthDateChanged();
    });
    auto* uyrugu = left.lookup(QStringLiteral("Uyruğu :"), "DBLookupComboBox1", src, QStringLiteral("Uyrugu"),
                               m_tables.ulke, QStringLiteral("Kodu"), QStringLiteral("Ulke"));
    auto* belge = left.lookup(QStringLiteral("Kimlik Belgesi Türü :"), "DBLookupComboBox2", src,
                              QStringLiteral("KimlikBelgesiTuru"), m_tables.kimlikTuru, QStringLiteral("Kodu"),
                              QStringLiteral("KimlikTuru"));
    auto* seri = left.edit(QStringLiteral("Kimlik Seri No :"), "DBEdit16", src, QStringLiteral("KimlikSeriNo"));
    auto* cinsiyet = left.lookup(QStringLiteral("Cinsiyet :"), "DBLookupComboBox3", src, QStringLiteral("Cinsiyet"),
                                 m_tables.cinsiyet, QStringLiteral("Kodu"), QStringLiteral("Cinsiyet"));
    auto* adres = left.edit(QStringLiteral("İkâmet Adresi :"), "DBEdit3", src, QStringLiteral("IkametAdresi"));
    const QRect tcRect = left.next(QStringLiteral("T.C. Kimlik No :"), kWidth - 28);
    DBEdit4 = place(new DBMaskEdit(src, QStringLiteral("TCKimlikNo"), this), "DBEdit4", tcRect);
    onLeave(DBEdit4, [this] { checkIdentityNumber(); });
    auto* query = flatButton(this, "SpeedButton1", QStringLiteral("Internet'te Ara..."), QStyle::SP_BrowserReload,
                             QRect(tcRect.right() + 5, tcRect.top(), 24, 21));
    connect(query, &QToolButton::clicked, this, &CustomerWindow::openIdentityQuery);
    m_buttons[1] = query;
    auto* baba = left.edit(QStringLiteral("Baba Adı :"), "DBEdit5", src, QStringLiteral("BabaAdi"));

    Column middle(this, 216, 48, kWidth, 41);
    auto* ana = middle.edit(QStringLiteral("Ana Adı :"), "DBEdit6", src, QStringLiteral("AnaAdi"));
    auto* il = middle.lookup(QStringLiteral("Nüfusa Kayıtlı Olduğu İl :"), "DBLookupComboBox4", src,
                             QStringLiteral("NufusaKayitliOlduguIl"), m_tables.iller, QStringLiteral("Il"),
                             QStringLiteral("Il"));
    auto* ilce = middle.edit(QStringLiteral("Nüfusa Kayıtlı Olduğu İlçe :"), "DBEdit7", src,
                             QStringLiteral("NufusaKayitliOlduguIlce"));
    auto* yer = middle.edit(QStringLiteral("Doğum Yeri :"), "DBEdit8", src, QStringLiteral("DogumYeri"));
    auto* mahalle = middle.edit(QStringLiteral("Nüfusa Kayıtlı Olduğu Mahalle :"), "DBEdit9", src,
                                QStringLiteral("NufusaKayitliOlduguMahalle"));
    auto* cilt = middle.edit(QStringLiteral("Nüfus Cilt No :"), "DBEdit10", src, QStringLiteral("NufusCilt"));
    auto* aile = middle.edit(QStringLiteral("Nüfus Aile Sıra No :"), "DBEdit11", src, QStringLiteral("NufusAileSira"));
    auto* sira = middle.edit(QStringLiteral("Nüfus Sıra No :"), "DBEdit12", src, QStringLiteral("NufusSiraNo"));
    auto* medeni = middle.lookup(QStringLiteral("Medeni Hali :"), "DBLookupComboBox6", src,
                                 QStringLiteral("MedeniHali"), m_tables.medeniHali, QStringLiteral("Kodu"),
                                 QStringLiteral("MedeniHali"));
    auto* isi = middle.edit(QStringLiteral("İşi :"), "DBEdit13", src, QStringLiteral("Isi"));
    DBEdit15 = middle.edit(QStringLiteral("Araç Plaka No :"), "DBEdit15", src, QStringLiteral("AracPlakaNo"));
    onLeave(DBEdit15, [this] { tidyPlate(); });

    caption(this, QStringLiteral("Müşteri Listesi :"), 424, 48);
    DBGrid1 = place(new DBGrid(src, {QStringLiteral("musteriKodu"), QStringLiteral("Adi"), QStringLiteral("Soyadi"),
                                     QStringLiteral("TCKimlikNo")},
                               {QStringLiteral("Kodu"), QStringLiteral("Adı"), QStringLiteral("Soyadı"),
                                QStringLiteral("TC Kimlik No")},
                               this),
                    "DBGrid1", QRect(424, 62, 299, 400));
    DBGrid1->setRowIndicator(true);
    // The code and the identity number whole; names share the rest, so the
    // list never scrolls sideways, with or without its vertical bar.
    QHeaderView* titles = DBGrid1->horizontalHeader();
    titles->setMinimumSectionSize(24);
    DBGrid1->setColumnWidth(0, 60);
    DBGrid1->setColumnWidth(3, std::max(titles->sectionSizeHint(3),
                                        DBGrid1->fontMetrics().horizontalAdvance(QString(11, QLatin1Char('0'))) + 12));
    titles->setSectionResizeMode(1, QHeaderView::Stretch);
    titles->setSectionResizeMode(2, QHeaderView::Stretch);
    connect(DBGrid1, &DBGrid::titleClicked, this, &CustomerWindow::sortByColumn);
    connect(DBGrid1, &DBGrid::rowDoubleClicked, this, &CustomerWindow::copyToGuest);

    struct ButtonDef { int number; const char* hint; QStyle::StandardPixmap icon; void (CustomerWindow::*slot)(); };
    const ButtonDef buttons[] = {
        {3, "İlk Kayıt [Ctrl+Sol Ok]", QStyle::SP_MediaSkipBackward, &CustomerWindow::firstRecord},
        {4, "Önceki Kayıt [Alt+Sol Ok]", QStyle::SP_MediaSeekBackward, &CustomerWindow::priorRecord},
        {5, "Sonraki Kayıt [Alt+Sağ Ok]", QStyle::SP_MediaSeekForward, &CustomerWindow::nextRecord},
        {6, "Son Kayıt [Ctrl+Sağ Ok]", QStyle::SP_MediaSkipForward, &CustomerWindow::lastRecord},
        {7, "Yeni Kayıt [Ctrl+N]", QStyle::SP_FileIcon, &CustomerWindow::newRecord},
        {8, "Kayıt Sil [Ctrl+Del]", QStyle::SP_TrashIcon, &CustomerWindow::deleteRecord},
        {9, "Kaydet [Ctrl+S]", QStyle::SP_DialogSaveButton, &CustomerWindow::saveRecord},
        {10, "İptal [ESC]", QStyle::SP_DialogCancelButton, &CustomerWindow::cancelEdit},
    };
    int i = 0;
    for (const ButtonDef& b : buttons) {
        QToolButton* button = flatButton(this, QStringLiteral("SpeedButton%1").arg(b.number).toLatin1().constData(),
                                         QString::fromUtf8(b.hint), b.icon, QRect(424 + i * 37, 470, 34, 34));
        connect(button, &QToolButton::clicked, this, [this, slot = b.slot] {
            const QScopedValueRollback<bool> command(m_runningCommand, true);
            (this->*slot)();
        });
        m_buttons[b.number] = button;
        ++i;
    }

    tabOrder = {DBEdit14, adi,  soyadi, DateTimePicker1, uyrugu, belge, seri, cinsiyet, adres, DBEdit4,
                baba,     ana,  il,     ilce,            yer,    mahalle, cilt, aile, sira, medeni, isi,
                DBEdit15, DBGrid1, ComboBox1, Edit1};
    for (int k = 0; k + 1 < tabOrder.size(); ++k)
        QWidget::setTabOrder(tabOrder[k], tabOrder[k + 1]);
}

QToolButton* CustomerWindow::button(int number) const
{
    return m_buttons.value(number);
}

QString CustomerWindow::shownText(const QString& column) const
{
    if (column == QStringLiteral("TCKimlikNo"))
        return DBEdit4->boxText();
    for (const DBEdit* box : findChildren<DBEdit*>()) {
        if (box->column() == column)
            return box->text();
    }
    return {};
}

QDate CustomerWindow::birthDate() const
{
    return DateTimePicker1->date();
}

bool CustomerWindow::hasUnsavedChanges() const
{
    return ADOTable1->isEditing() && (ADOTable1->isModified() || m_birthChanged);
}

bool CustomerWindow::settlePendingEdit()
{
    if (!ADOTable1->isEditing())
        return true;
    if (!hasUnsavedChanges()) {
        ADOTable1->cancel();
        return true;
    }
    return ADOTable1->post();
}

void CustomerWindow::setBirthBox(const QDate& date)
{
    m_settingBirth = true;
    DateTimePicker1->setDate(date);
    m_settingBirth = false;
}

bool CustomerWindow::beforeNewCustomer()
{
    setBirthBox(Formats::dayZero());
    // A new customer begun by a command starts at its code; one begun by
    // typing into a box of an empty list leaves the clerk in that box.
    if (m_runningCommand)
        QTimer::singleShot(0, DBEdit14, [box = DBEdit14] { box->setFocus(Qt::OtherFocusReason); });
    return true;
}

void CustomerWindow::showCurrentCustomer()
{
    QDate birth = Formats::dayZero();
    if (ADOTable1->isOpen() && ADOTable1->state() != Dataset::State::Insert) {
        try {
            if (const auto d = ADOTable1->date(QStringLiteral("DogumTarihi")))
                birth = *d;
        } catch (const RadaError& e) {
            m_platform.dialogs.reportError(e.text());
        }
    }
    setBirthBox(birth);
}

bool CustomerWindow::checkBeforeSave()
{
    tidyPlate();
    ADOTable1->setDate(QStringLiteral("DogumTarihi"), DateTimePicker1->date());
    return true;
}

void CustomerWindow::reportRefusedSave()
{
    m_platform.dialogs.inform(kPostErrorText);
}

bool CustomerWindow::confirmDelete()
{
    return m_platform.dialogs.askYesNo(GuestRules::kDeleteQuestion) == Dialogs::Yes;
}

void CustomerWindow::copyToGuest()
{
    if (ADOTable1->recordCount() == 0)
        m_platform.dialogs.inform(CustomerCopy::kNoCustomer);
    else
        Q_EMIT transferRequested();
    hide();
}

void CustomerWindow::firstRecord() { ADOTable1->first(); }
void CustomerWindow::priorRecord() { ADOTable1->prior(); }
void CustomerWindow::nextRecord() { ADOTable1->next(); }
void CustomerWindow::lastRecord() { ADOTable1->last(); }

void CustomerWindow::newRecord()
{
    ADOTable1->append();
}

void CustomerWindow::deleteRecord()
{
    ADOTable1->remove();
}

void CustomerWindow::saveRecord()
{
    tidyPlate();
    ::saveRecord(*ADOTable1);
}

void CustomerWindow::cancelEdit()
{
    ADOTable1->cancel();
}

void CustomerWindow::openIdentityQuery()
{
    m_platform.shell.openUrl(QUrl(kIdentityQueryPage));
}

void CustomerWindow::quickSearch()
{
    // A customer holds no empty text (an empty box stores nothing), so an
    // empty search text finds nobody and the list stays; like every search
    // it settles a pending edit first.
    const QString text = Edit1->text();
    if (text.isEmpty()) {
        if (ADOTable1->isModified())
            ADOTable1->post();
        else
            ADOTable1->cancel();
        return;
    }
    ADOTable1->locate(ComboBox1->currentData().toString(), text, Dataset::Match::IgnoreTurkishCase);
}

void CustomerWindow::searchFieldChanged()
{
    Edit1->setFocus(Qt::OtherFocusReason);
}

void CustomerWindow::sortByColumn(const QString& column)
{
    if (column.isEmpty() || column == m_sortColumn)
        return;
    if (ADOTable1->setSort(column))
        m_sortColumn = column;
}

void CustomerWindow::birthDateChanged()
{
    m_birthChanged = true;
    if (ADOTable1->isOpen() && !ADOTable1->isEditing())
        ADOTable1->edit();
}

void CustomerWindow::checkIdentityNumber()
{
    DBEdit4->warnIfInvalid(m_platform.dialogs);
}

void CustomerWindow::tidyPlate()
{
    if (const auto plate = normalisePlate(*ADOTable1, DBEdit15->text()))
        DBEdit15->setText(*plate);
}

bool CustomerWindow::previewKey(QKeyEvent* key)
{
    {
        const QScopedValueRollback<bool> command(m_runningCommand, true);
        runCommandKey(key);
    }
    if (KeyPreview::isCtrlDelete(*key))
        return true;
    if (KeyPreview::isPlainEnter(*key)) {
        m_enter->queueMove();
        return true;
    }
    return false;
}

void CustomerWindow::runCommandKey(QKeyEvent* event)
{
    const int k = event->key();
    const Qt::KeyboardModifiers m = event->modifiers();
    const bool ctrl = m.testFlag(Qt::ControlModifier);
    const bool alt = m.testFlag(Qt::AltModifier);
    if (k == Qt::Key_F5)
        copyToGuest();
    if (alt && k == Qt::Key_Right)
        nextRecord();
    if (alt && k == Qt::Key_Left)
        priorRecord();
    if (ctrl && k == Qt::Key_Right)
        lastRecord();
    if (ctrl && k == Qt::Key_Left)
        firstRecord();
    if (ctrl && k == Qt::Key_S)
        saveRecord();
    if (ctrl && k == Qt::Key_N)
        newRecord();
    if (ctrl && k == Qt::Key_Delete)
        deleteRecord();
    if (k == Qt::Key_Escape)
        cancelEdit();
}

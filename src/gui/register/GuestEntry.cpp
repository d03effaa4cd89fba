#include "gui/register/GuestEntry.h"

#include "gui/widgets/DBControls.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/GuestRules.h"
#include "core/register/Tables.h"
#include "core/register/Validation.h"
#include "gui/widgets/FormKit.h"
#include "platform/core/Clock.h"
#include "platform/core/Dialogs.h"
#include "platform/core/Platform.h"
#include "platform/gui/Shell.h"

#include <QApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QStyle>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

namespace {

const QString kDateHint = QStringLiteral("[Yıl-Ay-Gün] CTRL+Enter'a basarak şu anki tarihi girebilirsiniz.");
const QString kTimeHint = QStringLiteral("CTRL+Enter'a basarak şu anki saati girebilirsiniz.");

constexpr int kLeft = 8;
constexpr int kWidth = 200;

// A date of a record: the empty date reads as day zero.
QDate dateOrZero(const std::optional<QDate>& d)
{
    return d ? *d : Formats::dayZero();
}

QTime parseStoredTime(const QString& text)
{
    if (auto t = Formats::parseTime(text))
        return *t;
    throw RadaError(QStringLiteral("'%1' is not a valid time").arg(text));
}

} // namespace

GuestEntry::GuestEntry(Platform& platform, Tables& tables, const Parents& parents, QObject* parent)
    : QObject(parent), m_platform(platform), m_tables(tables), m_source(tables.kisiSource), m_table(tables.kisi)
{
    build(parents);
    m_table->afterScroll = [this] { showCurrentGuest(); };
    m_table->afterOpen = [this] { guestsOpened(); };
    m_table->afterCancel = [this] { editCancelled(); };
    m_table->beforePost = [this] { return checkBeforeSave(); };
    m_table->beforeDelete = [this] { return confirmDelete(); };
    m_table->onPostError = [this](const StoreError&) { reportRefusedSave(); };
    // A picker change counts until the guest is stored or dropped.
    connect(m_table, &Dataset::stateChanged, this, [this] {
        if (!m_table->isEditing())
            m_pickersChanged = false;
    });
    // Until a guest is shown the pickers hold a new guest's values.
    showCurrentGuest();
}

void GuestEntry::build(const Parents& parents)
{
    using namespace FormKit;
    m_buttons.resize(13);

    QGroupBox* g1 = parents.required;
    Column left(g1, kLeft, 18, kWidth);
    Edit1 = place(new QLineEdit(g1), "Edit1", left.next(QStringLiteral("Müşteri Kodu :"), kWidth - 28));
    Edit1->setMaxLength(20);
    keepToCodePage1254(Edit1);
    auto* customers = flatButton(g1, "SpeedButton12", QStringLiteral("Müşteriler [F5]"),
                                 QStyle::SP_FileDialogDetailedView, QRect(kLeft + kWidth - 24, 32, 24, 21));
    connect(customers, &QToolButton::clicked, this, [this] {
        if (showCustomers)
            showCustomers();
    });
    m_buttons[12] = customers;

    DataSource* src = m_source;
    DBEdit1 = left.edit(QStringLiteral("Adı :"), "DBEdit1", src, QStringLiteral("Adi"));
    DBEdit2 = left.edit(QStringLiteral("Soyadı :"), "DBEdit2", src, QStringLiteral("Soyadi"));
    DateTimePicker1 = datePicker(g1, "DateTimePicker1", left.next(QStringLiteral("Doğum Tarihi :")),
                                 QStringLiteral("[Yıl-Ay-Gün]"));
    auto* uyrugu = left.lookup(QStringLiteral("Uyruğu :"), "DBLookupComboBox1", src, QStringLiteral("Uyrugu"),
                               m_tables.ulke, QStringLiteral("Kodu"), QStringLiteral("Ulke"));
    auto* belge = left.lookup(QStringLiteral("Kimlik Belgesi Türü :"), "DBLookupComboBox2", src,
                              QStringLiteral("KimlikBelgesiTuru"), m_tables.kimlikTuru, QStringLiteral("Kodu"),
                              QStringLiteral("KimlikTuru"));
    DBEdit16 = left.edit(QStringLiteral("Kimlik Seri No :"), "DBEdit16", src, QStringLiteral("KimlikSeriNo"));
    DBEdit16->installEventFilter(this);
    auto* cinsiyet = left.lookup(QStringLiteral("Cinsiyet :"), "DBLookupComboBox3", src, QStringLiteral("Cinsiyet"),
                                 m_tables.cinsiyet, QStringLiteral("Kodu"), QStringLiteral("Cinsiyet"));
    auto* adres = left.edit(QStringLiteral("İkâmet Adresi :"), "DBEdit3", src, QStringLiteral("IkametAdresi"));

    auto* g2 = place(new QGroupBox(QStringLiteral(" [ Geliş Zamanı ] "), g1), "GroupBox2", QRect(4, left.y(), 209, 70));
    g2->setStyleSheet(QStringLiteral("QGroupBox { color: green; }"));
    caption(g2, QStringLiteral("Geliş Tarihi :"), 6, 18);
    DateTimePicker2 = datePicker(g2, "DateTimePicker2", QRect(6, 34, 110, 21), kDateHint);
    caption(g2, QStringLiteral("Saati :"), 124, 18);
    DateTimePicker3 = timePicker(g2, "DateTimePicker3", QRect(124, 34, 78, 21), kTimeHint);

    QGroupBox* g3 = parents.citizens;
    Column middle(g3, kLeft, 18, kWidth);
    DBEdit4 = place(new DBMaskEdit(src, QStringLiteral("TCKimlikNo"), g3), "DBEdit4",
                    middle.next(QStringLiteral("T.C. Kimlik No :"), kWidth - 28));
    onLeave(DBEdit4, [this] { checkIdentityNumber(); });
    auto* query = flatButton(g3, "SpeedButton1", QStringLiteral("Internet'te Ara..."), QStyle::SP_BrowserReload,
                             QRect(kLeft + kWidth - 24, 32, 24, 21));
    connect(query, &QToolButton::clicked, this, &GuestEntry::openIdentityQuery);
    m_buttons[1] = query;
    auto* baba = middle.edit(QStringLiteral("Baba Adı :"), "DBEdit5", src, QStringLiteral("BabaAdi"));
    auto* ana = middle.edit(QStringLiteral("Ana Adı :"), "DBEdit6", src, QStringLiteral("AnaAdi"));
    auto* il = middle.lookup(QStringLiteral("Nüfusa Kayıtlı Olduğu İl :"), "DBLookupComboBox4", src,
                             QStringLiteral("NufusaKayitliOlduguIl"), m_tables.iller, QStringLiteral("Il"),
                             QStringLiteral("Il"));
    auto* ilce = middle.edit(QStringLiteral("Nüfusa Kayıtlı Olduğu İlçe :"), "DBEdit7", src,
                             QStringLiteral("NufusaKayitliOlduguIlce"));

    QGroupBox* g4 = parents.other;
    Column right(g4, kLeft, 18, kWidth);
    auto* yer = right.edit(QStringLiteral("Doğum Yeri :"), "DBEdit8", src, QStringLiteral("DogumYeri"));
    auto* mahalle = right.edit(QStringLiteral("Nüfusa Kayıtlı Olduğu Mahalle :"), "DBEdit9", src,
                               QStringLiteral("NufusaKayitliOlduguMahalle"));
    auto* cilt = right.edit(QStringLiteral("Nüfus Cilt No :"), "DBEdit10", src, QStringLiteral("NufusCilt"));
    auto* aile = right.edit(QStringLiteral("Nüfus Aile Sıra No :"), "DBEdit11", src, QStringLiteral("NufusAileSira"));
    auto* sira = right.edit(QStringLiteral("Nüfus Sıra No :"), "DBEdit12", src, QStringLiteral("NufusSiraNo"));
    auto* medeni = right.lookup(QStringLiteral("Medeni Hali :"), "DBLookupComboBox6", src, QStringLiteral("MedeniHali"),
                                m_tables.medeniHali, QStringLiteral("Kodu"), QStringLiteral("MedeniHali"));
    auto* isi = right.edit(QStringLiteral("İşi :"), "DBEdit13", src, QStringLiteral("Isi"));
    auto* oda = right.edit(QStringLiteral("Oda No :"), "DBEdit14", src, QStringLiteral("VerilenOdaNo"));
    DBEdit15 = right.edit(QStringLiteral("Araç Plaka No :"), "DBEdit15", src, QStringLiteral("AracPlakaNo"));
    onLeave(DBEdit15, [this] { tidyPlate(); });

    auto* g5 = place(new QGroupBox(QStringLiteral(" [ Ayrılış Zamanı ] "), g4), "GroupBox5", QRect(4, right.y(), 207, 90));
    g5->setStyleSheet(QStringLiteral("QGroupBox { color: red; }"));
    DBCheckBox1 = place(new DBCheckBox(src, QStringLiteral("Kalici"), QStringLiteral("&Kalıcı"), g5), "DBCheckBox1",
                        QRect(6, 16, 120, 21));
    connect(DBCheckBox1, &QCheckBox::clicked, this, &GuestEntry::kaliciClicked);
    caption(g5, QStringLiteral("Ayrılış Tarihi :"), 6, 40);
    DateTimePicker4 = datePicker(g5, "DateTimePicker4", QRect(6, 56, 110, 21), kDateHint);
    caption(g5, QStringLiteral("Saati :"), 124, 40);
    DateTimePicker5 = timePicker(g5, "DateTimePicker5", QRect(124, 56, 76, 21), kTimeHint);

    for (QDateTimeEdit* p : pickers()) {
        connect(p, &QDateTimeEdit::dateTimeChanged, this, [this] {
            if (!m_settingPickers)
                pickerChanged();
        });
        p->installEventFilter(this);
    }

    tabOrder = {Edit1, DBEdit1, DBEdit2, DateTimePicker1, uyrugu, belge, DBEdit16, cinsiyet, adres,
                DateTimePicker2, DateTimePicker3, DBEdit4, baba, ana, il, ilce, yer, mahalle, cilt, aile, sira,
                medeni, isi, oda, DBEdit15, DBCheckBox1, DateTimePicker4, DateTimePicker5};
    for (int i = 0; i + 1 < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i], tabOrder[i + 1]);

    buildToolbar(parents.toolbar);
}

QDateTime GuestEntry::pickerNow() const
{
    // The pickers hold whole seconds.
    const QDateTime t = m_platform.clock.now();
    return QDateTime(t.date(), Formats::wholeSeconds(t.time()));
}

QList<QDateTimeEdit*> GuestEntry::pickers() const
{
    return {DateTimePicker1, DateTimePicker2, DateTimePicker3, DateTimePicker4, DateTimePicker5};
}

void GuestEntry::buildToolbar(QWidget* toolbar)
{
    struct ButtonDef { int number; const char* hint; QStyle::StandardPixmap icon; void (GuestEntry::*slot)(); };
    const ButtonDef buttons[] = {
        {2, "İlk Kayıt [Ctrl+Sol Ok]", QStyle::SP_MediaSkipBackward, &GuestEntry::firstRecord},
        {3, "Önceki Kayıt [Alt+Sol Ok]", QStyle::SP_MediaSeekBackward, &GuestEntry::priorRecord},
        {4, "Sonraki Kayıt [Alt+Sağ Ok]", QStyle::SP_MediaSeekForward, &GuestEntry::nextRecord},
        {5, "Son Kayıt [Ctrl+Sağ Ok]", QStyle::SP_MediaSkipForward, &GuestEntry::lastRecord},
        {6, "Yeni Kayıt [Ctrl+N]", QStyle::SP_FileIcon, &GuestEntry::newRecord},
        {7, "Kayıt Sil [Ctrl+Del]", QStyle::SP_TrashIcon, &GuestEntry::deleteRecord},
        {8, "Kaydet [Ctrl+S]", QStyle::SP_DialogSaveButton, &GuestEntry::saveRecord},
        {9, "İptal [ESC]", QStyle::SP_DialogCancelButton, &GuestEntry::cancelEdit},
        {10, "Kalan Müşteri Ara [F3]", QStyle::SP_FileDialogContentsView, &GuestEntry::cancelAndSearch},
        {11, "Transfer Dosyası Oluştur [Ctrl+E]", QStyle::SP_DriveNetIcon, nullptr},
    };
    int i = 0;
    for (const ButtonDef& b : buttons) {
        QToolButton* button =
            FormKit::flatButton(toolbar, QStringLiteral("SpeedButton%1").arg(b.number).toLatin1().constData(),
                                QString::fromUtf8(b.hint), b.icon, QRect(3 + (i % 5) * 28, 3 + (i / 5) * 29, 27, 27));
        if (b.slot)
            connect(button, &QToolButton::clicked, this, b.slot);
        else
            connect(button, &QToolButton::clicked, this, [this] {
                if (transferRun)
                    transferRun();
            });
        m_buttons[b.number] = button;
        ++i;
    }
}

QToolButton* GuestEntry::button(int number) const
{
    return m_buttons.value(number);
}

void GuestEntry::setPickers(const QDate& birth, const QDate& arrival, const QTime& arrivalTime, const QDate& departure,
                            const QTime& departureTime, bool kalici)
{
    m_settingPickers = true;
    DateTimePicker1->setDate(birth);
    DateTimePicker2->setDate(arrival);
    DateTimePicker3->setTime(arrivalTime);
    DBCheckBox1->setChecked(kalici);
    DateTimePicker4->setDate(departure);
    DateTimePicker5->setTime(departureTime);
    DateTimePicker4->setEnabled(!kalici);
    DateTimePicker5->setEnabled(!kalici);
    m_settingPickers = false;
}

void GuestEntry::applyKalici(bool ticked)
{
    const QDateTime now = pickerNow();
    m_settingPickers = true;
    if (ticked) {
        DateTimePicker4->setDate(Formats::dayZero());
        DateTimePicker5->setTime(QTime(0, 0));
    } else {
        DateTimePicker4->setDate(now.date());
        DateTimePicker5->setTime(now.time());
    }
    DateTimePicker4->setEnabled(!ticked);
    DateTimePicker5->setEnabled(!ticked);
    m_settingPickers = false;
}

void GuestEntry::kaliciClicked(bool ticked)
{
    applyKalici(ticked);
}

void GuestEntry::zeroPickers()
{
    setPickers(Formats::dayZero(), Formats::dayZero(), QTime(0, 0), Formats::dayZero(), QTime(0, 0), true);
}

void GuestEntry::showCurrentGuest()
{
    const bool fromRecord = m_table->state() != Dataset::State::Insert && !m_table->isNull(QStringLiteral("DogumTarihi")) &&
                            m_source->enabled();
    if (!fromRecord) {
        const QDateTime now = pickerNow();
        setPickers(Formats::dayZero(), now.date(), now.time(), Formats::dayZero(), QTime(0, 0), true);
        return;
    }
    // Every value that can be read is shown; one that cannot shows its zero
    // value (never the previous guest's), and the clerk hears of it once.
    QStringList unreadable;
    auto read = [&](const char* column, auto parse, auto zero) {
        try {
            return parse(QString::fromLatin1(column));
        } catch (const RadaError& e) {
            unreadable << QStringLiteral("%1\rMisafir: %2 (kayıt no %3), alan: %4")
                              .arg(e.text(), guestName(), QString::number(m_table->key()), QLatin1String(column));
            return zero;
        }
    };
    const auto date = [this](const QString& column) { return dateOrZero(m_table->date(column)); };
    const auto time = [this](const QString& column) { return parseStoredTime(m_table->text(column)); };
    const QDate birth = read("DogumTarihi", date, Formats::dayZero());
    const QDate arrival = read("GelisTarihi", date, Formats::dayZero());
    const QTime arrivalTime = read("GelisSaati", time, QTime(0, 0));
    const QDate departure = read("AyrilisTarihi", date, Formats::dayZero());
    const QTime departureTime = read("AyrilisSaati", time, QTime(0, 0));
    setPickers(birth, arrival, arrivalTime, departure, departureTime, m_table->boolean(QStringLiteral("Kalici")));
    if (!unreadable.isEmpty())
        m_platform.dialogs.reportError(unreadable.join(QLatin1Char('\r')));
}

QString GuestEntry::guestName() const
{
    return QStringLiteral("%1 %2").arg(m_table->text(QStringLiteral("Adi")), m_table->text(QStringLiteral("Soyadi"))).trimmed();
}

void GuestEntry::guestsOpened()
{
    const bool ticked = !m_table->isEmpty() && m_table->boolean(QStringLiteral("Kalici"));
    DBCheckBox1->setChecked(ticked);
    applyKalici(ticked);
}

void GuestEntry::editCancelled()
{
    showCurrentGuest();
}

GuestRules::StayBoxes GuestEntry::stayBoxes() const
{
    return {DateTimePicker1->date(), DateTimePicker2->date(), DateTimePicker3->time(), DBCheckBox1->isChecked(),
            DateTimePicker4->date(), DateTimePicker5->time()};
}

bool GuestEntry::checkBeforeSave()
{
    if (const auto refused = GuestRules::beforePost(*m_table, stayBoxes())) {
        m_platform.dialogs.inform(*refused);
        return false;
    }
    return true;
}

bool GuestEntry::confirmDelete()
{
    // The purge deletes through the store and never comes here: every
    // guest deleted here is asked about. Closing the question without an answer keeps the record, as No does.
    return m_platform.dialogs.askYesNo(GuestRules::kDeleteQuestion) == Dialogs::Yes;
}

void GuestEntry::reportRefusedSave()
{
    m_platform.dialogs.inform(GuestRules::kPostError);
}

void GuestEntry::firstRecord() { m_table->first(); }
void GuestEntry::priorRecord() { m_table->prior(); }
void GuestEntry::nextRecord() { m_table->next(); }
void GuestEntry::lastRecord() { m_table->last(); }

void GuestEntry::newRecord()
{
    if (m_table->append())
        Edit1->setFocus(Qt::OtherFocusReason);
}

void GuestEntry::deleteRecord()
{
    if (m_table->recordCount() < 1)
        return;
    m_table->remove();
}

void GuestEntry::saveRecord()
{
    tidyPlate();
    ::saveRecord(*m_table);
}

void GuestEntry::cancelEdit()
{
    m_table->cancel();
}

void GuestEntry::cancelAndSearch()
{
    m_table->cancel();
    if (openSearch)
        openSearch();
}

void GuestEntry::openIdentityQuery()
{
    m_platform.shell.openUrl(QUrl(kIdentityQueryPage));
}

void GuestEntry::checkIdentityNumber()
{
    DBEdit4->warnIfInvalid(m_platform.dialogs);
}

void GuestEntry::tidyPlate()
{
    if (const auto plate = normalisePlate(*m_table, DBEdit15->text()))
        DBEdit15->setText(*plate);
}

void GuestEntry::setBirthPicker(const QDate& date)
{
    m_settingPickers = true;
    DateTimePicker1->setDate(date);
    m_settingPickers = false;
}

void GuestEntry::stampArrival()
{
    const QDateTime now = pickerNow();
    m_settingPickers = true;
    DateTimePicker2->setDate(now.date());
    DateTimePicker3->setTime(now.time());
    m_settingPickers = false;
}

bool GuestEntry::settleStoredGuest()
{
    return m_table->state() != Dataset::State::Edit || m_table->settle();
}

bool GuestEntry::fillFromZone(const Mrz::Guest& guest, bool nationalityKnown)
{
    // A document never lands in a stored stay: only a guest still being
    // built is filled in place; otherwise a new one begins.
    if (m_table->state() != Dataset::State::Insert && !m_table->append())
        return false;
    for (const auto& [column, value] : guest.columns()) {
        if (column == QStringLiteral("DogumTarihi"))
            setBirthPicker(value.isNull() ? Formats::dayZero() : value.toDate());
        else if (column == QStringLiteral("Uyrugu") && !nationalityKnown)
            m_table->clearField(column);
        else
            m_table->setText(column, value.toString());
    }
    return true;
}

bool GuestEntry::hasUnsavedChanges() const
{
    return m_table->isEditing() && (m_table->isModified() || m_pickersChanged);
}

void GuestEntry::pickerChanged()
{
    m_pickersChanged = true;
    if (m_table->isOpen() && !m_table->isEditing())
        m_table->edit();
}

void GuestEntry::ctrlEnter(QDateTimeEdit* picker)
{
    const QDateTime now = pickerNow();
    const bool isDate = picker == DateTimePicker2 || picker == DateTimePicker4;
    if (isDate) {
        pickerChanged();
        m_settingPickers = true;
        picker->setDate(now.date());
        m_settingPickers = false;
    } else {
        m_settingPickers = true;
        picker->setTime(now.time());
        m_settingPickers = false;
        pickerChanged();
    }
}

bool GuestEntry::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == DBEdit16) {
            // The serial number takes digits and backspace only.
            const QString text = key->text();
            const bool editingKey = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
                                    key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
            const bool digit = text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9');
            if (!text.isEmpty() && !editingKey && !digit)
                return true;
        } else if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                   key->modifiers().testFlag(Qt::ControlModifier)) {
            if (auto* picker = qobject_cast<QDateTimeEdit*>(watched)) {
                // The birth date has no such key; left to the picker, the
                // key would count as a change and begin editing.
                if (picker != DateTimePicker1)
                    ctrlEnter(picker);
                return true;
            }
        }
    }
    return false;
}

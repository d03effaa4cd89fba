#include "GuestEntry.h"

#include "DBControls.h"
#include "Dataset.h"
#include "Formats.h"
#include "Validation.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

const QString GuestEntry::kQueryPage = QStringLiteral("https://tckimlik.nvi.gov.tr/Web/QueryIdentityNumber.aspx");

namespace {

const QString kTimeOrder = QStringLiteral("Geliş Zamanı Ayrılış Zamanından Sonra Olamaz.");
const QString kCitizenFields = QStringLiteral(
    "T.C. Vatandaşları İçin Bazı Bölümler Boş Geçilmiş.\rLütfen Gerekli Boş Alanları Doldurup Tekrar Deneyiniz.");
const QString kPostError = QStringLiteral("Veri Girişi Problemi: Lütfen Eksik Bölümleri Doldurup Tekrar Deneyiniz.");
const QString kDeleteQuestion = QStringLiteral("Bu Kaydı Silmek İstediğinize Emin Misiniz ?");
const QString kInvalidTckn = QStringLiteral("TC Kimlik No Geçersiz Görünüyor");
const QString kDateHint = QStringLiteral("[Yıl-Ay-Gün] CTRL+Enter'a basarak şu anki tarihi girebilirsiniz.");
const QString kTimeHint = QStringLiteral("CTRL+Enter'a basarak şu anki saati girebilirsiniz.");

constexpr int kLeft = 8;
constexpr int kWidth = 200;
constexpr int kStep = 37;

QFont labelFont()
{
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPointSize(8);
    return f;
}

QLabel* label(QWidget* parent, const QString& text, int x, int y)
{
    auto* l = new QLabel(text, parent);
    l->setFont(labelFont());
    l->move(x, y);
    return l;
}

template <typename W>
W* place(W* widget, const char* name, int x, int y, int w)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, 21);
    return widget;
}

QDateEdit* datePicker(QWidget* parent, const char* name, int x, int y, int w, const QString& hint)
{
    auto* p = place(new QDateEdit(parent), name, x, y, w);
    p->setDisplayFormat(Formats::kDate);
    p->setCalendarPopup(true);
    p->setMinimumDate(QDate(1752, 9, 14));
    p->setToolTip(hint);
    return p;
}

QTimeEdit* timePicker(QWidget* parent, const char* name, int x, int y, int w)
{
    auto* p = place(new QTimeEdit(parent), name, x, y, w);
    p->setDisplayFormat(Formats::kShortTime);
    p->setToolTip(kTimeHint);
    return p;
}

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

GuestEntry::GuestEntry(Platform& platform, DataSource* source, const Lookups& lookups, const Parents& parents,
                       QObject* parent)
    : QObject(parent), m_platform(platform), m_source(source), m_table(source->dataset())
{
    build(lookups, parents);
    m_table->afterScroll = [this] { ADOTable1AfterScroll(); };
    m_table->afterOpen = [this] { ADOTable1AfterOpen(); };
    m_table->afterCancel = [this] { ADOTable1AfterCancel(); };
    m_table->beforePost = [this] { return ADOTable1BeforePost(); };
    m_table->beforeDelete = [this] { return ADOTable1BeforeDelete(); };
    m_table->onPostError = [this](const StoreError&) { ADOTable1PostError(); };
    // Until a guest is shown the pickers hold a new guest's values.
    ADOTable1AfterScroll();
}

void GuestEntry::build(const Lookups& lookups, const Parents& parents)
{
    QGroupBox* g1 = parents.required;
    int y = 18;
    label(g1, QStringLiteral("Müşteri Kodu :"), kLeft, y);
    Edit1 = place(new QLineEdit(g1), "Edit1", kLeft, y + 14, kWidth - 28);
    Edit1->setMaxLength(20);
    keepToCodePage1254(Edit1);
    auto* customers = place(new QToolButton(g1), "SpeedButton12", kLeft + kWidth - 24, y + 14, 24);
    customers->setToolTip(QStringLiteral("Müşteriler [F5]"));
    customers->setIcon(g1->style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    customers->setFocusPolicy(Qt::NoFocus);
    connect(customers, &QToolButton::clicked, this, [this] {
        if (showCustomers)
            showCustomers();
    });
    m_buttons.resize(13);
    m_buttons[12] = customers;

    auto bound = [&](QWidget* parent, const QString& caption, const char* name, const QString& column) {
        y += kStep;
        label(parent, caption, kLeft, y);
        return place(new DBEdit(m_source, column, parent), name, kLeft, y + 14, kWidth);
    };
    auto lookup = [&](QWidget* parent, const QString& caption, const char* name, const QString& column,
                      Dataset* list, const QString& key, const QString& shown) {
        y += kStep;
        label(parent, caption, kLeft, y);
        return place(new DBLookupComboBox(m_source, column, list, key, shown, parent), name, kLeft, y + 14, kWidth);
    };

    DBEdit1 = bound(g1, QStringLiteral("Adı :"), "DBEdit1", QStringLiteral("Adi"));
    DBEdit2 = bound(g1, QStringLiteral("Soyadı :"), "DBEdit2", QStringLiteral("Soyadi"));
    y += kStep;
    label(g1, QStringLiteral("Doğum Tarihi :"), kLeft, y);
    DateTimePicker1 = datePicker(g1, "DateTimePicker1", kLeft, y + 14, kWidth, QStringLiteral("[Yıl-Ay-Gün]"));
    auto* uyrugu = lookup(g1, QStringLiteral("Uyruğu :"), "DBLookupComboBox1", QStringLiteral("Uyrugu"), lookups.ulke,
                          QStringLiteral("Kodu"), QStringLiteral("Ulke"));
    auto* belge = lookup(g1, QStringLiteral("Kimlik Belgesi Türü :"), "DBLookupComboBox2",
                         QStringLiteral("KimlikBelgesiTuru"), lookups.kimlikTuru, QStringLiteral("Kodu"),
                         QStringLiteral("KimlikTuru"));
    DBEdit16 = bound(g1, QStringLiteral("Kimlik Seri No :"), "DBEdit16", QStringLiteral("KimlikSeriNo"));
    DBEdit16->installEventFilter(this);
    auto* cinsiyet = lookup(g1, QStringLiteral("Cinsiyet :"), "DBLookupComboBox3", QStringLiteral("Cinsiyet"),
                            lookups.cinsiyet, QStringLiteral("Kodu"), QStringLiteral("Cinsiyet"));
    auto* adres = bound(g1, QStringLiteral("İkâmet Adresi :"), "DBEdit3", QStringLiteral("IkametAdresi"));

    auto* g2 = new QGroupBox(QStringLiteral(" [ Geliş Zamanı ] "), g1);
    g2->setObjectName(QStringLiteral("GroupBox2"));
    g2->setStyleSheet(QStringLiteral("QGroupBox { color: green; }"));
    g2->setGeometry(4, y + kStep, 209, 70);
    label(g2, QStringLiteral("Geliş Tarihi :"), 6, 18);
    DateTimePicker2 = datePicker(g2, "DateTimePicker2", 6, 34, 110, kDateHint);
    label(g2, QStringLiteral("Saati :"), 124, 18);
    DateTimePicker3 = timePicker(g2, "DateTimePicker3", 124, 34, 78);

    QGroupBox* g3 = parents.citizens;
    y = 18;
    label(g3, QStringLiteral("T.C. Kimlik No :"), kLeft, y);
    DBEdit4 = place(new DBMaskEdit(m_source, QStringLiteral("TCKimlikNo"), g3), "DBEdit4", kLeft, y + 14, kWidth - 28);
    DBEdit4->installEventFilter(this);
    auto* query = place(new QToolButton(g3), "SpeedButton1", kLeft + kWidth - 24, y + 14, 24);
    query->setToolTip(QStringLiteral("Internet'te Ara..."));
    query->setIcon(g3->style()->standardIcon(QStyle::SP_BrowserReload));
    query->setFocusPolicy(Qt::NoFocus);
    connect(query, &QToolButton::clicked, this, &GuestEntry::SpeedButton1Click);
    m_buttons[1] = query;
    auto* baba = bound(g3, QStringLiteral("Baba Adı :"), "DBEdit5", QStringLiteral("BabaAdi"));
    auto* ana = bound(g3, QStringLiteral("Ana Adı :"), "DBEdit6", QStringLiteral("AnaAdi"));
    auto* il = lookup(g3, QStringLiteral("Nüfusa Kayıtlı Olduğu İl :"), "DBLookupComboBox4",
                      QStringLiteral("NufusaKayitliOlduguIl"), lookups.iller, QStringLiteral("Il"), QStringLiteral("Il"));
    auto* ilce = bound(g3, QStringLiteral("Nüfusa Kayıtlı Olduğu İlçe :"), "DBEdit7", QStringLiteral("NufusaKayitliOlduguIlce"));

    QGroupBox* g4 = parents.other;
    y = 18 - kStep;
    auto* yer = bound(g4, QStringLiteral("Doğum Yeri :"), "DBEdit8", QStringLiteral("DogumYeri"));
    auto* mahalle = bound(g4, QStringLiteral("Nüfusa Kayıtlı Olduğu Mahalle :"), "DBEdit9",
                          QStringLiteral("NufusaKayitliOlduguMahalle"));
    auto* cilt = bound(g4, QStringLiteral("Nüfus Cilt No :"), "DBEdit10", QStringLiteral("NufusCilt"));
    auto* aile = bound(g4, QStringLiteral("Nüfus Aile Sıra No :"), "DBEdit11", QStringLiteral("NufusAileSira"));
    auto* sira = bound(g4, QStringLiteral("Nüfus Sıra No :"), "DBEdit12", QStringLiteral("NufusSiraNo"));
    auto* medeni = lookup(g4, QStringLiteral("Medeni Hali :"), "DBLookupComboBox6", QStringLiteral("MedeniHali"),
                          lookups.medeniHali, QStringLiteral("Kodu"), QStringLiteral("MedeniHali"));
    auto* isi = bound(g4, QStringLiteral("İşi :"), "DBEdit13", QStringLiteral("Isi"));
    auto* oda = bound(g4, QStringLiteral("Oda No :"), "DBEdit14", QStringLiteral("VerilenOdaNo"));
    DBEdit15 = bound(g4, QStringLiteral("Araç Plaka No :"), "DBEdit15", QStringLiteral("AracPlakaNo"));
    DBEdit15->installEventFilter(this);

    auto* g5 = new QGroupBox(QStringLiteral(" [ Ayrılış Zamanı ] "), g4);
    g5->setObjectName(QStringLiteral("GroupBox5"));
    g5->setStyleSheet(QStringLiteral("QGroupBox { color: red; }"));
    g5->setGeometry(4, y + kStep, 207, 90);
    DBCheckBox1 = place(new DBCheckBox(m_source, QStringLiteral("Kalici"), QStringLiteral("&Kalıcı"), g5), "DBCheckBox1", 6, 16, 120);
    connect(DBCheckBox1, &QCheckBox::clicked, this, &GuestEntry::kaliciClicked);
    label(g5, QStringLiteral("Ayrılış Tarihi :"), 6, 40);
    DateTimePicker4 = datePicker(g5, "DateTimePicker4", 6, 56, 110, kDateHint);
    label(g5, QStringLiteral("Saati :"), 124, 40);
    DateTimePicker5 = timePicker(g5, "DateTimePicker5", 124, 56, 76);

    for (QDateTimeEdit* p : {static_cast<QDateTimeEdit*>(DateTimePicker1), static_cast<QDateTimeEdit*>(DateTimePicker2),
                             static_cast<QDateTimeEdit*>(DateTimePicker3), static_cast<QDateTimeEdit*>(DateTimePicker4),
                             static_cast<QDateTimeEdit*>(DateTimePicker5)}) {
        connect(p, &QDateTimeEdit::dateTimeChanged, this, [this] {
            if (!m_settingPickers)
                DateTimePicker1Change();
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

void GuestEntry::buildToolbar(QWidget* toolbar)
{
    struct ButtonDef { int number; const char* hint; QStyle::StandardPixmap icon; void (GuestEntry::*slot)(); };
    const ButtonDef buttons[] = {
        {2, "İlk Kayıt [Ctrl+Sol Ok]", QStyle::SP_MediaSkipBackward, &GuestEntry::SpeedButton2Click},
        {3, "Önceki Kayıt [Alt+Sol Ok]", QStyle::SP_MediaSeekBackward, &GuestEntry::SpeedButton3Click},
        {4, "Sonraki Kayıt [Alt+Sağ Ok]", QStyle::SP_MediaSeekForward, &GuestEntry::SpeedButton4Click},
        {5, "Son Kayıt [Ctrl+Sağ Ok]", QStyle::SP_MediaSkipForward, &GuestEntry::SpeedButton5Click},
        {6, "Yeni Kayıt [Ctrl+N]", QStyle::SP_FileIcon, &GuestEntry::SpeedButton6Click},
        {7, "Kayıt Sil [Ctrl+Del]", QStyle::SP_TrashIcon, &GuestEntry::SpeedButton7Click},
        {8, "Kaydet [Ctrl+S]", QStyle::SP_DialogSaveButton, &GuestEntry::SpeedButton8Click},
        {9, "İptal [ESC]", QStyle::SP_DialogCancelButton, &GuestEntry::SpeedButton9Click},
        {10, "Kalan Müşteri Ara [F3]", QStyle::SP_FileDialogContentsView, &GuestEntry::SpeedButton10Click},
        {11, "Transfer Dosyası Oluştur [Ctrl+E]", QStyle::SP_DriveNetIcon, nullptr},
    };
    int i = 0;
    for (const ButtonDef& s : buttons) {
        auto* b = new QToolButton(toolbar);
        b->setObjectName(QStringLiteral("SpeedButton%1").arg(s.number));
        b->setToolTip(QString::fromUtf8(s.hint));
        b->setIcon(toolbar->style()->standardIcon(s.icon));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(3 + (i % 5) * 28, 3 + (i / 5) * 29, 27, 27);
        if (s.slot)
            connect(b, &QToolButton::clicked, this, s.slot);
        else
            connect(b, &QToolButton::clicked, this, [this] {
                if (transferRun)
                    transferRun();
            });
        m_buttons[s.number] = b;
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
    const QDateTime now = m_platform.clock.now();
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

void GuestEntry::ADOTable1AfterScroll()
{
    const bool fromRecord = m_table->state() != Dataset::State::Insert && !m_table->isNull(QStringLiteral("DogumTarihi")) &&
                            m_source->enabled();
    if (!fromRecord) {
        const QDateTime now = m_platform.clock.now();
        setPickers(Formats::dayZero(), now.date(), now.time(), Formats::dayZero(), QTime(0, 0), true);
        return;
    }
    // Read every value first, so that a bad one leaves no picker half loaded.
    try {
        const QDate birth = dateOrZero(m_table->date(QStringLiteral("DogumTarihi")));
        const QDate arrival = dateOrZero(m_table->date(QStringLiteral("GelisTarihi")));
        const QTime arrivalTime = parseStoredTime(m_table->text(QStringLiteral("GelisSaati")));
        const QDate departure = dateOrZero(m_table->date(QStringLiteral("AyrilisTarihi")));
        const QTime departureTime = parseStoredTime(m_table->text(QStringLiteral("AyrilisSaati")));
        setPickers(birth, arrival, arrivalTime, departure, departureTime, m_table->boolean(QStringLiteral("Kalici")));
    } catch (const RadaError& e) {
        m_platform.dialogs.reportError(e.text());
    }
}

void GuestEntry::ADOTable1AfterOpen()
{
    const bool ticked = !m_table->isEmpty() && m_table->boolean(QStringLiteral("Kalici"));
    DBCheckBox1->setChecked(ticked);
    applyKalici(ticked);
}

void GuestEntry::ADOTable1AfterCancel()
{
    ADOTable1AfterScroll();
}

bool GuestEntry::ADOTable1BeforePost()
{
    const QDateTime arrival(DateTimePicker2->date(), DateTimePicker3->time());
    const QDateTime departure(DateTimePicker4->date(), DateTimePicker5->time());
    const bool kalici = DBCheckBox1->isChecked();
    if (!(arrival < departure) && !kalici) {
        m_platform.dialogs.inform(kTimeOrder);
        return false;
    }
    const bool citizen = m_table->text(QStringLiteral("Uyrugu")) == QStringLiteral("TC");
    if (citizen) {
        for (const char* column : {"TCKimlikNo", "BabaAdi", "AnaAdi", "NufusaKayitliOlduguIl", "NufusaKayitliOlduguIlce"}) {
            if (m_table->text(QString::fromLatin1(column)).isEmpty()) {
                m_platform.dialogs.inform(kCitizenFields);
                return false;
            }
        }
    } else if (!m_table->text(QStringLiteral("TCKimlikNo")).isEmpty()) {
        m_table->clearField(QStringLiteral("TCKimlikNo"));
    }
    m_table->setDate(QStringLiteral("DogumTarihi"), DateTimePicker1->date());
    m_table->setDate(QStringLiteral("GelisTarihi"), DateTimePicker2->date());
    m_table->setText(QStringLiteral("GelisSaati"), Formats::timeText(DateTimePicker3->time()));
    m_table->setBoolean(QStringLiteral("Kalici"), kalici);
    m_table->setDate(QStringLiteral("AyrilisTarihi"), DateTimePicker4->date());
    m_table->setText(QStringLiteral("AyrilisSaati"), Formats::timeText(DateTimePicker5->time()));
    return true;
}

bool GuestEntry::ADOTable1BeforeDelete()
{
    if (noConfirmDelete)
        return true;
    // Closing the question without an answer keeps the record, as No does.
    return m_platform.dialogs.askYesNo(kDeleteQuestion) == Dialogs::Yes;
}

void GuestEntry::ADOTable1PostError()
{
    m_platform.dialogs.inform(kPostError);
}

void GuestEntry::SpeedButton2Click() { m_table->first(); }
void GuestEntry::SpeedButton3Click() { m_table->prior(); }
void GuestEntry::SpeedButton4Click() { m_table->next(); }
void GuestEntry::SpeedButton5Click() { m_table->last(); }

void GuestEntry::SpeedButton6Click()
{
    if (m_table->append())
        Edit1->setFocus(Qt::OtherFocusReason);
}

void GuestEntry::SpeedButton7Click()
{
    if (m_table->recordCount() < 1)
        return;
    noConfirmDelete = false;
    m_table->remove();
}

void GuestEntry::SpeedButton8Click()
{
    DBEdit15Exit();
    if (!m_table->isEditing() && !m_table->edit())
        return;
    m_table->post();
}

void GuestEntry::SpeedButton9Click()
{
    m_table->cancel();
}

void GuestEntry::SpeedButton10Click()
{
    m_table->cancel();
    if (openSearch)
        openSearch();
}

void GuestEntry::SpeedButton1Click()
{
    m_platform.shell.openUrl(QUrl(kQueryPage));
}

void GuestEntry::DBEdit4Exit()
{
    const QString text = DBEdit4->boxText();
    if (text.trimmed().isEmpty())
        return;
    if (TCKNoKontrol(text.trimmed()))
        return;
    m_platform.dialogs.inform(kInvalidTckn);
    QTimer::singleShot(0, DBEdit4, [box = DBEdit4] { box->setFocus(Qt::OtherFocusReason); });
}

void GuestEntry::DBEdit15Exit()
{
    if (m_table->isNull(QStringLiteral("AracPlakaNo")) || !m_table->isEditing())
        return;
    QString plate = DBEdit15->text();
    plate.remove(QLatin1Char(' '));
    DBEdit15->setText(plate);
    m_table->setText(QStringLiteral("AracPlakaNo"), plate);
}

void GuestEntry::DateTimePicker1Change()
{
    if (m_table->isOpen() && !m_table->isEditing())
        m_table->edit();
}

void GuestEntry::ctrlEnter(QDateTimeEdit* picker)
{
    const QDateTime now = m_platform.clock.now();
    const bool isDate = picker == DateTimePicker2 || picker == DateTimePicker4;
    if (isDate) {
        DateTimePicker1Change();
        m_settingPickers = true;
        picker->setDate(now.date());
        m_settingPickers = false;
    } else {
        m_settingPickers = true;
        picker->setTime(now.time());
        m_settingPickers = false;
        DateTimePicker1Change();
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
    } else if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        if (watched == DBEdit4)
            DBEdit4Exit();
        else if (watched == DBEdit15)
            DBEdit15Exit();
    }
    return false;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/register/GuestEntry.h"

#include "core/register/Columns.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/GuestRules.h"
#include "core/register/Tables.h"
#include "gui/register/DocumentReaderDialog.h"
#include "gui/widgets/CodePageBox.h"
#include "gui/widgets/DBCheckBox.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/FormKit.h"
#include "gui/widgets/PickerBinding.h"
#include "platform/core/Clock.h"
#include "platform/core/Dialogs.h"
#include "platform/core/Platform.h"
#include "platform/core/RadaError.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QTimeEdit>
#include <QToolButton>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const QString kDateHint = QStringLiteral("[Yıl-Ay-Gün] CTRL+Enter'a basarak şu anki tarihi girebilirsiniz.");
const QString kTimeHint = QStringLiteral("CTRL+Enter'a basarak şu anki saati girebilirsiniz.");

constexpr int kLeft = 8;
constexpr int kWidth = 200;

template <typename Picker>
Picker* bound(Picker* picker, PickerBinding::Kind kind, Dataset* guests, Columns::Name column)
{
    new PickerBinding(picker, kind, guests, column);
    return picker;
}

QString columnCaption(Columns::Name column)
{
    return QString::fromUtf8(Columns::of(column).caption);
}

const char* boxName(Columns::Name column);

// A stay's date and time, captioned side by side at y in their group.
std::pair<QDateEdit*, QTimeEdit*> stayPickers(QWidget* group, Dataset* guests, Columns::Name date, Columns::Name time,
                                              int y, int timeWidth)
{
    FormKit::caption(group, columnCaption(date), 6, y);
    auto* dateBox = bound(FormKit::datePicker(group, boxName(date), QRect(6, y + 16, 110, 21), kDateHint),
                          PickerBinding::Kind::Date, guests, date);
    FormKit::caption(group, columnCaption(time), 124, y);
    auto* timeBox = bound(FormKit::timePicker(group, boxName(time), QRect(124, y + 16, timeWidth, 21), kTimeHint),
                          PickerBinding::Kind::Time, guests, time);
    return {dateBox, timeBox};
}

const char* boxName(Columns::Name column)
{
    return Columns::of(column).box;
}

} // namespace

GuestEntry::GuestEntry(Platform& platform, Tables& tables, const Parents& parents, QObject* parent)
    : QObject(parent), RecordForm(platform, tables, *tables.kisi, this)
{
    quietDeleteOnEmpty = true;
    build(parents);
    connect(&m_records, &Dataset::scrolled, this, [this] {
        m_codeTyped = false;
        showCurrentGuest();
    });
    connect(&m_records, &Dataset::opened, this, [this] { guestsOpened(); });
    connect(&m_records, &Dataset::cancelled, this, [this] {
        m_codeTyped = false;
        showCurrentGuest();
    });
    connect(customerCodeBox, &QLineEdit::textEdited, this, [this] { m_codeTyped = true; });
    connect(&m_records, &Dataset::stateChanged, this, [this] {
        const bool inserting = m_records.state() == Dataset::State::Insert;
        if (inserting && !m_inserting) {
            customerCodeBox->clear();
            m_codeTyped = false;
        }
        m_inserting = inserting;
    });
    showCurrentGuest();
}

void GuestEntry::build(const Parents& parents)
{
    using namespace FormKit;
    Dataset* guests = &m_records;

    QGroupBox* requiredGroup = parents.required;
    Column left(requiredGroup, kLeft, 18, kWidth);
    customerCodeBox = place(new QLineEdit(requiredGroup), "Edit1", left.next(QStringLiteral("Müşteri Kodu :"), kWidth - 28));
    customerCodeBox->setMaxLength(20);
    keepToCodePage1254(customerCodeBox);
    auto* customers = flatButton(requiredGroup, "SpeedButton12", QStringLiteral("Müşteriler [F5]"),
                                 QStyle::SP_FileDialogDetailedView, QRect(kLeft + kWidth - 24, 32, 24, 21));
    connect(customers, &QToolButton::clicked, this, [this] {
        if (showCustomers)
            showCustomers();
    });
    setButton(12, customers);
    const QList<QWidget*> required = addBoxes(
        left, {Columns::Adi, Columns::Soyadi, Columns::DogumTarihi, Columns::Uyrugu, Columns::KimlikBelgesiTuru, Columns::KimlikSeriNo,
               Columns::Cinsiyet, Columns::IkametAdresi});

    auto* arrivalGroup = place(new QGroupBox(QStringLiteral(" [ Geliş Zamanı ] "), requiredGroup), "GroupBox2", QRect(4, left.y(), 209, 70));
    arrivalGroup->setStyleSheet(QStringLiteral("QGroupBox { color: green; }"));
    std::tie(arrivalDateBox, arrivalTimeBox) =
        stayPickers(arrivalGroup, guests, Columns::GelisTarihi, Columns::GelisSaati, 18, 78);

    Column middle(parents.citizens, kLeft, 18, kWidth);
    const QList<QWidget*> citizens = addBoxes(
        middle, {Columns::TCKimlikNo, Columns::BabaAdi, Columns::AnaAdi, Columns::NufusaKayitliOlduguIl, Columns::NufusaKayitliOlduguIlce});

    QGroupBox* otherGroup = parents.other;
    Column right(otherGroup, kLeft, 18, kWidth);
    const QList<QWidget*> other =
        addBoxes(right, {Columns::DogumYeri, Columns::NufusaKayitliOlduguMahalle, Columns::NufusCilt, Columns::NufusAileSira,
                         Columns::NufusSiraNo, Columns::MedeniHali, Columns::Isi, Columns::VerilenOdaNo, Columns::AracPlakaNo});

    auto* departureGroup = place(new QGroupBox(QStringLiteral(" [ Ayrılış Zamanı ] "), otherGroup), "GroupBox5", QRect(4, right.y(), 207, 90));
    departureGroup->setStyleSheet(QStringLiteral("QGroupBox { color: red; }"));
    kaliciBox = place(new DBCheckBox(guests, Columns::Kalici, QLatin1Char('&') + columnCaption(Columns::Kalici), departureGroup),
                      boxName(Columns::Kalici),
                      QRect(6, 16, 120, 21));
    connect(kaliciBox, &QCheckBox::clicked, this, &GuestEntry::kaliciClicked);
    std::tie(departureDateBox, departureTimeBox) =
        stayPickers(departureGroup, guests, Columns::AyrilisTarihi, Columns::AyrilisSaati, 40, 76);
    // A guest still staying has no departure to set.
    connect(kaliciBox, &QCheckBox::toggled, this, [this](bool staying) {
        departureDateBox->setEnabled(!staying);
        departureTimeBox->setEnabled(!staying);
    });

    for (QDateTimeEdit* p : {static_cast<QDateTimeEdit*>(birthBox), static_cast<QDateTimeEdit*>(arrivalDateBox),
                             static_cast<QDateTimeEdit*>(arrivalTimeBox), static_cast<QDateTimeEdit*>(departureDateBox),
                             static_cast<QDateTimeEdit*>(departureTimeBox)})
        p->installEventFilter(this);

    addOwnBox(Columns::GelisTarihi, arrivalDateBox);
    addOwnBox(Columns::GelisSaati, arrivalTimeBox);
    addOwnBox(Columns::Kalici, kaliciBox);
    addOwnBox(Columns::AyrilisTarihi, departureDateBox);
    addOwnBox(Columns::AyrilisSaati, departureTimeBox);

    tabOrder = QList<QWidget*>{customerCodeBox} + required + QList<QWidget*>{arrivalDateBox, arrivalTimeBox} +
               citizens + other + QList<QWidget*>{kaliciBox, departureDateBox, departureTimeBox};
    applyTabOrder();

    buildToolbar(parents.toolbar);
}

void GuestEntry::buildToolbar(QWidget* toolbar)
{
    const auto at = [](int i) { return QRect(3 + (i % 5) * 28, 3 + (i / 5) * 29, 27, 27); };
    addRecordButtons(toolbar, 2, at);
    auto* search = FormKit::flatButton(toolbar, "SpeedButton10", QStringLiteral("Kalan Müşteri Ara [F3]"),
                                       QStyle::SP_FileDialogContentsView, at(8));
    connect(search, &QToolButton::clicked, this, &GuestEntry::cancelAndSearch);
    setButton(10, search);
    auto* transfer = FormKit::flatButton(toolbar, "SpeedButton11", QStringLiteral("Transfer Dosyası Oluştur [Ctrl+E]"),
                                         QStyle::SP_DriveNetIcon, at(9));
    connect(transfer, &QToolButton::clicked, this, [this] {
        if (transferRun)
            transferRun();
    });
    setButton(11, transfer);
}

void GuestEntry::showNoGuest(bool staying)
{
    const GuestRules::Stay stay = GuestRules::newStay(m_platform.clock.now());
    const QDateTime departure = staying ? QDateTime(stay.departure, stay.departureTime)
                                        : QDateTime(stay.arrival, stay.arrivalTime);
    PickerBinding::of(birthBox)->display(QDateTime(stay.birth, QTime(0, 0)));
    PickerBinding::of(arrivalDateBox)->display(QDateTime(stay.arrival, stay.arrivalTime));
    PickerBinding::of(arrivalTimeBox)->display(QDateTime(stay.arrival, stay.arrivalTime));
    kaliciBox->setChecked(staying);
    PickerBinding::of(departureDateBox)->display(departure);
    PickerBinding::of(departureTimeBox)->display(departure);
}

void GuestEntry::showCurrentGuest()
{
    if (!m_records.isOpen())
        return;
    if (m_records.isEmpty() && m_records.state() != Dataset::State::Insert) {
        showNoGuest(true);
        return;
    }
    kaliciBox->refresh();
    // Every value that can be read is shown; one that cannot shows its zero
    // value (never the previous guest's), and the clerk hears of it once.
    QStringList unreadable;
    const QString name =
        QStringLiteral("%1 %2").arg(m_records.text(Columns::Adi), m_records.text(Columns::Soyadi)).trimmed();
    GuestRules::stayOf(m_records, [&](const QString& column, const RadaError& e) {
        unreadable << QStringLiteral("%1\rMisafir: %2 (kayıt no %3), alan: %4")
                          .arg(e.text(), name, QString::number(m_records.key()), column);
    });
    if (!unreadable.isEmpty())
        m_platform.dialogs.reportError(unreadable.join(QLatin1Char('\r')));
}

void GuestEntry::guestsOpened()
{
    // An empty register opens on a guest who is leaving now.
    if (m_records.isEmpty())
        showNoGuest(false);
}

void GuestEntry::kaliciClicked(bool ticked)
{
    if (!m_records.isEditing())
        return;
    if (ticked) {
        departureDateBox->setDate(Formats::dayZero());
        departureTimeBox->setTime(QTime(0, 0));
    } else {
        setToNow(departureDateBox);
        setToNow(departureTimeBox);
    }
}

void GuestEntry::newRecord()
{
    if (m_records.append())
        customerCodeBox->setFocus(Qt::OtherFocusReason);
}

void GuestEntry::newGuestInSameRoom()
{
    if (GuestRules::beginInSameRoom(m_records))
        focusField(Columns::Adi);
}

void GuestEntry::cancelAndSearch()
{
    m_records.cancel();
    if (openSearch)
        openSearch();
}

void GuestEntry::setToNow(QDateTimeEdit* picker)
{
    const QDateTime now = m_platform.clock.now();
    if (picker == arrivalDateBox || picker == departureDateBox)
        picker->setDate(now.date());
    else
        picker->setTime(Formats::wholeSeconds(now.time()));
}

bool GuestEntry::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                   key->modifiers().testFlag(Qt::ControlModifier)) {
            if (auto* picker = qobject_cast<QDateTimeEdit*>(watched)) {
                // The birth date has no such key; left to the picker, the
                // key would count as a change and begin editing.
                if (picker != birthBox)
                    setToNow(picker);
                return true;
            }
        }
    }
    return false;
}

void GuestEntry::readDocument(QWidget* window)
{
    if (!GuestRules::settleStoredGuest(m_records))
        return;
    if (!m_reader) {
        m_reader = new DocumentReaderDialog(m_tables, m_platform.clock, [this](const Mrz::Guest& guest, bool known) {
            m_documentTaken = GuestRules::fillFromDocument(m_records, guest.columns(), known);
        }, window);
    }
    m_documentTaken = false;
    m_reader->exec();
    // The clerk goes on where the document left something to type: the
    // first box a save needs that is still empty, else the room.
    if (m_documentTaken) {
        const QStringList missing = GuestRules::missingFields(m_records);
        focusField(missing.isEmpty() ? Columns::VerilenOdaNo.text() : missing.first());
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/RecordForm.h"

#include "core/register/Columns.h"
#include "core/register/Dataset.h"
#include "core/register/Schema.h"
#include "core/register/Tables.h"
#include "core/register/Validation.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBLookupComboBox.h"
#include "gui/widgets/DBMaskEdit.h"
#include "gui/widgets/FormKit.h"
#include "gui/widgets/PickerBinding.h"
#include "platform/core/Platform.h"
#include "platform/gui/Shell.h"

#include <QDateEdit>
#include <QKeyEvent>
#include <QToolButton>
#include <QUrl>
#include <stdexcept>
#include <utility>

namespace {

const Columns::Person& field(const QString& column)
{
    const Columns::Person* p = Columns::find(column);
    if (!p || !p->box)
        throw std::invalid_argument("no such box");
    return *p;
}

// The open list of a lookup box.
Dataset* listOf(const Tables& tables, const TableDef& list)
{
    for (Dataset* d : tables.openingOrder()) {
        if (d->table().name == list.name)
            return d;
    }
    throw std::invalid_argument("no such list");
}

constexpr int kQueryButtonWidth = 24;

} // namespace

RecordForm::RecordForm(Platform& platform, Tables& tables, Dataset& records, QObject* context)
    : m_platform(platform), m_tables(tables), m_records(records), m_context(context)
{
    m_records.showField = [this](const QString& column) { focusField(column); };
}

RecordForm::~RecordForm()
{
    m_records.showField = nullptr;
}

void RecordForm::focusField(const QString& column)
{
    // As if the clerk arrived by Enter: a picker's first section or a box's
    // text selected, so that what is typed next takes its place.
    if (QWidget* box = boxOf(column))
        box->setFocus(Qt::TabFocusReason);
}

QWidget* RecordForm::addBox(FormKit::Column& column, const QString& name)
{
    QWidget* box = makeBox(column, name);
    m_boxes.insert(name, box);
    return box;
}

QWidget* RecordForm::makeBox(FormKit::Column& column, const QString& name)
{
    using namespace FormKit;
    const Columns::Person& f = field(name);
    const QString caption = QString::fromUtf8(f.caption);
    QWidget* parent = column.parent();
    switch (f.kind) {
    case Columns::Box::Date: {
        birthBox = datePicker(parent, f.box, column.next(caption), QStringLiteral("[Yıl-Ay-Gün]"));
        new PickerBinding(birthBox, PickerBinding::Kind::Date, &m_records, name);
        return birthBox;
    }
    case Columns::Box::Lookup: {
        const TableDef& list = Schema::lookupTable(f.list);
        return column.lookup(caption, f.box, &m_records, name, listOf(m_tables, list), list.columns.first().name,
                             list.columns.last().name);
    }
    case Columns::Box::IdentityNumber: {
        const QRect at = column.next(caption, column.width() - kQueryButtonWidth - 4);
        identityBox = place(new DBMaskEdit(&m_records, name, parent), f.box, at);
        onLeave(identityBox, [this] { checkIdentityNumber(); });
        auto* query = flatButton(parent, "SpeedButton1", QStringLiteral("Internet'te Ara..."),
                                 QStyle::SP_BrowserReload, QRect(at.right() + 5, at.top(), kQueryButtonWidth, 21));
        QObject::connect(query, &QToolButton::clicked, m_context, [this] { openIdentityQuery(); });
        setButton(1, query);
        return identityBox;
    }
    case Columns::Box::Text:
        break;
    case Columns::Box::None:
    case Columns::Box::Time:
    case Columns::Box::Check:
        throw std::invalid_argument("not a box of the form");
    }
    DBEdit* box = column.edit(caption, f.box, &m_records, name);
    if (f.name == Columns::Adi)
        nameBox = box;
    else if (f.name == Columns::Soyadi)
        surnameBox = box;
    else if (f.name == Columns::KimlikSeriNo) {
        serialBox = box;
        box->setKeep(documentNumberText);
    }
    else if (f.name == Columns::AracPlakaNo) {
        plateBox = box;
        onLeave(box, [this] { tidyPlate(); });
    }
    return box;
}

QList<QWidget*> RecordForm::addBoxes(FormKit::Column& column, const QStringList& names)
{
    QList<QWidget*> boxes;
    for (const QString& name : names)
        boxes << addBox(column, name);
    return boxes;
}

void RecordForm::addRecordButtons(QWidget* parent, int firstNumber, const std::function<QRect(int)>& at)
{
    struct ButtonDef { const char* hint; QStyle::StandardPixmap icon; void (RecordForm::*command)(); };
    static const ButtonDef buttons[] = {
        {"İlk Kayıt [Ctrl+Sol Ok]", QStyle::SP_MediaSkipBackward, &RecordForm::firstRecord},
        {"Önceki Kayıt [Alt+Sol Ok]", QStyle::SP_MediaSeekBackward, &RecordForm::priorRecord},
        {"Sonraki Kayıt [Alt+Sağ Ok]", QStyle::SP_MediaSeekForward, &RecordForm::nextRecord},
        {"Son Kayıt [Ctrl+Sağ Ok]", QStyle::SP_MediaSkipForward, &RecordForm::lastRecord},
        {"Yeni Kayıt [Ctrl+N]", QStyle::SP_FileIcon, &RecordForm::newRecord},
        {"Kayıt Sil [Ctrl+Del]", QStyle::SP_TrashIcon, &RecordForm::deleteRecord},
        {"Kaydet [Ctrl+S]", QStyle::SP_DialogSaveButton, &RecordForm::saveRecord},
        {"İptal [ESC]", QStyle::SP_DialogCancelButton, &RecordForm::cancelEdit},
    };
    int i = 0;
    for (const ButtonDef& b : buttons) {
        const int number = firstNumber + i;
        QToolButton* button = FormKit::flatButton(parent, QStringLiteral("SpeedButton%1").arg(number).toLatin1().constData(),
                                                  QString::fromUtf8(b.hint), b.icon, at(i));
        QObject::connect(button, &QToolButton::clicked, m_context,
                         [this, command = b.command] { runCommand([this, command] { (this->*command)(); }); });
        setButton(number, button);
        ++i;
    }
}

void RecordForm::setButton(int number, QToolButton* button)
{
    if (m_buttons.size() <= number)
        m_buttons.resize(number + 1);
    m_buttons[number] = button;
}

QToolButton* RecordForm::button(int number) const
{
    return m_buttons.value(number);
}

void RecordForm::applyTabOrder()
{
    for (int i = 0; i + 1 < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i], tabOrder[i + 1]);
}

void RecordForm::firstRecord() { m_records.first(); }
void RecordForm::priorRecord() { m_records.prior(); }
void RecordForm::nextRecord() { m_records.next(); }
void RecordForm::lastRecord() { m_records.last(); }
void RecordForm::newRecord() { m_records.append(); }

void RecordForm::deleteRecord()
{
    if (quietDeleteOnEmpty && m_records.recordCount() < 1)
        return;
    m_records.remove();
}

void RecordForm::saveRecord()
{
    tidyPlate();
    ::saveRecord(m_records);
}

void RecordForm::cancelEdit()
{
    m_records.cancel();
}

void RecordForm::openIdentityQuery()
{
    m_platform.shell.openUrl(QUrl(kIdentityQueryPage));
}

void RecordForm::checkIdentityNumber()
{
    identityBox->warnIfInvalid(m_platform.dialogs);
}

void RecordForm::tidyPlate()
{
    if (const auto plate = normalisePlate(m_records, plateBox->text()))
        plateBox->setText(*plate);
}

void RecordForm::runRecordKey(const QKeyEvent& key)
{
    const int k = key.key();
    const bool ctrl = key.modifiers().testFlag(Qt::ControlModifier);
    const bool alt = key.modifiers().testFlag(Qt::AltModifier);
    const std::pair<bool, void (RecordForm::*)()> keys[] = {
        {alt && k == Qt::Key_Right, &RecordForm::nextRecord},  {alt && k == Qt::Key_Left, &RecordForm::priorRecord},
        {ctrl && k == Qt::Key_Right, &RecordForm::lastRecord}, {ctrl && k == Qt::Key_Left, &RecordForm::firstRecord},
        {ctrl && k == Qt::Key_S, &RecordForm::saveRecord},     {ctrl && k == Qt::Key_N, &RecordForm::newRecord},
        {ctrl && k == Qt::Key_Delete, &RecordForm::deleteRecord}, {k == Qt::Key_Escape, &RecordForm::cancelEdit},
    };
    for (const auto& [pressed, command] : keys) {
        if (pressed)
            runCommand([this, command = command] { (this->*command)(); });
    }
}

bool RecordForm::hasUnsavedChanges() const
{
    return ::hasUnsavedChanges(m_records);
}

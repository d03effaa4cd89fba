// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/customers/RetentionPeriodDialog.h"

#include "core/customers/RetentionSettings.h"
#include "gui/widgets/FormKit.h"
#include "platform/core/Dialogs.h"
#include "platform/core/RadaError.h"

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

RetentionPeriodDialog::RetentionPeriodDialog(RetentionSettings& settings, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("RetentionPeriodDialog"));
    setWindowTitle(QStringLiteral("Saklama Süresi"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("Müşteri kayıtları, müşterinin son konaklamasından sonra bu süre kadar "
                                           "saklanır; süresi dolanlar en geç altı ayda bir imha edilir."),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    MonthsBox = new QSpinBox(this);
    MonthsBox->setObjectName(QStringLiteral("MonthsBox"));
    MonthsBox->setRange(RetentionSettings::kMinMonths, RetentionSettings::kMaxMonths);
    MonthsBox->setSuffix(QStringLiteral(" ay"));
    MonthsBox->setValue(settings.months());
    layout->addWidget(MonthsBox);

    auto* ok = new QPushButton(QStringLiteral("Tamam"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &RetentionPeriodDialog::store);
    FormKit::addCommandRow(this, layout, ok);
}

void RetentionPeriodDialog::store()
{
    try {
        if (m_settings.setMonths(MonthsBox->value()))
            accept();
    } catch (const RadaError& e) {
        m_dialogs.reportError(e.text());
    }
}

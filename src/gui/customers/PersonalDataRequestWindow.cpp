// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/customers/PersonalDataRequestWindow.h"

#include "core/customers/CustomerDestruction.h"
#include "platform/core/Dialogs.h"
#include "platform/core/Platform.h"
#include "platform/core/RadaError.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

const QString PersonalDataRequestWindow::kGuestNote = QStringLiteral(
    "Misafir kayıtları bu başvuruyla silinmez: misafirler, konaklamaları bildirildikten sonra yalnızca transfer "
    "ile kayıttan çıkar.");
const QString PersonalDataRequestWindow::kNothingFound = QStringLiteral("Bu kişiye ait kayıt bulunamadı.");

namespace {

const QString kTitle = QStringLiteral("Kişisel Veri Başvurusu");

} // namespace

PersonalDataRequestWindow::PersonalDataRequestWindow(Platform& platform, Store& store, CustomerDestruction& destruction,
                                                     std::function<PersonalDataReport::Header()> header,
                                                     QWidget* parent)
    : QDialog(parent), m_platform(platform), m_store(store), m_destruction(destruction), m_header(std::move(header))
{
    setObjectName(QStringLiteral("PersonalDataRequestWindow"));
    setWindowTitle(kTitle);
    setModal(true);
    resize(640, 480);

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    KeyBox = new QComboBox(this);
    KeyBox->setObjectName(QStringLiteral("KeyBox"));
    KeyBox->addItems({QStringLiteral("T.C. Kimlik No"), QStringLiteral("Kimlik Seri No"), QStringLiteral("Adı ve Soyadı")});
    ValueEdit = new QLineEdit(this);
    ValueEdit->setObjectName(QStringLiteral("ValueEdit"));
    SurnameEdit = new QLineEdit(this);
    SurnameEdit->setObjectName(QStringLiteral("SurnameEdit"));
    SurnameEdit->setPlaceholderText(QStringLiteral("Soyadı"));
    SurnameEdit->setEnabled(false);
    SearchButton = new QPushButton(QStringLiteral("&Ara"), this);
    SearchButton->setObjectName(QStringLiteral("SearchButton"));
    grid->addWidget(new QLabel(QStringLiteral("Arama :"), this), 0, 0);
    grid->addWidget(KeyBox, 0, 1);
    grid->addWidget(ValueEdit, 0, 2);
    grid->addWidget(SurnameEdit, 0, 3);
    grid->addWidget(SearchButton, 0, 4);
    layout->addLayout(grid);
    connect(KeyBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        SurnameEdit->setEnabled(index == 2);
        ValueEdit->setPlaceholderText(index == 2 ? QStringLiteral("Adı") : QString());
    });
    connect(SearchButton, &QPushButton::clicked, this, &PersonalDataRequestWindow::search);
    connect(ValueEdit, &QLineEdit::returnPressed, this, &PersonalDataRequestWindow::search);
    connect(SurnameEdit, &QLineEdit::returnPressed, this, &PersonalDataRequestWindow::search);

    ResultView = new QPlainTextEdit(this);
    ResultView->setObjectName(QStringLiteral("ResultView"));
    ResultView->setReadOnly(true);
    layout->addWidget(ResultView);

    GuestNote = new QLabel(kGuestNote, this);
    GuestNote->setObjectName(QStringLiteral("GuestNote"));
    GuestNote->setWordWrap(true);
    layout->addWidget(GuestNote);

    auto* row = new QHBoxLayout;
    row->addStretch();
    ReportButton = new QPushButton(QStringLiteral("Rapor"), this);
    ReportButton->setObjectName(QStringLiteral("ReportButton"));
    EraseButton = new QPushButton(QStringLiteral("Sil"), this);
    EraseButton->setObjectName(QStringLiteral("EraseButton"));
    auto* close = new QPushButton(QStringLiteral("&Kapat"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    for (QPushButton* b : {SearchButton, ReportButton, EraseButton, close})
        b->setAutoDefault(false);
    row->addWidget(ReportButton);
    row->addWidget(EraseButton);
    row->addWidget(close);
    layout->addLayout(row);
    connect(ReportButton, &QPushButton::clicked, this, &PersonalDataRequestWindow::writeReport);
    connect(EraseButton, &QPushButton::clicked, this, &PersonalDataRequestWindow::eraseCustomers);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    showFindings();
}

void PersonalDataRequestWindow::search()
{
    using By = PersonalDataSearch::Query::By;
    const By by = KeyBox->currentIndex() == 0 ? By::IdentityNumber
                  : KeyBox->currentIndex() == 1 ? By::DocumentNumber
                                                : By::Name;
    const PersonalDataSearch::Query query{by, ValueEdit->text(), by == By::Name ? SurnameEdit->text() : QString()};
    m_query = query;
    try {
        m_findings = PersonalDataSearch::find(m_store, query);
    } catch (const RadaError& e) {
        m_findings = {};
        m_platform.dialogs.reportError(e.text());
    }
    showFindings();
    if (query.isComplete() && m_findings.isEmpty())
        ResultView->setPlainText(kNothingFound);
}

void PersonalDataRequestWindow::showFindings()
{
    ResultView->clear();
    if (!m_findings.isEmpty())
        ResultView->setPlainText(PersonalDataReport::lines(m_store, m_findings, m_header()).join(QLatin1Char('\n')));
    ReportButton->setEnabled(!m_findings.isEmpty());
    EraseButton->setEnabled(!m_findings.customers.isEmpty());
}

QString PersonalDataRequestWindow::writeReport()
{
    if (m_findings.isEmpty())
        return {};
    const QString path = PersonalDataReport::save(m_platform, m_store, m_findings, m_header());
    if (!path.isEmpty())
        m_platform.dialogs.inform(QStringLiteral("Rapor kaydedildi:\r%1").arg(QDir::toNativeSeparators(path)));
    return path;
}

void PersonalDataRequestWindow::eraseCustomers()
{
    if (m_findings.customers.isEmpty())
        return;
    const QString question = QStringLiteral("Bulunan %1 müşteri kaydı kalıcı olarak silinecek.\r%2\rDevam edilsin mi?")
                                 .arg(m_findings.customers.size())
                                 .arg(kGuestNote);
    if (m_platform.dialogs.message(kTitle, question, Dialogs::Icon::Warning,
                                   Dialogs::Buttons(Dialogs::Evet) | Dialogs::Hayir, Dialogs::Hayir) != Dialogs::Evet)
        return;
    QList<qint64> keys;
    for (const PersonalDataSearch::Record& r : m_findings.customers)
        keys << r.key;
    try {
        const CustomerDestruction::Outcome outcome = m_destruction.eraseOnRequest(keys);
        QString done = QStringLiteral("%1 müşteri kaydı silindi.").arg(outcome.destroyed);
        if (!outcome.rewritten)
            done += QLatin1Char('\r') + CustomerDestruction::kNotRewrittenText;
        if (eraseFromBackups) {
            if (const std::optional<QString> backups = eraseFromBackups(m_query))
                done += QLatin1Char('\r') + *backups;
        }
        m_platform.dialogs.inform(done);
    } catch (const RadaError& e) {
        m_platform.dialogs.reportError(e.text());
    }
    search();
}

void PersonalDataRequestWindow::forget()
{
    m_findings = {};
    ValueEdit->clear();
    SurnameEdit->clear();
    showFindings();
}

void PersonalDataRequestWindow::done(int result)
{
    forget();
    QDialog::done(result);
}

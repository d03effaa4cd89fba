// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/register/DocumentReaderDialog.h"

#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/Tables.h"
#include "platform/core/Clock.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

const QString DocumentReaderDialog::kTitle = QStringLiteral("Kimlik / Pasaport Oku");
const QString DocumentReaderDialog::kPrompt =
    QStringLiteral("Belgenin okuma bölgesini (alttaki 2 ya da 3 satır) okutun ya da her satırın sonunda Enter'a basarak yazın.");
const QString DocumentReaderDialog::kTurkishNames =
    QStringLiteral("Okuma bölgesinde Türkçe harf bulunmaz: adı ve soyadı Türkçe harfleriyle düzeltiniz (OZTURK → Öztürk).");
const QString DocumentReaderDialog::kUnknownNationality =
    QStringLiteral("Uyruk kodu %1 ülke listesinde yok: Uyruğu elle seçiniz.");
const QString DocumentReaderDialog::kExpired = QStringLiteral("Dikkat: Belgenin geçerlilik süresi dolmuş.");

DocumentReaderDialog::DocumentReaderDialog(Tables& tables, Clock& clock, Take take, QWidget* parent)
    : QDialog(parent), m_tables(tables), m_clock(clock), m_take(std::move(take))
{
    setObjectName(QStringLiteral("KimlikOku"));
    setWindowTitle(kTitle);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(kPrompt, this);
    prompt->setObjectName(QStringLiteral("Prompt"));
    prompt->setWordWrap(true);
    layout->addWidget(prompt);

    ZoneBox = new QPlainTextEdit(this);
    ZoneBox->setObjectName(QStringLiteral("ZoneBox"));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    ZoneBox->setFont(fixed);
    ZoneBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    ZoneBox->setTabChangesFocus(true);
    ZoneBox->setFixedHeight(QFontMetrics(fixed).lineSpacing() * 4 + 12);
    ZoneBox->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(44, QLatin1Char('<'))) + 30);
    ZoneBox->installEventFilter(this);
    connect(ZoneBox, &QPlainTextEdit::textChanged, this, &DocumentReaderDialog::readZone);
    layout->addWidget(ZoneBox);

    ReadBack = new QLabel(this);
    ReadBack->setObjectName(QStringLiteral("ReadBack"));
    ReadBack->setWordWrap(true);
    ReadBack->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(ReadBack);

    AktarButton = new QPushButton(QStringLiteral("&Aktar"), this);
    AktarButton->setObjectName(QStringLiteral("AktarButton"));
    AktarButton->setAutoDefault(false);
    AktarButton->setEnabled(false);
    connect(AktarButton, &QPushButton::clicked, this, &DocumentReaderDialog::Aktar);
    layout->addWidget(AktarButton, 0, Qt::AlignRight);
}

void DocumentReaderDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ZoneBox->setFocus(Qt::OtherFocusReason);
}

void DocumentReaderDialog::done(int result)
{
    // Nothing of the document outlives the dialog.
    ZoneBox->blockSignals(true);
    ZoneBox->clear();
    ZoneBox->blockSignals(false);
    m_read.reset();
    ReadBack->clear();
    AktarButton->setEnabled(false);
    QDialog::done(result);
}

QString DocumentReaderDialog::lookupName(Dataset* table, const QString& key) const
{
    const QString keyColumn = table->table().columns.first().name;
    const QString nameColumn = table->table().columns.value(1).name;
    for (int row = 0; row < table->recordCount(); ++row) {
        if (table->rowText(row, keyColumn) == key)
            return nameColumn.isEmpty() ? key : table->rowText(row, nameColumn);
    }
    return {};
}

void DocumentReaderDialog::readZone()
{
    m_read.reset();
    AktarButton->setEnabled(false);
    const QString text = ZoneBox->toPlainText();
    if (Mrz::inputState(text) == Mrz::InputState::Incomplete) {
        ReadBack->clear();
        return;
    }
    const Mrz::ParseResult result = Mrz::parse(text);
    if (!result.isValid()) {
        showReadBack(QStringLiteral("Okunamadı:\n") + result.messages().join(QLatin1Char('\n')));
        return;
    }
    const Mrz::Guest guest = Mrz::guestFields(*result.zone, m_clock.now().date());
    const QString refusal = Mrz::registerRefusal(guest);
    if (!refusal.isEmpty()) {
        showReadBack(refusal);
        return;
    }
    const QString country = lookupName(m_tables.ulke, guest.uyrugu);
    m_nationalityKnown = !country.isEmpty();
    const QString sex = guest.cinsiyet.isEmpty() ? QStringLiteral("-") : lookupName(m_tables.cinsiyet, guest.cinsiyet);
    QStringList lines = {
        QStringLiteral("Soyadı: %1").arg(guest.soyadi),
        QStringLiteral("Adı: %1").arg(guest.adi),
        QStringLiteral("Uyruğu: %1").arg(m_nationalityKnown ? country : guest.nationalityCode),
        QStringLiteral("Doğum Tarihi: %1")
            .arg(guest.dogumTarihi ? Formats::dateText(*guest.dogumTarihi) : QStringLiteral("bilinmiyor")),
        QStringLiteral("Cinsiyet: %1").arg(sex),
        QStringLiteral("Belge: %1, No: %2")
            .arg(lookupName(m_tables.kimlikTuru, guest.kimlikBelgesiTuru), guest.kimlikSeriNo),
        QStringLiteral("Son Geçerlilik Tarihi: %1").arg(Formats::dateText(guest.gecerlilikTarihi)),
    };
    if (guest.expired)
        lines << kExpired;
    if (!guest.tcKimlikNo.isEmpty())
        lines << QStringLiteral("T.C. Kimlik No: %1").arg(guest.tcKimlikNo);
    if (!m_nationalityKnown)
        lines << kUnknownNationality.arg(guest.nationalityCode);
    if (guest.turkish)
        lines << kTurkishNames;
    showReadBack(lines.join(QLatin1Char('\n')));
    m_read = guest;
    AktarButton->setEnabled(true);
}

void DocumentReaderDialog::showReadBack(const QString& text)
{
    ReadBack->setText(text);
    // The read-back may run to a dozen lines. A wrapped text asks for no more
    // height than its lines unwrapped: the dialog is given the height that
    // its texts take at its width, and grows to it.
    layout()->activate();
    setMinimumHeight(layout()->totalHeightForWidth(width()));
}

void DocumentReaderDialog::Aktar()
{
    if (!m_read)
        return;
    const Mrz::Guest guest = *m_read;
    const bool known = m_nationalityKnown;
    accept();
    m_take(guest, known);
}

bool DocumentReaderDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ZoneBox && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // The Enter that ends the zone's last line only ends it; a
            // further one takes the zone over.
            if (m_read && ZoneBox->toPlainText().endsWith(QLatin1Char('\n'))) {
                Aktar();
                return true;
            }
            ZoneBox->insertPlainText(QStringLiteral("\n"));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

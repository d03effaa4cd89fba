// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/transfer/StatisticsWindow.h"

#include "core/register/Dataset.h"
#include "core/register/Tables.h"
#include "gui/widgets/PdfDocument.h"
#include "platform/core/Clock.h"
#include "platform/core/Dialogs.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Platform.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

const QString StatisticsWindow::kTitle = u"Aylık Konaklama İstatistiği"_s;
const QString StatisticsWindow::kStayingIncluded = u"Kalan %1 misafirin bugüne kadarki gecelemeleri dahildir."_s;
const QString StatisticsWindow::kCountedSince =
    u"Rakamlar %1 tarihinden beri tutuluyor; bu ayın o tarihten önceki kısmı için rakam yok."_s;
const QString StatisticsWindow::kNotYetCounted =
    u"Rakamlar ilk transferle tutulmaya başlar; şimdilik yalnız kayıttaki misafirler sayılıyor."_s;

namespace {


QString number(qint64 n) { return QString::number(n); }

} // namespace

StatisticsWindow::StatisticsWindow(Platform& platform, Tables& tables, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_tables(tables)
{
    setObjectName(u"AylikIstatistik"_s);
    setWindowTitle(kTitle);
    resize(560, 480);
    MonthBox = new QComboBox(this);
    MonthBox->setObjectName(u"AyListesi"_s);
    auto* monthCaption = new QLabel(u"&Ay :"_s, this);
    monthCaption->setBuddy(MonthBox);
    Table = new QTableWidget(0, 4, this);
    Table->setObjectName(u"IstatistikTablosu"_s);
    Table->setHorizontalHeaderLabels({u"Uyruğu"_s, u"Ülke"_s, u"Geliş"_s, u"Geceleme"_s});
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->verticalHeader()->hide();
    Table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    NoteLabel = new QLabel(this);
    NoteLabel->setObjectName(u"AyNotu"_s);
    NoteLabel->setWordWrap(true);
    PdfButton = new QPushButton(u"&Yazdır / PDF"_s, this);
    PdfButton->setObjectName(u"PdfButton"_s);
    CsvButton = new QPushButton(u"&CSV"_s, this);
    CsvButton->setObjectName(u"CsvButton"_s);
    auto* closeButton = new QPushButton(u"&Kapat"_s, this);
    for (QPushButton* b : {PdfButton, CsvButton, closeButton})
        b->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(monthCaption);
    top->addWidget(MonthBox, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PdfButton);
    buttons->addWidget(CsvButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Table, 1);
    layout->addWidget(NoteLabel);
    layout->addLayout(buttons);

    connect(MonthBox, &QComboBox::currentIndexChanged, this, &StatisticsWindow::showMonth);
    connect(PdfButton, &QPushButton::clicked, this, &StatisticsWindow::savePdf);
    connect(CsvButton, &QPushButton::clicked, this, &StatisticsWindow::saveCsv);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void StatisticsWindow::showEvent(QShowEvent* event)
{
    // The months the counts are kept for, the current one first.
    const QSignalBlocker quiet(MonthBox);
    MonthBox->clear();
    const QDate today = m_platform.clock.now().date();
    const QDate first(today.year(), today.month(), 1);
    for (int i = 0; i < StayStatistics::kKeepYears * 12; ++i)
        MonthBox->addItem(StayStatistics::monthKey(first.addMonths(-i)));
    MonthBox->setCurrentIndex(0);
    showMonth();
    MonthBox->setFocus(Qt::OtherFocusReason);
    QDialog::showEvent(event);
}

void StatisticsWindow::showMonth()
{
    const QDate today = m_platform.clock.now().date();
    m_month = StayStatistics::month(m_tables.kisi->store(), *m_tables.kisi, *m_tables.ulke, MonthBox->currentText(), today);
    Table->setRowCount(int(m_month.lines.size()) + 1);
    const auto put = [this](int row, const QStringList& cells) {
        for (int col = 0; col < cells.size(); ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            if (col >= 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Table->setItem(row, col, item);
        }
    };
    int row = 0;
    for (const StayStatistics::Line& l : m_month.lines)
        put(row++, {l.code, l.country, number(l.count.arrivals), number(l.count.nights)});
    put(row, {QString(), u"Toplam"_s, number(m_month.total.arrivals), number(m_month.total.nights)});
    QStringList notes;
    if (m_month.stayingIncluded > 0)
        notes << kStayingIncluded.arg(m_month.stayingIncluded);
    if (!m_month.since)
        notes << kNotYetCounted;
    else if (m_month.beforeCounting)
        notes << kCountedSince.arg(m_month.since->toString(u"yyyy-MM-dd"_s));
    NoteLabel->setText(notes.join(u'\n'));
}

QByteArray StatisticsWindow::pdf() const
{
    const Dataset& settings = *m_tables.ayar;
    const QString code = settings.isEmpty() ? QString() : settings.rowText(0, 0);
    const QString name = settings.isEmpty() ? QString() : settings.rowText(0, 1);
    PdfDocument document(kTitle);
    {
        QPdfWriter& writer = document.writer();
        QPainter& painter = document.painter();
        const QFont& font = document.font();
        QFont bold = font;
        bold.setBold(true);
        const QRect page = document.page();
        const int line = QFontMetrics(font, &writer).height() * 3 / 2;
        // Columns: code, country, arrivals, nights.
        const int w = page.width();
        const QList<QRect> columns = {QRect(0, 0, w / 8, line), QRect(w / 8, 0, w / 2, line),
                                      QRect(w * 5 / 8, 0, w / 8 * 1, line), QRect(w * 6 / 8, 0, w / 4, line)};
        int y = 0;
        const auto text = [&](const QString& t, const QFont& f) {
            if (y + line > page.height()) {
                writer.newPage();
                y = 0;
            }
            painter.setFont(f);
            painter.drawText(QRect(0, y, w, line), Qt::AlignLeft | Qt::AlignVCenter, t);
            y += line;
        };
        const auto row = [&](const QStringList& cells, const QFont& f) {
            if (y + line > page.height()) {
                writer.newPage();
                y = 0;
            }
            painter.setFont(f);
            for (int i = 0; i < cells.size(); ++i)
                painter.drawText(columns[i].translated(0, y), (i >= 2 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                                 cells[i]);
            y += line;
        };
        text(kTitle, bold);
        text(u"Tesis Kodu : %1"_s.arg(code), font);
        text(u"Tesis Adı : %1"_s.arg(name), font);
        text(u"Ay : %1"_s.arg(m_month.month), font);
        y += line / 2;
        row({u"Uyruğu"_s, u"Ülke"_s, u"Geliş"_s, u"Geceleme"_s}, bold);
        for (const StayStatistics::Line& l : m_month.lines)
            row({l.code, l.country, number(l.count.arrivals), number(l.count.nights)}, font);
        row({QString(), u"Toplam"_s, number(m_month.total.arrivals), number(m_month.total.nights)}, bold);
        y += line / 2;
        for (const QString& note : NoteLabel->text().split(u'\n', Qt::SkipEmptyParts))
            text(note, font);
    }
    return document.bytes();
}

void StatisticsWindow::savePdf() { save(u"PDF Dosyası (*.pdf)"_s, u"pdf"_s, pdf()); }

void StatisticsWindow::saveCsv() { save(u"CSV Dosyası (*.csv)"_s, u"csv"_s, StayStatistics::csv(m_month)); }

void StatisticsWindow::save(const QString& filter, const QString& suffix, const QByteArray& bytes)
{
    const Dialogs::SaveFileRequest request{u"İstatistiği Kaydet..."_s, filter, suffix,
                                           u"Konaklama %1.%2"_s.arg(m_month.month, suffix), QString()};
    QString path = m_platform.dialogs.saveFileName(request);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + suffix;
    path = QFileInfo(path).absoluteFilePath();
    if (m_platform.fs.exists(path) &&
        m_platform.dialogs.askYesNo(u"%1 zaten var.\nDeğiştirmek istiyor musunuz?"_s.arg(QFileInfo(path).fileName())) !=
            Dialogs::Yes)
        return;
    if (!m_platform.fs.writeAtomically(path, bytes))
        m_platform.dialogs.reportError(u"İstatistik dosyası yazılamadı: %1"_s.arg(QDir::toNativeSeparators(path)));
}

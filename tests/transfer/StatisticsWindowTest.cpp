// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"

#include "core/transfer/StayStatistics.h"
#include "gui/shell/MainWindow.h"
#include "gui/transfer/StatisticsWindow.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList row(const QTableWidget* table, int r)
{
    QStringList cells;
    for (int c = 0; c < table->columnCount(); ++c)
        cells << (table->item(r, c) ? table->item(r, c)->text() : QString());
    return cells;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The month opens on the current one, counted and live together; the
// clerk moves to another month with the arrow keys and writes the month for
// a spreadsheet and on paper with the buttons' access keys.
TEST(StatisticsWindow, ShowsAMonthAndWritesItAsCsvAndPdf)
{
    ProgramFixture p;
    p.now = QDateTime(QDate(2024, 3, 20), QTime(10, 0));
    p.open({u"Ali"_s}, false); // a German guest, 1 to 5 March, not yet notified
    p.withRegister([](Store& store) {
        StayStatistics::Months notified;
        StayStatistics::addStay(notified, u"TC"_s, QDate(2024, 3, 2), QDate(2024, 3, 5));
        StayStatistics::addStay(notified, u"TC"_s, QDate(2024, 3, 2), QDate(2024, 3, 5));
        StayStatistics::store(store, notified, QDate(2024, 3, 2));
    });
    const QString csvPath = p.dir.path(u"mart.csv"_s);
    const QString pdfPath = p.dir.path(u"mart.pdf"_s);
    bool checked = false;
    onNextModal([&](QDialog* opened) {
        auto* w = qobject_cast<StatisticsWindow*>(opened);
        ASSERT_NE(w, nullptr);
        const auto close = qScopeGuard([&] { w->reject(); });
        EXPECT_EQ(w->MonthBox->currentText(), u"2024-03"_s);
        ASSERT_EQ(w->Table->rowCount(), 3);
        EXPECT_EQ(row(w->Table, 0), (QStringList{u"TC"_s, u"Türkiye"_s, u"2"_s, u"6"_s}));
        EXPECT_EQ(row(w->Table, 1), (QStringList{u"DEU"_s, u"Almanya"_s, u"1"_s, u"4"_s}));
        EXPECT_EQ(row(w->Table, 2), (QStringList{QString(), u"Toplam"_s, u"3"_s, u"10"_s}));

        ASSERT_TRUE(waitFor([&] { return w->MonthBox->hasFocus(); }));
        press(Qt::Key_Down);
        EXPECT_EQ(w->MonthBox->currentText(), u"2024-02"_s);
        EXPECT_EQ(row(w->Table, 0), (QStringList{QString(), u"Toplam"_s, u"0"_s, u"0"_s}));
        EXPECT_EQ(w->NoteLabel->text(), StatisticsWindow::kCountedSince.arg(u"2024-03-02"_s));
        press(Qt::Key_Up);

        p.dialogs().setNextFileName(csvPath);
        press(Qt::Key_C, Qt::AltModifier);
        ASSERT_TRUE(waitFor([&] { return QFile::exists(csvPath); }));
        EXPECT_EQ(readAll(csvPath), QByteArray("\xEF\xBB\xBF" "Ay;Uyruğu;Ülke;Geliş;Geceleme\r\n"
                                               "2024-03;TC;Türkiye;2;6\r\n2024-03;DEU;Almanya;1;4\r\n"
                                               "2024-03;;Toplam;3;10\r\n"));
        p.dialogs().setNextFileName(pdfPath);
        press(Qt::Key_Y, Qt::AltModifier);
        ASSERT_TRUE(waitFor([&] { return QFile::exists(pdfPath); }));
        // The text is read with the build machine's pdftotext, which a
        // Windows test cannot run: there the file's head shows a PDF.
        EXPECT_EQ(fileHead(pdfPath, 5), QByteArray("%PDF-"));
        if (!kOnWindows) {
            const QString text = pdfText(pdfPath);
            for (const QString& line : {u"Aylık Konaklama İstatistiği"_s, u"Tesis Kodu : 12345"_s, u"Ay : 2024-03"_s,
                                        u"Türkiye"_s, u"Toplam"_s})
                EXPECT_TRUE(text.contains(line)) << line.toStdString();
        }
        checked = true;
    });
    p.form().statisticsAction->trigger();
    EXPECT_TRUE(checked);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The room board and the monthly figures on a register of 20,000 guests,
// 300 of them staying. Targets: the board opens, and follows a change made
// in the guest table, within 50 ms; a month with 60 months of counts stored
// is shown within 100 ms.

#include "BenchRegister.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Tables.h"
#include "core/transfer/StayStatistics.h"
#include "doubles/FakePlatform.h"
#include "gui/register/RoomBoardWindow.h"
#include "gui/transfer/StatisticsWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <cstdio>
#include <vector>

namespace {

constexpr int kGuests = 20000;
constexpr int kStaying = 300;
constexpr int kRepeats = 21;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double timeMs(F&& work)
{
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    Database db(Database::kFileName);
    db.open();
    fillRegister(db, kGuests, 0);
    db.exec(QStringLiteral("UPDATE Kisi SET Kalici = CASE WHEN ID <= %1 THEN 1 ELSE 0 END").arg(kStaying));

    // Five years of counts, thirty nationalities a month.
    const QStringList codes = {QStringLiteral("TC"),  QStringLiteral("DEU"), QStringLiteral("GBR"), QStringLiteral("RUS"),
                               QStringLiteral("NLD"), QStringLiteral("FRA"), QStringLiteral("ITA"), QStringLiteral("USA"),
                               QStringLiteral("IRN"), QStringLiteral("UKR"), QStringLiteral("POL"), QStringLiteral("AUT"),
                               QStringLiteral("BEL"), QStringLiteral("CHE"), QStringLiteral("SWE"), QStringLiteral("NOR"),
                               QStringLiteral("DNK"), QStringLiteral("FIN"), QStringLiteral("ESP"), QStringLiteral("PRT"),
                               QStringLiteral("GRC"), QStringLiteral("BGR"), QStringLiteral("ROU"), QStringLiteral("SRB"),
                               QStringLiteral("AZE"), QStringLiteral("GEO"), QStringLiteral("KAZ"), QStringLiteral("JPN"),
                               QStringLiteral("CHN"), QStringLiteral("KOR")};
    FakePlatform fake;
    const QDate today = fake.clock.now().date();
    StayStatistics::Months months;
    for (int m = 0; m < 60; ++m) {
        const QDate day = QDate(today.year(), today.month(), 1).addMonths(-m);
        for (int c = 0; c < codes.size(); ++c) {
            for (int n = 0; n <= c % 4; ++n)
                StayStatistics::addStay(months, codes[c], day, day.addDays(1 + n));
        }
    }
    Store::Transaction tx = db.transaction();
    StayStatistics::store(db, months, today);
    tx.commit();

    Tables tables(db, fake.clock, fake.dialogs);
    tables.openAll();

    // In the program the guest window is on the screen when F6 is pressed:
    // what the first window of a process pays (the style, the fonts) is paid
    // by a window of the same kinds of widgets first.
    QWidget guestWindow;
    auto* lines = new QVBoxLayout(&guestWindow);
    lines->addWidget(new QLabel(QStringLiteral("Adı :"), &guestWindow));
    lines->addWidget(new QLineEdit(&guestWindow));
    auto* grid = new QTreeWidget(&guestWindow);
    grid->setHeaderLabels({QStringLiteral("Oda"), QStringLiteral("Misafir")});
    new QTreeWidgetItem(grid, QStringList{QStringLiteral("101"), QStringLiteral("Çelik Ayşe")});
    lines->addWidget(grid);
    lines->addWidget(new QPushButton(QStringLiteral("&Kaydet"), &guestWindow));
    guestWindow.show();
    QApplication::processEvents();

    std::unique_ptr<RoomBoardWindow> made;
    const double make = timeMs([&] { made = std::make_unique<RoomBoardWindow>(fake.platform, tables); });
    RoomBoardWindow& board = *made;
    const double open = timeMs([&] {
        board.show();
        QApplication::processEvents();
    });
    std::vector<double> reopen;
    for (int i = 0; i < kRepeats; ++i) {
        board.hide();
        QApplication::processEvents();
        reopen.push_back(timeMs([&] {
            board.show();
            QApplication::processEvents();
        }));
    }
    std::printf("board: made %.1f ms, first shown %.1f ms (opened by F6: %.1f ms), shown again %.1f ms (median of %d)\n",
                make, open, make + open, median(reopen), kRepeats);
    std::vector<double> follow;
    Dataset& guests = *tables.kisi;
    for (int i = 0; i < kRepeats; ++i) {
        guests.moveToRow(i % kStaying);
        guests.edit();
        guests.setText(QStringLiteral("VerilenOdaNo"), QString::number(500 + i));
        guests.post();
        // The board reads the table again once the event loop is free.
        follow.push_back(timeMs([&] { QApplication::processEvents(); }));
    }
    std::vector<double> reads;
    for (int i = 0; i < kRepeats; ++i)
        reads.push_back(timeMs([&] { (void)RoomBoard::read(guests, today); }));
    std::printf("board: reading the guest table %.1f ms (median of %d)\n", median(reads), kRepeats);
    std::printf("board: %d guests, %d staying, %d rooms: open %.1f ms, follow a change %.1f ms (median of %d)\n",
                kGuests, board.board().figures.staying, board.board().figures.rooms, open, median(follow), kRepeats);

    StatisticsWindow figures(fake.platform, tables);
    figures.show();
    QApplication::processEvents();
    std::vector<double> month;
    for (int i = 0; i < kRepeats; ++i)
        month.push_back(timeMs([&] { figures.showMonth(); }));
    std::printf("monthly figures: %d stored rows, %d guests: a month shown in %.1f ms (median of %d), %d lines\n",
                int(db.count(QStringLiteral("KonaklamaIstatistik"))), kGuests, median(month), kRepeats,
                int(figures.shown().lines.size()));
    return 0;
}

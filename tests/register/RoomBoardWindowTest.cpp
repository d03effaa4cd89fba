// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"

#include "core/register/Dataset.h"
#include "core/register/RoomBoard.h"
#include "gui/register/GuestEntry.h"
#include "gui/register/RoomBoardWindow.h"
#include "gui/shell/MainWindow.h"
#include "gui/widgets/DBEdit.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The clerk's way through the board without the mouse: F6, a room typed,
// Alt+B and Alt+E, then a guest opened with Enter, Ctrl+G for the next
// member of the family, and Esc.
TEST(RoomBoardWindow, TheKeyboardCarriesACheckOutAndAFamilyMember)
{
    ProgramFixture p;
    p.open({u"Ali"_s, u"Banu"_s, u"Cem"_s}, true,
           {u"UPDATE Kisi SET VerilenOdaNo = '101' WHERE Adi IN ('Ali', 'Banu')"_s,
            u"UPDATE Kisi SET VerilenOdaNo = '12', AracPlakaNo = '06ABC12' WHERE Adi = 'Cem'"_s});
    ASSERT_TRUE(focusOn(p.entry().nameBox));
    press(Qt::Key_F6);
    RoomBoardWindow* board = p.form().roomBoard();
    ASSERT_NE(board, nullptr);
    ASSERT_TRUE(waitFor([&] { return board->search->hasFocus(); }));
    EXPECT_EQ(board->figures->text(), u"Dolu oda: 2    Kalan misafir: 3    Bugün gelen: 0    Bugün ayrılan: 0    "
                                      u"Transfer bekleyen: 0"_s);

    typeText(board->search, u"101"_s);
    p.dialogs().setNextAnswer(Dialogs::Evet);
    press(Qt::Key_B, Qt::AltModifier);
    // A button's access key clicks it after a short press animation.
    ASSERT_TRUE(waitFor([&] { return !p.dialogs().texts().isEmpty(); }));

    EXPECT_EQ(p.dialogs().texts(),
              QStringList{RoomBoard::kCheckOutQuestion.arg(u"101"_s).arg(2) + u"\n\nAli Yılmaz\nBanu Yılmaz"_s});
    EXPECT_EQ(p.stored(u"Kalici"_s, p.ids[0]).toLongLong(), 0);
    EXPECT_EQ(p.stored(u"AyrilisTarihi"_s, p.ids[1]).toString(), p.now.date().toString(Qt::ISODate));
    EXPECT_EQ(p.stored(u"Kalici"_s, p.ids[2]).toLongLong(), 1);
    ASSERT_TRUE(waitFor([&] { return board->rooms->topLevelItemCount() == 1; }));
    EXPECT_EQ(board->rooms->topLevelItem(0)->text(0), u"12"_s);
    EXPECT_EQ(board->leaving->model()->rowCount(), 2);

    ASSERT_TRUE(focusOn(board->search));
    board->search->selectAll();
    typeText(board->search, u"yıl"_s);
    press(Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return board->rooms->hasFocus(); }));
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(p.guests().text(u"Adi"_s), u"Cem"_s);

    ASSERT_TRUE(focusOn(p.entry().nameBox));
    press(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(p.guests().state(), Dataset::State::Insert);
    EXPECT_EQ(p.guests().text(u"VerilenOdaNo"_s), u"12"_s);
    EXPECT_EQ(p.guests().text(u"AracPlakaNo"_s), u"06ABC12"_s);
    EXPECT_TRUE(p.entry().nameBox->hasFocus());

    press(Qt::Key_F6);
    ASSERT_TRUE(waitFor([&] { return board->isActiveWindow() && QApplication::focusWidget() == board->rooms; }));
    press(Qt::Key_Escape);
    EXPECT_FALSE(board->isVisible());
}

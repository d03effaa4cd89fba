// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "gui/register/GuestEntry.h"
#include "gui/shell/FacilitySetupWindow.h"
#include "gui/shell/MainWindow.h"
#include "gui/widgets/DBCheckBox.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBGrid.h"
#include "gui/widgets/DBMaskEdit.h"
#include "gui/widgets/FocusHighlight.h"
#include "gui/widgets/LedDisplay.h"
#include "gui/widgets/NumericEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using State = Dataset::State;

namespace {

const QDateTime kNow(QDate(2024, 6, 7), QTime(8, 9, 10));

class KeysTest : public ::testing::Test
{
protected:
    // Three guests, the last one with a departure.
    void SetUp() override
    {
        p.now = kNow;
        p.open({u"Ali Rıza"_s, u"Burak Can"_s, u"Cem Ay"_s}, true,
               {u"UPDATE Kisi SET Kalici = 0, AyrilisTarihi = '2024-03-05', AyrilisSaati = '10:30:00' "
                u"WHERE Adi = 'Cem Ay'"_s});
        ASSERT_TRUE(focusOn(e().nameBox));
    }

    GuestEntry& e() const { return p.entry(); }
    Dataset& ds() const { return p.guests(); }
    QWidget* control(const char* name) const { return p.widget(QString::fromLatin1(name)); }

    ProgramFixture p;
};

TEST_F(KeysTest, F3SearchesWithTheEditStillPending)
{
    e().nameBox->end(false);
    typeText(e().nameBox, u"x"_s);
    State during = State::Inactive;
    onNextModal([&](QDialog* d) {
        during = ds().state();
        d->reject();
    });
    press(Qt::Key_F3);
    EXPECT_EQ(during, State::Edit);
    EXPECT_EQ(ds().state(), State::Edit);
    EXPECT_EQ(e().nameBox->text(), u"Ali Rızax"_s);
}

TEST_F(KeysTest, ACharacterTypedThroughAltGrIsNoCommand)
{
    auto* soyadi = static_cast<QLineEdit*>(control("DBEdit2"));
    ASSERT_TRUE(focusOn(soyadi));
    soyadi->end(false);
    // AltGr arrives as Ctrl+Alt with the character it types.
    for (const auto& [key, text] : {std::pair{Qt::Key_E, u"é"_s}, std::pair{Qt::Key_S, u"ß"_s}}) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::ControlModifier | Qt::AltModifier, text);
        QApplication::sendEvent(soyadi, &down);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::ControlModifier | Qt::AltModifier, text);
        QApplication::sendEvent(soyadi, &up);
    }
    EXPECT_TRUE(p.dialogs().saveRequests.isEmpty());
    EXPECT_EQ(soyadi->text(), u"Yılmazéß"_s);
    EXPECT_EQ(ds().state(), State::Edit);
}

TEST_F(KeysTest, CommandKeysStillReachTheFocusedControl)
{
    QLineEdit* adi = e().nameBox;
    adi->setCursorPosition(0);
    press(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(ds().recNo(), 2);
    EXPECT_EQ(adi->text(), u"Cem Ay"_s);
    EXPECT_EQ(adi->cursorPosition(), 4);
}

TEST_F(KeysTest, CtrlEnterPutsNowIntoTheStayPickers)
{
    ds().last();
    struct Case { QDateTimeEdit* picker; bool date; const char* tip; };
    const Case cases[] = {
        {e().arrivalDateBox, true, "[Yıl-Ay-Gün] CTRL+Enter'a basarak şu anki tarihi girebilirsiniz."},
        {e().arrivalTimeBox, false, "CTRL+Enter'a basarak şu anki saati girebilirsiniz."},
        {e().departureDateBox, true, "[Yıl-Ay-Gün] CTRL+Enter'a basarak şu anki tarihi girebilirsiniz."},
        {e().departureTimeBox, false, "CTRL+Enter'a basarak şu anki saati girebilirsiniz."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picker->objectName().toStdString());
        EXPECT_EQ(c.picker->toolTip(), QString::fromUtf8(c.tip));
        auto isNow = [&c] { return c.date ? c.picker->date() == kNow.date() : c.picker->time() == kNow.time(); };
        ASSERT_FALSE(isNow());
        const QDateTime stored = c.picker->dateTime();
        ASSERT_TRUE(focusOn(c.picker));
        press(Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(ds().state(), State::Edit);
        EXPECT_TRUE(isNow());
        EXPECT_TRUE(c.picker->hasFocus());
        // Esc brings the stored value back into the picker.
        press(Qt::Key_Escape);
        EXPECT_EQ(ds().state(), State::Browse);
        EXPECT_EQ(c.picker->dateTime(), stored);
    }
    // Not in the birth date.
    ASSERT_TRUE(focusOn(e().birthBox));
    press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(e().birthBox->date(), QDate(1980, 1, 2));
    EXPECT_EQ(ds().state(), State::Browse);
}

TEST_F(KeysTest, F1OpensTheAboutBox)
{
    press(Qt::Key_F1);
    ASSERT_EQ(p.fake.dialogs.aboutBoxes.size(), 1);
    EXPECT_EQ(p.fake.dialogs.aboutBoxes[0][0], u"Rirede Zarevave Rurored v1.4.5"_s);
}

TEST_F(KeysTest, HighlightFollowsTheFocus)
{
    ds().last();
    const QList<QWidget*>& order = e().tabOrder;
    for (QWidget* focused : order) {
        SCOPED_TRACE(focused->objectName().toStdString());
        ASSERT_TRUE(focusOn(focused));
        for (QWidget* w : order) {
            const QColor expected = w == e().customerCodeBox ? FocusColors::kMoneyGreen
                                    : w == focused ? FocusColors::kSkyBlue
                                                   : FocusColors::kWhite;
            EXPECT_EQ(FocusHighlighter::colourOf(w), expected) << w->objectName().toStdString();
        }
    }
    // A control of another kind leaves the colours as they are.
    ASSERT_TRUE(focusOn(e().nameBox));
    auto* nonHighlightable = new QToolButton(e().nameBox->parentWidget());
    nonHighlightable->setFocusPolicy(Qt::StrongFocus);
    nonHighlightable->show();
    ASSERT_TRUE(focusOn(nonHighlightable));
    EXPECT_EQ(FocusHighlighter::colourOf(e().nameBox), FocusColors::kSkyBlue);
}

TEST(FirstRunKeys, NameFieldKeepsItsHighlightWhenTheCodeFieldHasTheFocus)
{
    ProgramFixture p;
    bool ran = false;
    onNextModal([&](QDialog* dialog) {
        auto* f = qobject_cast<FacilitySetupWindow*>(dialog);
        if (!f) {
            dialog->reject();
            return;
        }
        ran = true;
        EXPECT_TRUE(focusOn(f->nameBox));
        EXPECT_EQ(FocusHighlighter::colourOf(f->nameBox), FocusColors::kSkyBlue);
        const QColor codeColour = FocusHighlighter::colourOf(f->codeBox);
        QTest::keyClick(f->nameBox, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_TRUE(waitFor([f] { return f->codeBox->hasFocus(); }));
        EXPECT_EQ(FocusHighlighter::colourOf(f->nameBox), FocusColors::kSkyBlue);
        EXPECT_EQ(FocusHighlighter::colourOf(f->codeBox), codeColour);
        EXPECT_NE(codeColour, FocusColors::kSkyBlue);
        dialog->reject();
        p.program->mainWindow()->activateWindow();
    });
    p.show();
    EXPECT_TRUE(ran);
}

} // namespace

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
        ids = p.ids;
        ASSERT_TRUE(focusOn(e().nameBox));
    }

    GuestEntry& e() const { return p.entry(); }
    Dataset& ds() const { return p.guests(); }
    QString storedSurname(qint64 id) const
    {
        return p.program->database.column(u"SELECT Soyadi FROM Kisi WHERE ID = ?"_s, {id}).value(0).toString();
    }
    QWidget* control(const char* name) const { return p.widget(QString::fromLatin1(name)); }

    ProgramFixture p;
    QList<qint64> ids;
};

TEST_F(KeysTest, CombinedModifiersRunEveryMatchingMoveInOrder)
{
    QList<int> visited;
    auto scroll = ds().afterScroll;
    ds().afterScroll = [&, scroll] {
        visited << ds().recNo();
        scroll();
    };
    ds().last();
    visited.clear();
    press(Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(visited, (QList<int>{1, 0}));
    EXPECT_EQ(e().nameBox->text(), u"Ali Rıza"_s);

    visited.clear();
    press(Qt::Key_Right, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(visited, (QList<int>{1, 2}));
    EXPECT_EQ(e().nameBox->text(), u"Cem Ay"_s);
}

TEST_F(KeysTest, MoveKeysMatchTheirToolbarButtons)
{
    struct Case { Qt::Key key; Qt::KeyboardModifiers modifiers; int from; int to; int button; const char* tip; };
    const Case cases[] = {
        {Qt::Key_Right, Qt::AltModifier, 0, 1, 4, "Sonraki Kayıt [Alt+Sağ Ok]"},
        {Qt::Key_Left, Qt::AltModifier, 2, 1, 3, "Önceki Kayıt [Alt+Sol Ok]"},
        {Qt::Key_Right, Qt::ControlModifier, 0, 2, 5, "Son Kayıt [Ctrl+Sağ Ok]"},
        {Qt::Key_Left, Qt::ControlModifier, 2, 0, 2, "İlk Kayıt [Ctrl+Sol Ok]"},
        {Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier, 1, 2, 5, "Son Kayıt [Ctrl+Sağ Ok]"},
    };
    const QStringList names = {u"Ali Rıza"_s, u"Burak Can"_s, u"Cem Ay"_s};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tip);
        EXPECT_EQ(e().button(c.button)->toolTip(), QString::fromUtf8(c.tip));
        ds().first();
        for (int i = 0; i < c.from; ++i)
            ds().next();
        ASSERT_TRUE(focusOn(control("DBEdit2")));
        press(c.key, c.modifiers);
        EXPECT_EQ(ds().recNo(), c.to);
        EXPECT_EQ(e().nameBox->text(), names[c.to]);
    }
}

TEST_F(KeysTest, SaveNewCancelAndDeleteKeys)
{
    EXPECT_EQ(e().button(8)->toolTip(), u"Kaydet [Ctrl+S]"_s);
    EXPECT_EQ(e().button(6)->toolTip(), u"Yeni Kayıt [Ctrl+N]"_s);
    EXPECT_EQ(e().button(9)->toolTip(), u"İptal [ESC]"_s);
    EXPECT_EQ(e().button(7)->toolTip(), u"Kayıt Sil [Ctrl+Del]"_s);
    auto* soyadi = static_cast<QLineEdit*>(control("DBEdit2"));

    for (const Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(Qt::ControlModifier),
                                                  Qt::ShiftModifier | Qt::ControlModifier}) {
        ASSERT_TRUE(focusOn(soyadi));
        typeText(soyadi, u"x"_s);
        const QString typed = soyadi->text();
        ASSERT_EQ(ds().state(), State::Edit);
        press(Qt::Key_S, modifiers);
        EXPECT_EQ(ds().state(), State::Browse);
        EXPECT_EQ(storedSurname(ids[0]), typed);
    }

    typeText(soyadi, u"Öz"_s);
    press(Qt::Key_Escape);
    EXPECT_EQ(ds().state(), State::Browse);
    EXPECT_EQ(soyadi->text(), storedSurname(ids[0]));

    press(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(ds().state(), State::Insert);
    EXPECT_TRUE(waitFor([this] { return e().customerCodeBox->hasFocus(); }));
    press(Qt::Key_Escape);
    EXPECT_EQ(ds().state(), State::Browse);

    // Delete, in a text box and in a lookup box: asked first, and the guest
    // that becomes current is left as stored.
    const char* boxes[] = {"DBEdit2", "DBLookupComboBox1"};
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(boxes[k]);
        ASSERT_EQ(ds().key(), ids[k]);
        ASSERT_TRUE(focusOn(control(boxes[k])));
        p.fake.dialogs.clear();
        p.fake.dialogs.setNextAnswer(Dialogs::No);
        press(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(p.fake.dialogs.texts(), QStringList{u"Bu Kaydı Silmek İstediğinize Emin Misiniz ?"_s});
        EXPECT_EQ(ds().recordCount(), 3 - k);
        EXPECT_EQ(ds().state(), State::Browse);

        p.fake.dialogs.setNextAnswer(Dialogs::Yes);
        press(Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(ds().recordCount(), 2 - k);
        EXPECT_EQ(ds().key(), ids[k + 1]);
        EXPECT_EQ(ds().state(), State::Browse);
        EXPECT_EQ(soyadi->text(), storedSurname(ids[k + 1]));
    }
}

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

TEST_F(KeysTest, EnterMovesAlongTheTabOrderAndWraps)
{
    ds().last();   // departure pickers enabled: every control takes part
    const QStringList names = {
        u"Edit1"_s,   u"DBEdit1"_s,  u"DBEdit2"_s,  u"DateTimePicker1"_s, u"DBLookupComboBox1"_s, u"DBLookupComboBox2"_s,
        u"DBEdit16"_s, u"DBLookupComboBox3"_s, u"DBEdit3"_s, u"DateTimePicker2"_s, u"DateTimePicker3"_s,
        u"DBEdit4"_s,  u"DBEdit5"_s, u"DBEdit6"_s, u"DBLookupComboBox4"_s, u"DBEdit7"_s,
        u"DBEdit8"_s,  u"DBEdit9"_s, u"DBEdit10"_s, u"DBEdit11"_s, u"DBEdit12"_s, u"DBLookupComboBox6"_s,
        u"DBEdit13"_s, u"DBEdit14"_s, u"DBEdit15"_s, u"DBCheckBox1"_s, u"DateTimePicker4"_s, u"DateTimePicker5"_s};
    QList<QWidget*> order;
    for (const QString& name : names)
        order << control(name.toLatin1().constData());
    ASSERT_FALSE(order.contains(nullptr));
    ASSERT_TRUE(focusOn(order.first()));
    for (int i = 0; i < order.size(); ++i) {
        QWidget* next = order[(i + 1) % order.size()];
        press(Qt::Key_Return);
        EXPECT_TRUE(waitFor([next] { return FocusHighlighter::controlOf(QApplication::focusWidget()) == next; }))
            << "after " << order[i]->objectName().toStdString();
    }
    EXPECT_TRUE(e().customerCodeBox->hasFocus());
    EXPECT_EQ(ds().state(), State::Browse);
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
        ASSERT_TRUE(focusOn(c.picker));
        press(Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(ds().state(), State::Edit);
        EXPECT_TRUE(isNow());
        EXPECT_TRUE(c.picker->hasFocus());
        press(Qt::Key_Escape);
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
        p.program->mainWindow->activateWindow();
    });
    p.show();
    EXPECT_TRUE(ran);
}

} // namespace

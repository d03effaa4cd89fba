// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"

#include "core/transfer/Completeness.h"
#include "gui/transfer/CompletenessDialog.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QWindow>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using Completeness::Decision;
using Completeness::Finding;

namespace {

const QList<Finding> kFindings = {
    {2, 41, u"Hans"_s, u"Müller"_s, {Completeness::kNoBirthDate}, false, {u"DogumTarihi"_s}, u"101"_s},
    {5, 42, u"Ayşe"_s, u"Yılmaz"_s, {Completeness::kIdentityNumber, Completeness::kSameIdentityNumber.arg(7)}, false,
     {u"TCKimlikNo"_s, u"TCKimlikNo"_s}, u"12"_s},
    {7, 43, u"Ali"_s, u"Kaya"_s, {Completeness::kSameIdentityNumber.arg(5)}, false, {u"TCKimlikNo"_s}, {}},
};

QString cell(const CompletenessDialog& dialog, int row, int column)
{
    const QAbstractItemModel* model = dialog.list()->model();
    return model->data(model->index(row, column)).toString();
}

int selectedRow(const CompletenessDialog& dialog)
{
    const QModelIndexList rows = dialog.list()->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
}

// Asks through CompletenessDialog::ask over a shown window and runs action on
// the dialog once it is up with the focus in its list. The dialog must be
// closed by the action; a dialog left open fails the test and is closed.
Decision askWith(const QList<Finding>& findings, const std::function<void(CompletenessDialog&)>& action)
{
    QWidget host;
    host.show();
    bool ran = false;
    onNextModal([&](QDialog* opened) {
        auto* dialog = qobject_cast<CompletenessDialog*>(opened);
        if (!dialog) {
            ADD_FAILURE() << "another modal window opened";
            opened->done(0);
            return;
        }
        if (!waitFor([dialog] { return dialog->list()->hasFocus(); }))
            ADD_FAILURE() << "the list has no focus";
        action(*dialog);
        ran = true;
        if (!waitFor([dialog] { return !dialog->isVisible(); })) {
            ADD_FAILURE() << "the dialog stayed open";
            dialog->done(0);
        }
    });
    const Decision decision = CompletenessDialog::ask(findings, &host);
    EXPECT_TRUE(ran);
    return decision;
}

TEST(CompletenessDialog, ShowsEveryGuestWithItsProblemsTheFirstSelected)
{
    const Decision decision = askWith(kFindings, [](CompletenessDialog& d) {
        EXPECT_TRUE(d.isModal());
        EXPECT_EQ(d.windowTitle(), u"Rirede Zarevave Rurored"_s);
        EXPECT_EQ(d.findChild<QLabel*>(u"IntroLabel"_s)->text(),
                  u"Aşağıdaki misafirlerin bilgileri bildirim sisteminde reddedilebilir ya da hatalı görünüyor:"_s);
        const QAbstractItemModel* model = d.list()->model();
        ASSERT_EQ(model->columnCount(), 4);
        EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), u"Sıra No"_s);
        EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), u"Adı Soyadı"_s);
        EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), u"Oda No"_s);
        EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), u"Sorun"_s);
        ASSERT_EQ(model->rowCount(), 3);
        const QString expected[3][4] = {
            {u"2"_s, u"Hans Müller"_s, u"101"_s, u"Doğum tarihi girilmemiş."_s},
            {u"5"_s, u"Ayşe Yılmaz"_s, u"12"_s,
             u"T.C. Kimlik No geçersiz ya da eksik. Aynı T.C. Kimlik No ile kalan başka bir misafir var (sıra no 7)."_s},
            {u"7"_s, u"Ali Kaya"_s, u""_s, u"Aynı T.C. Kimlik No ile kalan başka bir misafir var (sıra no 5)."_s},
        };
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 4; ++column)
                EXPECT_EQ(cell(d, row, column), expected[row][column]) << row << "," << column;
        }
        EXPECT_FALSE(model->flags(model->index(0, 0)).testFlag(Qt::ItemIsEditable));
        EXPECT_EQ(d.list()->selectionBehavior(), QAbstractItemView::SelectRows);
        EXPECT_EQ(selectedRow(d), 0);
        // The selected guest's problems whole, one a line, below the list and in the tooltip.
        auto* detail = d.findChild<QLabel*>(u"DetailLabel"_s);
        EXPECT_EQ(detail->text(), u"Doğum tarihi girilmemiş."_s);
        press(Qt::Key_Down);
        const QString both = u"T.C. Kimlik No geçersiz ya da eksik.\n"
                             u"Aynı T.C. Kimlik No ile kalan başka bir misafir var (sıra no 7)."_s;
        EXPECT_EQ(detail->text(), both);
        EXPECT_TRUE(detail->isVisible());
        EXPECT_EQ(model->data(model->index(1, 3), Qt::ToolTipRole).toString(), both);
        press(Qt::Key_Up);
        EXPECT_EQ(d.goToButton()->text(), u"Kayda &Git"_s);
        EXPECT_EQ(d.goOnButton()->text(), u"&Devam Et"_s);
        EXPECT_TRUE(d.goToButton()->isDefault());
        d.goOnButton()->click();
    });
    EXPECT_EQ(decision.choice, Decision::GoOn);
}

TEST(CompletenessDialog, EachWayOutGivesItsDecision)
{
    struct Way
    {
        const char* name;
        std::function<void(CompletenessDialog&)> act;
        Decision::Choice choice;
        qint64 key;
    };
    // The window system's close request, as a title bar's close button sends it.
    auto closeWindow = [](CompletenessDialog& d) {
        QCloseEvent close;
        QCoreApplication::sendEvent(d.windowHandle(), &close);
    };
    const Way ways[] = {
        {"Enter", [](CompletenessDialog&) { press(Qt::Key_Return); }, Decision::GoToGuest, 42},
        {"Esc", [](CompletenessDialog&) { press(Qt::Key_Escape); }, Decision::GoToGuest, 42},
        {"window closed", closeWindow, Decision::GoToGuest, 42},
        {"Alt+G", [](CompletenessDialog&) { press(Qt::Key_G, Qt::AltModifier); }, Decision::GoToGuest, 42},
        {"Kayda Git clicked", [](CompletenessDialog& d) { QTest::mouseClick(d.goToButton(), Qt::LeftButton); },
         Decision::GoToGuest, 42},
        {"Alt+D", [](CompletenessDialog&) { press(Qt::Key_D, Qt::AltModifier); }, Decision::GoOn, 0},
        {"Devam Et clicked", [](CompletenessDialog& d) { QTest::mouseClick(d.goOnButton(), Qt::LeftButton); },
         Decision::GoOn, 0},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        const Decision decision = askWith(kFindings, [&](CompletenessDialog& d) {
            // The second guest selected from the keyboard.
            press(Qt::Key_Down);
            ASSERT_EQ(selectedRow(d), 1);
            way.act(d);
        });
        EXPECT_EQ(decision.choice, way.choice);
        EXPECT_EQ(decision.key, way.key);
        EXPECT_EQ(decision.column, way.choice == Decision::GoToGuest ? u"TCKimlikNo"_s : QString());
    }
}

TEST(CompletenessDialog, DoubleClickGoesToThatGuest)
{
    const Decision decision = askWith(kFindings, [](CompletenessDialog& d) {
        QTreeView* list = d.list();
        const QRect third = list->visualRect(list->model()->index(2, 1));
        ASSERT_TRUE(third.isValid());
        // A double click arrives as a click, then the second press.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, third.center());
    });
    EXPECT_EQ(decision.choice, Decision::GoToGuest);
    EXPECT_EQ(decision.key, 43);
}

TEST(CompletenessDialog, OpensOnAThousandGuests)
{
    QList<Finding> many;
    for (int i = 1; i <= 1000; ++i)
        many.append({i, 1000 + i, u"Misafir %1"_s.arg(i), u"Soyadı"_s, {Completeness::kFutureArrival}});
    const Decision decision = askWith(many, [](CompletenessDialog& d) {
        ASSERT_EQ(d.list()->model()->rowCount(), 1000);
        EXPECT_EQ(cell(d, 999, 0), u"1000"_s);
        EXPECT_EQ(cell(d, 999, 1), u"Misafir 1000 Soyadı"_s);
        EXPECT_EQ(cell(d, 999, 3), u"Geliş zamanı transfer anından sonra."_s);
        // The last line from the keyboard, then Enter.
        press(Qt::Key_End);
        EXPECT_EQ(selectedRow(d), 999);
        press(Qt::Key_Return);
    });
    EXPECT_EQ(decision.choice, Decision::GoToGuest);
    EXPECT_EQ(decision.key, 2000);
}

// A guest whose values the file cannot carry: the run cannot go on, so
// "Devam Et" is not offered and no key gives it; "Kayda Git" goes to that guest.
TEST(CompletenessDialog, AValueTheFileCannotCarryLeavesOnlyKaydaGit)
{
    QList<Finding> findings = kFindings;
    findings.insert(2, {6, 44, u"Can"_s, u"Demir"_s,
                        {Completeness::kUnwritableCharacter.arg(u"İkâmet Adresi :"_s, u"\"–\" (U+2013)"_s)}, true});
    const Decision decision = askWith(findings, [](CompletenessDialog& d) {
        EXPECT_FALSE(d.goOnButton()->isVisible());
        EXPECT_FALSE(d.goOnButton()->isEnabled());
        EXPECT_EQ(d.findChild<QLabel*>(u"IntroLabel"_s)->text(),
                  u"Aşağıdaki misafirlerin bilgileri bildirim sisteminde reddedilebilir ya da hatalı görünüyor:\n"
                  u"Bildirim dosyasına yazılamayan karakterler düzeltilmeden transfer yapılamaz."_s);
        EXPECT_EQ(cell(d, 2, 3), u"İkâmet Adresi : \"–\" (U+2013) karakteri bildirim dosyasına yazılamaz."_s);
        EXPECT_EQ(selectedRow(d), 2);
        press(Qt::Key_D, Qt::AltModifier);
        EXPECT_TRUE(d.isVisible());
        press(Qt::Key_Return);
    });
    EXPECT_EQ(decision.choice, Decision::GoToGuest);
    EXPECT_EQ(decision.key, 44);
}

TEST(CompletenessDialog, NothingFoundGoesOnWithoutAWindow)
{
    const Decision decision = CompletenessDialog::ask({}, nullptr);
    EXPECT_EQ(decision.choice, Decision::GoOn);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
#include "CustomerFixture.h"

#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBGrid.h"
#include "gui/widgets/DBMaskEdit.h"
#include "gui/widgets/FocusHighlight.h"

#include <QScrollBar>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace CustomerTests;

namespace {

class CustomerWindowTest : public ::testing::Test, public CustomerFixture
{
};

TEST(CustomerWindowCases, OpensFromTheGuestWindowBesideIt)
{
    struct Case { const char* name; std::function<void(CustomerFixture&)> open; };
    const Case cases[] = {
        {"button", [](CustomerFixture& t) { QTest::mouseClick(t.e().button(12), Qt::LeftButton); }},
        {"F5", [](CustomerFixture& t) {
             ASSERT_TRUE(focusOn(t.e().nameBox));
             press(Qt::Key_F5);
         }},
        {"double click on the code box", [](CustomerFixture& t) { QTest::mouseDClick(t.e().customerCodeBox, Qt::LeftButton); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CustomerFixture t;
        t.start(fourCustomers(), {u"Ali"_s, u"Veli"_s});
        EXPECT_EQ(t.e().button(12)->toolTip(), u"Müşteriler [F5]"_s);
        ASSERT_FALSE(t.customerWindow().isVisible());
        c.open(t);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&t.customerWindow()));
        EXPECT_FALSE(t.customerWindow().isModal());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(t.customerWindow().codeBox->text(), u"K1"_s);
        // The guest window stays usable beside it.
        t.backToGuestWindow();
        EXPECT_TRUE(t.customerWindow().isVisible());
        ASSERT_TRUE(focusOn(t.e().nameBox));
        press(Qt::Key_Right, Qt::ControlModifier);
        EXPECT_EQ(t.guests().recNo(), 1);
        EXPECT_EQ(t.customerWindow().codeBox->text(), u"K1"_s);
        EXPECT_TRUE(t.dialogs().messages.isEmpty());
        // A minimised customer window comes back the same way.
        t.customerWindow().showMinimized();
        ASSERT_TRUE(t.customerWindow().isMinimized());
        c.open(t);
        EXPECT_FALSE(t.customerWindow().isMinimized());
        EXPECT_TRUE(QTest::qWaitForWindowActive(&t.customerWindow()));
    }
}

TEST_F(CustomerWindowTest, ANewCustomerWithoutACodeIsRefusedAndStoredOnceACodeIsTyped)
{
    start();
    showCustomers();
    EXPECT_EQ(customerWindow().windowTitle(), u"Müşteri Bilgileri"_s);
    click(7);
    EXPECT_EQ(customers().state(), State::Insert);
    EXPECT_TRUE(waitFor([this] { return customerWindow().codeBox->hasFocus(); }));
    EXPECT_EQ(birthBox()->date(), kDayZero);

    typeText(box("DBEdit1"), u"Deniz"_s);
    typeText(box("DBEdit2"), u"Er"_s);
    typeText(box("DBEdit15"), u"06 K 1"_s);
    auto* uyrugu = box<QComboBox>("DBLookupComboBox1");
    ASSERT_TRUE(focusOn(uyrugu));
    typeText(uyrugu, u"Alma"_s);
    ASSERT_EQ(uyrugu->currentData().toString(), u"DEU"_s);
    ASSERT_TRUE(focusOn(birthBox()));
    birthBox()->setDate(QDate(1999, 9, 9));

    click(9);
    ASSERT_EQ(dialogs().texts(), QStringList{kCodeMessage});
    EXPECT_EQ(dialogs().messages[0].caption, kAppCaption);
    EXPECT_EQ(customers().state(), State::Insert);
    EXPECT_EQ(customerCount(), 4);
    EXPECT_EQ(box("DBEdit1")->text(), u"Deniz"_s);
    EXPECT_EQ(box("DBEdit2")->text(), u"Er"_s);
    EXPECT_EQ(uyrugu->currentData().toString(), u"DEU"_s);
    EXPECT_EQ(birthBox()->date(), QDate(1999, 9, 9));

    typeText(customerWindow().codeBox, u"K9"_s);
    click(9);
    EXPECT_EQ(dialogs().messages.size(), 1);
    EXPECT_EQ(customers().state(), State::Browse);
    EXPECT_EQ(customerCount(), 5);
    EXPECT_EQ(storedCustomer(u"Adi"_s, u"K9"_s).toString(), u"Deniz"_s);
    EXPECT_EQ(storedCustomer(u"Soyadi"_s, u"K9"_s).toString(), u"Er"_s);
    EXPECT_EQ(storedCustomer(u"Uyrugu"_s, u"K9"_s).toString(), u"DEU"_s);
    EXPECT_EQ(storedCustomer(u"DogumTarihi"_s, u"K9"_s).toString(), u"1999-09-09"_s);
    EXPECT_EQ(storedCustomer(u"AracPlakaNo"_s, u"K9"_s).toString(), u"06K1"_s);
    EXPECT_EQ(customerWindow().codeBox->text(), u"K9"_s);
}

// A move that settles the new customer meets the same refusal; what was
// typed stays, and once a code is there the same move stores it.
TEST(CustomerWindowCases, AMoveOrASearchThatSettlesANewCustomerWithoutACodeIsRefused)
{
    struct Case { const char* name; std::function<void(CustomerFixture&)> move; };
    const Case cases[] = {
        {"a click on another row", [](CustomerFixture& t) { CustomerFixture::clickRow(t.customerWindow().customerList, 2); }},
        {"a click on the row shown before", [](CustomerFixture& t) { CustomerFixture::clickRow(t.customerWindow().customerList, 0); }},
        {"Alt+Right", [](CustomerFixture& t) {
             ASSERT_TRUE(focusOn(t.box("DBEdit2")));
             press(Qt::Key_Right, Qt::AltModifier);
         }},
        {"the quick search", [](CustomerFixture& t) {
             t.customerWindow().searchBox->clear();
             typeText(t.customerWindow().searchBox, u"K"_s);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CustomerFixture t;
        t.start();
        t.showCustomers();
        ASSERT_EQ(t.customers().recNo(), 0);
        t.click(7);
        ASSERT_TRUE(waitFor([&t] { return t.customerWindow().codeBox->hasFocus(); }));
        typeText(t.box("DBEdit1"), u"Deniz"_s);
        typeText(t.box("DBEdit6"), u"Hatice"_s);
        c.move(t);
        QTest::qWait(20);
        EXPECT_EQ(t.dialogs().texts(), QStringList{kCodeMessage});
        EXPECT_EQ(t.customers().state(), State::Insert);
        EXPECT_EQ(t.box("DBEdit1")->text(), u"Deniz"_s);
        EXPECT_EQ(t.box("DBEdit6")->text(), u"Hatice"_s);
        EXPECT_EQ(t.customerCount(), 4);

        typeText(t.customerWindow().codeBox, u"K9"_s);
        c.move(t);
        EXPECT_EQ(t.dialogs().messages.size(), 1);
        EXPECT_EQ(t.customers().state(), State::Browse);
        EXPECT_EQ(t.customerCount(), 5);
        EXPECT_EQ(t.storedCustomer(u"AnaAdi"_s, u"K9"_s).toString(), u"Hatice"_s);
    }
}

TEST_F(CustomerWindowTest, ACodeThatAnotherCustomerHasIsRefused)
{
    start();
    showCustomers();
    click(7);
    typeText(customerWindow().codeBox, u"K2"_s);
    typeText(box("DBEdit1"), u"Deniz"_s);
    click(9);
    EXPECT_EQ(dialogs().texts(), QStringList{kCodeMessage});
    EXPECT_EQ(customers().state(), State::Insert);
    EXPECT_EQ(customerWindow().codeBox->text(), u"K2"_s);
    click(10);

    // Changing a stored customer's code to a taken one.
    click(6);
    ASSERT_EQ(customerWindow().codeBox->text(), u"K4"_s);
    customerWindow().codeBox->selectAll();
    typeText(customerWindow().codeBox, u"K1"_s);
    click(9);
    EXPECT_EQ(dialogs().texts(), (QStringList{kCodeMessage, kCodeMessage}));
    EXPECT_EQ(customers().state(), State::Edit);
    EXPECT_EQ(customerCount(), 4);
    EXPECT_EQ(storedCustomer(u"Adi"_s, u"K4"_s).toString(), u"Ayla"_s);
}

TEST_F(CustomerWindowTest, TheBirthDateBoxFollowsTheCurrentCustomer)
{
    start();
    showCustomers();
    EXPECT_EQ(birthBox()->date(), QDate(1970, 1, 2));
    click(5);
    ASSERT_EQ(customerWindow().codeBox->text(), u"K2"_s);
    EXPECT_EQ(birthBox()->text(), u"1899-12-30"_s);
    // "Kaydet" on the customer without a birth date stores day zero, not
    // the date the box showed before.
    click(9);
    EXPECT_TRUE(dialogs().messages.isEmpty());
    EXPECT_EQ(storedCustomer(u"DogumTarihi"_s, u"K2"_s).toString(), u"1899-12-30"_s);
    click(5);
    EXPECT_EQ(birthBox()->date(), QDate(1985, 7, 8));
    click(4);
    EXPECT_EQ(birthBox()->date(), kDayZero);
    click(3);
    EXPECT_EQ(birthBox()->date(), QDate(1970, 1, 2));
}

TEST_F(CustomerWindowTest, QuickSearchMovesToTheFirstCustomerTheTextBeginsAndLeavesTheListOnNoMatch)
{
    start();
    showCustomers();
    QLineEdit* text = customerWindow().searchBox;
    QComboBox* field = customerWindow().searchFieldBox;
    EXPECT_EQ(field->currentText(), u"Kodu'na Göre"_s);
    typeText(text, u"K3"_s);
    EXPECT_EQ(customers().recNo(), 2);
    EXPECT_EQ(box("DBEdit1")->text(), u"Ali"_s);

    // A new field alone moves nothing; the focus goes back to the text.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(focusOn(field));
        press(Qt::Key_Down);
        EXPECT_TRUE(waitFor([text] { return text->hasFocus(); }));
    }
    EXPECT_EQ(field->currentText(), u"Soyadı'na Göre"_s);
    EXPECT_TRUE(waitFor([text] { return text->hasFocus(); }));
    EXPECT_EQ(customers().recNo(), 2);

    text->clear();
    EXPECT_EQ(customers().recNo(), 2);
    struct Step { QString typed; int row; };
    const Step steps[] = {{u"D"_s, 1}, {u"e"_s, 1}, {u"mire"_s, 3}, {u"x"_s, 3}, {u"l"_s, 3}};
    for (const Step& s : steps) {
        typeText(text, s.typed);
        EXPECT_EQ(customers().recNo(), s.row) << text->text().toStdString();
    }
    EXPECT_EQ(box("DBEdit2")->text(), u"Demirel"_s);

    // Upper and lower case are alike.
    ASSERT_TRUE(focusOn(field));
    press(Qt::Key_Up);
    ASSERT_EQ(field->currentText(), u"Adı'na Göre"_s);
    click(3);
    text->clear();
    typeText(text, u"ali"_s);
    EXPECT_EQ(customers().recNo(), 2);
    text->clear();
    typeText(text, u"AYL"_s);
    EXPECT_EQ(customers().recNo(), 3);
    EXPECT_EQ(customers().state(), State::Browse);
    EXPECT_TRUE(dialogs().messages.isEmpty());

    // An emptied text finds nobody, but settles a pending edit as every
    // search does.
    box("DBEdit1")->end(false);
    typeText(box("DBEdit1"), u"x"_s);
    ASSERT_EQ(customers().state(), State::Edit);
    text->selectAll();
    QTest::keyClick(text, Qt::Key_Backspace);
    EXPECT_EQ(customers().state(), State::Browse);
    EXPECT_EQ(customers().recNo(), 3);
    EXPECT_EQ(storedCustomer(u"Adi"_s, u"K4"_s).toString(), u"Aylax"_s);
    EXPECT_TRUE(dialogs().messages.isEmpty());

    typeText(text, u"Ay"_s);
    customerWindow().codeBox->selectAll();
    QTest::keyClick(customerWindow().codeBox, Qt::Key_Backspace);
    text->selectAll();
    QTest::keyClick(text, Qt::Key_Backspace);
    EXPECT_EQ(dialogs().texts(), QStringList{kCodeMessage});
    EXPECT_EQ(customers().state(), State::Edit);
    EXPECT_EQ(box("DBEdit1")->text(), u"Aylax"_s);
}

TEST_F(CustomerWindowTest, ATitleClickSortsTheListAndASecondClickChangesNothing)
{
    start();
    showCustomers();
    DBGrid* grid = customerWindow().customerList;
    QHeaderView* header = grid->horizontalHeader();
    auto clickTitle = [header](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
    };
    EXPECT_EQ(listed(grid, 1), (QStringList{u"Cem"_s, u"Bora"_s, u"Ali"_s, u"Ayla"_s}));

    clickTitle(1);
    EXPECT_EQ(listed(grid, 1), (QStringList{u"Ali"_s, u"Ayla"_s, u"Bora"_s, u"Cem"_s}));
    EXPECT_EQ(customerWindow().codeBox->text(), u"K1"_s);
    EXPECT_EQ(grid->currentIndex().row(), 3);

    box("DBEdit2")->end(false);
    typeText(box("DBEdit2"), u"x"_s);
    ASSERT_EQ(customers().state(), State::Edit);
    clickTitle(1);
    EXPECT_EQ(listed(grid, 1), (QStringList{u"Ali"_s, u"Ayla"_s, u"Bora"_s, u"Cem"_s}));
    EXPECT_EQ(customers().state(), State::Edit);
    EXPECT_EQ(box("DBEdit2")->text(), u"Kayax"_s);

    // Another title settles the edit, then orders by its field.
    clickTitle(2);
    EXPECT_EQ(customers().state(), State::Browse);
    EXPECT_EQ(storedCustomer(u"Soyadi"_s, u"K1"_s).toString(), u"Kayax"_s);
    EXPECT_EQ(listed(grid, 2), (QStringList{u"Aksoy"_s, u"Demir"_s, u"Demirel"_s, u"Kayax"_s}));
    click(3);
    EXPECT_EQ(customerWindow().codeBox->text(), u"K3"_s);

    // A click that stores a change which reorders the list: the list shows
    // the customer clicked, at its new place.
    box("DBEdit2")->selectAll();
    typeText(box("DBEdit2"), u"Zengin"_s);
    clickRow(grid, 2);
    QTest::qWait(20);
    EXPECT_EQ(listed(grid, 2), (QStringList{u"Demir"_s, u"Demirel"_s, u"Kayax"_s, u"Zengin"_s}));
    EXPECT_EQ(customerWindow().codeBox->text(), u"K4"_s);
    EXPECT_EQ(grid->currentIndex().row(), 1);
    const QModelIndexList selected = grid->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].row(), 1);
}

TEST_F(CustomerWindowTest, SaveOnABrowsedCustomerStoresThePlateWithoutBlanks)
{
    start();
    showCustomers();
    ASSERT_EQ(customerWindow().plateBox->text(), u"34 AB 12"_s);
    ASSERT_EQ(customers().state(), State::Browse);
    click(9);
    EXPECT_EQ(customers().state(), State::Browse);
    EXPECT_EQ(storedCustomer(u"AracPlakaNo"_s, u"K1"_s).toString(), u"34AB12"_s);
    EXPECT_EQ(customerWindow().plateBox->text(), u"34AB12"_s);
    EXPECT_EQ(storedCustomer(u"DogumTarihi"_s, u"K1"_s).toString(), u"1970-01-02"_s);
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

TEST_F(CustomerWindowTest, WithNoCustomersDeleteIsRefusedAndSaveStartsANewOneThatTheStoreRefuses)
{
    ErrorReports reports(dialogs());
    start({});
    showCustomers();
    click(8);
    ASSERT_EQ(dialogs().texts(), QStringList{u"Cannot perform this operation on an empty dataset"_s});
    EXPECT_EQ(dialogs().messages[0].icon, Dialogs::Icon::Error);
    EXPECT_EQ(customers().state(), State::Browse);
    dialogs().clear();

    EXPECT_EQ(birthBox()->date(), kDayZero);
    click(9);
    EXPECT_EQ(dialogs().texts(), QStringList{kCodeMessage});
    EXPECT_EQ(customers().state(), State::Insert);
    EXPECT_TRUE(waitFor([this] { return customerWindow().codeBox->hasFocus(); }));
    EXPECT_EQ(customerCount(), 0);

    typeText(customerWindow().codeBox, u"K1"_s);
    click(9);
    EXPECT_EQ(customerCount(), 1);
    EXPECT_EQ(storedCustomer(u"DogumTarihi"_s, u"K1"_s).toString(), u"1899-12-30"_s);
}

TEST_F(CustomerWindowTest, TypingIntoAnEmptyListBeginsACustomerWhereTheClerkTypes)
{
    start({});
    showCustomers();
    QLineEdit* adi = box("DBEdit1");
    ASSERT_TRUE(focusOn(adi));
    typeText(adi, u"Ada"_s);
    QTest::qWait(20);
    EXPECT_EQ(customers().state(), State::Insert);
    EXPECT_TRUE(adi->hasFocus());
    EXPECT_EQ(adi->text(), u"Ada"_s);
    EXPECT_EQ(customers().text(u"Adi"_s), u"Ada"_s);
}

// An invalid number left by a click on another customer in the list: the
// list stays on the customer being edited, unsaved, and the box gets the
// focus back. It is only a warning: "Kaydet" stores the number.
TEST_F(CustomerWindowTest, AnInvalidIdentityNumberKeepsTheListOnTheCustomerAndIsStoredOnSave)
{
    start();
    showCustomers();
    click(5);   // a customer without a number
    ASSERT_TRUE(focusOn(customerWindow().identityBox));
    customerWindow().identityBox->home(false);
    typeText(customerWindow().identityBox, u"12345678951"_s);
    dialogs().clear();
    clickRow(customerWindow().customerList, 3);
    QTest::qWait(20);
    EXPECT_EQ(dialogs().texts(), QStringList{kInvalidTckn});
    EXPECT_EQ(customers().state(), State::Edit);
    EXPECT_EQ(customerWindow().codeBox->text(), u"K2"_s);
    EXPECT_TRUE(customerWindow().identityBox->hasFocus());
    EXPECT_TRUE(storedCustomer(u"TCKimlikNo"_s, u"K2"_s).toString().isEmpty());
    click(10);
    ASSERT_TRUE(focusOn(customerWindow().identityBox));
    customerWindow().identityBox->home(false);
    typeText(customerWindow().identityBox, u"12345678951"_s);
    click(9);
    EXPECT_EQ(storedCustomer(u"TCKimlikNo"_s, u"K2"_s).toString(), u"12345678951"_s);
}

TEST_F(CustomerWindowTest, F5CopiesTheCustomerIntoANewGuest)
{
    start();
    showCustomers();
    EXPECT_EQ(customerWindow().copyButton->toolTip(), u"[F5]"_s);
    EXPECT_EQ(customerWindow().copyButton->text(), u"Bilgileri Aktar     >>>>>"_s);
    click(5);
    ASSERT_TRUE(focusOn(box("DBEdit2")));
    press(Qt::Key_F5);
    EXPECT_FALSE(customerWindow().isVisible());
    EXPECT_EQ(guests().state(), State::Insert);
    EXPECT_EQ(e().nameBox->text(), u"Bora"_s);
}

TEST_F(CustomerWindowTest, ClosingOnlyHidesTheWindowAndKeepsThePendingEdit)
{
    start();
    showCustomers();
    click(5);
    QLineEdit* adi = box("DBEdit1");
    adi->end(false);
    typeText(adi, u"han"_s);
    ASSERT_EQ(customers().state(), State::Edit);
    EXPECT_TRUE(customerWindow().close());
    EXPECT_FALSE(customerWindow().isVisible());
    EXPECT_TRUE(mainWindow().isVisible());
    EXPECT_EQ(customers().state(), State::Edit);
    EXPECT_EQ(customers().text(u"Adi"_s), u"Borahan"_s);

    mainWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow()));
    ASSERT_TRUE(focusOn(e().nameBox));
    press(Qt::Key_F5);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&customerWindow()));
    EXPECT_EQ(adi->text(), u"Borahan"_s);
    EXPECT_EQ(customers().state(), State::Edit);
    EXPECT_EQ(storedCustomer(u"Adi"_s, u"K2"_s).toString(), u"Bora"_s);
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

} // namespace

namespace {

QColor baseOf(const QWidget* w)
{
    return w->palette().color(QPalette::Base);
}

} // namespace

// The customer window highlights nothing, and the guest window's focus
// colours never reach it: its code box stays money green.
TEST_F(CustomerWindowTest, TheCodeBoxStaysGreenAndNothingIsHighlighted)
{
    start();
    showCustomers();
    const QColor green(192, 220, 192);
    EXPECT_EQ(baseOf(customerWindow().codeBox), green);
    ASSERT_TRUE(focusOn(box("DBEdit1")));
    EXPECT_NE(baseOf(box("DBEdit1")), FocusColors::kSkyBlue);

    backToGuestWindow();
    for (QWidget* w : {static_cast<QWidget*>(e().nameBox), static_cast<QWidget*>(e().surnameBox), e().tabOrder[5]})
        ASSERT_TRUE(focusOn(w));
    EXPECT_EQ(FocusHighlighter::colourOf(e().tabOrder[5]), FocusColors::kSkyBlue);
    EXPECT_EQ(baseOf(customerWindow().codeBox), green);
}

TEST(CustomerWindowCases, TheListShowsEveryTitleWholeAndNeverScrollsSideways)
{
    QList<ColumnValues> many;
    for (int i = 0; i < 40; ++i)
        many << ColumnValues{{u"musteriKodu"_s, u"K%1"_s.arg(i)}, {u"Adi"_s, u"Ad"_s}, {u"Soyadi"_s, u"Soyad"_s}};
    for (const QList<ColumnValues>& rows : {QList<ColumnValues>{}, many}) {
        SCOPED_TRACE(rows.size());
        CustomerFixture t;
        t.start(rows);
        t.showCustomers();
        DBGrid* grid = t.customerWindow().customerList;
        QHeaderView* titles = grid->horizontalHeader();
        for (int column = 0; column < 4; ++column)
            EXPECT_GE(titles->sectionSize(column), titles->sectionSizeHint(column)) << column;
        EXPECT_GE(titles->sectionSize(3), grid->fontMetrics().horizontalAdvance(u"00000000000"_s));
        EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
        EXPECT_EQ(grid->verticalScrollBar()->isVisible(), !rows.isEmpty());
    }
}

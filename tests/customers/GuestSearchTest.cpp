// SPDX-License-Identifier: GPL-3.0-or-later
#include "CustomerFixture.h"

#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBGrid.h"
#include "gui/widgets/DBMaskEdit.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace CustomerTests;

namespace {

const QString kStatus = u"Enter'a Basarak Seçtiğiniz Kaydı Ana Ekrana Aktarabilirsiniz."_s;
const QString kGuestPostError =
    u"Veri Girişi Problemi: Lütfen Eksik Bölümleri Doldurup Tekrar Deneyiniz.\rBoş bırakılan bölümler: Adı"_s;

class GuestSearchTest : public ::testing::Test, public CustomerFixture
{
protected:
    // Four guests in stored order; the last one born on another day.
    void SetUp() override
    {
        start({}, {u"Ali"_s, u"Burak"_s, u"Can"_s, u"Alper"_s},
              {u"UPDATE Kisi SET Soyadi = 'Kaya' WHERE Adi = 'Ali'"_s,
               u"UPDATE Kisi SET Soyadi = 'Demir' WHERE Adi = 'Burak'"_s,
               u"UPDATE Kisi SET Soyadi = 'Aksoy' WHERE Adi = 'Can'"_s,
               u"UPDATE Kisi SET Soyadi = 'Demirel', DogumTarihi = '1977-04-05' WHERE Adi = 'Alper'"_s});
        ASSERT_TRUE(focusOn(e().surnameBox));
    }

    // Opens the search window with F3 (or the toolbar button) and runs the
    // steps in it; the window is closed afterwards if the steps left it open.
    // True when the steps ran.
    bool search(const std::function<void(GuestSearchWindow&)>& steps, bool byButton = false)
    {
        bool ran = false;
        onNextModal([&](QDialog* d) {
            auto* f = qobject_cast<GuestSearchWindow*>(d);
            if (!f) {
                d->reject();
                return;
            }
            ran = true;
            EXPECT_TRUE(waitFor([f] { return QApplication::activeWindow() == f; }));
            steps(*f);
            if (f->isVisible())
                f->reject();
        });
        if (byButton)
            QTest::mouseClick(e().button(10), Qt::LeftButton);
        else
            press(Qt::Key_F3);
        return ran;
    }
};

TEST_F(GuestSearchTest, OpensFromF3AndTheToolbarButtonWithEmptyTexts)
{
    for (const bool byButton : {false, true}) {
        SCOPED_TRACE(byButton ? "button" : "F3");
        ASSERT_TRUE(search(
            [&](GuestSearchWindow& f) {
                EXPECT_EQ(f.windowTitle(), u"Müşteri Arama Formu"_s);
                EXPECT_TRUE(f.isModal());
                EXPECT_EQ(p.widget<QLabel>(u"StatusBar1"_s, &f)->text(), kStatus);
                EXPECT_EQ(f.nameBox->text(), QString());
                EXPECT_EQ(f.surnameBox->text(), QString());
                EXPECT_TRUE(waitFor([&f] { return f.nameBox->hasFocus(); }));
                EXPECT_EQ(listed(f.guestList, 0), (QStringList{u"Ali"_s, u"Burak"_s, u"Can"_s, u"Alper"_s}));
                EXPECT_EQ(listed(f.guestList, 1), (QStringList{u"Kaya"_s, u"Demir"_s, u"Aksoy"_s, u"Demirel"_s}));
                typeText(f.nameBox, u"Bu"_s);
                typeText(f.surnameBox, u"Ak"_s);
            },
            byButton));
        // Closed by its close button: the guest window stays on the guest
        // the list showed last.
        EXPECT_EQ(e().nameBox->text(), u"Can"_s);
        backToGuestWindow();
        ASSERT_TRUE(focusOn(e().surnameBox));
    }
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

TEST_F(GuestSearchTest, EachTextMovesTheListByItsOwnFieldAndANoMatchLeavesIt)
{
    guests().last();
    ASSERT_TRUE(focusOn(e().surnameBox));
    ASSERT_TRUE(search([&](GuestSearchWindow& f) {
        // The list starts at the guest window's guest.
        EXPECT_EQ(f.guestList->currentIndex().row(), 3);
        struct Step { QLineEdit* box; QString typed; int row; };
        const Step steps[] = {
            {f.nameBox, u"A"_s, 0},     {f.nameBox, u"l"_s, 0},     {f.nameBox, u"p"_s, 3},
            {f.nameBox, u"x"_s, 3},     {f.surnameBox, u"D"_s, 1},     {f.surnameBox, u"emire"_s, 3},
            {f.surnameBox, u"z"_s, 3},     {f.nameBox, u"\b\b\b"_s, 0}, {f.surnameBox, u"\b\b\b\b\b\b\b"_s, 1},
        };
        for (const Step& s : steps) {
            for (QChar c : s.typed) {
                if (c == u'\b')
                    QTest::keyClick(s.box, Qt::Key_Backspace);
                else
                    typeText(s.box, QString(c));
            }
            SCOPED_TRACE(s.box->text().toStdString());
            EXPECT_EQ(guests().recNo(), s.row);
            EXPECT_EQ(f.guestList->currentIndex().row(), s.row);
            EXPECT_EQ(e().nameBox->text(), guests().rowText(s.row, u"Adi"_s));
        }
        EXPECT_EQ(f.nameBox->text(), u"A"_s);
        EXPECT_EQ(f.surnameBox->text(), QString());
    }));
    EXPECT_EQ(guests().recNo(), 1);
    EXPECT_EQ(guests().state(), State::Browse);
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

TEST_F(GuestSearchTest, DownGoesIntoTheListAndEnterThereTakesTheGuest)
{
    ASSERT_TRUE(search([&](GuestSearchWindow& f) {
        ASSERT_TRUE(waitFor([&f] { return f.nameBox->hasFocus(); }));
        press(Qt::Key_Down);
        EXPECT_TRUE(waitFor([&f] { return f.guestList->hasFocus(); }));
        EXPECT_EQ(guests().recNo(), 0);
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        EXPECT_EQ(guests().recNo(), 3);
        press(Qt::Key_Return);
        EXPECT_FALSE(f.isVisible());
    }));
    EXPECT_EQ(e().nameBox->text(), u"Alper"_s);
    EXPECT_EQ(e().birthBox->date(), QDate(1977, 4, 5));

    // From the surname text too; Enter there closes at once.
    backToGuestWindow();
    ASSERT_TRUE(focusOn(e().surnameBox));
    ASSERT_TRUE(search([&](GuestSearchWindow& f) {
        ASSERT_TRUE(focusOn(f.surnameBox));
        typeText(f.surnameBox, u"Ka"_s);
        press(Qt::Key_Return);
        EXPECT_FALSE(f.isVisible());
    }));
    EXPECT_EQ(e().nameBox->text(), u"Ali"_s);
    EXPECT_EQ(e().birthBox->date(), QDate(1980, 1, 2));
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

TEST_F(GuestSearchTest, ADoubleClickOnARowTakesTheGuest)
{
    ASSERT_TRUE(search([&](GuestSearchWindow& f) {
        doubleClickRow(f.guestList, 2, 0);
        EXPECT_TRUE(waitFor([&f] { return !f.isVisible(); }));
        EXPECT_EQ(f.result(), int(QDialog::Accepted));
    }));
    EXPECT_EQ(guests().recNo(), 2);
    EXPECT_EQ(e().nameBox->text(), u"Can"_s);
}

TEST_F(GuestSearchTest, F3LeavesAChangedGuestToTheFirstMoveWhichSavesIt)
{
    QLineEdit* soyadi = p.widget<QLineEdit>(u"DBEdit2"_s);
    soyadi->end(false);
    typeText(soyadi, u"oğlu"_s);
    ASSERT_EQ(guests().state(), State::Edit);
    ASSERT_TRUE(search([&](GuestSearchWindow& f) {
        EXPECT_EQ(guests().state(), State::Edit);
        typeText(f.nameBox, u"B"_s);
        EXPECT_EQ(guests().state(), State::Browse);
        EXPECT_EQ(guests().recNo(), 1);
    }));
    EXPECT_EQ(p.stored(u"Soyadi"_s, p.ids[0]).toString(), u"Kayaoğlu"_s);
    EXPECT_EQ(e().nameBox->text(), u"Burak"_s);
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

TEST_F(GuestSearchTest, ARefusedSaveKeepsTheListWhereItWas)
{
    // A guest without a first name: the database refuses it.
    ASSERT_TRUE(focusOn(e().nameBox));
    e().nameBox->selectAll();
    QTest::keyClick(e().nameBox, Qt::Key_Backspace);
    ASSERT_EQ(guests().state(), State::Edit);
    ASSERT_TRUE(search([&](GuestSearchWindow& f) {
        typeText(f.nameBox, u"B"_s);
        EXPECT_EQ(dialogs().texts(), QStringList{kGuestPostError});
        EXPECT_EQ(guests().recNo(), 0);
        EXPECT_EQ(guests().state(), State::Edit);

        // Nor does the list move by its arrow keys.
        press(Qt::Key_Down);
        ASSERT_TRUE(waitFor([&f] { return f.guestList->hasFocus(); }));
        press(Qt::Key_Down);
        QTest::qWait(20);
        EXPECT_EQ(dialogs().texts(), (QStringList{kGuestPostError, kGuestPostError}));
        EXPECT_EQ(guests().recNo(), 0);
        EXPECT_EQ(f.guestList->currentIndex().row(), 0);
        EXPECT_EQ(guests().state(), State::Edit);
    }));
    EXPECT_EQ(e().nameBox->text(), QString());
    EXPECT_EQ(p.stored(u"Adi"_s, p.ids[0]).toString(), u"Ali"_s);
}

TEST_F(GuestSearchTest, TheToolbarButtonDropsTheChangeFirst)
{
    QLineEdit* soyadi = p.widget<QLineEdit>(u"DBEdit2"_s);
    soyadi->end(false);
    typeText(soyadi, u"oğlu"_s);
    ASSERT_TRUE(search(
        [&](GuestSearchWindow& f) {
            EXPECT_EQ(guests().state(), State::Browse);
            typeText(f.nameBox, u"C"_s);
            EXPECT_EQ(guests().recNo(), 2);
        },
        true));
    EXPECT_EQ(p.stored(u"Soyadi"_s, p.ids[0]).toString(), u"Kaya"_s);
    EXPECT_EQ(e().nameBox->text(), u"Can"_s);
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

} // namespace

// A clerk types "ış" and expects "IŞIK": the searches ignore case the
// Turkish way, and the customer list sorts by the Turkish alphabet.
TEST(TurkishCase, SearchesFoldTurkishLettersAndTheListSortsByTheTurkishAlphabet)
{
    CustomerFixture t;
    auto customer = [](const QString& code, const QString& adi, const QString& soyadi) {
        return CustomerTests::ColumnValues{{u"musteriKodu"_s, code}, {u"Adi"_s, adi}, {u"Soyadi"_s, soyadi}};
    };
    t.start({customer(u"K1"_s, u"İsmail"_s, u"Uçar"_s), customer(u"K2"_s, u"Irmak"_s, u"Işık"_s),
             customer(u"K3"_s, u"Şule"_s, u"Çelik"_s), customer(u"K4"_s, u"Ilgaz"_s, u"Cengiz"_s)},
            {u"Selin"_s, u"IŞIK"_s, u"İLKER"_s},
            {u"UPDATE Kisi SET Soyadi = Adi"_s});
    t.showCustomers();
    QLineEdit* text = t.customerWindow().searchBox;
    auto searchBy = [&](const QString& field, const QString& typed) {
        t.customerWindow().searchFieldBox->setCurrentIndex(t.customerWindow().searchFieldBox->findText(field));
        text->clear();
        typeText(text, typed);
        return t.customers().text(u"musteriKodu"_s);
    };
    EXPECT_EQ(searchBy(u"Soyadı'na Göre"_s, u"ış"_s), u"K2"_s);
    EXPECT_EQ(searchBy(u"Soyadı'na Göre"_s, u"çe"_s), u"K3"_s);
    EXPECT_EQ(searchBy(u"Adı'na Göre"_s, u"is"_s), u"K1"_s);   // i finds İ
    EXPECT_EQ(searchBy(u"Adı'na Göre"_s, u"ıl"_s), u"K4"_s);   // ı finds I
    EXPECT_EQ(searchBy(u"Adı'na Göre"_s, u"şu"_s), u"K3"_s);
    // "i" never finds a dotless "I": "i" goes to İsmail, and "irm" finds no
    // Irmak there.
    EXPECT_EQ(searchBy(u"Adı'na Göre"_s, u"irm"_s), u"K1"_s);

    // Sorting by surname: C, Ç, I, U (Ç after C, I before İ and U).
    t.customerWindow().sortByColumn(u"Soyadi"_s);
    QStringList order;
    for (int i = 0; i < t.customers().recordCount(); ++i)
        order << t.customers().rowText(i, u"Soyadi"_s);
    EXPECT_EQ(order, (QStringList{u"Cengiz"_s, u"Çelik"_s, u"Işık"_s, u"Uçar"_s}));

    // The guest search: "ış" finds the guest "IŞIK".
    t.backToGuestWindow();
    ASSERT_TRUE(focusOn(t.e().surnameBox));
    bool ran = false;
    onNextModal([&](QDialog* d) {
        auto* f = qobject_cast<GuestSearchWindow*>(d);
        ran = f != nullptr;
        if (f) {
            typeText(f->nameBox, u"ış"_s);
            EXPECT_EQ(t.guests().text(u"Adi"_s), u"IŞIK"_s);
            f->nameBox->clear();
            typeText(f->nameBox, u"il"_s);
            EXPECT_EQ(t.guests().text(u"Adi"_s), u"İLKER"_s);
        }
        d->reject();
    });
    press(Qt::Key_F3);
    EXPECT_TRUE(ran);
}

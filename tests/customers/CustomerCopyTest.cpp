// SPDX-License-Identifier: GPL-3.0-or-later
#include "CustomerFixture.h"

#include "core/customers/LastStayRecorder.h"
#include "gui/widgets/DBCheckBox.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBGrid.h"
#include "gui/widgets/DBMaskEdit.h"

#include <QCheckBox>
#include <QTimeEdit>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace CustomerTests;

namespace {

const QDateTime kNow(QDate(2024, 5, 6), QTime(9, 8, 7));

// A returning citizen with every identity field filled.
ColumnValues fullCustomer()
{
    return {{u"musteriKodu"_s, u"K1"_s},
            {u"TCKimlikNo"_s, u"12345678950"_s},
            {u"Adi"_s, u"Cem"_s},
            {u"Soyadi"_s, u"Kaya"_s},
            {u"BabaAdi"_s, u"Hasan"_s},
            {u"AnaAdi"_s, u"Fatma"_s},
            {u"DogumYeri"_s, u"Konya"_s},
            {u"DogumTarihi"_s, u"1970-01-02"_s},
            {u"Uyrugu"_s, u"TC"_s},
            {u"KimlikBelgesiTuru"_s, u"K"_s},
            {u"KimlikSeriNo"_s, u"4455"_s},
            {u"NufusaKayitliOlduguIl"_s, u"Konya"_s},
            {u"NufusaKayitliOlduguIlce"_s, u"Ereğli"_s},
            {u"NufusaKayitliOlduguMahalle"_s, u"Meram"_s},
            {u"NufusCilt"_s, u"12"_s},
            {u"NufusAileSira"_s, u"34"_s},
            {u"NufusSiraNo"_s, u"56"_s},
            {u"Cinsiyet"_s, u"E"_s},
            {u"MedeniHali"_s, u"E"_s},
            {u"Isi"_s, u"Öğretmen"_s},
            {u"IkametAdresi"_s, u"Ankara"_s},
            {u"AracPlakaNo"_s, u"42 ABC 7"_s}};
}

// The customers of fourCustomers() with the full one in place of K1.
QList<ColumnValues> customersWithFullK1()
{
    QList<ColumnValues> all = fourCustomers();
    all[0] = fullCustomer();
    return all;
}

// The identity columns the copy writes, the stay columns it leaves.
const char* const kCopiedColumns[] = {
    "TCKimlikNo", "Adi", "Soyadi", "BabaAdi", "AnaAdi", "DogumYeri", "Uyrugu", "KimlikBelgesiTuru", "KimlikSeriNo",
    "NufusaKayitliOlduguIl", "NufusaKayitliOlduguIlce", "NufusaKayitliOlduguMahalle", "NufusCilt", "NufusAileSira",
    "NufusSiraNo", "Cinsiyet", "MedeniHali", "Isi", "IkametAdresi", "AracPlakaNo"};

// A departed guest in room 101, stored before the start.
const QString kDepartedInRoom101 =
    u"UPDATE Kisi SET Kalici = 0, AyrilisTarihi = '2024-03-05', AyrilisSaati = '10:30:00', VerilenOdaNo = '101', "
    u"TCKimlikNo = '10000000146'"_s;

class CustomerCopyTest : public ::testing::Test, public CustomerFixture
{
protected:
    void SetUp() override { p.now = kNow; }

    // The customer code typed into the guest window and Enter pressed.
    void lookUp(const QString& code)
    {
        ASSERT_TRUE(focusOn(e().customerCodeBox));
        e().customerCodeBox->clear();
        typeText(e().customerCodeBox, code);
        ASSERT_EQ(e().customerCodeBox->text(), code);
        press(Qt::Key_Return);
    }
};

TEST_F(CustomerCopyTest, ACodeOverASavedGuestFillsAnUnsavedEditThatEscUndoes)
{
    start(customersWithFullK1(), {u"Ali"_s}, {kDepartedInRoom101});
    const qint64 id = p.ids[0];
    ASSERT_FALSE(e().kaliciBox->isChecked());
    lookUp(u"K1"_s);

    EXPECT_TRUE(dialogs().messages.isEmpty());
    EXPECT_EQ(guests().state(), State::Edit);
    const ColumnValues customer = fullCustomer();
    for (const char* column : kCopiedColumns) {
        const QString name = QString::fromLatin1(column);
        EXPECT_EQ(guests().text(name), customer.at(name)) << column;
    }
    // Shown in the guest window's boxes: the codes as their names.
    EXPECT_EQ(e().nameBox->text(), u"Cem"_s);
    EXPECT_EQ(e().identityBox->displayText(), u"12345678950"_s);
    EXPECT_EQ(p.widget<QComboBox>(u"DBLookupComboBox1"_s)->currentText(), u"Türkiye"_s);
    EXPECT_EQ(p.widget<QComboBox>(u"DBLookupComboBox2"_s)->currentText(), u"T.C. Kimlik Kartı"_s);
    EXPECT_EQ(p.widget<QComboBox>(u"DBLookupComboBox6"_s)->currentText(), u"Evli"_s);
    EXPECT_EQ(e().birthBox->date(), QDate(1970, 1, 2));
    EXPECT_EQ(e().arrivalDateBox->date(), kNow.date());
    EXPECT_EQ(e().arrivalTimeBox->time(), kNow.time());
    // The stay stays.
    EXPECT_EQ(guests().text(u"VerilenOdaNo"_s), u"101"_s);
    EXPECT_FALSE(guests().boolean(u"Kalici"_s));
    EXPECT_FALSE(e().kaliciBox->isChecked());
    EXPECT_EQ(e().departureDateBox->date(), QDate(2024, 3, 5));
    EXPECT_EQ(e().departureTimeBox->time(), QTime(10, 30));
    // Enter went on to the next box; the code box keeps its text.
    EXPECT_TRUE(waitFor([this] { return e().nameBox->hasFocus(); }));
    EXPECT_EQ(e().customerCodeBox->text(), u"K1"_s);
    // Nothing stored, on either side.
    EXPECT_EQ(p.stored(u"Adi"_s, id).toString(), u"Ali"_s);
    EXPECT_EQ(customers().state(), State::Browse);
    EXPECT_EQ(storedCustomer(u"AracPlakaNo"_s, u"K1"_s).toString(), u"42 ABC 7"_s);

    // A second copy before saving stamps the arrival anew.
    p.fake.clock.advanceSeconds(90);
    lookUp(u"K1"_s);
    EXPECT_EQ(e().arrivalTimeBox->time(), kNow.time().addSecs(90));

    EXPECT_EQ(e().button(9)->toolTip(), u"İptal [ESC]"_s);
    QTest::mouseClick(e().button(9), Qt::LeftButton);
    EXPECT_EQ(guests().state(), State::Browse);
    EXPECT_EQ(e().nameBox->text(), u"Ali"_s);
    EXPECT_EQ(e().identityBox->displayText(), u"10000000146"_s);
    EXPECT_EQ(e().birthBox->date(), QDate(1980, 1, 2));
    EXPECT_EQ(e().arrivalDateBox->date(), QDate(2024, 3, 1));
    EXPECT_EQ(e().arrivalTimeBox->time(), QTime(12, 0));
    EXPECT_EQ(p.widget<QComboBox>(u"DBLookupComboBox1"_s)->currentData().toString(), u"DEU"_s);
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

TEST_F(CustomerCopyTest, ANewGuestTakesTheCustomerAndIsStoredWithTheGuestChecks)
{
    start(customersWithFullK1(), {u"Ali"_s});
    ASSERT_TRUE(focusOn(e().surnameBox));
    press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([this] { return e().customerCodeBox->hasFocus(); }));
    typeText(e().customerCodeBox, u"K1"_s);
    press(Qt::Key_Return);
    EXPECT_EQ(guests().state(), State::Insert);
    EXPECT_TRUE(e().kaliciBox->isChecked());
    typeText(p.widget<QLineEdit>(u"DBEdit14"_s), u"202"_s);
    QTest::mouseClick(e().button(8), Qt::LeftButton);
    EXPECT_TRUE(dialogs().messages.isEmpty());
    ASSERT_EQ(guests().state(), State::Browse);
    const qint64 id = guests().key();
    EXPECT_EQ(p.storedCount(), 2);
    EXPECT_EQ(p.stored(u"Adi"_s, id).toString(), u"Cem"_s);
    EXPECT_EQ(p.stored(u"TCKimlikNo"_s, id).toString(), u"12345678950"_s);
    EXPECT_EQ(p.stored(u"Uyrugu"_s, id).toString(), u"TC"_s);
    EXPECT_EQ(p.stored(u"NufusaKayitliOlduguIl"_s, id).toString(), u"Konya"_s);
    EXPECT_EQ(p.stored(u"DogumTarihi"_s, id).toString(), u"1970-01-02"_s);
    EXPECT_EQ(p.stored(u"GelisTarihi"_s, id).toString(), u"2024-05-06"_s);
    EXPECT_EQ(p.stored(u"GelisSaati"_s, id).toString(), u"09:08:07"_s);
    EXPECT_EQ(p.stored(u"VerilenOdaNo"_s, id).toString(), u"202"_s);
    EXPECT_EQ(p.stored(u"AracPlakaNo"_s, id).toString(), u"42ABC7"_s);
    // The save stamps the customer's last stay with the day.
    EXPECT_EQ(p.program->database().column(u"SELECT SonKonaklama FROM MusteriKonaklama"_s),
              QList<QVariant>{p.fake.clock.now().date().toString(u"yyyy-MM-dd"_s)});
}

// The code of the last copy is no copy for the next guest: a new record
// empties the box, and Enter there copies nothing.
TEST_F(CustomerCopyTest, ACodeLeftFromAnEarlierGuestCopiesNothing)
{
    start(customersWithFullK1(), {u"Ali"_s});
    ASSERT_TRUE(focusOn(e().surnameBox));
    press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([this] { return e().customerCodeBox->hasFocus(); }));
    typeText(e().customerCodeBox, u"K1"_s);
    press(Qt::Key_Return);
    ASSERT_EQ(guests().text(u"BabaAdi"_s), u"Hasan"_s);
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(guests().state(), State::Browse);

    // A walk-in guest: Ctrl+N, Enter, the name.
    press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([this] { return e().customerCodeBox->hasFocus(); }));
    EXPECT_EQ(e().customerCodeBox->text(), QString());
    press(Qt::Key_Return);
    EXPECT_TRUE(waitFor([this] { return e().nameBox->hasFocus(); }));
    EXPECT_EQ(guests().state(), State::Insert);
    EXPECT_TRUE(guests().text(u"BabaAdi"_s).isEmpty());
    EXPECT_TRUE(guests().text(u"AracPlakaNo"_s).isEmpty());
}

TEST_F(CustomerCopyTest, WithNoGuestsACopyStartsANewGuest)
{
    start();
    ASSERT_EQ(guests().recordCount(), 0);
    lookUp(u"K3"_s);
    EXPECT_EQ(guests().state(), State::Insert);
    EXPECT_EQ(e().nameBox->text(), u"Ali"_s);
    EXPECT_EQ(guests().text(u"Soyadi"_s), u"Aksoy"_s);
    EXPECT_EQ(e().birthBox->date(), QDate(1985, 7, 8));
    EXPECT_EQ(e().arrivalDateBox->date(), kNow.date());
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

TEST_F(CustomerCopyTest, ACustomerWithoutBirthDateOrNumberGivesDayZeroAndElevenBlanks)
{
    start(fourCustomers(), {u"Ali"_s}, {kDepartedInRoom101});
    lookUp(u"K2"_s);
    EXPECT_EQ(guests().state(), State::Edit);
    EXPECT_EQ(e().birthBox->date(), kDayZero);
    EXPECT_EQ(e().birthBox->text(), u"1899-12-30"_s);
    EXPECT_EQ(guests().text(u"TCKimlikNo"_s), QString(11, u' '));
    EXPECT_EQ(e().identityBox->displayText(), u"___________"_s);
    // Empty customer fields empty the guest's.
    EXPECT_TRUE(guests().isNull(u"Uyrugu"_s));
    EXPECT_TRUE(guests().isNull(u"IkametAdresi"_s));
    EXPECT_EQ(p.widget<QComboBox>(u"DBLookupComboBox1"_s)->currentIndex(), -1);
}

TEST_F(CustomerCopyTest, AnEmptyCodeBoxCopiesNothingAndEnterMovesOn)
{
    start(fourCustomers(), {u"Ali"_s});
    lookUp(QString());
    EXPECT_TRUE(waitFor([this] { return e().nameBox->hasFocus(); }));
    EXPECT_TRUE(dialogs().messages.isEmpty());
    EXPECT_EQ(guests().state(), State::Browse);
    EXPECT_EQ(e().nameBox->text(), u"Ali"_s);
}

// The code is matched whole and literally: no trimming, no prefix, no
// wildcards, quotes are no trouble.
TEST_F(CustomerCopyTest, TheCodeIsMatchedLiterallyAndAnUnknownOneLeavesTheGuestAlone)
{
    QList<ColumnValues> all = fourCustomers();
    all << ColumnValues{{u"musteriKodu"_s, u"A'B\"C%"_s}, {u"Adi"_s, u"Tırnak"_s}}
        << ColumnValues{{u"musteriKodu"_s, u"AXB"_s}, {u"Adi"_s, u"Harf"_s}};
    start(all, {u"Ali"_s});
    struct Case { QString code; QString found; };
    const Case cases[] = {
        {u"K9"_s, {}},     {u"A'B"_s, {}},   {u"A_B"_s, {}},        {u"A%"_s, {}},   {u"%"_s, {}},
        {u" K1"_s, {}},    {u"K1 "_s, {}},   {u"A'B\"C%"_s, u"Tırnak"_s}, {u"AXB"_s, u"Harf"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code.toStdString());
        dialogs().clear();
        lookUp(c.code);
        if (c.found.isEmpty()) {
            ASSERT_EQ(dialogs().texts(), QStringList{kCodeNotFound});
            EXPECT_EQ(dialogs().messages[0].caption, kAppCaption);
            EXPECT_EQ(guests().state(), State::Browse);
            EXPECT_EQ(e().nameBox->text(), u"Ali"_s);
        } else {
            EXPECT_TRUE(dialogs().messages.isEmpty());
            EXPECT_EQ(guests().state(), State::Edit);
            EXPECT_EQ(e().nameBox->text(), c.found);
            ASSERT_TRUE(focusOn(e().nameBox));
            press(Qt::Key_Escape);
        }
        EXPECT_EQ(customers().recordCount(), 6);
        EXPECT_EQ(customers().recNo(), 0);
    }
}

TEST_F(CustomerCopyTest, AfterALookupTheListShowsEveryCustomerFromItsFirst)
{
    start(fourCustomers(), {u"Ali"_s});
    showCustomers();
    // Ordered by first name: the first in the list is K3, "Ali".
    QHeaderView* header = customerWindow().customerList->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    click(6);
    ASSERT_EQ(customerWindow().codeBox->text(), u"K1"_s);
    backToGuestWindow();
    lookUp(u"K4"_s);
    EXPECT_EQ(e().nameBox->text(), u"Ayla"_s);
    EXPECT_EQ(e().birthBox->date(), QDate(1990, 3, 4));
    EXPECT_FALSE(customers().isFiltered());
    EXPECT_EQ(customers().recordCount(), 4);
    EXPECT_EQ(customerWindow().customerList->model()->rowCount(), 4);
    EXPECT_EQ(customers().recNo(), 0);
    EXPECT_EQ(customerWindow().codeBox->text(), u"K3"_s);
    EXPECT_EQ(customerWindow().birthBox->date(), QDate(1985, 7, 8));
}

TEST_F(CustomerCopyTest, ALookupSavesAChangedCustomerFirst)
{
    start(fourCustomers(), {u"Ali"_s});
    showCustomers();
    click(5);
    QLineEdit* adi = box("DBEdit1");
    adi->end(false);
    typeText(adi, u"han"_s);
    backToGuestWindow();
    lookUp(u"K2"_s);
    EXPECT_TRUE(dialogs().messages.isEmpty());
    EXPECT_EQ(storedCustomer(u"Adi"_s, u"K2"_s).toString(), u"Borahan"_s);
    EXPECT_EQ(e().nameBox->text(), u"Borahan"_s);
    EXPECT_EQ(customers().state(), State::Browse);
}

TEST_F(CustomerCopyTest, ARefusedCustomerSaveEndsTheLookupWithTheCustomerMessage)
{
    start(fourCustomers(), {u"Ali"_s});
    showCustomers();
    click(5);
    customerWindow().codeBox->selectAll();
    QTest::keyClick(customerWindow().codeBox, Qt::Key_Backspace);
    ASSERT_EQ(customers().state(), State::Edit);
    backToGuestWindow();
    lookUp(u"K1"_s);
    EXPECT_EQ(dialogs().texts(), QStringList{kCodeMessage});
    EXPECT_EQ(guests().state(), State::Browse);
    EXPECT_EQ(e().nameBox->text(), u"Ali"_s);
    EXPECT_FALSE(customers().isFiltered());
    EXPECT_EQ(customers().recordCount(), 4);
    EXPECT_EQ(customers().state(), State::Edit);
    EXPECT_EQ(customerWindow().codeBox->text(), QString());
    EXPECT_EQ(box("DBEdit1")->text(), u"Bora"_s);
}

// "Bilgileri Aktar", a double click on the list and F5 copy the customer as
// the window shows it, unsaved edits included, and hide the window.
TEST(CustomerCopyCases, TheCustomerWindowCopiesItsCurrentCustomerAsShown)
{
    struct Case { const char* name; std::function<void(CustomerFixture&)> copy; };
    const Case cases[] = {
        {"button", [](CustomerFixture& t) { QTest::mouseClick(t.customerWindow().copyButton, Qt::LeftButton); }},
        {"double click", [](CustomerFixture& t) { CustomerFixture::doubleClickRow(t.customerWindow().customerList, 1); }},
        {"F5", [](CustomerFixture& t) {
             ASSERT_TRUE(focusOn(t.box("DBEdit2")));
             press(Qt::Key_F5);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CustomerFixture t;
        t.p.now = kNow;
        t.start(fourCustomers(), {u"Ali"_s});
        t.showCustomers();
        t.click(5);
        const qint64 copied = t.customers().key();
        QLineEdit* adi = t.box("DBEdit1");
        adi->end(false);
        typeText(adi, u"han"_s);
        t.customerWindow().birthBox->setDate(QDate(1966, 6, 6));
        auto* uyrugu = t.box<QComboBox>("DBLookupComboBox1");
        ASSERT_TRUE(focusOn(uyrugu));
        typeText(uyrugu, u"Alma"_s);
        c.copy(t);
        EXPECT_TRUE(waitFor([&t] { return !t.customerWindow().isVisible(); }));
        EXPECT_TRUE(t.dialogs().messages.isEmpty());
        EXPECT_EQ(t.guests().state(), State::Edit);
        EXPECT_EQ(t.e().nameBox->text(), u"Borahan"_s);
        EXPECT_EQ(t.guests().text(u"Uyrugu"_s), u"DEU"_s);
        EXPECT_EQ(t.e().birthBox->date(), QDate(1966, 6, 6));
        EXPECT_EQ(t.e().arrivalDateBox->date(), kNow.date());
        // The guest being built carries the customer until it is saved.
        EXPECT_EQ(t.p.program->lastStays()->pendingCustomer(), copied);
        // The customer itself is neither saved nor dropped.
        EXPECT_EQ(t.customers().state(), State::Edit);
        EXPECT_EQ(t.customers().text(u"Adi"_s), u"Borahan"_s);
        EXPECT_EQ(t.storedCustomer(u"Adi"_s, u"K2"_s).toString(), u"Bora"_s);
    }
}

TEST(CustomerCopyCases, WithNoStoredCustomerTheWindowSaysSoAndHidesAllTheSame)
{
    for (const bool typing : {false, true}) {
        SCOPED_TRACE(typing ? "a new customer being typed" : "empty");
        CustomerFixture t;
        t.start({}, {u"Ali"_s});
        t.showCustomers();
        if (typing) {
            t.click(7);
            typeText(t.box("DBEdit1"), u"Deniz"_s);
        }
        QTest::mouseClick(t.customerWindow().copyButton, Qt::LeftButton);
        EXPECT_EQ(t.dialogs().texts(), QStringList{kNoCustomer});
        EXPECT_EQ(t.dialogs().messages[0].caption, kAppCaption);
        EXPECT_FALSE(t.customerWindow().isVisible());
        EXPECT_EQ(t.guests().state(), State::Browse);
        EXPECT_EQ(t.e().nameBox->text(), u"Ali"_s);
        EXPECT_EQ(t.customers().state(), typing ? State::Insert : State::Browse);
    }
}

} // namespace

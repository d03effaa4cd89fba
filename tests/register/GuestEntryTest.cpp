// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Tables.h"
#include "gui/register/GuestEntry.h"
#include "gui/widgets/DBCheckBox.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBGrid.h"
#include "gui/widgets/DBLookupComboBox.h"
#include "gui/widgets/DBMaskEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <gtest/gtest.h>
#include <map>

using namespace Qt::StringLiterals;
using State = Dataset::State;

namespace {

const QString kTimeOrder = u"Geliş Zamanı Ayrılış Zamanından Sonra Olamaz."_s;
const QString kCitizenFields =
    u"T.C. Vatandaşları İçin Bazı Bölümler Boş Geçilmiş.\rLütfen Gerekli Boş Alanları Doldurup Tekrar Deneyiniz."_s;
const QString kPostError = u"Veri Girişi Problemi: Lütfen Eksik Bölümleri Doldurup Tekrar Deneyiniz."_s;
const QDateTime kNow(QDate(2024, 5, 6), QTime(9, 8, 7));
const QDate kDayZero(1899, 12, 30);

// The main window over a set-up facility and a few stored guests.
struct GuestWindow
{
    void start(const QStringList& names = {}, bool kalici = true, const QStringList& statements = {})
    {
        p.now = kNow;
        p.open(names, kalici, statements);
        ids = p.ids;
    }

    GuestEntry& e() const { return p.entry(); }
    Dataset& ds() const { return p.guests(); }
    ScriptedDialogs& dialogs() { return p.dialogs(); }
    void click(int button) { p.click(button); }
    // A click on the Kalıcı box itself.
    void clickKalici()
    {
        QTest::mouseClick(e().kaliciBox, Qt::LeftButton, {}, QPoint(8, e().kaliciBox->height() / 2));
    }
    QVariant stored(const QString& column, qint64 id) const { return p.stored(column, id); }
    int storedCount() const { return p.storedCount(); }

    // A new guest with every column the database requires, typed straight
    // into the record; the pickers keep their new-record values.
    void newGuest(const std::map<QString, QString>& columns)
    {
        click(6);
        ASSERT_EQ(ds().state(), State::Insert);
        std::map<QString, QString> all = {{u"Adi"_s, u"Ali"_s}, {u"Soyadi"_s, u"Kaya"_s}, {u"Uyrugu"_s, u"DEU"_s},
                                          {u"KimlikBelgesiTuru"_s, u"K"_s}, {u"KimlikSeriNo"_s, u"778899"_s},
                                          {u"Cinsiyet"_s, u"E"_s}, {u"IkametAdresi"_s, u"Berlin"_s}};
        for (const auto& [column, value] : columns)
            all[column] = value;
        for (const auto& [column, value] : all)
            ds().setText(column, value);
    }

    ProgramFixture p;
    QList<qint64> ids;
};

class GuestEntryTest : public ::testing::Test, public GuestWindow
{
};

TEST_F(GuestEntryTest, NewRecordStartsAsAGuestArrivingNowStillStaying)
{
    start({u"Ali"_s}, false);
    ASSERT_EQ(e().birthBox->date(), QDate(1980, 1, 2));
    ASSERT_TRUE(e().departureDateBox->isEnabled());
    ASSERT_TRUE(focusOn(e().surnameBox));

    click(6);
    EXPECT_EQ(ds().state(), State::Insert);
    EXPECT_EQ(e().birthBox->date(), kDayZero);
    EXPECT_EQ(e().birthBox->text(), u"1899-12-30"_s);
    EXPECT_EQ(e().arrivalDateBox->date(), kNow.date());
    EXPECT_EQ(e().arrivalTimeBox->time(), kNow.time());
    EXPECT_TRUE(e().kaliciBox->isChecked());
    EXPECT_EQ(e().departureDateBox->date(), kDayZero);
    EXPECT_EQ(e().departureTimeBox->time(), QTime(0, 0));
    EXPECT_FALSE(e().departureDateBox->isEnabled());
    EXPECT_FALSE(e().departureTimeBox->isEnabled());
    EXPECT_TRUE(waitFor([this] { return e().customerCodeBox->hasFocus(); }));
}

TEST_F(GuestEntryTest, KaliciUntickedSetsDepartureNowAndTickedZeroesIt)
{
    start({u"Ali"_s}, true);
    const qint64 id = ids[0];
    ASSERT_TRUE(e().kaliciBox->isChecked());

    clickKalici();
    EXPECT_FALSE(e().kaliciBox->isChecked());
    EXPECT_EQ(ds().state(), State::Edit);
    EXPECT_EQ(e().departureDateBox->date(), kNow.date());
    EXPECT_EQ(e().departureTimeBox->time(), kNow.time());
    EXPECT_TRUE(e().departureDateBox->isEnabled());
    EXPECT_TRUE(e().departureTimeBox->isEnabled());
    click(8);
    EXPECT_EQ(stored(u"Kalici"_s, id).toInt(), 0);
    EXPECT_EQ(stored(u"AyrilisTarihi"_s, id).toString(), u"2024-05-06"_s);
    EXPECT_EQ(stored(u"AyrilisSaati"_s, id).toString(), u"09:08:07"_s);

    clickKalici();
    EXPECT_TRUE(e().kaliciBox->isChecked());
    EXPECT_EQ(e().departureDateBox->date(), kDayZero);
    EXPECT_EQ(e().departureTimeBox->time(), QTime(0, 0));
    EXPECT_FALSE(e().departureDateBox->isEnabled());
    EXPECT_FALSE(e().departureTimeBox->isEnabled());
    click(8);
    EXPECT_EQ(stored(u"Kalici"_s, id).toInt(), 1);
    EXPECT_EQ(stored(u"AyrilisTarihi"_s, id).toString(), u"1899-12-30"_s);
    EXPECT_EQ(stored(u"AyrilisSaati"_s, id).toString(), u"00:00:00"_s);
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

TEST_F(GuestEntryTest, SaveOnAnUnchangedRecordStoresItAgainWithSecondsKept)
{
    start({u"Ali"_s}, true, {u"UPDATE Kisi SET GelisSaati = '14:35:27', DogumTarihi = '1975-06-30'"_s});
    const qint64 id = ids[0];
    EXPECT_EQ(e().arrivalTimeBox->text(), u"14:35"_s);
    EXPECT_EQ(e().arrivalTimeBox->time(), QTime(14, 35, 27));
    // Rewrite the stored time behind the dataset's back: only a real store brings it back.
    p.program->database().exec(u"UPDATE Kisi SET GelisSaati = NULL, DogumTarihi = NULL"_s);

    click(8);
    EXPECT_EQ(ds().state(), State::Browse);
    EXPECT_EQ(stored(u"GelisSaati"_s, id).toString(), u"14:35:27"_s);
    EXPECT_EQ(stored(u"DogumTarihi"_s, id).toString(), u"1975-06-30"_s);
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

TEST_F(GuestEntryTest, SaveOnAnUnchangedRecordRunsTheChecks)
{
    // Stored by someone else: a citizen without a father's name, a foreigner with an identity number.
    start({u"Ali"_s, u"Hans"_s}, true,
          {u"UPDATE Kisi SET Uyrugu = 'TC', TCKimlikNo = '12345678950' WHERE Adi = 'Ali'"_s,
           u"UPDATE Kisi SET TCKimlikNo = '10000000146' WHERE Adi = 'Hans'"_s});
    click(8);
    EXPECT_EQ(dialogs().texts(), QStringList{kCitizenFields});
    EXPECT_EQ(ds().state(), State::Edit);
    click(9);

    dialogs().clear();
    click(4);
    click(8);
    EXPECT_TRUE(dialogs().messages.isEmpty());
    EXPECT_EQ(ds().state(), State::Browse);
    EXPECT_TRUE(stored(u"TCKimlikNo"_s, ids[1]).isNull());
}

TEST_F(GuestEntryTest, TextBoxesRefuseWhatTheNotificationFileCannotCarry)
{
    start();
    click(6);
    auto* adres = p.widget<QLineEdit>(u"DBEdit3"_s);
    for (QLineEdit* box : {e().customerCodeBox, static_cast<QLineEdit*>(e().nameBox), adres}) {
        SCOPED_TRACE(box->objectName().toStdString());
        ASSERT_TRUE(focusOn(box));
        // Cyrillic is not in the code page; the euro sign and the typographic
        // quote and dash are, but the declared ISO-8859-9 reads their bytes
        // as control characters.
        typeText(box, u"Işık Жx€’–é"_s);
        EXPECT_EQ(box->text(), u"Işık xé"_s);
        QApplication::clipboard()->setText(u"Ж“ğ”Я"_s);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(box->text(), u"Işık xéğ"_s);
    }
    EXPECT_EQ(ds().text(u"Adi"_s), u"Işık xéğ"_s);
}

TEST_F(GuestEntryTest, SaveChecksTheStayTimesOfTheBoxes)
{
    start({u"Ali"_s}, true);
    clickKalici();
    // The arrival of the stored guest, 2024-03-01 12:00:00, to the second.
    e().departureDateBox->setDate(QDate(2024, 3, 1));
    e().departureTimeBox->setTime(QTime(12, 0, 0));
    click(8);
    EXPECT_EQ(dialogs().texts(), QStringList{kTimeOrder});
    EXPECT_EQ(dialogs().messages[0].caption, u"Rirede Zarevave Rurored"_s);
    EXPECT_EQ(ds().state(), State::Edit);
    EXPECT_EQ(stored(u"Kalici"_s, ids[0]).toInt(), 1);

    e().departureTimeBox->setTime(QTime(12, 0, 1));
    click(8);
    EXPECT_EQ(dialogs().messages.size(), 1);
    EXPECT_EQ(ds().state(), State::Browse);
    EXPECT_EQ(stored(u"AyrilisSaati"_s, ids[0]).toString(), u"12:00:01"_s);
}

TEST_F(GuestEntryTest, ThePickersHoldWholeSeconds)
{
    start();
    p.fake.clock.set(QDateTime(kNow.date(), QTime(9, 8, 7, 100)));
    newGuest({});
    EXPECT_EQ(e().arrivalTimeBox->time(), QTime(9, 8, 7));
    p.fake.clock.set(QDateTime(kNow.date(), QTime(9, 8, 7, 800)));
    clickKalici();
    EXPECT_EQ(e().departureTimeBox->time(), QTime(9, 8, 7));
    // Arrival and departure in the same second.
    click(8);
    EXPECT_EQ(dialogs().texts(), QStringList{kTimeOrder});
    EXPECT_EQ(storedCount(), 0);

    p.fake.clock.set(QDateTime(kNow.date(), QTime(9, 8, 8, 300)));
    ASSERT_TRUE(focusOn(e().departureTimeBox));
    press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(e().departureTimeBox->time(), QTime(9, 8, 8));
    click(8);
    EXPECT_EQ(storedCount(), 1);
    EXPECT_EQ(stored(u"AyrilisSaati"_s, ds().key()).toString(), u"09:08:08"_s);
}

TEST_F(GuestEntryTest, ARefusedRecordKeepsWhatWasTypedAndIsStoredOnceFixed)
{
    start();
    click(6);
    auto edit = [this](const char* name) { return p.widget<QLineEdit>(QString::fromLatin1(name)); };
    auto combo = [this](const char* name) { return p.widget<QComboBox>(QString::fromLatin1(name)); };
    struct Typed { const char* box; const char* column; QString text; };
    const Typed typed[] = {
        {"DBEdit2", "Soyadi", u"Kaya"_s},        {"DBEdit16", "KimlikSeriNo", u"445566"_s},
        {"DBEdit3", "IkametAdresi", u"Ankara"_s}, {"DBEdit4", "TCKimlikNo", u"12345678950"_s},
        {"DBEdit5", "BabaAdi", u"Hasan"_s},       {"DBEdit6", "AnaAdi", u"Fatma"_s},
        {"DBEdit8", "DogumYeri", u"Konya"_s},     {"DBEdit9", "NufusaKayitliOlduguMahalle", u"Meram"_s},
        {"DBEdit10", "NufusCilt", u"12"_s},       {"DBEdit11", "NufusAileSira", u"34"_s},
        {"DBEdit12", "NufusSiraNo", u"56"_s},     {"DBEdit13", "Isi", u"Öğretmen"_s},
        {"DBEdit14", "VerilenOdaNo", u"101"_s},   {"DBEdit15", "AracPlakaNo", u"42ABC7"_s},
    };
    for (const Typed& t : typed)
        typeText(edit(t.box), t.text);
    // Lookup boxes: the first letters of an entry pick it.
    struct Chosen { const char* box; const char* column; QString typed; QString key; };
    const Chosen chosen[] = {{"DBLookupComboBox1", "Uyrugu", u"Türki"_s, u"TC"_s},
                             {"DBLookupComboBox2", "KimlikBelgesiTuru", u"T.C"_s, u"K"_s},
                             {"DBLookupComboBox3", "Cinsiyet", u"Ka"_s, u"K"_s},
                             {"DBLookupComboBox4", "NufusaKayitliOlduguIl", u"Konya"_s, u"Konya"_s},
                             {"DBLookupComboBox6", "MedeniHali", u"Ev"_s, u"E"_s}};
    for (const Chosen& c : chosen) {
        ASSERT_TRUE(focusOn(combo(c.box)));
        typeText(combo(c.box), c.typed);
    }

    // The district is missing: refused by the check.
    click(8);
    EXPECT_EQ(dialogs().texts(), QStringList{kCitizenFields});
    EXPECT_EQ(ds().state(), State::Insert);
    // Adi is missing too: refused by the database once the district is there.
    typeText(edit("DBEdit7"), u"Ereğli"_s);
    click(8);
    // The message names the box left empty, and the clerk is brought to it.
    EXPECT_EQ(dialogs().texts(), (QStringList{kCitizenFields, kPostError + u"\rBoş bırakılan bölümler: Adı"_s}));
    EXPECT_EQ(dialogs().messages.last().caption, u"Rirede Zarevave Rurored"_s);
    EXPECT_TRUE(waitFor([this] { return e().nameBox->hasFocus(); }));
    EXPECT_EQ(ds().state(), State::Insert);
    EXPECT_EQ(storedCount(), 0);
    for (const Typed& t : typed)
        EXPECT_EQ(edit(t.box)->text(), t.text) << t.box;
    for (const Chosen& c : chosen)
        EXPECT_EQ(combo(c.box)->currentData().toString(), c.key) << c.box;

    typeText(e().nameBox, u"Ayşe"_s);
    click(8);
    EXPECT_EQ(dialogs().messages.size(), 2);
    EXPECT_EQ(ds().state(), State::Browse);
    ASSERT_EQ(storedCount(), 1);
    const qint64 id = ds().key();
    EXPECT_EQ(stored(u"Adi"_s, id).toString(), u"Ayşe"_s);
    EXPECT_EQ(stored(u"NufusaKayitliOlduguIlce"_s, id).toString(), u"Ereğli"_s);
    for (const Typed& t : typed)
        EXPECT_EQ(stored(QString::fromLatin1(t.column), id).toString(), t.text) << t.column;
    for (const Chosen& c : chosen)
        EXPECT_EQ(stored(QString::fromLatin1(c.column), id).toString(), c.key) << c.column;
    EXPECT_EQ(stored(u"GelisTarihi"_s, id).toString(), u"2024-05-06"_s);
    EXPECT_EQ(stored(u"GelisSaati"_s, id).toString(), u"09:08:07"_s);
    EXPECT_EQ(stored(u"DogumTarihi"_s, id).toString(), u"1899-12-30"_s);
}

// What the clerk types into a lookup box is a search from the top of its
// list, whatever the box showed; a space is part of it, a pause of a second
// begins a new one, and only F4 or Alt+Down open the list.
TEST_F(GuestEntryTest, TypingInALookupBoxSearchesFromTheTop)
{
    start({u"Ali"_s}, true, {u"UPDATE Kisi SET Uyrugu = 'TC', MedeniHali = 'E'"_s});
    struct Case { const char* box; const char* column; QStringList typed; QString key; };
    // Each string of typed is typed at once; a pause comes between two.
    const Case cases[] = {
        {"DBLookupComboBox1", "Uyrugu", {u"Tür"_s}, u"TC"_s},
        {"DBLookupComboBox1", "Uyrugu", {u"birleşik k"_s}, u"GBR"_s},
        {"DBLookupComboBox1", "Uyrugu", {u"türkm"_s}, u"TKM"_s},
        {"DBLookupComboBox6", "MedeniHali", {u"B"_s}, u"B"_s},
        {"DBLookupComboBox6", "MedeniHali", {u"Bo"_s}, u"O"_s},
        {"DBLookupComboBox6", "MedeniHali", {u"BX"_s}, u"B"_s},
        {"DBLookupComboBox6", "MedeniHali", {u"Be"_s}, u"B"_s},
        {"DBLookupComboBox6", "MedeniHali", {u"B"_s, u"e"_s}, u"E"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.join(u'|').toStdString());
        auto* box = p.widget<QComboBox>(QString::fromLatin1(c.box));
        // Each case from a box that shows what the stored guest holds.
        ASSERT_TRUE(focusOn(e().nameBox));
        press(Qt::Key_Escape);
        ASSERT_TRUE(focusOn(box));
        for (int i = 0; i < c.typed.size(); ++i) {
            if (i > 0)
                QTest::qWait(DBLookupComboBox::kSearchPauseMs + 100);
            typeText(box, c.typed[i]);
        }
        EXPECT_EQ(box->currentData().toString(), c.key);
        EXPECT_EQ(ds().text(QString::fromLatin1(c.column)), c.key);
        EXPECT_FALSE(box->view()->isVisible());
    }
    auto* nationality = p.widget<QComboBox>(u"DBLookupComboBox1"_s);
    ASSERT_TRUE(focusOn(nationality));
    press(Qt::Key_F4);
    EXPECT_TRUE(waitFor([nationality] { return nationality->view()->isVisible(); }));
    nationality->hidePopup();
}

TEST_F(GuestEntryTest, DeleteOnAnEmptyTableDoesNothing)
{
    ErrorReports reports(dialogs());
    start();
    click(7);
    EXPECT_TRUE(dialogs().messages.isEmpty());
    EXPECT_EQ(ds().state(), State::Browse);
}

TEST_F(GuestEntryTest, SearchButtonDiscardsAHalfTypedRecord)
{
    start({u"Ali"_s});
    click(6);
    typeText(e().nameBox, u"Yarım"_s);
    QString opened;
    onNextModal([&](QDialog* d) {
        opened = d->objectName();
        EXPECT_EQ(ds().state(), State::Browse);
        d->reject();
    });
    click(10);
    EXPECT_EQ(opened, u"TForm2"_s);
    EXPECT_EQ(ds().state(), State::Browse);
    EXPECT_EQ(e().nameBox->text(), u"Ali"_s);
    EXPECT_EQ(storedCount(), 1);
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

TEST_F(GuestEntryTest, IdentityNumberBoxShowsEveryPosition)
{
    ErrorReports reports(dialogs());
    start({u"Ali"_s, u"Veli"_s}, true, {u"UPDATE Kisi SET TCKimlikNo = '1234 567890' WHERE Adi = 'Veli'"_s});
    DBMaskEdit* box = e().identityBox;
    EXPECT_EQ(box->displayText(), u"___________"_s);
    // A stored number with a gap keeps its gap.
    click(4);
    EXPECT_EQ(box->displayText(), u"1234_567890"_s);
    EXPECT_EQ(box->boxText(), u"1234 567890"_s);
    EXPECT_EQ(ds().state(), State::Browse);

    click(6);
    EXPECT_EQ(box->displayText(), u"___________"_s);
    ASSERT_TRUE(focusOn(box));
    box->home(false);
    for (Qt::Key k : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_Right, Qt::Key_4, Qt::Key_5})
        QTest::keyClick(box, k);
    EXPECT_EQ(box->displayText(), u"123_45_____"_s);
    EXPECT_EQ(ds().text(u"TCKimlikNo"_s), u"123 45     "_s);
    // Every digit erased: the column is empty, not eleven blanks.
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->displayText(), u"___________"_s);
    EXPECT_EQ(ds().text(u"TCKimlikNo"_s), QString());
}

TEST_F(GuestEntryTest, QueryButtonOpensTheRegistryPage)
{
    start({u"Ali"_s});
    click(1);
    ASSERT_EQ(p.fake.shell.opened.size(), 1);
    const QUrl url = p.fake.shell.opened[0];
    EXPECT_EQ(url.path(), u"/Web/QueryIdentityNumber.aspx"_s);
    EXPECT_TRUE(url.scheme().startsWith(u"http"_s));
    EXPECT_TRUE(url.query().isEmpty());
    EXPECT_EQ(ds().state(), State::Browse);
}

TEST(GuestEntryCases, AnUnreadableStoredValueZeroesItsPickerOnly)
{
    struct Case { QString column; QString bad; QString error; };
    const Case cases[] = {
        {u"GelisSaati"_s, u"25:99:00"_s, u"'25:99:00' is not a valid time"_s},
        {u"AyrilisSaati"_s, u"9 Uhr"_s, u"'9 Uhr' is not a valid time"_s},
        {u"GelisTarihi"_s, u"2024-02-30"_s, u"'2024-02-30' is not a valid date"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column.toStdString());
        GuestWindow t;
        ErrorReports reports(t.dialogs());
        t.start({u"Ali"_s, u"Veli"_s}, false,
                {u"UPDATE Kisi SET DogumTarihi = '1990-05-05', GelisTarihi = '2024-04-04', GelisSaati = '08:15:30', "
                 u"AyrilisTarihi = '2024-04-09', AyrilisSaati = '11:45:10', "_s +
                 c.column + u" = '"_s + c.bad + u"' WHERE Adi = 'Veli'"_s});
        ASSERT_TRUE(t.dialogs().messages.isEmpty());
        ASSERT_EQ(t.e().arrivalTimeBox->time(), QTime(12, 0));
        t.click(4);
        ASSERT_EQ(t.dialogs().messages.size(), 1);
        EXPECT_EQ(t.dialogs().messages[0].text,
                  c.error + u"\rMisafir: Veli Yılmaz (kayıt no "_s + QString::number(t.ids[1]) + u"), alan: "_s + c.column);
        EXPECT_EQ(t.dialogs().messages[0].caption, u"Rirede Zarevave Rurored"_s);
        EXPECT_EQ(t.dialogs().messages[0].icon, Dialogs::Icon::Error);
        EXPECT_EQ(t.ds().recNo(), 1);
        EXPECT_EQ(t.e().nameBox->text(), u"Veli"_s);
        // Every other picker shows this guest, none the previous one's.
        const bool badArrivalTime = c.column == u"GelisSaati"_s;
        const bool badDepartureTime = c.column == u"AyrilisSaati"_s;
        const bool badArrivalDate = c.column == u"GelisTarihi"_s;
        EXPECT_EQ(t.e().birthBox->date(), QDate(1990, 5, 5));
        EXPECT_EQ(t.e().arrivalDateBox->date(), badArrivalDate ? kDayZero : QDate(2024, 4, 4));
        EXPECT_EQ(t.e().arrivalTimeBox->time(), badArrivalTime ? QTime(0, 0) : QTime(8, 15, 30));
        EXPECT_EQ(t.e().departureDateBox->date(), QDate(2024, 4, 9));
        EXPECT_EQ(t.e().departureTimeBox->time(), badDepartureTime ? QTime(0, 0) : QTime(11, 45, 10));
        EXPECT_FALSE(t.e().kaliciBox->isChecked());
        // Nothing is written unless the clerk saves.
        EXPECT_EQ(t.ds().state(), State::Browse);
        EXPECT_EQ(t.stored(c.column, t.ids[1]).toString(), c.bad);
    }
}

TEST_F(GuestEntryTest, ASavedGuestIsFoundAgainAfterARestart)
{
    start();
    click(6);
    typeText(e().nameBox, u"Zeynep"_s);
    ds().setText(u"Soyadi"_s, u"Şahin"_s);
    for (const char* column : {"Uyrugu", "KimlikBelgesiTuru", "KimlikSeriNo", "Cinsiyet", "IkametAdresi"})
        ds().setText(QString::fromLatin1(column), u"K"_s);
    e().birthBox->setDate(QDate(1991, 2, 3));
    p.fake.clock.advanceSeconds(60);
    clickKalici();
    click(8);
    ASSERT_EQ(ds().state(), State::Browse);
    ASSERT_TRUE(dialogs().messages.isEmpty());

    p.program.reset();
    p.guard = std::make_unique<SingleInstance>(uniqueGuardKey(), p.dir.path());
    p.fake.clock.advanceSeconds(3600);
    p.show();
    ASSERT_TRUE(p.program);
    ASSERT_EQ(ds().recordCount(), 1);
    EXPECT_EQ(e().nameBox->text(), u"Zeynep"_s);
    EXPECT_EQ(p.widget<QLineEdit>(u"DBEdit2"_s)->text(), u"Şahin"_s);
    EXPECT_EQ(e().birthBox->date(), QDate(1991, 2, 3));
    EXPECT_EQ(e().arrivalDateBox->date(), kNow.date());
    EXPECT_EQ(e().arrivalTimeBox->time(), kNow.time());
    EXPECT_FALSE(e().kaliciBox->isChecked());
    EXPECT_EQ(e().departureDateBox->date(), kNow.date());
    EXPECT_EQ(e().departureTimeBox->time(), kNow.time().addSecs(60));
    EXPECT_TRUE(e().departureTimeBox->isEnabled());
}

} // namespace

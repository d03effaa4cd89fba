// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"

#include "core/register/Dataset.h"
#include "gui/register/DocumentReaderDialog.h"
#include "gui/register/GuestEntry.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBGrid.h"
#include "gui/widgets/DBMaskEdit.h"

#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using State = Dataset::State;

namespace {

// Zones built by the rules of ICAO Doc 9303, check digits included.
const QStringList kGermanPassport = {u"P<D<<MUSTERMANN<<ERIKA<<<<<<<<<<<<<<<<<<<<<<"_s,
                                     u"C01X00T478D<<6408125F3108011<<<<<<<<<<<<<<<2"_s};
const QStringList kTurkishPassport = {u"P<TUROZTURK<<AYSE<NUR<<<<<<<<<<<<<<<<<<<<<<<"_s,
                                      u"U123456784TUR8503150F330101812345678950<<<26"_s};
// The specimen of Doc 9303: "UTO" is no country of the register.
const QStringList kSpecimen = {u"P<UTOERIKSSON<<ANNA<MARIA<<<<<<<<<<<<<<<<<<<"_s,
                               u"L898902C36UTO7408122F1204159ZE184226B<<<<<10"_s};

// An identity card whose number (23 characters) runs on into the optional data.
const QStringList kLongNumberCard = {u"I<UTOD23145890<ABCDEFGH1234564"_s, u"7408122F3004157UTO<<<<<<<<<<<4"_s,
                                     u"ERIKSSON<<ANNA<MARIA<<<<<<<<<<"_s};

struct ZoneReader : ::testing::Test
{
    ProgramFixture p;

    // Opens the reader with F8, types the lines as a desk reader does (each
    // followed by Enter), runs the steps, and closes it if it is still open.
    void scan(const QStringList& lines, const std::function<void(DocumentReaderDialog&)>& steps)
    {
        bool ran = false;
        onNextModal([&](QDialog* d) {
            auto* reader = qobject_cast<DocumentReaderDialog*>(d);
            if (!reader) {
                d->reject();
                return;
            }
            ran = true;
            EXPECT_EQ(reader->windowTitle(), u"Kimlik / Pasaport Oku"_s);
            EXPECT_TRUE(waitFor([reader] { return reader->ZoneBox->hasFocus(); }));
            for (const QString& line : lines) {
                QTest::keyClicks(reader->ZoneBox, line);
                QTest::keyClick(reader->ZoneBox, Qt::Key_Return);
            }
            steps(*reader);
            if (reader->isVisible())
                reader->reject();
        });
        p.form().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&p.form()));
        if (!QApplication::focusWidget()) {
            ASSERT_TRUE(focusOn(e().surnameBox));
        }
        press(Qt::Key_F8);
        EXPECT_TRUE(ran);
        p.form().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&p.form()));
    }
    static void takeOver(DocumentReaderDialog& reader) { QTest::keyClick(reader.ZoneBox, Qt::Key_Return); }
    GuestEntry& e() { return p.entry(); }
    Dataset& ds() { return p.guests(); }
};

} // namespace

TEST_F(ZoneReader, APassportFillsTheNewGuestAfterItsReadBack)
{
    p.open({u"Ali"_s});
    ASSERT_TRUE(focusOn(e().nameBox));
    press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(ds().state(), State::Insert);
    QString readBack;
    bool enabledBeforeEnter = false;
    scan(kGermanPassport, [&](DocumentReaderDialog& reader) {
        readBack = reader.ReadBack->text();
        enabledBeforeEnter = reader.AktarButton->isEnabled();
        // The Enter that ended the last line did not take the zone over.
        EXPECT_TRUE(reader.isVisible());
        takeOver(reader);
        EXPECT_FALSE(reader.isVisible());
    });
    EXPECT_TRUE(enabledBeforeEnter);
    EXPECT_EQ(readBack, u"Soyadı: MUSTERMANN\nAdı: ERIKA\nUyruğu: Almanya\nDoğum Tarihi: 1964-08-12\n"
                        u"Cinsiyet: Kadın\nBelge: Pasaport, No: C01X00T47\nSon Geçerlilik Tarihi: 2031-08-01"_s);
    EXPECT_EQ(ds().state(), State::Insert);
    const std::map<QString, QString> expected = {
        {u"Soyadi"_s, u"MUSTERMANN"_s}, {u"Adi"_s, u"ERIKA"_s},           {u"Uyrugu"_s, u"DEU"_s},
        {u"Cinsiyet"_s, u"K"_s},        {u"KimlikBelgesiTuru"_s, u"P"_s}, {u"KimlikSeriNo"_s, u"C01X00T47"_s},
        {u"TCKimlikNo"_s, QString()},   {u"IkametAdresi"_s, QString()},
    };
    for (const auto& [column, value] : expected)
        EXPECT_EQ(ds().text(column), value) << column.toStdString();
    EXPECT_EQ(e().nameBox->text(), u"ERIKA"_s);
    EXPECT_EQ(e().birthBox->date(), QDate(1964, 8, 12));
    EXPECT_EQ(e().arrivalDateBox->date(), p.now.date());
    EXPECT_EQ(p.storedCount(), 1);
    EXPECT_TRUE(p.dialogs().messages.isEmpty());
}

TEST_F(ZoneReader, AScanWhileAStoredGuestIsShownStartsANewGuestAndEscDropsIt)
{
    p.open({u"Ali"_s});
    ASSERT_TRUE(focusOn(e().surnameBox));
    ASSERT_EQ(ds().state(), State::Browse);
    scan(kTurkishPassport, [&](DocumentReaderDialog& reader) {
        EXPECT_TRUE(reader.ReadBack->text().contains(u"Uyruğu: Türkiye\n"_s));
        EXPECT_TRUE(reader.ReadBack->text().contains(u"T.C. Kimlik No: 12345678950"_s));
        EXPECT_TRUE(reader.ReadBack->text().endsWith(
            u"Okuma bölgesinde Türkçe harf bulunmaz: adı ve soyadı Türkçe harfleriyle düzeltiniz (OZTURK → Öztürk)."_s));
        QTest::mouseClick(reader.AktarButton, Qt::LeftButton);
    });
    EXPECT_EQ(ds().state(), State::Insert);
    EXPECT_EQ(ds().text(u"Soyadi"_s), u"OZTURK"_s);
    EXPECT_EQ(ds().text(u"Adi"_s), u"AYSE NUR"_s);
    EXPECT_EQ(ds().text(u"Uyrugu"_s), u"TC"_s);
    EXPECT_EQ(ds().text(u"TCKimlikNo"_s), u"12345678950"_s);
    EXPECT_EQ(p.stored(u"Adi"_s, p.ids[0]).toString(), u"Ali"_s);

    ASSERT_TRUE(focusOn(e().surnameBox));
    press(Qt::Key_Escape);
    EXPECT_EQ(ds().state(), State::Browse);
    EXPECT_EQ(e().nameBox->text(), u"Ali"_s);
    EXPECT_EQ(e().birthBox->date(), QDate(1980, 1, 2));
    EXPECT_EQ(p.storedCount(), 1);
}

TEST_F(ZoneReader, AStoredGuestBeingEditedIsSettledFirstAndNeverOverwritten)
{
    p.open({u"Ali"_s});
    auto* room = p.widget<DBEdit>(u"DBEdit14"_s);
    ASSERT_TRUE(focusOn(room));
    QTest::keyClicks(room, u"7"_s);
    ASSERT_EQ(ds().state(), State::Edit);
    scan(kGermanPassport, takeOver);
    // The room was stored with Ali; the document began a new guest.
    EXPECT_EQ(p.stored(u"VerilenOdaNo"_s, p.ids[0]).toString().right(1), u"7"_s);
    EXPECT_EQ(p.stored(u"Adi"_s, p.ids[0]).toString(), u"Ali"_s);
    EXPECT_EQ(ds().state(), State::Insert);
    EXPECT_EQ(ds().text(u"Soyadi"_s), u"MUSTERMANN"_s);
    press(Qt::Key_Escape);

    // A change the register refuses keeps the reader closed.
    ASSERT_TRUE(focusOn(e().nameBox));
    QTest::keyClick(e().nameBox, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e().nameBox, Qt::Key_Delete);
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            d->reject();
        }
    });
    p.form().readDocumentAction->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(opened);
    EXPECT_EQ(ds().state(), State::Edit);
    EXPECT_EQ(p.dialogs().texts().size(), 1);
    EXPECT_EQ(p.stored(u"Adi"_s, p.ids[0]).toString(), u"Ali"_s);
}

TEST_F(ZoneReader, AFailedCheckDigitCannotBeTakenOverAndAnUnknownCountryIsLeftOut)
{
    p.open();
    QStringList broken = kGermanPassport;
    broken[1][13] = u'5';   // a birth-date digit
    QString failed;
    scan(broken, [&](DocumentReaderDialog& reader) {
        failed = reader.ReadBack->text();
        EXPECT_FALSE(reader.AktarButton->isEnabled());
        takeOver(reader);
        EXPECT_TRUE(reader.isVisible());
    });
    EXPECT_EQ(failed, u"Okunamadı:\nDoğum tarihinin kontrol hanesi tutmuyor.\nGenel kontrol hanesi tutmuyor."_s);
    EXPECT_EQ(ds().state(), State::Browse);
    EXPECT_EQ(ds().recordCount(), 0);

    scan(kSpecimen, [&](DocumentReaderDialog& reader) {
        EXPECT_TRUE(reader.ReadBack->text().contains(u"Uyruğu: UTO\n"_s));
        EXPECT_TRUE(reader.ReadBack->text().endsWith(u"Uyruk kodu UTO ülke listesinde yok: Uyruğu elle seçiniz."_s));
        takeOver(reader);
    });
    EXPECT_EQ(ds().state(), State::Insert);
    EXPECT_EQ(ds().text(u"Soyadi"_s), u"ERIKSSON"_s);
    EXPECT_EQ(ds().text(u"Uyrugu"_s), QString());
    EXPECT_EQ(ds().text(u"KimlikSeriNo"_s), u"L898902C3"_s);
}

TEST_F(ZoneReader, TheMenuOpensItAndNothingOfTheZoneIsKept)
{
    p.open();
    DocumentReaderDialog* reader = nullptr;
    onNextModal([&](QDialog* d) {
        reader = qobject_cast<DocumentReaderDialog*>(d);
        if (reader) {
            EXPECT_EQ(p.widget<QLabel>(u"Prompt"_s, reader)->text(),
                      u"Belgenin okuma bölgesini (alttaki 2 ya da 3 satır) okutun ya da her satırın sonunda Enter'a "
                      u"basarak yazın."_s);
            QTest::keyClicks(reader->ZoneBox, kSpecimen[0]);
            EXPECT_EQ(reader->ReadBack->text(), QString());
        }
        d->reject();
    });
    p.form().readDocumentAction->trigger();
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(p.form().readDocumentAction->text(), u"Kimlik / Pasaport Oku"_s);
    EXPECT_TRUE(reader->ZoneBox->toPlainText().isEmpty());
    EXPECT_TRUE(reader->ReadBack->text().isEmpty());
}

// Every line of the read-back is in sight, the expiry date among them; an
// expired document is marked, and can still be taken over.
TEST_F(ZoneReader, TheReadBackShowsEveryLineAndMarksAnExpiredDocument)
{
    p.open();
    const struct
    {
        const char* name;
        QStringList zone;
        QString expiry;
        bool expired;
    } cases[] = {
        {"Turkish passport", kTurkishPassport, u"Son Geçerlilik Tarihi: 2033-01-01\n"_s, false},
        {"specimen, expired in 2012", kSpecimen, u"Son Geçerlilik Tarihi: 2012-04-15\n"_s, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        scan(c.zone, [&](DocumentReaderDialog& reader) {
            QLabel* readBack = reader.ReadBack;
            const QString text = readBack->text();
            EXPECT_TRUE(text.contains(c.expiry));
            EXPECT_EQ(text.contains(u"\nDikkat: Belgenin geçerlilik süresi dolmuş.\n"_s), c.expired);
            EXPECT_TRUE(reader.AktarButton->isEnabled());
            // The label is as high as its text at its width, and inside the dialog.
            const bool whole = waitFor([&] {
                return readBack->height() >= readBack->heightForWidth(readBack->width())
                       && readBack->geometry().bottom() < reader.AktarButton->geometry().top()
                       && reader.rect().contains(reader.AktarButton->geometry());
            });
            EXPECT_TRUE(whole) << readBack->height() << " of " << readBack->heightForWidth(readBack->width());
        });
    }
}

TEST_F(ZoneReader, ADocumentNumberTooLongForTheRegisterIsNotTakenOver)
{
    p.open();
    scan(kLongNumberCard, [&](DocumentReaderDialog& reader) {
        EXPECT_EQ(reader.ReadBack->text(),
                  u"Belge numarası kayıt için çok uzun: 23 karakter; en çok 20 karakter olabilir. Belge aktarılamaz."_s);
        EXPECT_FALSE(reader.AktarButton->isEnabled());
        takeOver(reader);
        EXPECT_TRUE(reader.isVisible());
    });
    EXPECT_EQ(ds().state(), State::Browse);
    EXPECT_EQ(ds().recordCount(), 0);
}

// After a take-over the clerk goes on where the document left something to
// type: the first empty box a save needs, else the room; a scan that is not
// taken over leaves the focus where it was.
TEST_F(ZoneReader, AfterATakeOverTheFocusGoesToWhatIsLeftToType)
{
    struct Case { const char* name; QString address; bool take; const char* focus; };
    const Case cases[] = {
        {"address left", QString(), true, "DBEdit3"},
        {"nothing left", u"Berlin"_s, true, "DBEdit14"},
        {"not taken over", QString(), false, "DBEdit15"},
    };
    p.open({u"Ali"_s});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(focusOn(e().nameBox));
        press(Qt::Key_N, Qt::ControlModifier);
        ASSERT_EQ(ds().state(), State::Insert);
        auto* address = p.widget<DBEdit>(u"DBEdit3"_s);
        ASSERT_TRUE(focusOn(address));
        typeText(address, c.address);
        ASSERT_TRUE(focusOn(e().plateBox));
        scan(kGermanPassport, [&](DocumentReaderDialog& reader) {
            if (c.take)
                takeOver(reader);
        });
        QWidget* expected = p.widget<QWidget>(QString::fromLatin1(c.focus));
        EXPECT_TRUE(waitFor([expected] { return expected->hasFocus(); }))
            << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "none");
        press(Qt::Key_Escape);
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ProgramFixture.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Tables.h"
#include "core/transfer/Backups.h"
#include "core/customers/PersonalDataCommands.h"
#include "gui/customers/PersonalDataReport.h"
#include "gui/customers/PersonalDataRequestWindow.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString kPerson =
    u"INSERT INTO Musteriler (musteriKodu, TCKimlikNo, Adi, Soyadi, Uyrugu, KimlikSeriNo, IkametAdresi) "
    u"VALUES ('K1', '10000000146', 'Ayşe', 'Işıkçı', 'TC', 'A12Ğ', 'Çarşı Sok. Üsküdar')"_s;

} // namespace

// The report lists what is held with the windows' captions, Turkish
// letters intact; the erasure takes the customer record and leaves the
// guest row of the same person.
TEST(PersonalDataRequest, TheReportListsWhatIsHeldAndTheErasureLeavesTheGuestRow)
{
    ProgramFixture p;
    p.open({u"Ayşe"_s}, true, {kPerson, u"UPDATE Kisi SET TCKimlikNo = '10000000146', VerilenOdaNo = '204'"_s});
    const QString pdf = p.dir.path(u"başvuru.pdf"_s);
    QString shown;
    bool noteShown = false;
    onNextModal([&](QDialog* dialog) {
        auto* w = qobject_cast<PersonalDataRequestWindow*>(dialog);
        ASSERT_NE(w, nullptr);
        noteShown = w->GuestNote->text().contains(u"Misafir kayıtları bu başvuruyla silinmez"_s);
        w->KeyBox->setCurrentIndex(0);
        w->ValueEdit->setText(u"10000000146"_s);
        QTest::mouseClick(w->SearchButton, Qt::LeftButton);
        shown = w->ResultView->toPlainText();
        p.fake.dialogs.setNextFileName(pdf);
        QTest::mouseClick(w->ReportButton, Qt::LeftButton);
        p.fake.dialogs.setNextAnswer(Dialogs::Evet);
        QTest::mouseClick(w->EraseButton, Qt::LeftButton);
        EXPECT_FALSE(w->EraseButton->isEnabled());
        dialog->reject();
        EXPECT_TRUE(w->ResultView->toPlainText().isEmpty());
    });
    p.form().requestAction->trigger();

    EXPECT_TRUE(noteShown);
    EXPECT_TRUE(shown.contains(u"Soyadı : Işıkçı"_s)) << shown.toStdString();
    ASSERT_TRUE(QFileInfo(pdf).isFile());
    // The owner's alone where files have modes; on Windows the report takes
    // the permissions of the folder it lies in.
    if (!kOnWindows) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(pdf).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
    // The text is read with the build machine's pdftotext, which a Windows
    // test cannot run: there the file's head shows a PDF.
    EXPECT_EQ(fileHead(pdf, 5), QByteArray("%PDF-"));
    const QString text = kOnWindows ? QString() : pdfText(pdf);
    for (const QString& line :
         {u"Tarih : 2024-05-06 09:08:07"_s, u"Tesis Kodu : 12345"_s, u"Tesis Adı : Otel Deniz"_s,
          u"saklama süresi : 36 ay"_s, u"Müşteri Kodu : K1"_s, u"Adı : Ayşe"_s, u"Soyadı : Işıkçı"_s,
          u"Uyruğu : TC (Türkiye)"_s, u"Kimlik Seri No : A12Ğ"_s, u"İkâmet Adresi : Çarşı Sok. Üsküdar"_s,
          u"T.C. Kimlik No : 10000000146"_s, u"Oda No : 204"_s, u"Kalıcı : Evet"_s})
        EXPECT_TRUE(kOnWindows || text.contains(line)) << line.toStdString() << "\n" << text.toStdString();

    EXPECT_EQ(p.storedCount(u"Musteriler"_s), 0);
    EXPECT_EQ(p.storedCount(u"Kisi"_s), 1);
    // The day's backup, taken at the start, no longer holds the customer.
    EXPECT_EQ(p.fake.dialogs.messages.last().text, u"1 müşteri kaydı silindi.\rKayıtlar 1 yedekten de silindi."_s);
    const QList<Backups::Entry> backups = p.program->backups()->list(p.program->database().password());
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(backups[0].customers, 0);
}

// The report tells the guest's two times apart (the guest form captions
// both "Saati :") and holds the customer's last stay.
TEST(PersonalDataRequest, TheReportTellsTheTimesApartAndHoldsTheLastStay)
{
    TestDir dir;
    Database db(Database::kFileName);
    db.open();
    db.exec(kPerson);
    db.exec(u"INSERT INTO MusteriKonaklama (musteriID, SonKonaklama) VALUES (1, '2024-03-05')"_s);
    insertGuest(db, u"Ayşe"_s, false);
    db.exec(u"UPDATE Kisi SET TCKimlikNo = '10000000146'"_s);
    PersonalDataSearch::Query query;
    query.value = u"10000000146"_s;

    const QStringList lines = PersonalDataReport::lines(db, PersonalDataSearch::find(db, query), {});

    for (const QString& line : {u"    Geliş Saati : 12:00:00"_s, u"    Ayrılış Saati : 10:30:00"_s,
                                u"    Son Konaklama Tarihi : 2024-03-05"_s})
        EXPECT_TRUE(lines.contains(line)) << line.toStdString() << "\n" << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.filter(u"    Saati :"_s), QStringList());
}

// "İmha Et" asks with the count, destroys, says how many and logs it.
TEST(PersonalDataRequest, TheMenuDestroysTheExpiredCustomersAfterAQuestionWithTheCount)
{
    ProgramFixture p;
    p.open({}, true,
           {kPerson, u"INSERT INTO Musteriler (musteriKodu, Adi) VALUES ('K2', 'Cem')"_s,
            u"INSERT INTO MusteriKonaklama (musteriID, SonKonaklama) VALUES (1, '2020-01-01')"_s});
    p.fake.dialogs.clear();
    p.fake.dialogs.setNextAnswer(Dialogs::Evet);
    p.form().destroyAction->trigger();
    ASSERT_EQ(p.fake.dialogs.texts().size(), 2);
    EXPECT_EQ(p.fake.dialogs.texts()[0], PersonalDataCommands::kDestroyQuestion.arg(1));
    EXPECT_EQ(p.fake.dialogs.texts()[1], PersonalDataCommands::kDestroyedText.arg(1));
    EXPECT_EQ(p.tables().musteriler->recordCount(), 1);
    EXPECT_EQ(p.storedCount(u"ImhaKayitlari"_s), 1);
}

// Customers a restored backup brings back past their period go at once,
// without a question; with none nothing happens and nothing is logged.
TEST(PersonalDataRequest, AfterARestoreTheExpiredCustomersGoAtOnce)
{
    ProgramFixture p;
    p.open({}, true,
           {kPerson, u"INSERT INTO Musteriler (musteriKodu, Adi) VALUES ('K2', 'Cem')"_s,
            u"INSERT INTO MusteriKonaklama (musteriID, SonKonaklama) VALUES (1, '2020-01-01')"_s});
    p.fake.dialogs.clear();
    p.program->personalData()->destroyAfterRestore();
    EXPECT_EQ(p.fake.dialogs.texts(), QStringList{PersonalDataCommands::kDestroyedText.arg(1)});
    EXPECT_EQ(p.storedCount(u"Musteriler"_s), 1);
    EXPECT_EQ(p.storedCount(u"ImhaKayitlari"_s), 1);
    p.program->personalData()->destroyAfterRestore();
    EXPECT_EQ(p.fake.dialogs.texts().size(), 1);
    EXPECT_EQ(p.storedCount(u"ImhaKayitlari"_s), 1);
}

// Six months after the retention began, the start destroys and says so.
TEST(PersonalDataRequest, TheStartDestroysWhenSixMonthsHavePassed)
{
    ProgramFixture p;
    p.open({}, true,
           {kPerson, u"INSERT INTO KvkkAyar (SaklamaSuresiAy, Baslangic) VALUES (12, '2023-11-06')"_s,
            u"INSERT INTO MusteriKonaklama (musteriID, SonKonaklama) VALUES (1, '2023-05-05')"_s});
    EXPECT_TRUE(p.fake.dialogs.texts().contains(PersonalDataCommands::kDestroyedText.arg(1)));
    EXPECT_EQ(p.storedCount(u"Musteriler"_s), 0);
    EXPECT_EQ(p.program->database().column(u"SELECT SonImha FROM KvkkAyar"_s).value(0).toString().left(10),
              u"2024-05-06"_s);
}

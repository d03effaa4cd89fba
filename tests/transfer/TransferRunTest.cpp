// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ProgramFixture.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Tables.h"
#include "core/transfer/KonaklamaWriter.h"
#include "core/transfer/TransferRun.h"
#include "gui/register/GuestEntry.h"
#include "gui/shell/MainWindow.h"
#include "gui/transfer/CompletenessDialog.h"
#include "gui/widgets/DBCheckBox.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBGrid.h"
#include "gui/widgets/DBMaskEdit.h"

#include <QCryptographicHash>
#include <QDateEdit>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

const QString kSuccess = QString::fromUtf8("Dosya Başarılı Şekilde Oluşturuldu.\rDosyanın Konumu :\r");
const QString kFailure =
    QString::fromUtf8("Dosya Oluşturulurken Hata Oluştu. Lütfen Program Satıcınız İle Temasa Geçiniz.");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Names of the guests still in the database, in stored order.
QStringList storedNames(Database& db)
{
    QStringList names;
    for (const QVariant& v : db.column(QStringLiteral("SELECT Adi FROM Kisi ORDER BY ID")))
        names << v.toString();
    return names;
}

struct TransferFixture : ::testing::Test
{
    ProgramFixture p;

    // Three staying guests and two departed ones, stored before the start.
    void SetUp() override
    {
        p.facilityCode = QStringLiteral("01234");
        p.open({QStringLiteral("Ayşe"), QStringLiteral("Bora"), QStringLiteral("Cem"), QStringLiteral("Deniz"),
                QStringLiteral("Ece")},
               true, {kDeparted});
    }
    static inline const QString kDeparted =
        QStringLiteral("UPDATE Kisi SET Kalici = 0, AyrilisTarihi = '2024-03-05', AyrilisSaati = '10:30:00' "
                       "WHERE Adi IN ('Bora', 'Deniz')");
    Dataset& guests() { return p.guests(); }
    QString target(const QString& name = QStringLiteral("kbs.xml")) const { return p.dir.path(name); }
    const ScriptedDialogs::Shown& lastMessage() { return p.fake.dialogs.messages.last(); }
    void expectWindowAttached()
    {
        for (Dataset* t : p.tables().openingOrder())
            EXPECT_TRUE(t->isOpen()) << t->objectName().toStdString();
        EXPECT_EQ(p.entry().nameBox->text(), guests().text(QStringLiteral("Adi")));
        EXPECT_EQ(p.entry().arrivalDateBox->date(), QDate(2024, 3, 1));
    }
};

} // namespace

TEST_F(TransferFixture, FromTheToolbarAndFromCtrlE)
{
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Ctrl+E" : "toolbar");
        const QString path = target(byKey ? QStringLiteral("b.xml") : QStringLiteral("a.xml"));
        p.fake.dialogs.clear();
        p.fake.dialogs.setNextFileName(path);
        p.fake.clock.set(QDateTime(QDate(2024, 3, 7), QTime(9, 5, 30)));
        if (byKey)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::ControlModifier);
        else
            QTest::mouseClick(p.entry().button(11), Qt::LeftButton);

        ASSERT_EQ(p.fake.dialogs.saveRequests.size(), 1);
        const Dialogs::SaveFileRequest& req = p.fake.dialogs.saveRequests[0];
        EXPECT_EQ(req.title, QStringLiteral("Veri Dosyası Kaydet..."));
        EXPECT_EQ(req.defaultSuffix, QStringLiteral("xml"));
        EXPECT_TRUE(req.filter.startsWith(QString::fromUtf8("XML Dosyası")));
        EXPECT_EQ(req.proposedName, QStringLiteral("2024-03-07 09-05-30"));

        ASSERT_EQ(p.fake.dialogs.messages.size(), 1);
        EXPECT_EQ(lastMessage().caption, QStringLiteral("Information"));
        EXPECT_EQ(lastMessage().text, kSuccess + QDir::toNativeSeparators(path));

        // The first run lists all five; the second only the three who stay.
        const QByteArray file = readAll(path);
        EXPECT_EQ(file.count("<Kisi SiraNo="), byKey ? 3 : 5);
        EXPECT_TRUE(file.contains(byKey ? "<Kisi SiraNo=\"3\"" : "<Kisi SiraNo=\"5\""));
        EXPECT_TRUE(file.contains("TesisKodu=\"01234\""));
        const qsizetype root = file.indexOf("<Konaklama");
        EXPECT_EQ(file.mid(root - 34, 32), QCryptographicHash::hash(file.mid(root), QCryptographicHash::Md5).toHex().toUpper());

        EXPECT_EQ(storedNames(p.program->database()),
                  (QStringList{QString::fromUtf8("Ayşe"), QStringLiteral("Cem"), QStringLiteral("Ece")}));
        expectWindowAttached();
        EXPECT_EQ(guests().recordCount(), 3);
        EXPECT_EQ(QApplication::focusWidget(), p.entry().nameBox);
    }
}

TEST_F(TransferFixture, CancellingTheDialogChangesNothing)
{
    const QByteArray before = readAll(p.dir.databasePath());
    p.form().startTransfer();
    EXPECT_EQ(p.fake.dialogs.saveRequests.size(), 1);
    EXPECT_TRUE(p.fake.dialogs.messages.isEmpty());
    EXPECT_EQ(storedNames(p.program->database()).size(), 5);
    EXPECT_EQ(readAll(p.dir.databasePath()), before);
}

TEST_F(TransferFixture, ARefusedPendingEditStopsTheRunBeforeTheDialog)
{
    guests().edit();
    guests().setText(QStringLiteral("Uyrugu"), QStringLiteral("TC"));
    p.form().startTransfer();
    EXPECT_TRUE(p.fake.dialogs.saveRequests.isEmpty());
    ASSERT_EQ(p.fake.dialogs.messages.size(), 1);
    EXPECT_TRUE(lastMessage().text.startsWith(QString::fromUtf8("T.C. Vatandaşları")));
    EXPECT_EQ(guests().state(), Dataset::State::Edit);
    EXPECT_EQ(guests().text(QStringLiteral("Uyrugu")), QStringLiteral("TC"));
}

TEST_F(TransferFixture, ARefusedNewGuestKeepsWhatWasTypedAndPurgesNothing)
{
    p.entry().newRecord();
    QTest::keyClicks(p.entry().nameBox, QStringLiteral("Yeni"));
    const QDate typedArrival(2024, 3, 6);
    p.entry().arrivalDateBox->setDate(typedArrival);
    p.fake.dialogs.setNextFileName(target());
    p.form().startTransfer();
    // The database refuses a guest without the required fields, before the
    // clerk is asked where the file goes.
    EXPECT_TRUE(p.fake.dialogs.saveRequests.isEmpty());
    ASSERT_EQ(p.fake.dialogs.messages.size(), 1);
    EXPECT_EQ(lastMessage().text,
              QString::fromUtf8("Veri Girişi Problemi: Lütfen Eksik Bölümleri Doldurup Tekrar Deneyiniz.\r"
                                "Boş bırakılan bölümler: Soyadı, Uyruğu, Kimlik Belgesi Türü, Kimlik Seri No, "
                                "Cinsiyet, İkâmet Adresi"));
    EXPECT_FALSE(QFile::exists(target()));
    EXPECT_EQ(storedNames(p.program->database()).size(), 5);
    EXPECT_EQ(guests().state(), Dataset::State::Insert);
    EXPECT_EQ(p.entry().nameBox->text(), QStringLiteral("Yeni"));
    EXPECT_EQ(p.entry().arrivalDateBox->date(), typedArrival);
}

TEST_F(TransferFixture, APendingNewGuestIsWrittenWithItsTypedStayAndPurgedWhenDeparted)
{
    p.entry().newRecord();
    Dataset& ds = guests();
    for (const auto& [column, value] : {std::pair{"Adi", "Yeni"}, {"Soyadi", "Gelen"}, {"Uyrugu", "DEU"},
                                        {"KimlikBelgesiTuru", "P"}, {"KimlikSeriNo", "5566"}, {"Cinsiyet", "K"},
                                        {"IkametAdresi", "Köln"}})
        ds.setText(QString::fromLatin1(column), QString::fromUtf8(value));
    p.entry().arrivalDateBox->setDate(QDate(2024, 3, 6));
    p.entry().arrivalTimeBox->setTime(QTime(8, 15, 0));
    QTest::mouseClick(p.entry().kaliciBox, Qt::LeftButton, {}, QPoint(8, p.entry().kaliciBox->height() / 2));
    p.entry().departureDateBox->setDate(QDate(2024, 3, 7));
    p.entry().departureTimeBox->setTime(QTime(9, 0, 0));
    ASSERT_EQ(ds.state(), Dataset::State::Insert);

    p.fake.dialogs.setNextFileName(target());
    p.form().startTransfer();
    EXPECT_EQ(lastMessage().text, kSuccess + QDir::toNativeSeparators(target()));
    const QByteArray file = readAll(target());
    EXPECT_TRUE(file.contains(R"(<Kisi SiraNo="6" TCKimlikNo="" Adi="Yeni" Soyadi="Gelen")")) << file.toStdString();
    EXPECT_TRUE(file.contains(R"(GelisTarihi="2024-03-06 08:15:00" VerilenOdaNo="" AyrilisTarihi="2024-03-07 09:00:00")"));
    EXPECT_FALSE(storedNames(p.program->database()).contains(QStringLiteral("Yeni")));
}

TEST_F(TransferFixture, AFileThatCannotBeWrittenPurgesNobody)
{
    p.fake.fs.before = [](FaultyFileSystem::Op op, const QString&) { return op != FaultyFileSystem::Op::Write; };
    p.fake.dialogs.setNextFileName(target());
    p.form().startTransfer();
    ASSERT_EQ(p.fake.dialogs.messages.size(), 1);
    EXPECT_EQ(lastMessage().caption, QStringLiteral("Error"));
    EXPECT_EQ(lastMessage().text, kFailure);
    EXPECT_FALSE(QFile::exists(target()));
    EXPECT_EQ(storedNames(p.program->database()).size(), 5);
    expectWindowAttached();
}

TEST_F(TransferFixture, AGuestTheFileCannotCarryStopsTheRunBeforeAnythingIsWritten)
{
    p.program->database().exec(QStringLiteral("UPDATE Kisi SET Soyadi = ? WHERE Adi = 'Deniz'"),
                             {QString::fromUtf8("Wang 王")});
    guests().open();
    p.fake.dialogs.setNextFileName(target());
    p.form().startTransfer();
    ASSERT_EQ(p.fake.dialogs.messages.size(), 1);
    EXPECT_TRUE(lastMessage().text.contains(QStringLiteral("Deniz"))) << lastMessage().text.toStdString();
    EXPECT_FALSE(QFile::exists(target()));
    EXPECT_EQ(storedNames(p.program->database()).size(), 5);
    expectWindowAttached();
}

TEST_F(TransferFixture, FileNameGetsItsExtensionAndAnExistingFileIsReplacedOnlyWhenConfirmed)
{
    QFile old(target());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();
    // Typed without extension; the existing file is refused once, then accepted.
    p.fake.dialogs.setNextFileName(p.dir.path(QStringLiteral("kbs")));
    p.fake.dialogs.setNextAnswer(Dialogs::No);
    p.fake.dialogs.setNextFileName(p.dir.path(QStringLiteral("kbs")));
    p.fake.dialogs.setNextAnswer(Dialogs::Yes);
    p.form().startTransfer();

    ASSERT_EQ(p.fake.dialogs.saveRequests.size(), 2);
    ASSERT_EQ(p.fake.dialogs.messages.size(), 3);
    EXPECT_EQ(p.fake.dialogs.messages[0].caption, QStringLiteral("Veri Dosyası Kaydet..."));
    EXPECT_TRUE(p.fake.dialogs.messages[0].text.startsWith(QStringLiteral("kbs.xml")));
    EXPECT_EQ(p.fake.dialogs.messages[0].defaultButton, Dialogs::No);
    EXPECT_EQ(lastMessage().text, kSuccess + QDir::toNativeSeparators(target()));
    const QByteArray file = readAll(target());
    EXPECT_TRUE(file.startsWith("<?xml"));
    EXPECT_FALSE(file.contains("xxxx"));
    EXPECT_FALSE(file.contains('\n'));
}

TEST_F(TransferFixture, EmptyRegisterStillWritesTheFileAndCompacts)
{
    p.program->database().exec(QStringLiteral("DELETE FROM Kisi"));
    guests().open();
    p.fake.dialogs.setNextFileName(target());
    p.form().startTransfer();
    EXPECT_EQ(lastMessage().text, kSuccess + QDir::toNativeSeparators(target()));
    const QByteArray file = readAll(target());
    EXPECT_TRUE(file.endsWith("GonderenProgramVersiyon=\"v1.4.5\"></Konaklama>"));
    EXPECT_FALSE(QFile::exists(p.dir.path(QStringLiteral("radadir.dvb"))));
}

TEST_F(TransferFixture, AFailedCompactionIsReportedAndTheRunStillSucceeds)
{
    p.fake.fs.before = [](FaultyFileSystem::Op op, const QString& path) {
        return !(op == FaultyFileSystem::Op::Replace && path.endsWith(QStringLiteral("/radadir.dve")));
    };
    p.fake.dialogs.setNextFileName(target());
    p.form().startTransfer();
    ASSERT_EQ(p.fake.dialogs.messages.size(), 2);
    EXPECT_EQ(p.fake.dialogs.messages[0].text,
              QString::fromUtf8("Veri Tabanı Onarımınında Hata Oluştu.\rLütfen Program Satıcınız İle Temasa Geçiniz!"));
    EXPECT_EQ(lastMessage().text, kSuccess + QDir::toNativeSeparators(target()));
    EXPECT_EQ(storedNames(p.program->database()).size(), 3);
    expectWindowAttached();
}

TEST_F(TransferFixture, AfterARunTheToolbarDeleteAsksAgain)
{
    p.fake.dialogs.setNextFileName(target());
    p.form().startTransfer();
    p.fake.dialogs.clear();
    p.fake.dialogs.setNextAnswer(Dialogs::No);
    QTest::mouseClick(p.entry().button(7), Qt::LeftButton);
    ASSERT_EQ(p.fake.dialogs.messages.size(), 1);
    EXPECT_EQ(lastMessage().text, QString::fromUtf8("Bu Kaydı Silmek İstediğinize Emin Misiniz ?"));
    EXPECT_EQ(guests().recordCount(), 3);
}

// Ayşe and Cem, both staying, carry the same passport: the check shows them
// in its own window before anything is written.
TEST_F(TransferFixture, TheCheckBeforeTheRunGoesToAGuestOrGoesOn)
{
    p.program->database().exec(QStringLiteral("UPDATE Kisi SET KimlikSeriNo = 'U777' WHERE Adi IN ('Ayşe', 'Cem')"));
    guests().open();
    p.program->transfer()->reviewFindings = [this](const QList<Completeness::Finding>& findings) {
        return CompletenessDialog::ask(findings, &p.form());
    };
    // Kayda Git on the second guest listed: nothing written, the guest window on Cem.
    QStringList listed;
    onNextModal([&](QDialog* dialog) {
        auto* check = qobject_cast<CompletenessDialog*>(dialog);
        ASSERT_NE(check, nullptr);
        for (int row = 0; row < check->list()->model()->rowCount(); ++row)
            listed << check->list()->model()->index(row, 1).data().toString();
        QTest::keyClick(check->list(), Qt::Key_Down);
        QTest::keyClick(check->list(), Qt::Key_Return);
    });
    p.fake.dialogs.setNextFileName(target());
    p.form().startTransfer();
    EXPECT_EQ(listed, (QStringList{QStringLiteral("Ayşe Yılmaz"), QStringLiteral("Cem Yılmaz")}));
    EXPECT_FALSE(QFile::exists(target()));
    EXPECT_TRUE(p.fake.dialogs.messages.isEmpty());
    EXPECT_EQ(storedNames(p.program->database()).size(), 5);
    EXPECT_EQ(p.entry().nameBox->text(), QStringLiteral("Cem"));
    EXPECT_EQ(guests().text(QStringLiteral("Adi")), QStringLiteral("Cem"));
    // The focus in the box the problem is about, once the window is active.
    QWidget* serial = p.entry().serialBox;
    EXPECT_EQ(serial->window()->focusWidget(), serial);

    // Devam Et: the same file as a run on the same register without the check.
    ProgramFixture plain;
    plain.facilityCode = QStringLiteral("01234");
    plain.open({QStringLiteral("Ayşe"), QStringLiteral("Bora"), QStringLiteral("Cem"), QStringLiteral("Deniz"),
                QStringLiteral("Ece")},
               true, {kDeparted});
    // Every guest's serial alike in both registers.
    plain.program->database().exec(QStringLiteral("UPDATE Kisi SET KimlikSeriNo = 'U777'"));
    p.program->database().exec(QStringLiteral("UPDATE Kisi SET KimlikSeriNo = 'U777'"));
    plain.guests().open();
    guests().open();
    plain.program->transfer()->reviewFindings = nullptr;
    const QDateTime moment(QDate(2024, 3, 7), QTime(9, 5, 30));
    plain.fake.clock.set(moment);
    p.fake.clock.set(moment);
    plain.fake.dialogs.setNextFileName(plain.dir.path(QStringLiteral("kbs.xml")));
    plain.program->transfer()->run();

    bool shown = false;
    onNextModal([&](QDialog* dialog) {
        auto* check = qobject_cast<CompletenessDialog*>(dialog);
        shown = check != nullptr;
        if (check)
            QTest::mouseClick(check->goOnButton(), Qt::LeftButton);
        else
            dialog->reject();
    });
    p.fake.dialogs.setNextFileName(target());
    p.form().activateWindow();
    p.form().startTransfer();
    EXPECT_TRUE(shown);
    EXPECT_EQ(lastMessage().text, kSuccess + QDir::toNativeSeparators(target()));
    const QByteArray withCheck = readAll(target());
    EXPECT_FALSE(withCheck.isEmpty());
    EXPECT_EQ(withCheck, readAll(plain.dir.path(QStringLiteral("kbs.xml"))));
}

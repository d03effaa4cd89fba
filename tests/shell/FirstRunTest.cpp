// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/shell/Facility.h"
#include "gui/shell/FacilitySetupWindow.h"
#include "gui/shell/MainWindow.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBGrid.h"
#include "gui/widgets/DBMaskEdit.h"
#include "gui/widgets/EngravedLabel.h"
#include "gui/widgets/LedDisplay.h"
#include "gui/widgets/NumericEdit.h"
#include "platform/gui/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString kBadCode = u"Lütfen Tesis Kodunu Doğru Giriniz."_s;
const QString kShortName = u"Tesis Adı bölümü 5 karakterden az olamaz!"_s;
const QString kNameLength = u"Tesis Adı bölümü 5 karakterden az, 50 karakterden fazla olamaz!"_s;

// Shows the main window of a facility that is not set up and runs action on
// the first-run window it opens; whatever the action leaves open is closed.
// Returns the window that opened, or null.
FacilitySetupWindow* runFirstRun(ProgramFixture& p, const std::function<void(FacilitySetupWindow&)>& action)
{
    FacilitySetupWindow* opened = nullptr;
    onNextModal([&](QDialog* dialog) {
        opened = qobject_cast<FacilitySetupWindow*>(dialog);
        if (opened) {
            if (waitFor([opened] { return opened->codeBox->hasFocus(); }))
                action(*opened);
            else
                ADD_FAILURE() << "the code field has no focus";
        }
        if (dialog->isVisible())
            dialog->reject();
        p.program->mainWindow()->activateWindow();
    });
    p.show();
    return opened;
}

// Replaces the whole text of a field by typing.
void retype(QLineEdit* field, const QString& text)
{
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    typeText(field, text);
}

QList<QVariant> ayarRow(ProgramFixture& p)
{
    const QList<StoreRow> rows = p.program->database().load(u"Ayar"_s);
    return rows.isEmpty() ? QList<QVariant>() : rows[0].values;
}

TEST(FirstRun, OpensModallyWhileTheFacilityIsNotSetUp)
{
    ProgramFixture p;
    QString title;
    bool modal = false;
    FacilitySetupWindow* form = runFirstRun(p, [&](FacilitySetupWindow& f) {
        title = f.windowTitle();
        modal = f.isModal();
        EXPECT_EQ(f.codeBox->text(), u"0"_s);
        EXPECT_TRUE(f.nameBox->text().isEmpty());
        retype(f.codeBox, u"123"_s);
        retype(f.nameBox, u"Yarım kalan"_s);
    });
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(title, u"Sisteme İlk Giriş"_s);
    EXPECT_TRUE(modal);
    EXPECT_FALSE(form->isVisible());
    // Closed without a confirm: nothing stored, still not set up.
    EXPECT_TRUE(ayarRow(p).isEmpty());
    EXPECT_FALSE(p.form().renameFacilityAction->isEnabled());
    EXPECT_EQ(p.form().TesisKoduLed->text(), u"00000"_s);

    // Shown again: reset, whatever was typed before.
    bool reset = false;
    onNextModal([&](QDialog* dialog) {
        reset = form->codeBox->text() == u"0"_s && form->nameBox->text().isEmpty();
        dialog->reject();
    });
    form->exec();
    EXPECT_TRUE(reset);
}

TEST(FirstRun, EscDoesNotCloseTheWindowAndATransferRunWaitsForTheFacility)
{
    ProgramFixture p;
    bool stillOpen = false;
    runFirstRun(p, [&](FacilitySetupWindow& f) {
        QTest::keyClick(f.codeBox, Qt::Key_Escape);
        QTest::keyClick(f.nameBox, Qt::Key_Escape);
        stillOpen = f.isVisible();
    });
    EXPECT_TRUE(stillOpen);
    ASSERT_FALSE(p.form().facilitySetUp());

    // Closed by the window system (as runFirstRun did): a transfer run is
    // refused before its dialog, and the first-run window comes up again.
    QString opened;
    onNextModal([&](QDialog* dialog) {
        opened = dialog->objectName();
        dialog->reject();
        p.program->mainWindow()->activateWindow();
    });
    p.form().startTransfer();
    EXPECT_EQ(opened, u"TForm4"_s);
    EXPECT_TRUE(p.dialogs().saveRequests.isEmpty());
    ASSERT_EQ(p.dialogs().messages.size(), 1);
    EXPECT_EQ(p.dialogs().messages[0].text,
              u"Tesis bilgileri henüz girilmemiş.\rTransfer dosyası oluşturmadan önce lütfen Tesis Kodu'nu ve "
              u"Tesis Adı'nı giriniz."_s);
    EXPECT_EQ(p.dialogs().messages[0].caption, u"Rirede Zarevave Rurored"_s);
}

TEST(FirstRun, ANewRegisterIsNamedWithItsFullPath)
{
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "register there before" : "new register");
        ProgramFixture p;
        if (existing) {
            Database db(Database::kFileName);
            db.open();
        }
        QString shown;
        bool visible = false;
        runFirstRun(p, [&](FacilitySetupWindow& f) {
            auto* label = f.findChild<QLabel*>(u"NewRegisterLabel"_s);
            ASSERT_NE(label, nullptr);
            visible = label->isVisible();
            shown = label->text();
            EXPECT_LE(label->sizeHint().width(), label->width());
        });
        EXPECT_EQ(visible, !existing);
        if (!existing) {
            EXPECT_EQ(shown, u"Yeni kayıt dosyası oluşturuldu: "_s + QDir::toNativeSeparators(p.dir.databasePath()));
        }
    }
}

TEST(FirstRun, CodeIsCheckedBeforeNameAndBothBeforeStoring)
{
    struct Case { QString code; QString name; QString message; bool focusOnCode; };
    const Case cases[] = {
        {u"1234"_s, u"Otel Deniz"_s, kBadCode, true},
        {u""_s, u"abc"_s, kBadCode, true},
        {u"12345"_s, u"abcd"_s, kShortName, false},
        {u"12345"_s, u""_s, kShortName, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code.toStdString() + " / " + c.name.toStdString());
        ProgramFixture p;
        runFirstRun(p, [&](FacilitySetupWindow& f) {
            retype(f.codeBox, c.code);
            retype(f.nameBox, c.name);
            QLineEdit* atFault = c.focusOnCode ? static_cast<QLineEdit*>(f.codeBox) : f.nameBox;
            ASSERT_TRUE(focusOn(c.focusOnCode ? f.nameBox : static_cast<QLineEdit*>(f.codeBox)));
            QTest::mouseClick(f.okButton, Qt::LeftButton);
            ASSERT_EQ(p.fake.dialogs.messages.size(), 1);
            EXPECT_EQ(p.fake.dialogs.messages[0].text, c.message);
            EXPECT_EQ(p.fake.dialogs.messages[0].caption, u"Rirede Zarevave Rurored"_s);
            EXPECT_TRUE(waitFor([atFault] { return atFault->hasFocus(); }));
            EXPECT_TRUE(f.isVisible());
            EXPECT_EQ(f.codeBox->text(), c.code);
            EXPECT_EQ(f.nameBox->text(), c.name);
        });
        EXPECT_TRUE(ayarRow(p).isEmpty());
    }
}

TEST(FirstRun, FiveBlanksAreAName)
{
    ProgramFixture p;
    runFirstRun(p, [&](FacilitySetupWindow& f) {
        retype(f.codeBox, u"54321"_s);
        retype(f.nameBox, u"     "_s);
        QTest::mouseClick(f.okButton, Qt::LeftButton);
    });
    EXPECT_TRUE(p.fake.dialogs.messages.isEmpty());
    EXPECT_EQ(ayarRow(p), (QList<QVariant>{u"54321"_s, u"     "_s, qint64(1)}));
}

TEST(FirstRun, CodeFieldTakesDigitsOnly)
{
    ProgramFixture p;
    runFirstRun(p, [&](FacilitySetupWindow& f) {
        NumericEdit* code = f.codeBox;
        retype(code, u"12"_s);
        typeText(code, u"+-aZ"_s);
        QTest::keyClick(code, Qt::Key_Plus);
        QTest::keyClick(code, Qt::Key_Minus);
        EXPECT_EQ(code->text(), u"12"_s);
        typeText(code, u"3456"_s);
        EXPECT_EQ(code->text(), u"12345"_s);
        // A click selects the whole code, so typing replaces it.
        QTest::mouseClick(code, Qt::LeftButton, {}, QPoint(5, code->height() / 2));
        EXPECT_EQ(code->selectedText(), u"12345"_s);
    });
}

TEST(FirstRun, EnterConfirmsAndALeadingZeroIsKept)
{
    ProgramFixture p;
    bool closedByEnter = false;
    runFirstRun(p, [&](FacilitySetupWindow& f) {
        retype(f.codeBox, u"01234"_s);
        QTest::keyClick(f.codeBox, Qt::Key_Tab);
        ASSERT_TRUE(waitFor([&f] { return f.nameBox->hasFocus(); }));
        EXPECT_EQ(f.codeBox->text(), u"01234"_s);
        typeText(f.nameBox, u"Çamlık Жx"_s);
        QTest::keyClick(f.nameBox, Qt::Key_Backspace);
        typeText(f.nameBox, u"Pansiyon"_s);
        QTest::keyClick(f.nameBox, Qt::Key_Return);
        closedByEnter = !f.isVisible();
    });
    EXPECT_TRUE(closedByEnter);
    EXPECT_TRUE(p.fake.dialogs.messages.isEmpty());
    EXPECT_EQ(ayarRow(p), (QList<QVariant>{u"01234"_s, u"Çamlık Pansiyon"_s, qint64(1)}));
    // Shown at once, without a restart.
    MainWindow& main = p.form();
    EXPECT_TRUE(main.facilitySetUp());
    EXPECT_TRUE(main.renameFacilityAction->isEnabled());
    EXPECT_EQ(main.TesisKoduLed->text(), u"01234"_s);
    EXPECT_EQ(main.TesisAdiLabel->text(), u"Çamlık Pansiyon"_s);
}

TEST(FirstRun, SetUpFacilityNeverSeesTheWindow)
{
    ProgramFixture p;
    p.setUpFacility();
    p.show();
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(p.program->facilityWindow()->isVisible());
}

TEST(FacilityName, ChangeAcceptsFiveToFiftyCharacters)
{
    struct Case { const char* name; std::optional<QString> input; bool stored; };
    const QString current = u"Otel Deniz"_s;
    const Case cases[] = {
        {"fifty", QString(50, u'ş'), true},
        {"five blanks", u"     "_s, true},
        {"cancel", std::nullopt, true},
        {"fifty-one", QString(51, u'a'), false},
        {"four", u"Otel"_s, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFixture p;
        p.setUpFacility(u"12345"_s, current);
        p.show();
        MainWindow& f = p.form();
        QSignalSpy posts(f.settings, &Dataset::rowsChanged);
        p.fake.dialogs.setNextInput(c.input);
        f.renameFacilityAction->trigger();
        ASSERT_EQ(p.fake.dialogs.inputRequests.size(), 1);
        EXPECT_EQ(p.fake.dialogs.inputRequests[0],
                  (QStringList{u"Tesis Adı Değiştir"_s, u"Yeni Tesis Adını Giriniz:"_s, current}));
        const QString expected = c.stored ? c.input.value_or(current) : current;
        EXPECT_EQ(posts.count(), c.stored ? 1 : 0);
        EXPECT_EQ(ayarRow(p).value(1).toString(), expected);
        EXPECT_EQ(f.TesisAdiLabel->text(), expected);
        EXPECT_EQ(ayarRow(p).value(0).toString(), u"12345"_s);
        EXPECT_EQ(p.fake.dialogs.texts(), c.stored ? QStringList() : QStringList{kNameLength});
    }
}

} // namespace

TEST(FacilityName, TheRenameBoxShowsALongNameWholeAndTakesWhatTheFirstRunBoxTakes)
{
    const QString current = u"Otel Güneşli Deniz Manzaralı Ev"_s;
    QtDialogs dialogs;
    int shownWidth = 0;
    int needed = -1;
    onNextModal([&](QDialog* d) {
        auto* box = d->findChild<QLineEdit*>();
        if (!box) {
            d->reject();
            return;
        }
        needed = box->fontMetrics().horizontalAdvance(current);
        shownWidth = box->contentsRect().width() - box->textMargins().left() - box->textMargins().right();
        box->end(false);
        typeText(box, u" – Şile"_s);
        QTest::keyClick(box, Qt::Key_Return);
    });
    const std::optional<QString> name = dialogs.inputText(Facility::renameRequest(current));
    EXPECT_GE(shownWidth, needed);
    EXPECT_EQ(name, current + u"  Şile"_s);
}

TEST(FacilityCode, TheDisplayShowsEveryDigitWithTheSameMarginEitherSide)
{
    LedDisplay led;
    led.resize(65, 49);
    led.setText(u"88888"_s);
    const QImage image = led.grab().toImage();
    int first = image.width();
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGreen(image.pixel(x, y)) > 128) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    ASSERT_GE(last, 0);
    const int right = image.width() - 1 - last;
    EXPECT_GE(first, 2);
    EXPECT_GE(right, 2);
    EXPECT_LE(std::abs(first - right), 1);
}

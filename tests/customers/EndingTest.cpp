// SPDX-License-Identifier: GPL-3.0-or-later
#include "CustomerFixture.h"

#include "gui/shell/MainWindow.h"
#include "gui/widgets/DBEdit.h"
#include "gui/widgets/DBGrid.h"
#include "gui/widgets/DBMaskEdit.h"

#include <QAction>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace CustomerTests;

namespace {

const QString kUnsavedQuestion =
    u"Kaydedilmemiş bilgiler var.\rProgramı kapatmadan önce kaydetmek ister misiniz?"_s;
const QString kGuestPostError =
    u"Veri Girişi Problemi: Lütfen Eksik Bölümleri Doldurup Tekrar Deneyiniz.\rBoş bırakılan bölümler: Adı"_s;

class EndingTest : public ::testing::Test, public CustomerFixture
{
protected:
    // Runs the application's own event loop until it ends by itself or
    // the time is up; true when it ended by itself.
    static bool applicationEnds(const std::function<void()>& action, int ms)
    {
        bool timedOut = false;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, [&timedOut] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        QTimer::singleShot(0, action);
        limit.start(ms);
        QApplication::exec();
        return !timedOut;
    }
};

TEST_F(EndingTest, ClosingTheMainWindowEndsTheProgramWithTheCustomerWindowOpen)
{
    start(fourCustomers(), {u"Ali"_s});
    showCustomers();
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);

    // Closing the customer window alone ends nothing.
    EXPECT_FALSE(applicationEnds([this] { customerWindow().close(); }, 300));
    EXPECT_EQ(lastClosed.count(), 0);

    showCustomers();
    EXPECT_TRUE(applicationEnds([this] { mainWindow().close(); }, 3000));
    EXPECT_EQ(lastClosed.count(), 1);
    EXPECT_TRUE(dialogs().messages.isEmpty());
}

TEST_F(EndingTest, TheMenuItemEndsTheProgramLikeTheCloseButton)
{
    start(fourCustomers(), {u"Ali"_s});
    showCustomers();
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    EXPECT_TRUE(applicationEnds([this] { mainWindow().quitAction->trigger(); }, 3000));
    EXPECT_EQ(lastClosed.count(), 1);
}

// Something typed and not yet stored, in the guest or the customer window.
enum class Pending { Nothing, Guest, Customer, Both, GuestDate, CustomerDate, RefusedGuest, RefusedCustomer };

struct CloseCase
{
    const char* name;
    Pending pending;
    Dialogs::Button answer;
    bool closed;
    QStringList afterQuestion;   // messages shown after the question
};

void makePending(CustomerFixture& t, Pending pending)
{
    auto typeInto = [](QLineEdit* box, const QString& text) {
        box->end(false);
        typeText(box, text);
    };
    switch (pending) {
    case Pending::Nothing:
        break;
    case Pending::Guest:
        typeInto(t.e().nameBox, u"can"_s);
        break;
    case Pending::Customer:
        typeInto(t.box("DBEdit1"), u"han"_s);
        break;
    case Pending::Both:
        typeInto(t.e().nameBox, u"can"_s);
        typeInto(t.box("DBEdit1"), u"han"_s);
        break;
    case Pending::GuestDate:
        t.e().birthBox->setDate(QDate(1981, 1, 1));
        break;
    case Pending::CustomerDate:
        t.customerWindow().birthBox->setDate(QDate(1971, 1, 1));
        break;
    case Pending::RefusedGuest:
        t.e().nameBox->selectAll();
        QTest::keyClick(t.e().nameBox, Qt::Key_Backspace);
        break;
    case Pending::RefusedCustomer:
        t.customerWindow().codeBox->selectAll();
        QTest::keyClick(t.customerWindow().codeBox, Qt::Key_Backspace);
        break;
    }
}

TEST(EndingCases, ClosingWithSomethingUnsavedAsksOnce)
{
    const CloseCase cases[] = {
        {"nothing", Pending::Nothing, Dialogs::NoButton, true, {}},
        {"guest, Yes", Pending::Guest, Dialogs::Yes, true, {}},
        {"guest, No", Pending::Guest, Dialogs::No, true, {}},
        {"guest, Cancel", Pending::Guest, Dialogs::Cancel, false, {}},
        {"guest, box closed", Pending::Guest, Dialogs::NoButton, false, {}},
        {"customer, Yes", Pending::Customer, Dialogs::Yes, true, {}},
        {"customer, No", Pending::Customer, Dialogs::No, true, {}},
        {"customer, Cancel", Pending::Customer, Dialogs::Cancel, false, {}},
        {"both, Yes", Pending::Both, Dialogs::Yes, true, {}},
        {"both, No", Pending::Both, Dialogs::No, true, {}},
        {"guest birth date, Yes", Pending::GuestDate, Dialogs::Yes, true, {}},
        {"customer birth date, Yes", Pending::CustomerDate, Dialogs::Yes, true, {}},
        {"refused guest, Yes", Pending::RefusedGuest, Dialogs::Yes, false, {kGuestPostError}},
        {"refused customer, Yes", Pending::RefusedCustomer, Dialogs::Yes, false, {kCodeMessage}},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        CustomerFixture t;
        t.start(fourCustomers(), {u"Ali"_s});
        t.showCustomers();
        makePending(t, c.pending);
        const qint64 guest = t.p.ids[0];
        t.dialogs().setNextAnswer(c.answer);

        EXPECT_EQ(t.mainWindow().close(), c.closed);
        EXPECT_EQ(t.mainWindow().isVisible(), !c.closed);

        QStringList expected;
        if (c.pending != Pending::Nothing)
            expected << kUnsavedQuestion;
        expected << c.afterQuestion;
        ASSERT_EQ(t.dialogs().texts(), expected);
        if (!expected.isEmpty()) {
            const ScriptedDialogs::Shown& question = t.dialogs().messages[0];
            EXPECT_EQ(question.caption, kAppCaption);
            EXPECT_EQ(question.buttons, Dialogs::Buttons(Dialogs::Yes) | Dialogs::No | Dialogs::Cancel);
        }

        const bool saved = c.answer == Dialogs::Yes;
        const bool kept = !c.closed;
        const bool guestChanged = c.pending == Pending::Guest || c.pending == Pending::Both;
        const bool customerChanged = c.pending == Pending::Customer || c.pending == Pending::Both;
        if (guestChanged) {
            EXPECT_EQ(t.p.stored(u"Adi"_s, guest).toString(), saved ? u"Alican"_s : u"Ali"_s);
            EXPECT_EQ(t.guests().state(), kept ? State::Edit : State::Browse);
            if (kept) {
                EXPECT_EQ(t.e().nameBox->text(), u"Alican"_s);
            }
        }
        if (customerChanged) {
            EXPECT_EQ(t.storedCustomer(u"Adi"_s, u"K1"_s).toString(), saved ? u"Cemhan"_s : u"Cem"_s);
            EXPECT_EQ(t.customers().state(), kept ? State::Edit : State::Browse);
        }
        if (c.pending == Pending::GuestDate) {
            EXPECT_EQ(t.p.stored(u"DogumTarihi"_s, guest).toString(), u"1981-01-01"_s);
        }
        if (c.pending == Pending::CustomerDate) {
            EXPECT_EQ(t.storedCustomer(u"DogumTarihi"_s, u"K1"_s).toString(), u"1971-01-01"_s);
        }
        if (c.pending == Pending::RefusedGuest) {
            EXPECT_EQ(t.guests().state(), State::Edit);
        }
        if (c.pending == Pending::RefusedCustomer) {
            EXPECT_EQ(t.customers().state(), State::Edit);
        }
    }
}

class RunWithCustomersTest : public ::testing::Test, public CustomerFixture
{
protected:
    void SetUp() override
    {
        start(fourCustomers(), {u"Ali"_s, u"Veli"_s});
        showCustomers();
    }
    QString target() const { return p.dir.path(u"kbs.xml"_s); }
    void runTransfer() { QTest::mouseClick(e().button(11), Qt::LeftButton); }
};

TEST_F(RunWithCustomersTest, TheRunSavesAChangedCustomerFirst)
{
    click(5);
    QLineEdit* adi = box("DBEdit1");
    adi->end(false);
    typeText(adi, u"han"_s);
    dialogs().setNextFileName(target());
    runTransfer();
    ASSERT_EQ(dialogs().saveRequests.size(), 1);
    EXPECT_TRUE(QFile::exists(target()));
    EXPECT_EQ(storedCustomer(u"Adi"_s, u"K2"_s).toString(), u"Borahan"_s);
    ASSERT_EQ(dialogs().messages.size(), 1);
    EXPECT_EQ(dialogs().messages[0].caption, u"Information"_s);
}

TEST_F(RunWithCustomersTest, ARefusedCustomerStopsTheRunBeforeTheDialog)
{
    click(5);
    customerWindow().codeBox->selectAll();
    QTest::keyClick(customerWindow().codeBox, Qt::Key_Backspace);
    typeText(box("DBEdit1"), u"x"_s);
    dialogs().setNextFileName(target());
    runTransfer();
    EXPECT_TRUE(dialogs().saveRequests.isEmpty());
    EXPECT_EQ(dialogs().texts(), QStringList{kCodeMessage});
    EXPECT_FALSE(QFile::exists(target()));
    EXPECT_EQ(customers().state(), State::Edit);
    EXPECT_EQ(customerWindow().codeBox->text(), QString());
    EXPECT_EQ(storedCustomer(u"Adi"_s, u"K2"_s).toString(), u"Bora"_s);
    EXPECT_EQ(p.storedCount(), 2);
}

TEST_F(RunWithCustomersTest, AfterARunTheCustomerWindowShowsItsCustomersAgain)
{
    // Ordered by surname, on the third customer of that order.
    QHeaderView* header = customerWindow().customerList->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
    ASSERT_EQ(listed(customerWindow().customerList, 2), (QStringList{u"Aksoy"_s, u"Demir"_s, u"Demirel"_s, u"Kaya"_s}));
    dialogs().setNextFileName(target());
    runTransfer();
    ASSERT_EQ(dialogs().messages.size(), 1);
    ASSERT_EQ(dialogs().messages[0].caption, u"Information"_s);

    EXPECT_TRUE(customers().isOpen());
    EXPECT_EQ(customers().recordCount(), 4);
    EXPECT_EQ(customerWindow().customerList->model()->rowCount(), 4);
    EXPECT_EQ(customerWindow().codeBox->text(), customerWindow().customerList->model()->index(0, 0).data().toString());
    EXPECT_EQ(customerWindow().customerList->currentIndex().row(), 0);
    EXPECT_EQ(birthBox()->date(), customers().date(u"DogumTarihi"_s).value_or(kDayZero));
    EXPECT_EQ(box<QComboBox>("DBLookupComboBox1")->count(), p.tables().ulke->recordCount());

    // The window works on the reopened table.
    click(6);
    EXPECT_EQ(customers().recNo(), 3);
    typeText(customerWindow().searchBox, u"K2"_s);
    EXPECT_EQ(box("DBEdit1")->text(), u"Bora"_s);
    EXPECT_EQ(birthBox()->date(), kDayZero);
    click(5);
    EXPECT_EQ(box("DBEdit1")->text(), u"Ayla"_s);
    EXPECT_EQ(birthBox()->date(), QDate(1990, 3, 4));
}

} // namespace

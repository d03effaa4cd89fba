// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"

#include "platform/gui/QtDialogs.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Calls keepGoing() as a long work does until the condition holds.
bool workUntil(Dialogs::Work& work, const std::function<bool()>& condition, int ms = 4000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        work.keepGoing();
        QThread::msleep(5);
    }
    return true;
}

QProgressDialog* progressDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == u"WorkProgress"_s && w->isVisible())
            return static_cast<QProgressDialog*>(w);
    }
    return nullptr;
}

} // namespace

// A long work on the interface's thread: the windows go on painting but take
// no input; after a while the clerk sees a busy cursor, the text in the
// status bar and then a dialog whose "İptal" abandons the work; at its end
// everything is as before.
TEST(Work, ShowsItselfAfterAWhileTakesNoInputAndCanBeAbandoned)
{
    QLineEdit box;
    box.show();
    ASSERT_TRUE(focusOn(&box));
    QtDialogs dialogs;
    QString status = u"-"_s;
    dialogs.showStatus = [&](const QString& text) { status = text; };
    const QString what = u"Yedek alınıyor..."_s;
    {
        std::unique_ptr<Dialogs::Work> work = dialogs.beginWork({what, true, 600});
        EXPECT_TRUE(Dialogs::working());
        QCoreApplication::postEvent(&box, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a"_s));
        ASSERT_TRUE(workUntil(*work, [] { return progressDialog() != nullptr; }));
        EXPECT_EQ(box.text(), QString()) << "a key typed during the work reached the window";
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_EQ(status, what);
        EXPECT_EQ(progressDialog()->labelText(), what);
        auto* cancel = progressDialog()->findChild<QPushButton*>(u"WorkCancel"_s);
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), u"İptal"_s);
        EXPECT_TRUE(work->keepGoing());
        QTest::mouseClick(cancel, Qt::LeftButton);
        EXPECT_FALSE(work->keepGoing());
    }
    EXPECT_FALSE(Dialogs::working());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(status, QString());
    EXPECT_EQ(progressDialog(), nullptr);
    QTest::keyClicks(&box, u"b"_s);
    EXPECT_EQ(box.text(), u"b"_s);

    // A work too short to show itself hands the status bar back all the same:
    // what changed meanwhile (the server reached again) shows once it is over.
    status = u"-"_s;
    { const std::unique_ptr<Dialogs::Work> brief = dialogs.beginWork({what, false}); }
    EXPECT_EQ(status, QString());
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "platform/core/RadaError.h"
#include "gui/shell/Application.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTranslator>
#include <QTest>
#include <gtest/gtest.h>

// An error no handler caught is shown in the general error report and the
// program goes on with the next event.
TEST(Application, UncaughtDomainErrorGoesToTheErrorReport)
{
    ScriptedDialogs dialogs;
    RadaApplication::instance()->setErrorDialogs(&dialogs);
    QPushButton button(QStringLiteral("x"));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        ++clicks;
        throw RadaError(QStringLiteral("'1 3' is not a valid integer value"));
    });
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    RadaApplication::instance()->setErrorDialogs(nullptr);

    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("'1 3' is not a valid integer value"));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("Rirede Zarevave Rurored"));
    EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Error);
    EXPECT_EQ(dialogs.messages[0].buttons, Dialogs::Buttons(Dialogs::Ok));
}

// Qt's own texts (the file dialog of a run, a box's context menu) are
// Turkish once the program has loaded Qt's translation.
TEST(Application, QtsOwnTextsAreTurkish)
{
    const char* context = "QFileDialog";
    const char* lookIn = "Look in:";
    ASSERT_EQ(QCoreApplication::translate(context, lookIn), QString::fromLatin1(lookIn));
    QTranslator* translator = loadQtTranslation();
    ASSERT_NE(translator, nullptr);
    EXPECT_EQ(QCoreApplication::translate(context, lookIn), QStringLiteral("Arama konumu:"));
    EXPECT_EQ(QCoreApplication::translate("QLineEdit", "&Paste"), QStringLiteral("Ya&pıştır"));
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

#include "support/TestSupport.h"

#include "platform/core/RadaError.h"
#include "gui/shell/Application.h"

#include <QPushButton>
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

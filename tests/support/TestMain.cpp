// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PgTestServer.h"

#include "gui/shell/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform on Windows knows only the fonts in one folder,
    // none by default, and draws every letter as a box as wide as the font
    // is high; the test run names a folder of real fonts.
    if (qEnvironmentVariableIsSet("RADADIR_TEST_FONTS"))
        qputenv("QT_QPA_FONTDIR", qgetenv("RADADIR_TEST_FONTS"));
    RadaApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    PgTestServer::registerEnvironment();
    return RUN_ALL_TESTS();
}

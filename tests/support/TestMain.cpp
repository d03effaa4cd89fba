// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PgTestServer.h"

#include "gui/shell/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    RadaApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    PgTestServer::registerEnvironment();
    return RUN_ALL_TESTS();
}

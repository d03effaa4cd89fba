// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/ProgramFixture.h"

#include "gui/shell/AnnouncementPanel.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// The shortcut starts the program in the folder of the register in use.
TEST(Desktop, TheShortcutMenuItemsWriteTheProgramsShortcut)
{
    ProgramFixture p;
    p.open();
    p.form().desktopShortcutAction->trigger();
    p.form().quickLaunchShortcutAction->trigger();
    ASSERT_EQ(p.fake.shortcuts.created.size(), 2);
    for (const auto& created : p.fake.shortcuts.created) {
        EXPECT_EQ(created.target.name, u"Rirede Zarevave Rurored v1.4.5"_s);
        EXPECT_EQ(created.target.executable, QCoreApplication::applicationFilePath());
        EXPECT_EQ(created.target.workingDirectory, QFileInfo(p.dir.databasePath()).absolutePath());
        EXPECT_FALSE(created.target.icon.isEmpty());
    }
    EXPECT_EQ(p.fake.shortcuts.created[0].place, ShortcutPlace::Desktop);
    EXPECT_EQ(p.fake.shortcuts.created[1].place, ShortcutPlace::QuickLaunch);
    EXPECT_TRUE(p.dialogs().messages.isEmpty());
}

// Offline, or not set up: the banner, without a request; its file is gone
// once the panel has loaded it.
TEST(Desktop, TheAnnouncementPanelShowsTheBannerWithoutTheNetwork)
{
    for (const bool setUp : {false, true}) {
        SCOPED_TRACE(setUp ? "set up, offline" : "not set up");
        ProgramFixture p;
        if (setUp)
            p.setUpFacility();
        // The panel gets its page while the main window is made.
        p.start();
        ASSERT_TRUE(p.program);
        EXPECT_EQ(p.fake.connectivity.asked, setUp ? 1 : 0);
        EXPECT_TRUE(p.fake.http.asked.isEmpty());
        auto* panel = p.widget<AnnouncementPanel>(u"AnnouncementPanel"_s);
        EXPECT_EQ(panel->geometry(), QRect(232, 320, 216, 90));
        EXPECT_EQ(panel->address(), QUrl::fromLocalFile(p.dir.path(u"msg.kbs"_s)));
        EXPECT_TRUE(panel->browser()->toPlainText().contains(u"RIREDE ZAREVAVE RURORED 1.4.5"_s));
        EXPECT_TRUE(waitFor([&] { return !QFile::exists(p.dir.path(u"msg.kbs"_s)); }));
        EXPECT_EQ(panel->focusPolicy(), Qt::NoFocus);
    }
}

// Online and set up: the facility's page from the first server that has it.
TEST(Desktop, TheAnnouncementPanelShowsTheFacilitysPageWhenAServerHasIt)
{
    ProgramFixture p;
    p.setUpFacility(u"01234"_s);
    p.fake.connectivity.online = true;
    const QString secondary = u"http://duyuru2.radadir.com.tr/kbs/01234.html"_s;
    p.fake.http.existing << secondary;
    p.fake.http.pages.insert(secondary, "<html><body><p>Duyuru: yeni bildirim kurallar\xFD</p></body></html>");
    p.show();
    ASSERT_TRUE(p.program);
    EXPECT_EQ(p.fake.http.asked, (QStringList{u"http://duyuru.radadir.com.tr/kbs/01234.html"_s, secondary}));
    auto* panel = p.widget<AnnouncementPanel>(u"AnnouncementPanel"_s);
    EXPECT_EQ(panel->address(), QUrl(secondary));
    EXPECT_TRUE(panel->browser()->toPlainText().contains(u"Duyuru"_s));
    EXPECT_FALSE(QFile::exists(p.dir.path(u"msg.kbs"_s)));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/PgTestServer.h"
#include "support/ProgramFixture.h"
#include "support/TcpRelay.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/PgStore.h"
#include "core/register/Schema.h"
#include "gui/register/GuestEntry.h"
#include "gui/shell/MainWindow.h"
#include "gui/widgets/DBEdit.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLabel>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(ServerStart, AGuestTypedIsStoredOnTheServerAndTheFilesOwnItemsAreOff)
{
    ProgramFixture p;
    p.server = PgTestServer::instance().freshDatabase();
    p.open();
    ASSERT_TRUE(p.program->onServer());

    p.click(6);
    typeText(p.entry().nameBox, u"Zeynep"_s);
    for (const char* column : {"Soyadi", "Uyrugu", "KimlikBelgesiTuru", "KimlikSeriNo", "Cinsiyet", "IkametAdresi"})
        p.guests().setText(QString::fromLatin1(column), u"K"_s);
    p.click(8);
    ASSERT_EQ(p.guests().state(), Dataset::State::Browse);
    EXPECT_TRUE(p.dialogs().messages.isEmpty()) << p.dialogs().texts().join(u'|').toStdString();

    PgStore pg(p.server);
    pg.open();
    const QList<StoreRow> rows = pg.load(Schema::kisi().name);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].key, p.guests().key());
    EXPECT_EQ(rows[0].values.value(Schema::kisi().indexOf(u"Adi"_s)).toString(), u"Zeynep"_s);
    // Neither a register file nor its lock beside it.
    EXPECT_FALSE(QFileInfo::exists(p.dir.path(Database::kFileName)));
    EXPECT_FALSE(QFileInfo::exists(p.dir.path(Database::kFileName + u".lock"_s)));
    struct Item { const char* name; bool enabled; };
    const Item items[] = {{"KayitParolasi1", false}, {"YedeklemeKlasoru1", false}, {"YedektenGeriYukle1", false},
                          {"ImhaEt1", true}, {"TransferGecmisi1", true}};
    for (const Item& item : items) {
        const QAction* action = p.program->mainWindow()->findChild<QAction*>(QString::fromLatin1(item.name));
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->isEnabled(), item.enabled) << item.name;
    }
}

TEST(ServerStart, AServerThatCannotBeReachedEndsTheStartWithItsReason)
{
    ProgramFixture p;
    p.server = u"host=%1 dbname=otel connect_timeout=2"_s.arg(p.dir.path(u"no-server"_s));
    p.start();
    EXPECT_EQ(p.program, nullptr);
    EXPECT_EQ(p.exitCode, 1);
    ASSERT_EQ(p.dialogs().texts().size(), 1);
    EXPECT_TRUE(p.dialogs().texts().first().startsWith(Failure::kUnreachableLine + u'\r'))
        << p.dialogs().texts().first().toStdString();
    EXPECT_FALSE(QFileInfo::exists(p.dir.path(Database::kFileName)));
}

// While the desk cannot reach the server, its status bar says so; once the
// desk has connected again by itself, the status bar is as before.
TEST(ServerStart, TheStatusBarSaysSoWhileTheServerCannotBeReached)
{
    ProgramFixture p;
    const QString server = PgTestServer::instance().freshDatabase();
    TcpRelay relay(server);
    p.server = relay.connectionString();
    p.open();
    const QLabel* status = p.program->mainWindow()->findChild<QLabel*>(u"StatusPanel4"_s);
    ASSERT_NE(status, nullptr);
    const QString usual = status->text();
    const auto waitForStatus = [&](const std::function<bool(const QString&)>& holds) {
        QDeadlineTimer deadline(8000);
        while (!holds(status->text()) && !deadline.hasExpired())
            QTest::qWait(20);
        return holds(status->text());
    };

    relay.setRefusing(true);
    PgStore other(server);
    other.open();
    other.exec(u"SELECT pg_terminate_backend($1, 5000)"_s, {p.program->server()->connection().backendPid()});
    EXPECT_TRUE(waitForStatus([](const QString& text) { return text == MainWindow::kNoServerText; }));
    relay.setRefusing(false);
    EXPECT_TRUE(waitForStatus([&](const QString& text) { return text == usual; })) << status->text().toStdString();
    EXPECT_TRUE(p.program->server()->isOpen());
}

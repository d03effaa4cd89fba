// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include "doubles/FixedConnectivity.h"
#include "doubles/ScriptedHttp.h"
#include "core/register/CodePage.h"
#include "core/shell/Announcement.h"

#include <QElapsedTimer>
#include <QFile>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Records what the panel was given; the banner file is read when shown, as
// the panel reads it.
struct RecordingView : AnnouncementView
{
    struct Shown
    {
        QString kind;  // "page", "file", "memory"
        QString where;
        QByteArray bytes;
    };
    void showPage(const QUrl& address, const WebPage& page) override
    {
        shown.append({QStringLiteral("page"), address.toString(), page.body});
    }
    void showFile(const QString& path) override { shown.append({QStringLiteral("file"), path, readAll(path)}); }
    void showContent(const QByteArray& html) override { shown.append({QStringLiteral("memory"), {}, html}); }
    QList<Shown> shown;
};

const QString kVersion = QStringLiteral("v1.4.5");

// Two announcement servers on 127.0.0.1 and everything the start-up uses.
struct StartUp
{
    TestDir dir;
    TestHttpServer primary;
    TestHttpServer secondary;
    FixedConnectivity connectivity{true};
    NetworkHttp http{2500};
    FaultyFileSystem fs;
    RecordingView view;
    AnnouncementHosts hosts{primary.host(), secondary.host()};

    Announcement make(int budgetMs = Announcement::kBudgetMs)
    {
        return Announcement(connectivity, http, fs, view, dir.path(), kVersion, hosts, budgetMs);
    }
    QString banner() const { return dir.path(QStringLiteral("msg.kbs")); }
    int requests() const { return int(primary.requests.size() + secondary.requests.size()); }
};

} // namespace

TEST(Announcement, FacilityNotSetUpShowsTheBannerWithoutTheNetwork)
{
    StartUp s;
    s.primary.answer("/kbs/12345.html", 200, "birinci");
    Announcement a = s.make();
    bool statusShown = false;
    EXPECT_EQ(a.start(false, QStringLiteral("12345"), [&] { statusShown = true; }), Announcement::Shown::Banner);
    EXPECT_FALSE(statusShown);
    EXPECT_EQ(s.connectivity.asked, 0);
    EXPECT_EQ(s.requests(), 0);
    ASSERT_EQ(s.view.shown.size(), 1);
    EXPECT_EQ(s.view.shown[0].kind, QStringLiteral("file"));
    EXPECT_EQ(s.view.shown[0].where, s.banner());
    EXPECT_EQ(s.view.shown[0].bytes, Announcement::bannerPage(kVersion));

    a.documentComplete();
    EXPECT_FALSE(QFile::exists(s.banner()));
}

TEST(Announcement, OfflineShowsTheBannerAfterTheStatusLine)
{
    StartUp s;
    s.primary.answer("/kbs/12345.html", 200, "birinci");
    s.connectivity.online = false;
    Announcement a = s.make();
    int askedWhenStatusShown = -1;
    EXPECT_EQ(a.start(true, QStringLiteral("12345"), [&] { askedWhenStatusShown = s.connectivity.asked; }),
              Announcement::Shown::Banner);
    EXPECT_EQ(askedWhenStatusShown, 0);
    EXPECT_EQ(s.connectivity.asked, 1);
    EXPECT_EQ(s.requests(), 0);
    ASSERT_EQ(s.view.shown.size(), 1);
    EXPECT_EQ(s.view.shown[0].kind, QStringLiteral("file"));
}

// Which server's page is shown, for what the two servers answer. The page is
// shown under the address that was tested, also when it redirected.
TEST(Announcement, FirstServerWithThePageWins)
{
    const struct
    {
        int primary;
        int secondary;
        Announcement::Shown shown;
        QList<QByteArray> primaryPaths;
        QList<QByteArray> secondaryPaths;
    } cases[] = {
        {200, 200, Announcement::Shown::Primary, {"/kbs/12345.html", "/kbs/12345.html"}, {}},
        {404, 200, Announcement::Shown::Secondary, {"/kbs/12345.html"}, {"/kbs/12345.html", "/kbs/12345.html"}},
        {302, 200, Announcement::Shown::Primary, {"/kbs/12345.html", "/kbs/12345.html", "/tasindi.html"}, {}},
        {500, 302, Announcement::Shown::Secondary, {"/kbs/12345.html"}, {"/kbs/12345.html", "/kbs/12345.html", "/tasindi.html"}},
        {301, 404, Announcement::Shown::Banner, {"/kbs/12345.html"}, {"/kbs/12345.html"}},
        {404, 404, Announcement::Shown::Banner, {"/kbs/12345.html"}, {"/kbs/12345.html"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.primary << " / " << c.secondary);
        StartUp s;
        for (auto [server, status, body] : {std::tuple{&s.primary, c.primary, QByteArray("birinci")},
                                           std::tuple{&s.secondary, c.secondary, QByteArray("ikinci")}}) {
            if (status / 100 == 3) {
                server->redirect("/kbs/12345.html", server->url("/tasindi.html"), status);
                server->answer("/tasindi.html", 200, body);
            } else {
                server->answer("/kbs/12345.html", status, body);
            }
        }
        Announcement a = s.make();
        EXPECT_EQ(a.start(true, QStringLiteral("12345")), c.shown);
        EXPECT_EQ(s.primary.paths(), c.primaryPaths);
        EXPECT_EQ(s.secondary.paths(), c.secondaryPaths);
        ASSERT_EQ(s.view.shown.size(), 1);
        const auto& shown = s.view.shown[0];
        if (c.shown == Announcement::Shown::Banner) {
            EXPECT_EQ(shown.kind, QStringLiteral("file"));
            continue;
        }
        const bool first = c.shown == Announcement::Shown::Primary;
        EXPECT_EQ(shown.kind, QStringLiteral("page"));
        EXPECT_EQ(shown.where, (first ? s.primary : s.secondary).url("/kbs/12345.html"));
        EXPECT_EQ(shown.bytes, first ? "birinci" : "ikinci");
        EXPECT_FALSE(QFile::exists(s.banner()));
    }
}

// A page that exists but cannot be had for display (a redirect to a foreign
// host, an error page): the banner instead, and the foreign host is not asked.
TEST(Announcement, PageThatFailsToLoadGivesTheBanner)
{
    StartUp s;
    TestHttpServer foreign;
    foreign.answer("/x.html", 200, "yabanci");
    s.primary.redirect("/kbs/12345.html", foreign.url("/x.html"));
    s.secondary.answer("/kbs/12345.html", 200, "ikinci");
    Announcement a = s.make();
    EXPECT_EQ(a.start(true, QStringLiteral("12345")), Announcement::Shown::Banner);
    EXPECT_TRUE(foreign.requests.isEmpty());
    EXPECT_TRUE(s.secondary.requests.isEmpty());
    ASSERT_EQ(s.view.shown.size(), 1);
    EXPECT_EQ(s.view.shown[0].kind, QStringLiteral("file"));
}

TEST(Announcement, StalledServersGiveTheBanner)
{
    StartUp s;
    s.primary.stall("/kbs/12345.html");
    s.secondary.stall("/kbs/12345.html");
    NetworkHttp quick(200);
    Announcement a(s.connectivity, quick, s.fs, s.view, s.dir.path(), kVersion, s.hosts);
    EXPECT_EQ(a.start(true, QStringLiteral("12345")), Announcement::Shown::Banner);
    EXPECT_EQ(s.primary.paths(), QList<QByteArray>{"/kbs/12345.html"});
    EXPECT_EQ(s.secondary.paths(), QList<QByteArray>{"/kbs/12345.html"});
}

// The budget bounds the whole check, whatever a single request may take:
// with two stalled servers and a minute per request it still ends.
TEST(Announcement, BudgetEndsTheCheck)
{
    StartUp s;
    s.primary.stall("/kbs/12345.html");
    s.secondary.stall("/kbs/12345.html");
    NetworkHttp slow(60000);
    Announcement a(s.connectivity, slow, s.fs, s.view, s.dir.path(), kVersion, s.hosts, 300);
    QElapsedTimer sanity;
    sanity.start();
    EXPECT_EQ(a.start(true, QStringLiteral("12345")), Announcement::Shown::Banner);
    EXPECT_LT(sanity.elapsed(), 30000);
    EXPECT_EQ(s.primary.requests.size(), 1);
}

TEST(Announcement, StaleBannerFileIsOverwrittenThenDeleted)
{
    StartUp s;
    QFile stale(s.banner());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("eski duyuru, uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun"
                "uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun"
                "uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun"
                "uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun"
                "uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun"
                "uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun uzun");
    stale.close();
    Announcement a = s.make();
    a.start(false, QStringLiteral("12345"));
    EXPECT_EQ(s.view.shown.value(0).bytes, Announcement::bannerPage(kVersion));
    EXPECT_EQ(readAll(s.banner()), Announcement::bannerPage(kVersion));
    a.documentComplete();
    EXPECT_FALSE(QFile::exists(s.banner()));
    // Again, with no file left: nothing happens.
    a.documentComplete();
    EXPECT_FALSE(QFile::exists(s.banner()));
}

// A server page completing its load also removes a banner file left over.
TEST(Announcement, ServerPageCompletionRemovesALeftoverBanner)
{
    StartUp s;
    s.primary.answer("/kbs/12345.html", 200, "birinci");
    QFile stale(s.banner());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("eski");
    stale.close();
    Announcement a = s.make();
    EXPECT_EQ(a.start(true, QStringLiteral("12345")), Announcement::Shown::Primary);
    EXPECT_TRUE(QFile::exists(s.banner()));
    a.documentComplete();
    EXPECT_FALSE(QFile::exists(s.banner()));
}

TEST(Announcement, UnwritableProgramFolderShowsTheBannerFromMemoryOnce)
{
    StartUp s;
    int writes = 0;
    s.fs.before = [&](FaultyFileSystem::Op op, const QString&) {
        if (op != FaultyFileSystem::Op::Write)
            return true;
        ++writes;
        return false;
    };
    s.connectivity.online = false;
    Announcement a = s.make();
    EXPECT_EQ(a.start(true, QStringLiteral("12345")), Announcement::Shown::BannerFromMemory);
    a.documentComplete();
    EXPECT_EQ(writes, 1);
    ASSERT_EQ(s.view.shown.size(), 1);
    EXPECT_EQ(s.view.shown[0].kind, QStringLiteral("memory"));
    EXPECT_EQ(s.view.shown[0].bytes, Announcement::bannerPage(kVersion));
    EXPECT_FALSE(QFile::exists(s.banner()));
}

namespace {

// The attributes of the next start element named name.
QHash<QString, QString> nextElement(QXmlStreamReader& xml, const QString& name)
{
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == name) {
            QHash<QString, QString> out;
            for (const auto& a : xml.attributes())
                out.insert(a.name().toString(), a.value().toString());
            return out;
        }
    }
    ADD_FAILURE() << "no element " << name.toStdString() << ": " << xml.errorString().toStdString();
    return {};
}

} // namespace

// The banner's bytes and structure, read back with an XML reader.
TEST(Announcement, BannerPage)
{
    const QByteArray bytes = Announcement::bannerPage(kVersion);
    // Windows-1254, every line ended by CR LF.
    EXPECT_TRUE(bytes.endsWith("</html>\r\n"));
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n"));
    EXPECT_EQ(bytes.count("\r"), bytes.count("\r\n"));
    EXPECT_TRUE(bytes.contains("te\xFE" "ekk\xFC" "r"));
    EXPECT_TRUE(bytes.contains("g\xF6r\xFC\xFE" "leriniz"));
    EXPECT_TRUE(bytes.contains("kulland\xFD\xF0\xFDn\xFDz"));
    EXPECT_TRUE(bytes.contains("g\xF6nderebilirsiniz."));
    EXPECT_TRUE(bytes.contains("charset=iso-8859-9"));

    const QString text = CodePage::fromWindows1254(bytes);
    EXPECT_TRUE(text.contains(QStringLiteral(".style1 { font-family: Verdana, Arial, Helvetica, sans-serif; "
                                             "font-size: 10px; font-weight: bold; color: #666666; }")));
    EXPECT_TRUE(text.contains(QStringLiteral(".style2 { color: #0000FF; }")));
    EXPECT_TRUE(text.contains(QStringLiteral("margin: 0px; overflow: hidden;")));

    QXmlStreamReader xml(text);
    auto body = nextElement(xml, QStringLiteral("body"));
    EXPECT_EQ(body.value(QStringLiteral("scroll")), QStringLiteral("no"));
    EXPECT_EQ(body.value(QStringLiteral("leftmargin")), QStringLiteral("0"));
    EXPECT_EQ(body.value(QStringLiteral("topmargin")), QStringLiteral("0"));
    for (const char* handler : {"onselectstart", "ondragstart", "oncontextmenu"})
        EXPECT_EQ(body.value(QLatin1String(handler)), QStringLiteral("return false")) << handler;
    EXPECT_EQ(body.value(QStringLiteral("style")), QStringLiteral("cursor: default"));

    const auto table = nextElement(xml, QStringLiteral("table"));
    EXPECT_EQ(table, (QHash<QString, QString>{{QStringLiteral("width"), QStringLiteral("212")},
                                              {QStringLiteral("height"), QStringLiteral("86")},
                                              {QStringLiteral("border"), QStringLiteral("0")},
                                              {QStringLiteral("cellpadding"), QStringLiteral("0")},
                                              {QStringLiteral("cellspacing"), QStringLiteral("0")},
                                              {QStringLiteral("class"), QStringLiteral("style1")}}));
    const auto cell1 = nextElement(xml, QStringLiteral("td"));
    EXPECT_EQ(cell1.value(QStringLiteral("align")), QStringLiteral("center"));
    EXPECT_EQ(cell1.value(QStringLiteral("valign")), QStringLiteral("middle"));
    EXPECT_EQ(cell1.value(QStringLiteral("bgcolor")), QStringLiteral("#ffcc00"));
    const auto p = nextElement(xml, QStringLiteral("p"));
    EXPECT_EQ(p.value(QStringLiteral("align")), QStringLiteral("center"));
    EXPECT_EQ(p.value(QStringLiteral("class")), QStringLiteral("style2"));
    EXPECT_EQ(xml.readElementText(), QStringLiteral("RIREDE ZAREVAVE RURORED 1.4.5"));

    const auto cell2 = nextElement(xml, QStringLiteral("td"));
    EXPECT_EQ(cell2.value(QStringLiteral("height")), QStringLiteral("15"));
    EXPECT_EQ(cell2.value(QStringLiteral("align")), QStringLiteral("center"));
    EXPECT_EQ(cell2.value(QStringLiteral("bgcolor")), QStringLiteral("#FFFF22"));
    const auto marquee = nextElement(xml, QStringLiteral("marquee"));
    EXPECT_EQ(marquee.value(QStringLiteral("width")), QStringLiteral("100%"));
    EXPECT_EQ(marquee.value(QStringLiteral("bgcolor")), QStringLiteral("#FFFF22"));
    EXPECT_EQ(marquee.value(QStringLiteral("class")), QStringLiteral("style1"));
    EXPECT_EQ(marquee.value(QStringLiteral("direction")), QStringLiteral("left"));
    EXPECT_EQ(marquee.value(QStringLiteral("scrollamount")), QStringLiteral("3"));
    EXPECT_EQ(marquee.value(QStringLiteral("scrolldelay")), QStringLiteral("50"));
    EXPECT_EQ(marquee.value(QStringLiteral("onmouseover")), QStringLiteral("this.scrollAmount=1"));
    EXPECT_EQ(marquee.value(QStringLiteral("onmouseout")), QStringLiteral("this.scrollAmount=3"));
    EXPECT_EQ(marquee.value(QStringLiteral("onmousedown")), QStringLiteral("this.stop()"));
    EXPECT_EQ(marquee.value(QStringLiteral("onmouseup")), QStringLiteral("this.start()"));
    const QString running = xml.readElementText(QXmlStreamReader::IncludeChildElements);
    EXPECT_EQ(running, QStringLiteral("Kelvane.NET Rirede Zarevave Rurored'ni kullandığınız için teşekkür ederiz. "
                                      "Program ile ilgili sorunlarınız ve görüşleriniz için destek@radadir.com.tr "
                                      "adresine mail gönderebilirsiniz."));
    EXPECT_TRUE(text.contains(QStringLiteral("<a href=\"mailto:destek@radadir.com.tr\">destek@radadir.com.tr</a>")));
    while (!xml.atEnd())
        xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
}

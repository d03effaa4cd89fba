// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include "platform/core/Http.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <gtest/gtest.h>

namespace {

QDeadlineTimer forever()
{
    return QDeadlineTimer(QDeadlineTimer::Forever);
}

// A port on 127.0.0.1 that nobody listens on.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace

TEST(UrlExists, OnlyStatus200And302Count)
{
    TestHttpServer server;
    NetworkHttp http;
    const struct
    {
        int status;
        bool exists;
    } cases[] = {{200, true}, {302, true}, {301, false}, {303, false}, {307, false}, {404, false}, {500, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        const QByteArray path = "/kbs/" + QByteArray::number(c.status) + ".html";
        if (c.status / 100 == 3)
            server.redirect(path, server.url("/elsewhere.html"), c.status);
        else
            server.answer(path, c.status, "<html></html>");
        server.requests.clear();
        EXPECT_EQ(http.urlExists(server.url(path), forever()), c.exists);
        // One plain GET with the program's agent; a redirect is not followed.
        ASSERT_EQ(server.paths(), QList<QByteArray>{path});
        EXPECT_EQ(server.requests[0].method, "GET");
        EXPECT_EQ(server.requests[0].headers.value("user-agent"), "InetURL:/1.0");
    }
}

TEST(UrlExists, SchemeIsAddedWhenMissing)
{
    TestHttpServer server;
    server.answer("/kbs/12345.html", 200);
    NetworkHttp http;
    // Without the scheme it is put in front.
    EXPECT_TRUE(http.urlExists(server.host() + QStringLiteral("/kbs/12345.html"), forever()));
    // Found in any case, anywhere: the address is taken as it is.
    EXPECT_TRUE(http.urlExists(QStringLiteral("HTTP://") + server.host() + QStringLiteral("/kbs/12345.html"), forever()));
    EXPECT_EQ(server.requests.size(), 2);
    // "https://" does not contain "http://": the prefix makes it unusable.
    EXPECT_FALSE(http.urlExists(QStringLiteral("https://") + server.host() + QStringLiteral("/kbs/12345.html"), forever()));
    EXPECT_EQ(server.requests.size(), 2);
}

TEST(UrlExists, StalledServerGivesUp)
{
    TestHttpServer server;
    server.stall("/kbs/12345.html");
    NetworkHttp http(300);
    QElapsedTimer sanity;
    sanity.start();
    EXPECT_FALSE(http.urlExists(server.url("/kbs/12345.html"), forever()));
    EXPECT_EQ(server.paths(), QList<QByteArray>{"/kbs/12345.html"});
    EXPECT_LT(sanity.elapsed(), 60000);
}

TEST(UrlExists, NoServerOrNoTimeLeftGivesFalse)
{
    NetworkHttp http;
    EXPECT_FALSE(http.urlExists(QStringLiteral("http://127.0.0.1:%1/kbs/1.html").arg(closedPort()), forever()));

    // A spent budget sends nothing at all.
    TestHttpServer server;
    server.answer("/kbs/1.html", 200);
    EXPECT_FALSE(http.urlExists(server.url("/kbs/1.html"), QDeadlineTimer(0)));
    EXPECT_TRUE(server.requests.isEmpty());
}

TEST(FetchPage, FollowsRedirectsToAllowedHostsOnly)
{
    TestHttpServer first;
    TestHttpServer second;
    TestHttpServer stranger;
    first.redirect("/kbs/1.html", second.url("/a.html"), 302);
    second.redirect("/a.html", QStringLiteral("/b.html"), 301);   // relative target
    second.answer("/b.html", 200, "<p>duyuru</p>");
    first.redirect("/kbs/2.html", stranger.url("/x.html"));
    stranger.answer("/x.html", 200, "<p>yabancı</p>");
    const QStringList allowed = {first.host(), second.host()};
    NetworkHttp http;

    const auto page = http.fetchPage(QUrl(first.url("/kbs/1.html")), allowed, forever());
    ASSERT_TRUE(page.has_value()) << first.paths().join(' ').toStdString() << " | " << second.paths().join(' ').toStdString();
    EXPECT_EQ(page->body, "<p>duyuru</p>");
    EXPECT_EQ(page->url, QUrl(second.url("/b.html")));
    EXPECT_EQ(second.paths(), (QList<QByteArray>{"/a.html", "/b.html"}));

    EXPECT_FALSE(http.fetchPage(QUrl(first.url("/kbs/2.html")), allowed, forever()).has_value());
    EXPECT_TRUE(stranger.requests.isEmpty());

    // A host allowed without a port is allowed on any port.
    EXPECT_TRUE(http.fetchPage(QUrl(first.url("/kbs/2.html")), {QStringLiteral("127.0.0.1")}, forever()).has_value());
    EXPECT_EQ(stranger.paths(), QList<QByteArray>{"/x.html"});
}

TEST(FetchPage, FailsOnTooManyRedirectsErrorsAndStalls)
{
    TestHttpServer server;
    for (int i = 0; i < 7; ++i)
        server.redirect("/r" + QByteArray::number(i), server.url("/r" + QByteArray::number(i + 1)));
    server.answer("/r7", 200, "son");
    server.answer("/yok", 404, "not here");
    server.answer("/bos", 200, "");
    server.stall("/takili");
    const QStringList allowed = {server.host()};
    // Each request's time is ample for a loaded machine, and the stall ends
    // at it.
    NetworkHttp http(2000, 5);

    // Five redirects are followed, the sixth is not.
    EXPECT_TRUE(http.fetchPage(QUrl(server.url("/r2")), allowed, forever()).has_value());
    server.requests.clear();
    EXPECT_FALSE(http.fetchPage(QUrl(server.url("/r1")), allowed, forever()).has_value());
    EXPECT_EQ(server.requests.size(), 6);

    EXPECT_FALSE(http.fetchPage(QUrl(server.url("/yok")), allowed, forever()).has_value());
    const auto empty = http.fetchPage(QUrl(server.url("/bos")), allowed, forever());
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->body.isEmpty());

    server.requests.clear();
    EXPECT_FALSE(http.fetchPage(QUrl(server.url("/takili")), allowed, forever()).has_value());
    EXPECT_EQ(server.paths(), QList<QByteArray>{"/takili"});
}

TEST(FetchPage, CarriesTheContentType)
{
    TestHttpServer server;
    server.answer("/p.html", TestHttpServer::Answer{200, {{"Content-Type", "text/html; charset=windows-1254"}}, "x", false});
    NetworkHttp http;
    const auto page = http.fetchPage(QUrl(server.url("/p.html")), {server.host()}, forever());
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->contentType, "text/html; charset=windows-1254");
}

// A page larger than the limit is refused however its size shows: announced
// (then before its body is read: here the body never comes), only as it
// streams in without a length, or only once it is decompressed.
TEST(FetchPage, RefusesPagesLargerThanTheLimit)
{
    using Answer = TestHttpServer::Answer;
    const qint64 limit = Http::kMaxPageBytes;
    const QByteArray atLimit(limit, 'a');
    const QByteArray over(limit + 1, 'a');
    const struct
    {
        const char* name;
        Answer answer;
        bool taken;
    } cases[] = {
        {"announced, body never sent", Answer{200, {{"Content-Length", QByteArray::number(limit + 1)}}, {}, false, false, true}, false},
        {"announced and sent", Answer{200, {}, over, false}, false},
        {"no length, ends when closed", Answer{200, {}, QByteArray(8 * limit, 'a'), false, false}, false},
        {"small on the wire, too large unpacked",
         Answer{200, {{"Content-Encoding", "deflate"}}, qCompress(over).mid(4), false}, false},
        {"at the limit", Answer{200, {}, atLimit, false}, true},
        {"at the limit without a length", Answer{200, {}, atLimit, false, false}, true},
    };
    TestHttpServer server;
    NetworkHttp http(20000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.answer("/kbs/1.html", c.answer);
        QElapsedTimer sanity;
        sanity.start();
        const auto page = http.fetchPage(QUrl(server.url("/kbs/1.html")), {server.host()}, forever());
        EXPECT_EQ(page.has_value(), c.taken);
        if (page) {
            EXPECT_TRUE(page->body == atLimit);
        }
        // Refused at once, not when the request times out.
        EXPECT_LT(sanity.elapsed(), 10000);
    }
}

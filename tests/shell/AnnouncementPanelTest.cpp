// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"
#include "support/TestHttpServer.h"

#include "gui/shell/AnnouncementPanel.h"

#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// The panel between two text boxes, as in the main window.
struct Window
{
    QWidget window;
    QLineEdit* before = new QLineEdit(&window);
    AnnouncementPanel* panel = new AnnouncementPanel(&window);
    QLineEdit* after = new QLineEdit(&window);
    Window()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(panel);
        layout->addWidget(after);
        window.show();
        window.activateWindow();
    }
    bool insidePanel(const QWidget* w) const { return w && (w == panel || panel->isAncestorOf(w)); }
};

QString bannerFile(const TestDir& dir)
{
    const QString path = dir.path(QStringLiteral("msg.kbs"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(Announcement::bannerPage(QStringLiteral("v1.4.5")));
    return path;
}

// A page with the same image in the view and in the ticker.
QByteArray pageWithImage(const QString& source)
{
    return QStringLiteral("<html><body><p>Duyuru</p><img src=\"%1\"><p>Son</p>"
                          "<marquee>Kayan <img src=\"%1\"> yazı</marquee></body></html>")
        .arg(source)
        .toUtf8();
}

// Unless stopped within ten seconds, opens the named pipe as a writer would,
// again and again until stopped: every reader blocked on it gets to its end,
// and the test fails instead of hanging.
struct PipeWatchdog
{
    explicit PipeWatchdog(const QString& path)
        : thread([this, path] {
              const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
              while (!stopped && std::chrono::steady_clock::now() < deadline)
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              while (!stopped) {
                  fired = true;
                  // For reading and writing: this open does not wait for a partner.
                  QFile pipe(path);
                  pipe.open(QIODevice::ReadWrite);
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              }
          })
    {
    }
    ~PipeWatchdog() { stop(); }
    // Whether it had to step in.
    bool stop()
    {
        stopped = true;
        if (thread.joinable())
            thread.join();
        return fired;
    }
    std::atomic<bool> stopped = false;
    std::atomic<bool> fired = false;
    std::thread thread;
};

} // namespace

TEST(AnnouncementPanel, NeverTakesTheFocus)
{
    Window w;
    TestDir dir;
    w.panel->showFile(bannerFile(dir));
    ASSERT_TRUE(focusOn(w.before));
    for (int i = 0; i < 6; ++i) {
        press(Qt::Key_Tab);
        EXPECT_FALSE(w.insidePanel(QApplication::focusWidget()));
    }
    for (int i = 0; i < 6; ++i) {
        press(Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_FALSE(w.insidePanel(QApplication::focusWidget()));
    }
    // A click on the page does not reach it either.
    QTest::mouseClick(w.panel->browser()->viewport(), Qt::LeftButton, {}, QPoint(100, 40));
    EXPECT_FALSE(w.insidePanel(QApplication::focusWidget()));
    EXPECT_EQ(w.panel->focusPolicy(), Qt::NoFocus);
    for (const QWidget* child : w.panel->findChildren<QWidget*>())
        EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->metaObject()->className();
    EXPECT_TRUE(w.panel->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(w.panel->size(), QSize(216, 90));
}

// A page that names an image, a style sheet and a link on a server: the
// server is asked for nothing.
TEST(AnnouncementPanel, FetchesNothingByItself)
{
    TestHttpServer server;
    server.answer("/resim.png", 200, "PNG");
    server.answer("/stil.css", 200, "p { color: red }");
    const QUrl address(server.url("/kbs/12345.html"));
    const QByteArray html = "<html><head><link rel=\"stylesheet\" href=\"" + server.url("/stil.css").toUtf8()
                          + "\"></head><body><img src=\"" + server.url("/resim.png").toUtf8()
                          + "\"><img src=\"goreli.png\"><a href=\"" + server.url("/sayfa.html").toUtf8()
                          + "\">bağlantı</a></body></html>";
    AnnouncementPanel panel;
    QSignalSpy complete(&panel, &AnnouncementPanel::documentComplete);
    panel.showPage(address, WebPage{address, html, "text/html; charset=utf-8"});
    panel.show();
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    // The view asked for its resources and got none of them.
    EXPECT_GE(panel.browser()->refused.size(), 2);
    EXPECT_TRUE(server.requests.isEmpty());
    EXPECT_TRUE(panel.browser()->toPlainText().contains(QStringLiteral("bağlantı")));
    ASSERT_EQ(complete.count(), 1);
    EXPECT_EQ(complete[0][0].toUrl(), address);
}

TEST(AnnouncementPanel, BannerFileShowsTurkishLettersAndRuns)
{
    TestDir dir;
    const QString path = bannerFile(dir);
    AnnouncementPanel panel;
    QSignalSpy complete(&panel, &AnnouncementPanel::documentComplete);
    panel.showFile(path);
    panel.show();
    ASSERT_EQ(complete.count(), 1);
    EXPECT_EQ(complete[0][0].toUrl(), QUrl::fromLocalFile(path));
    EXPECT_EQ(panel.address(), QUrl::fromLocalFile(path));
    EXPECT_TRUE(panel.browser()->toPlainText().contains(QStringLiteral("RIREDE ZAREVAVE RURORED 1.4.5")));

    // The running line is the ticker's, not the view's.
    Ticker* ticker = panel.ticker();
    EXPECT_FALSE(panel.browser()->toPlainText().contains(QStringLiteral("teşekkür")));
    EXPECT_EQ(ticker->text(), QStringLiteral("Kelvane.NET Rirede Zarevave Rurored'ni kullandığınız için teşekkür ederiz. "
                                             "Program ile ilgili sorunlarınız ve görüşleriniz için "
                                             "destek@radadir.com.tr adresine mail gönderebilirsiniz."));
    EXPECT_TRUE(ticker->isVisible());
    EXPECT_EQ(ticker->width(), 212);
    EXPECT_GE(ticker->geometry().top(), 60);
}

TEST(AnnouncementPanel, TickerMovesThreePixelsPerTickAndComesBack)
{
    TestDir dir;
    AnnouncementPanel panel;
    panel.showFile(bannerFile(dir));
    panel.show();
    Ticker* ticker = panel.ticker();
    EXPECT_TRUE(ticker->timer().isActive());
    EXPECT_EQ(ticker->timer().interval(), 50);

    const int start = ticker->position();
    ticker->step();
    EXPECT_EQ(ticker->position(), start - 3);
    ticker->step();
    EXPECT_EQ(ticker->position(), start - 6);

    // Once the whole text has left on the left it enters again on the right.
    int previous = ticker->position();
    int steps = 0;
    for (; steps < 10000; ++steps) {
        ticker->step();
        if (ticker->position() > previous)
            break;
        ASSERT_EQ(ticker->position(), previous - 3);
        previous = ticker->position();
    }
    ASSERT_LT(steps, 10000);
    EXPECT_GT(previous + ticker->textWidth(), 0);
    EXPECT_LE(previous - 3 + ticker->textWidth(), 0);
    EXPECT_EQ(ticker->position(), ticker->width());
}

// A page's own charset: the header first, then the page's declaration.
TEST(AnnouncementPanel, PagesAreDecodedByTheirCharset)
{
    const QByteArray turkish1254 = "\xDE\x65ker \xE7\x61y \xFD\xF0\xFD\x6B";   // "Şeker çay ığık"
    const QString expected = QStringLiteral("Şeker çay ığık");
    const struct
    {
        QByteArray body;
        QByteArray contentType;
    } cases[] = {
        {"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-9\"></head><body>"
             + turkish1254 + "</body></html>", {}},
        {"<html><head><meta charset=\"windows-1254\"></head><body>" + turkish1254 + "</body></html>", {}},
        {"<html><body>" + turkish1254 + "</body></html>", "text/html; charset=ISO-8859-9"},
        {"<html><body>" + expected.toUtf8() + "</body></html>", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.toStdString());
        EXPECT_TRUE(AnnouncementPanel::decodePage(c.body, c.contentType).contains(expected));
    }
}

// The banner from memory is shown the same way and reported without an address.
TEST(AnnouncementPanel, BannerFromMemory)
{
    AnnouncementPanel panel;
    QSignalSpy complete(&panel, &AnnouncementPanel::documentComplete);
    panel.showContent(Announcement::bannerPage(QStringLiteral("v1.4.5")));
    ASSERT_EQ(complete.count(), 1);
    EXPECT_TRUE(complete[0][0].toUrl().isEmpty());
    EXPECT_TRUE(panel.ticker()->text().contains(QStringLiteral("görüşleriniz")));
}

// Whatever an image names, a file by its address, a file by a path relative to
// the working directory or the image itself in a data: address, the view and
// the ticker draw nothing of it: the page lays out as with an image that
// does not exist.
TEST(AnnouncementPanel, ImagesAreNeverLoaded)
{
    TestDir dir;
    QImage picture(200, 200, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(dir.path(QStringLiteral("resim.png")), "PNG"));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"));

    const QUrl address(QStringLiteral("http://127.0.0.1/kbs/12345.html"));
    // Laid out with an image that nobody has.
    AnnouncementPanel baseline;
    baseline.showPage(address, WebPage{address, pageWithImage(QStringLiteral("yok.png")), "text/html"});
    const qreal viewHeight = baseline.browser()->document()->size().height();
    const qreal tickerHeight = baseline.ticker()->document().size().height();

    const struct
    {
        const char* name;
        QString source;
        QUrl address;  // where the page is shown from
    } cases[] = {
        {"file address", QUrl::fromLocalFile(dir.path(QStringLiteral("resim.png"))).toString(), address},
        // Without an address a relative name would be looked up in the working directory.
        {"relative path", QStringLiteral("resim.png"), QUrl()},
        {"data address", QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64()), address},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AnnouncementPanel panel;
        panel.showPage(c.address, WebPage{c.address, pageWithImage(c.source), "text/html"});
        EXPECT_EQ(panel.browser()->document()->size().height(), viewHeight);
        EXPECT_EQ(panel.ticker()->document().size().height(), tickerHeight);
        EXPECT_FALSE(panel.browser()->refused.isEmpty());
        EXPECT_FALSE(panel.ticker()->document().refused.isEmpty());
    }
}

// An image that names a pipe with no writer: opening it would wait forever.
TEST(AnnouncementPanel, AnImageNamingAPipeDoesNotHangTheStart)
{
    SKIP_ON_WINDOWS("a pipe in a folder (mkfifo) is POSIX's; Windows' named pipes are no files in a folder");
    TestDir dir;
    const QString pipe = dir.path(QStringLiteral("boru"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("mkfifo"), {pipe}), 0);
    const QUrl address(QStringLiteral("http://127.0.0.1/kbs/12345.html"));
    PipeWatchdog watchdog(pipe);
    AnnouncementPanel panel;
    panel.showPage(address, WebPage{address, pageWithImage(QUrl::fromLocalFile(pipe).toString()), "text/html"});
    panel.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(watchdog.stop()) << "the pipe was opened";
    EXPECT_TRUE(panel.browser()->toPlainText().contains(QStringLiteral("Duyuru")));
}

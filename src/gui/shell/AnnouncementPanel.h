#pragma once

#include "core/shell/Announcement.h"

#include <QFrame>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

// A document that loads nothing: every resource it names (an image, a style
// sheet, anything a link points to) is answered from memory, so that no page
// can make the program open a file, a device or a pipe by naming it.
class ClosedDocument : public QTextDocument
{
    Q_OBJECT
public:
    using QTextDocument::QTextDocument;

    // What stands in for a resource of this type: a transparent 1 x 1 image,
    // or empty text. Never a null value, which would let Qt open the name.
    static QVariant standIn(int type);

    // Resources the document asked for (and did not get).
    QList<QUrl> refused;

protected:
    QVariant loadResource(int type, const QUrl& name) override;
};

// A line of rich text that runs from right to left, kStepPx pixels every
// kIntervalMs, and starts again at the right once it has gone: the panel's
// stand-in for a page's <marquee>, which the view cannot show.
class Ticker : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kStepPx = 3;
    static constexpr int kIntervalMs = 50;

    explicit Ticker(QWidget* parent = nullptr);
    // Starts running the html fragment from the right edge.
    void setContent(const QString& html, const QColor& background);
    void clear();

    QString text() const { return m_text.toPlainText(); }
    const ClosedDocument& document() const { return m_text; }
    int position() const { return m_x; }  // left edge of the text
    int textWidth() const;
    // One move; the timer calls it.
    void step();
    const QTimer& timer() const { return m_timer; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ClosedDocument m_text;
    QColor m_background;
    QTimer m_timer;
    int m_x = 0;
};

// The view inside the panel: it loads nothing by itself, neither images nor
// style sheets nor anything a link names (see ClosedDocument).
class AnnouncementBrowser : public QTextBrowser
{
    Q_OBJECT
public:
    explicit AnnouncementBrowser(QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;
    // Resources the document asked for (and did not get).
    QList<QUrl> refused;
};

// The main window's 216 x 90 announcement panel. It takes no focus and no
// input. Each page shown is reported by documentComplete once it is loaded.
// Use: place it at 232, 320 of the main window, hand it to Announcement as
// its view, and connect documentComplete to Announcement::documentComplete.
class AnnouncementPanel : public QFrame, public AnnouncementView
{
    Q_OBJECT
public:
    explicit AnnouncementPanel(QWidget* parent = nullptr);

    void showPage(const QUrl& address, const WebPage& page) override;
    void showFile(const QString& path) override;
    void showContent(const QByteArray& html) override;

    // The address of the page shown: the tested address, the banner file's
    // local address, or empty for the banner from memory.
    QUrl address() const { return m_address; }
    AnnouncementBrowser* browser() const { return m_browser; }
    Ticker* ticker() const { return m_ticker; }

    // A page's bytes as text: the charset of the Content-Type header or of
    // the page's own declaration ("iso-8859-9" read as Windows-1254, as
    // browsers do), otherwise UTF-8.
    static QString decodePage(const QByteArray& bytes, const QByteArray& contentType = {});

Q_SIGNALS:
    void documentComplete(const QUrl& address);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void load(const QUrl& address, const QString& html);
    void placeTicker();

    AnnouncementBrowser* m_browser;
    Ticker* m_ticker;
    QUrl m_address;
};

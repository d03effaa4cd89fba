// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/shell/Announcement.h"
#include "gui/shell/AnnouncementBrowser.h"
#include "gui/shell/Ticker.h"

#include <QFrame>

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

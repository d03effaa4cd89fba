// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/Http.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

class FileSystem;

// What shows the announcement: the main window's panel, or a test's recorder.
class AnnouncementView
{
public:
    virtual ~AnnouncementView() = default;
    // A page fetched from a server, shown under the address that was tested.
    virtual void showPage(const QUrl& address, const WebPage& page) = 0;
    // The banner file, loaded by its path.
    virtual void showFile(const QString& path) = 0;
    // The banner from memory (Windows-1254 bytes), when its file could not be written.
    virtual void showContent(const QByteArray& html) = 0;
};

// The maker's two announcement servers.
struct AnnouncementHosts
{
    QString primary = QStringLiteral("duyuru.radadir.com.tr");
    QString secondary = QStringLiteral("duyuru2.radadir.com.tr");
};

// Chooses what the announcement panel shows at start: the facility's page
// from the first server that has it, otherwise the built-in banner, written
// to "msg.kbs" in the program folder and deleted once a page has loaded.
// Use: the main window makes one with the panel as view and GetAppPath(), and
// calls start(setUp, code, splashStatus) in its creation handler (again after
// the first-run set-up); it connects the panel's documentComplete to
// documentComplete(). beforeCheck runs only when the network will be asked.
class Announcement
{
public:
    enum class Shown { Banner, BannerFromMemory, Primary, Secondary };
    // The whole check, both tests and the fetch, ends within this.
    static constexpr int kBudgetMs = 6000;

    Announcement(Connectivity& connectivity, Http& http, FileSystem& fs, AnnouncementView& view,
                 const QString& programDir, const QString& version, AnnouncementHosts hosts = {},
                 int budgetMs = kBudgetMs);

    Shown start(bool facilitySetUp, const QString& facilityCode, const std::function<void()>& beforeCheck = {});
    // The panel has finished loading a page (any page): the banner file goes.
    void documentComplete();

    QString bannerPath() const { return m_bannerPath; }
    // "http://" + host + "/kbs/" + code + ".html"
    static QString pageAddress(const QString& host, const QString& facilityCode);
    // The banner page as written to the file: Windows-1254, lines ended by CR LF.
    static QByteArray bannerPage(const QString& version);

private:
    Shown showBanner();

    Connectivity& m_connectivity;
    Http& m_http;
    FileSystem& m_fs;
    AnnouncementView& m_view;
    QString m_bannerPath;
    QString m_version;
    AnnouncementHosts m_hosts;
    int m_budgetMs;
};

inline const QString kBannerFileName = QStringLiteral("msg.kbs");
inline const QString kSupportEmail = QStringLiteral("destek@radadir.com.tr");

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/shell/Announcement.h"

#include "core/register/CodePage.h"
#include "platform/core/Dialogs.h"
#include "platform/core/FileSystem.h"

#include <QDeadlineTimer>
#include <QDir>

Announcement::Announcement(Connectivity& connectivity, Http& http, FileSystem& fs, AnnouncementView& view,
                           const QString& programDir, const QString& version, AnnouncementHosts hosts,
                           int budgetMs)
    : m_connectivity(connectivity),
      m_http(http),
      m_fs(fs),
      m_view(view),
      m_bannerPath(QDir(programDir).filePath(kBannerFileName)),
      m_version(version),
      m_hosts(std::move(hosts)),
      m_budgetMs(budgetMs)
{
}

QString Announcement::pageAddress(const QString& host, const QString& facilityCode)
{
    return QStringLiteral("http://") + host + QStringLiteral("/kbs/") + facilityCode + QStringLiteral(".html");
}

Announcement::Shown Announcement::start(bool facilitySetUp, const QString& facilityCode,
                                        const std::function<void()>& beforeCheck)
{
    if (!facilitySetUp)
        return showBanner();
    if (beforeCheck)
        beforeCheck();
    if (!m_connectivity.isOnline())
        return showBanner();

    const QDeadlineTimer deadline(m_budgetMs);
    const QStringList allowed = {m_hosts.primary, m_hosts.secondary};
    for (const auto& [host, shown] : {std::pair{m_hosts.primary, Shown::Primary}, std::pair{m_hosts.secondary, Shown::Secondary}}) {
        const QString address = pageAddress(host, facilityCode);
        if (!m_http.urlExists(address, deadline))
            continue;
        // The page that was found is shown; if it cannot be had after all,
        // the banner takes its place.
        const std::optional<WebPage> page = m_http.fetchPage(QUrl(address), allowed, deadline);
        if (!page)
            return showBanner();
        m_view.showPage(QUrl(address), *page);
        return shown;
    }
    return showBanner();
}

Announcement::Shown Announcement::showBanner()
{
    const QByteArray page = bannerPage(m_version);
    if (m_fs.writeAtomically(m_bannerPath, page)) {
        m_view.showFile(m_bannerPath);
        return Shown::Banner;
    }
    // A program folder without write permission: shown once from memory.
    m_view.showContent(page);
    return Shown::BannerFromMemory;
}

void Announcement::documentComplete()
{
    m_fs.remove(m_bannerPath);
}

QByteArray Announcement::bannerPage(const QString& version)
{
    QString number = version;
    if (number.startsWith(QLatin1Char('v')))
        number.remove(0, 1);
    const QString title = kAppTitle.toUpper() + QLatin1Char(' ') + number;
    const QStringList lines = {
        QStringLiteral("<html>"),
        QStringLiteral("<head>"),
        QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-9\" />"),
        QStringLiteral("<style type=\"text/css\">"),
        QStringLiteral("body { margin: 0px; overflow: hidden; cursor: default; }"),
        QStringLiteral(".style1 { font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 10px; "
                       "font-weight: bold; color: #666666; }"),
        QStringLiteral(".style2 { color: #0000FF; }"),
        QStringLiteral("</style>"),
        QStringLiteral("</head>"),
        QStringLiteral("<body leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\" scroll=\"no\" "
                       "style=\"cursor: default\" onselectstart=\"return false\" ondragstart=\"return false\" "
                       "oncontextmenu=\"return false\">"),
        QStringLiteral("<table width=\"212\" height=\"86\" border=\"0\" cellpadding=\"0\" cellspacing=\"0\" "
                       "class=\"style1\">"),
        QStringLiteral("<tr>"),
        QStringLiteral("<td align=\"center\" valign=\"middle\" bgcolor=\"#ffcc00\"><p align=\"center\" "
                       "class=\"style2\">%1</p></td>").arg(title),
        QStringLiteral("</tr>"),
        QStringLiteral("<tr>"),
        QStringLiteral("<td height=\"15\" align=\"center\" bgcolor=\"#FFFF22\"><marquee width=\"100%\" "
                       "bgcolor=\"#FFFF22\" class=\"style1\" direction=\"left\" scrollamount=\"3\" "
                       "scrolldelay=\"50\" truespeed=\"truespeed\" onmouseover=\"this.scrollAmount=1\" "
                       "onmouseout=\"this.scrollAmount=3\" onmousedown=\"this.stop()\" "
                       "onmouseup=\"this.start()\">"
                       "Kelvane.NET Rirede Zarevave Rurored'ni kullandığınız için teşekkür ederiz. "
                       "Program ile ilgili sorunlarınız ve görüşleriniz için "
                       "<a href=\"mailto:%1\">%1</a> adresine mail gönderebilirsiniz.</marquee></td>")
            .arg(kSupportEmail),
        QStringLiteral("</tr>"),
        QStringLiteral("</table>"),
        QStringLiteral("</body>"),
        QStringLiteral("</html>"),
    };
    return CodePage::toWindows1254(QString(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>
#include <optional>

class QNetworkAccessManager;

// Whether the machine is online.
// Use: ask isOnline() once before any request of the start-up.
class Connectivity
{
public:
    virtual ~Connectivity() = default;
    virtual bool isOnline() = 0;
};

// The system's reachability report. Without a backend, or while it cannot
// tell, the machine counts as online and the requests decide.
class SystemConnectivity : public Connectivity
{
public:
    bool isOnline() override;
};

// A page fetched for display.
struct WebPage
{
    QUrl url;                // where it finally came from
    QByteArray body;
    QByteArray contentType;  // the Content-Type header, as sent
};

// Blocking HTTP requests for the start-up, which runs while the splash is up.
// Every call ends by its deadline at the latest.
// Use: urlExists() tests a page's address; fetchPage() gets it for display,
// following redirects only to the hosts given.
class Http
{
public:
    // The largest page body taken, counted after any decompression.
    static constexpr qint64 kMaxPageBytes = 256 * 1024;

    virtual ~Http() = default;
    // True when the address answers with status 200 or 302 (the redirect is
    // not followed). "http://" is put in front of an address without it.
    virtual bool urlExists(const QString& address, QDeadlineTimer deadline) = 0;
    // The page behind address with status 200, after redirects to allowed
    // hosts only ("host" for any port, or "host:port"); nothing on any failure,
    // and nothing for a page larger than kMaxPageBytes.
    virtual std::optional<WebPage> fetchPage(const QUrl& address, const QStringList& allowedHosts,
                                             QDeadlineTimer deadline) = 0;
};

// Qt's network access. Each request gives up after requestTimeoutMs (or at
// the deadline, if sooner), also while connecting. The waits run a local
// event loop that leaves user input alone: the splash keeps painting and
// nothing the user does is handled meanwhile.
class NetworkHttp : public Http
{
public:
    static constexpr int kRequestTimeoutMs = 2500;
    static constexpr int kMaxRedirects = 5;

    explicit NetworkHttp(int requestTimeoutMs = kRequestTimeoutMs, int maxRedirects = kMaxRedirects);
    ~NetworkHttp() override;

    bool urlExists(const QString& address, QDeadlineTimer deadline) override;
    std::optional<WebPage> fetchPage(const QUrl& address, const QStringList& allowedHosts,
                                     QDeadlineTimer deadline) override;

private:
    struct Response
    {
        bool complete = false;  // the whole body arrived without an error, within kMaxPageBytes
        int status = 0;         // 0 when no status line came
        QUrl location;          // resolved Location header of a redirect
        QByteArray body;
        QByteArray contentType;
    };
    // One GET without following redirects. Without wantBody it ends as soon
    // as the status is known. A body that is announced or grows beyond
    // kMaxPageBytes ends the request at once, incomplete.
    Response get(const QUrl& url, bool wantBody, QDeadlineTimer deadline);

    int m_requestTimeoutMs;
    int m_maxRedirects;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

inline const QByteArray kHttpUserAgent = QByteArrayLiteral("InetURL:/1.0");

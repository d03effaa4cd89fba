// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/Http.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>

bool SystemConnectivity::isOnline()
{
    // The default backend does not load here; ask for one by feature.
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return true;
    const QNetworkInformation* info = QNetworkInformation::instance();
    if (!info)
        return true;
    const auto reachability = info->reachability();
    return reachability == QNetworkInformation::Reachability::Online
           || reachability == QNetworkInformation::Reachability::Unknown;
}

namespace {

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool hostAllowed(const QUrl& url, const QStringList& allowedHosts)
{
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return false;
    const QString host = url.host().toLower();
    const QString hostPort = url.port() < 0 ? host : host + QLatin1Char(':') + QString::number(url.port());
    for (const QString& allowed : allowedHosts) {
        const QString a = allowed.toLower();
        if (a == host || a == hostPort)
            return true;
    }
    return false;
}

} // namespace

NetworkHttp::NetworkHttp(int requestTimeoutMs, int maxRedirects)
    : m_requestTimeoutMs(requestTimeoutMs), m_maxRedirects(maxRedirects)
{
}

NetworkHttp::~NetworkHttp() = default;

NetworkHttp::Response NetworkHttp::get(const QUrl& url, bool wantBody, QDeadlineTimer deadline)
{
    Response response;
    qint64 timeout = m_requestTimeoutMs;
    if (!deadline.isForever())
        timeout = std::min(timeout, deadline.remainingTime());
    if (timeout <= 0 || !url.isValid())
        return response;

    if (!m_network)
        m_network = std::make_unique<QNetworkAccessManager>();
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, kHttpUserAgent);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(int(timeout));

    // The loop and the timer outlive the reply, whose destruction may still
    // signal them.
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    limit.setTimerType(Qt::PreciseTimer);
    std::unique_ptr<QNetworkReply> reply(m_network->get(request));
    QNetworkReply* r = reply.get();
    // The transfer timeout does not cover every stage (a connect that never
    // completes, a name lookup): this ends the request in any case.
    QObject::connect(&limit, &QTimer::timeout, r, &QNetworkReply::abort);
    QObject::connect(r, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The body is taken as it arrives and never past the limit: a page that
    // says it is larger is refused before any of it is read, one that turns
    // out larger (without a length, or once decompressed) as soon as it does.
    bool oversized = false;
    const auto takeBody = [r, &response, &oversized, &loop] {
        if (oversized)
            return;
        const QVariant declared = r->header(QNetworkRequest::ContentLengthHeader);
        if (declared.isValid() && declared.toLongLong() > Http::kMaxPageBytes)
            oversized = true;
        while (!oversized && r->bytesAvailable() > 0) {
            response.body += r->read(Http::kMaxPageBytes + 1 - response.body.size());
            oversized = response.body.size() > Http::kMaxPageBytes;
        }
        if (oversized) {
            response.body.clear();
            loop.quit();
        }
    };
    if (wantBody) {
        // Qt would otherwise buffer the whole body on its own.
        r->setReadBufferSize(Http::kMaxPageBytes);
        QObject::connect(r, &QNetworkReply::metaDataChanged, &loop, takeBody);
        QObject::connect(r, &QNetworkReply::readyRead, &loop, takeBody);
    } else {
        QObject::connect(r, &QNetworkReply::readyRead, r, [r] { r->readAll(); });
        QObject::connect(r, &QNetworkReply::metaDataChanged, &loop, [r, &loop] {
            if (r->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
                loop.quit();
        });
    }
    limit.start(int(timeout));
    if (!r->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    limit.stop();

    response.status = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (isRedirect(response.status)) {
        const QUrl location = QUrl::fromEncoded(r->rawHeader("Location").trimmed());
        if (location.isValid())
            response.location = url.resolved(location);
    }
    if (wantBody && r->isFinished() && r->error() == QNetworkReply::NoError) {
        takeBody();
        response.complete = !oversized;
        response.contentType = r->rawHeader("Content-Type");
    }
    if (!response.complete)
        response.body.clear();
    QObject::disconnect(r, nullptr, &loop, nullptr);
    if (r->isRunning())
        r->abort();
    return response;
}

bool NetworkHttp::urlExists(const QString& address, QDeadlineTimer deadline)
{
    QString full = address;
    if (!full.toLower().contains(QLatin1String("http://")))
        full.prepend(QLatin1String("http://"));
    const int status = get(QUrl(full), false, deadline).status;
    return status == 200 || status == 302;
}

std::optional<WebPage> NetworkHttp::fetchPage(const QUrl& address, const QStringList& allowedHosts,
                                              QDeadlineTimer deadline)
{
    QUrl url = address;
    for (int redirects = 0;; ++redirects) {
        Response response = get(url, true, deadline);
        if (response.status == 200 && response.complete)
            return WebPage{url, response.body, response.contentType};
        if (!isRedirect(response.status) || redirects == m_maxRedirects || !response.location.isValid()
            || !hostAllowed(response.location, allowedHosts))
            return std::nullopt;
        url = response.location;
    }
}

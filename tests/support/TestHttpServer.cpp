// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestHttpServer.h"

#include <QTcpSocket>
#include <stdexcept>

namespace {

QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

} // namespace

TestHttpServer::TestHttpServer()
{
    if (!m_server.listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error("test HTTP server cannot listen on 127.0.0.1");
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            m_pending.insert(socket, {});
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_pending.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

TestHttpServer::~TestHttpServer()
{
    m_server.close();
    // Open sockets (stalled requests) go before the members their handlers use.
    const auto sockets = m_server.findChildren<QTcpSocket*>();
    for (QTcpSocket* socket : sockets) {
        QObject::disconnect(socket, nullptr, this, nullptr);
        delete socket;
    }
}

quint16 TestHttpServer::port() const
{
    return m_server.serverPort();
}

QString TestHttpServer::host() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

QString TestHttpServer::url(const QByteArray& path) const
{
    return QStringLiteral("http://") + host() + QString::fromLatin1(path);
}

void TestHttpServer::redirect(const QByteArray& path, const QString& location, int status)
{
    answer(path, Answer{status, {{"Location", location.toUtf8()}}, "moved", false});
}

QList<QByteArray> TestHttpServer::paths() const
{
    QList<QByteArray> out;
    for (const Request& r : requests)
        out.append(r.path);
    return out;
}

void TestHttpServer::onReadyRead(QTcpSocket* socket)
{
    QByteArray& buffer = m_pending[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;

    // Only the head is read: the clients under test send no body.
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    buffer.remove(0, end + 4);
    Request request;
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.path = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    requests.append(request);

    const Answer a = m_answers.value(request.path, Answer{404, {}, "not found", false});
    if (a.stall)
        return;
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(a.status) + ' ' + reason(a.status) + "\r\n";
    if (a.sendLength)
        reply += "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n";
    reply += "Connection: close\r\n";
    for (const auto& [name, value] : a.headers)
        reply += name + ": " + value + "\r\n";
    reply += "\r\n" + a.body;
    socket->write(reply);
    if (!a.holdOpen)
        socket->disconnectFromHost();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TcpRelay.h"

#include <QLocalSocket>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <future>
#include <stdexcept>

namespace {

// The server's ReadyForQuery message with the status "idle": no transaction open.
const QByteArray kReadyIdle("Z\0\0\0\x05I", 6);

} // namespace

class TcpRelay::Worker : public QThread
{
public:
    // The server's Unix socket, or its host and port when upstreamPort is set.
    Worker(TcpRelay& relay, QString socketPath, quint16 upstreamPort, std::promise<quint16> port)
        : m_relay(relay), m_socketPath(std::move(socketPath)), m_upstreamPort(upstreamPort), m_port(std::move(port))
    {
    }

protected:
    void run() override
    {
        QTcpServer listener;
        if (!listener.listen(QHostAddress::LocalHost, 0)) {
            m_port.set_value(0);
            return;
        }
        QObject::connect(&listener, &QTcpServer::newConnection, &listener, [&] {
            while (QTcpSocket* client = listener.nextPendingConnection())
                bridge(client);
        });
        m_port.set_value(listener.serverPort());
        exec();
    }

private:
    void bridge(QTcpSocket* client)
    {
        QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        if (m_relay.m_refusing) {
            client->abort();
            client->deleteLater();
            return;
        }
        if (m_upstreamPort != 0) {
            auto* server = new QTcpSocket(client);
            server->connectToHost(m_socketPath, m_upstreamPort);
            if (connected(client, server->waitForConnected(2000)))
                wire(client, server);
            return;
        }
        auto* server = new QLocalSocket(client);
        server->connectToServer(m_socketPath);
        if (connected(client, server->waitForConnected(2000)))
            wire(client, server);
    }

    static bool connected(QTcpSocket* client, bool ok)
    {
        if (!ok) {
            client->abort();
            client->deleteLater();
        }
        return ok;
    }

    template <typename Upstream>
    void wire(QTcpSocket* client, Upstream* server)
    {
        QObject::connect(client, &QTcpSocket::readyRead, server, [this, client, server] {
            const QByteArray data = client->readAll();
            if (Mode(m_relay.m_mode.load()) != Mode::Swallow)
                server->write(data);
            else
                holdAtMost(client);
        });
        QObject::connect(server, &Upstream::readyRead, client, [this, client, server] {
            const QByteArray data = server->readAll();
            switch (Mode(m_relay.m_mode.load())) {
            case Mode::Pass: client->write(data); break;
            case Mode::Swallow: holdAtMost(client); break;
            case Mode::CutAnswerAfterCommit:
                if (!data.contains(kReadyIdle)) {
                    client->write(data);
                    break;
                }
                m_relay.m_mode = int(Mode::Pass);
                ++m_relay.m_cuts;
                server->abort();
                client->abort();
                break;
            }
        });
        QObject::connect(server, &Upstream::disconnected, client, [client] { client->abort(); });
        QObject::connect(client, &QTcpSocket::disconnected, server, [server] { server->abort(); });
    }

    // A connection that passes nothing is held no longer than this, so that
    // a desk without a deadline of its own fails the test instead of hanging it.
    static void holdAtMost(QTcpSocket* client)
    {
        QTimer::singleShot(kLongestHoldMs, client, [client] { client->abort(); });
    }
    static constexpr int kLongestHoldMs = 20000;

    TcpRelay& m_relay;
    QString m_socketPath;
    quint16 m_upstreamPort;
    std::promise<quint16> m_port;
};

TcpRelay::TcpRelay(const QString& connectionString)
{
    static const QRegularExpression host(QStringLiteral("host=(\\S+)( port=(\\d+))?"));
    const QRegularExpressionMatch m = host.match(connectionString);
    if (!m.hasMatch())
        throw std::runtime_error("a relay needs a connection string with host=");
    std::promise<quint16> promise;
    std::future<quint16> port = promise.get_future();
    const quint16 upstreamPort = m.captured(3).toUShort();
    const QString upstream = upstreamPort != 0 ? m.captured(1) : m.captured(1) + QStringLiteral("/.s.PGSQL.5432");
    m_thread = std::make_unique<Worker>(*this, upstream, upstreamPort, std::move(promise));
    m_thread->start();
    const quint16 listening = port.get();
    if (listening == 0)
        throw std::runtime_error("the relay could not listen on 127.0.0.1");
    QString relayed = connectionString;
    relayed.replace(m.capturedStart(), m.capturedLength(),
                    QStringLiteral("host=127.0.0.1 port=%1").arg(listening));
    m_connectionString = relayed;
}

TcpRelay::~TcpRelay()
{
    m_thread->quit();
    m_thread->wait(5000);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for network tests. It runs in the
// test's own thread: a client waiting in a local event loop serves it.
// Answers are scripted per path; a path without a script gets 404.
class TestHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Answer
    {
        int status = 200;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        bool stall = false;  // take the request, never answer
        // Without it no Content-Length goes out (one among the headers still
        // does) and the body ends when the connection closes.
        bool sendLength = true;
        // Send the answer, then leave the connection open.
        bool holdOpen = false;
    };
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers;  // names in lower case
    };

    TestHttpServer();
    ~TestHttpServer() override;

    quint16 port() const;
    // "127.0.0.1:<port>"
    QString host() const;
    // "http://127.0.0.1:<port>" followed by path.
    QString url(const QByteArray& path) const;

    void answer(const QByteArray& path, Answer a) { m_answers.insert(path, std::move(a)); }
    void answer(const QByteArray& path, int status, QByteArray body = {})
    {
        answer(path, Answer{status, {}, std::move(body), false});
    }
    void redirect(const QByteArray& path, const QString& location, int status = 302);
    void stall(const QByteArray& path) { answer(path, Answer{0, {}, {}, true}); }

    // Every request received, in order.
    QList<Request> requests;
    QList<QByteArray> paths() const;

private:
    void onReadyRead(QTcpSocket* socket);

    QTcpServer m_server;
    QHash<QByteArray, Answer> m_answers;
    QHash<QTcpSocket*, QByteArray> m_pending;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <atomic>
#include <memory>

class QThread;

// A relay on 127.0.0.1 between a desk and the test server, for the faults
// of a network: it passes everything, cuts the connection just before the
// answer that ends a transaction, or keeps the connection open and passes
// nothing. It runs in a thread of its own, since a desk waiting on the
// server does not serve the test's event loop.
class TcpRelay
{
public:
    enum class Mode {
        Pass,
        // Resets the connection in place of the server's next answer that
        // leaves the connection outside a transaction (the answer to a
        // COMMIT, or to a statement committed on its own); passes again after.
        CutAnswerAfterCommit,
        // Takes what either side sends and passes none of it (for at most
        // twenty seconds, then closes the connection).
        Swallow,
    };

    // Relays to the server of a connection string with host=<socket folder>.
    explicit TcpRelay(const QString& connectionString);
    ~TcpRelay();
    TcpRelay(const TcpRelay&) = delete;
    TcpRelay& operator=(const TcpRelay&) = delete;

    // The same connection string, through the relay.
    QString connectionString() const { return m_connectionString; }
    void setMode(Mode mode) { m_mode = int(mode); }
    // New connections are closed at once, as by a server that is down.
    void setRefusing(bool refusing) { m_refusing = refusing; }
    // Connections cut so far.
    int cuts() const { return m_cuts; }

private:
    class Worker;
    std::unique_ptr<QThread> m_thread;
    QString m_connectionString;
    std::atomic<int> m_mode{int(Mode::Pass)};
    std::atomic<bool> m_refusing{false};
    std::atomic<int> m_cuts{0};
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <condition_variable>
#include <mutex>
#include <thread>

// MD5 of a text that is still being written, taken on a thread of its own:
// the writer publishes how far its bytes are final, the thread hashes up to
// there, and the digest is ready almost as soon as the last byte is written.
class BackgroundMd5
{
public:
    BackgroundMd5();
    ~BackgroundMd5();
    BackgroundMd5(const BackgroundMd5&) = delete;
    BackgroundMd5& operator=(const BackgroundMd5&) = delete;

    // Bytes [0, end) from base are final and may be hashed. base may change
    // only after waitIdle().
    void publish(const char* base, qsizetype end);
    // Returns once every published byte is hashed (so base may move).
    void waitIdle();
    // Hashes what is left and returns the digest in upper-case hex.
    QByteArray finish();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    const char* m_base = nullptr;
    qsizetype m_published = 0;
    qsizetype m_hashed = 0;
    bool m_finishing = false;
    bool m_stop = false;
    QCryptographicHash m_hash{QCryptographicHash::Md5};
    std::thread m_thread;
};

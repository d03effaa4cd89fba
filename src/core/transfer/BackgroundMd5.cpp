// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/transfer/BackgroundMd5.h"

BackgroundMd5::BackgroundMd5() : m_thread([this] { run(); })
{
}

BackgroundMd5::~BackgroundMd5()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundMd5::publish(const char* base, qsizetype end)
{
    {
        std::lock_guard lock(m_mutex);
        m_base = base;
        m_published = end;
    }
    m_wake.notify_all();
}

void BackgroundMd5::waitIdle()
{
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_hashed == m_published; });
}

QByteArray BackgroundMd5::finish()
{
    {
        std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    return m_hash.result().toHex().toUpper();
}

void BackgroundMd5::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_finishing || m_published > m_hashed; });
        if (m_stop)
            return;
        if (m_published > m_hashed) {
            const char* base = m_base;
            const qsizetype from = m_hashed;
            const qsizetype to = m_published;
            lock.unlock();
            m_hash.addData(QByteArrayView(base + from, to - from));
            lock.lock();
            m_hashed = to;
            m_wake.notify_all();
            continue;
        }
        if (m_finishing)
            return;
    }
}

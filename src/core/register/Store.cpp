// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Store.h"

StoreValue StoreValue::of(const QVariant& v, QByteArray& held)
{
    StoreValue out;
    if (v.isNull())
        return out;
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        out.kind = Kind::Integer;
        out.integer = v.toLongLong();
        return out;
    case QMetaType::Double:
        out.kind = Kind::Real;
        out.real = v.toDouble();
        return out;
    case QMetaType::QByteArray:
        out.kind = Kind::Bytes;
        held = v.toByteArray();
        break;
    default:
        out.kind = Kind::Text;
        held = v.toString().toUtf8();
    }
    out.data = held.constData();
    out.size = held.size();
    return out;
}

Store::Transaction Store::transaction()
{
    const int level = int(m_transactions.size()) + 1;
    // Counted only once it has begun: a begin that failed leaves no
    // transaction for later work to hide in.
    beginLevel(level);
    m_transactions.push_back(++m_lastTransaction);
    return Transaction(this, level, m_lastTransaction);
}

Store::Transaction::Transaction(Transaction&& other) noexcept
    : m_store(std::exchange(other.m_store, nullptr)), m_level(other.m_level), m_id(other.m_id)
{
}

Store::Transaction::~Transaction()
{
    rollback();
}

bool Store::Transaction::isOpen() const
{
    return m_store && m_store->m_transactions.size() >= std::size_t(m_level) &&
           m_store->m_transactions[std::size_t(m_level - 1)] == m_id;
}

void Store::Transaction::commit()
{
    if (!isOpen()) {
        // Already undone by the engine, or with the connection: nothing of
        // it is stored.
        m_store = nullptr;
        throw StoreError(Failure::Kind::RolledBack, QString());
    }
    m_store->commitLevel(m_level);
    // Savepoints still open inside it are kept with it.
    if (m_store->m_transactions.size() >= std::size_t(m_level))
        m_store->m_transactions.resize(std::size_t(m_level - 1));
    m_store = nullptr;
}

void Store::Transaction::rollback() noexcept
{
    if (isOpen()) {
        m_store->rollbackLevel(m_level);
        if (m_store->m_transactions.size() >= std::size_t(m_level))
            m_store->m_transactions.resize(std::size_t(m_level - 1));
    }
    m_store = nullptr;
}

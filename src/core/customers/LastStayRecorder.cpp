// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/customers/LastStayRecorder.h"

#include "core/register/Columns.h"
#include "core/register/Dataset.h"
#include "core/register/Formats.h"
#include "core/register/Schema.h"
#include "core/register/Store.h"
#include "core/register/Tables.h"
#include "platform/core/Clock.h"

LastStayRecorder::LastStayRecorder(Tables& tables, Clock& clock, QObject* parent)
    : QObject(parent), m_tables(tables), m_clock(clock)
{
    connect(m_tables.kisi, &Dataset::posted, this, &LastStayRecorder::guestPosted);
    connect(m_tables.kisi, &Dataset::cancelled, this, [this] { m_pending.reset(); });
    connect(m_tables.musteriler, &Dataset::posted, this, &LastStayRecorder::customerPosted);
}

void LastStayRecorder::customerCopied(qint64 customerKey)
{
    m_pending = customerKey;
}

void LastStayRecorder::guestPosted()
{
    if (!m_pending)
        return;
    const qint64 customer = *m_pending;
    m_pending.reset();
    stamp(m_tables.kisi->store(), customer, m_clock.now().date());
}

void LastStayRecorder::customerPosted(qint64 key)
{
    stamp(m_tables.musteriler->store(), key, m_clock.now().date());
}

void LastStayRecorder::stamp(Store& store, qint64 customerKey, const QDate& day)
{
    const TableDef& t = Schema::musteriKonaklama();
    QList<QVariant> values(t.columns.size());
    values[t.indexOf(Columns::musteriID)] = customerKey;
    values[t.indexOf(Columns::SonKonaklama)] = Formats::dateText(day);
    // The customer's old row gives way.
    Store::Transaction tx = store.transaction();
    const QList<qint64> old = store.keysWhere(t.name, t.indexOf(Columns::musteriID), customerKey);
    if (!old.isEmpty())
        store.remove(t.name, old);
    store.insert(t.name, values);
    tx.commit();
}

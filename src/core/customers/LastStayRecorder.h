// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QObject>
#include <optional>

class Clock;
class Store;
class Tables;

// Keeps each customer's last stay (MusteriKonaklama). A customer copied into
// the guest being built is remembered until that guest's first successful
// save, which stamps the customer with the day; cancelling the guest drops
// it. A customer made or changed is stamped with the day too.
class LastStayRecorder : public QObject
{
    Q_OBJECT
public:
    LastStayRecorder(Tables& tables, Clock& clock, QObject* parent = nullptr);

    // A customer's data went into the guest being built.
    void customerCopied(qint64 customerKey);
    // The customer remembered for the guest being built, if any.
    std::optional<qint64> pendingCustomer() const { return m_pending; }

    // Stores the day of a customer's last stay.
    static void stamp(Store& store, qint64 customerKey, const QDate& day);

private:
    void guestPosted();
    void customerPosted(qint64 key);

    Tables& m_tables;
    Clock& m_clock;
    std::optional<qint64> m_pending;
};

// SPDX-License-Identifier: GPL-3.0-or-later
// The completeness check on 10,000 and 100,000 guests, all staying, every
// tenth one with problems and duplicates among them, read from a store held
// in memory. Linear: about ten times the time for ten times the guests (a
// little more once the rows no longer fit the processor's caches).

#include "core/register/Dataset.h"
#include "core/register/Schema.h"
#include "core/register/Validation.h"
#include "core/transfer/Completeness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

// A number that passes TCKNoKontrol, from nine leading digits.
QString validNumber(qint64 nine)
{
    for (int last = 0; last < 100; ++last) {
        const QString n = QStringLiteral("%1%2").arg(nine, 9, 10, QLatin1Char('0')).arg(last, 2, 10, QLatin1Char('0'));
        if (TCKNoKontrol(n))
            return n;
    }
    return {};
}

// Hands out generated guest rows; the check writes nothing.
class MemoryStore final : public Store
{
public:
    explicit MemoryStore(int guests) : m_guests(guests) {}

    bool isOpen() const override { return true; }

    QList<StoreRow> load(const QString&) override
    {
        const TableDef& t = Schema::kisi();
        QList<StoreRow> rows;
        rows.reserve(m_guests);
        QList<QVariant> v(t.columns.size());
        auto set = [&](const char* col, const QVariant& value) { v[t.indexOf(QString::fromLatin1(col))] = value; };
        for (int i = 0; i < m_guests; ++i) {
            const bool odd = i % 10 == 0;
            set("TCKimlikNo", validNumber(100000000LL + (odd ? i / 20 : i)));
            set("Adi", QStringLiteral("Ayşegül %1").arg(i));
            set("Soyadi", QStringLiteral("Çelik"));
            set("DogumTarihi", odd ? QVariant() : QVariant(QStringLiteral("1980-05-17")));
            set("Uyrugu", odd ? QStringLiteral("DEU") : QStringLiteral("TC"));
            set("KimlikBelgesiTuru", QStringLiteral("N"));
            set("KimlikSeriNo", QStringLiteral("%1").arg(400000 + (odd ? i / 20 : i)));
            set("GelisTarihi", odd ? QStringLiteral("2024-03-02") : QStringLiteral("2024-03-01"));
            set("GelisSaati", QStringLiteral("14:35:27"));
            set("Kalici", qint64(1));
            rows.append({i + 1, v});
        }
        return rows;
    }
    qint64 insert(const QString&, const QList<QVariant>&) override { return 0; }
    void update(const QString&, qint64, const QList<QVariant>&) override {}
    void remove(const QString&, const QList<qint64>&) override {}
    int count(const QString&) override { return m_guests; }
    void beginLevel(int) override {}
    void commitLevel(int) override {}
    void rollbackLevel(int) noexcept override {}

private:
    int m_guests;
};

struct Result
{
    int guests;
    qint64 ms;
    qsizetype found;
};

Result measure(int guests)
{
    MemoryStore store(guests);
    Dataset dataset(store, Schema::kisi());
    dataset.open();
    const QDateTime moment(QDate(2024, 3, 1), QTime(18, 0));
    // The best of a few runs: the machine is shared.
    Result best{guests, std::numeric_limits<qint64>::max(), 0};
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        const QList<Completeness::Finding> found = Completeness::check(dataset, moment);
        best = {guests, std::min(best.ms, timer.elapsed()), found.size()};
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const Result small = measure(10000);
    const Result large = measure(100000);
    for (const Result& r : {small, large})
        std::printf("%7d guests: %6lld ms, %lld found\n", r.guests, static_cast<long long>(r.ms),
                    static_cast<long long>(r.found));
    std::printf("ratio 100,000 / 10,000: %.2f\n",
                double(large.ms) / double(std::max<qint64>(1, small.ms)));
    return 0;
}

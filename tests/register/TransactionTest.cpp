// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PgTestServer.h"
#include "support/StoreFixture.h"

#include "core/register/DatasetRow.h"
#include "core/register/PgStore.h"
#include "core/register/Schema.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

class TransactionTest : public StoreFixture
{
protected:
    // A guest the database refuses: the required names are empty.
    void insertRefused()
    {
        EXPECT_THROW(store().insert(Schema::kisi().name, QList<QVariant>(Schema::kisi().columns.size())), StoreError);
    }
    QStringList names()
    {
        QStringList out;
        const int adi = Schema::kisi().indexOf(QStringLiteral("Adi"));
        for (const StoreRow& r : store().load(Schema::kisi().name))
            out << r.values[adi].toString();
        return out;
    }
};

} // namespace

TEST_P(TransactionTest, AnInnerGuardsFailureIsUndoneAloneAndTheOuterStillCommits)
{
    Store::Transaction outer = store().transaction();
    insertGuest(store(), QStringLiteral("Ali"));
    {
        Store::Transaction inner = store().transaction();
        insertGuest(store(), QStringLiteral("Veli"));
        insertRefused();
    }
    {
        Store::Transaction inner = store().transaction();
        insertGuest(store(), QStringLiteral("Ayşe"));
        inner.commit();
    }
    outer.commit();
    EXPECT_FALSE(store().transactionOpen());
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Ali"), QStringLiteral("Ayşe")}));
}

TEST_P(TransactionTest, AGuardLeftByAnExceptionRollsBackAndTheNextOneBeginsAfresh)
{
    const auto failing = [this] {
        Store::Transaction tx = store().transaction();
        insertGuest(store(), QStringLiteral("Ali"));
        throw StoreError(QStringLiteral("yarıda kaldı"));
    };
    EXPECT_THROW(failing(), StoreError);
    EXPECT_FALSE(store().transactionOpen());
    EXPECT_TRUE(names().isEmpty());
    Store::Transaction tx = store().transaction();
    insertGuest(store(), QStringLiteral("Veli"));
    tx.commit();
    EXPECT_EQ(names(), QStringList{QStringLiteral("Veli")});
}

INSTANTIATE_TEST_SUITE_P(Stores, TransactionTest, ::testing::Values(Backend::File, Backend::Server), backendName);

TEST(PgTransaction, ACommitTheServerAnswersWithRollbackIsAFailure)
{
    PgStore pg(PgTestServer::instance().freshDatabase());
    pg.open();
    Store::Transaction tx = pg.transaction();
    insertGuest(pg, QStringLiteral("Ali"));
    // A statement that failed outside a savepoint: the server undoes the
    // whole transaction at its COMMIT.
    EXPECT_THROW(pg.insert(Schema::kisi().name, QList<QVariant>(Schema::kisi().columns.size())), StoreError);
    try {
        tx.commit();
        ADD_FAILURE() << "the commit was taken for done";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.failure(), Failure::Kind::RolledBack);
        EXPECT_TRUE(e.text().startsWith(Failure::kRolledBackLine)) << e.text().toStdString();
    }
    EXPECT_FALSE(pg.transactionOpen());
    EXPECT_EQ(pg.count(Schema::kisi().name), 0);
    // A guard whose transaction is gone cannot be committed either.
    Store::Transaction outer = pg.transaction();
    Store::Transaction inner = pg.transaction();
    outer.rollback();
    EXPECT_FALSE(inner.isOpen());
    EXPECT_THROW(inner.commit(), StoreError);
}

namespace {

using ValuesTest = StoreFixture;

} // namespace

// One conversion for both stores and the dataset: what goes into a column of
// each type comes out of the file and of the server the same, and a row the
// dataset packs from the typed value holds what the store gives back.
TEST_P(ValuesTest, EveryColumnTypeComesOutAsItWentIn)
{
    const QString turkish = QStringLiteral("ĞÜŞİÖÇ ğüşıöç");
    const QString full(Schema::kisi().column(QStringLiteral("Adi")).size, QChar(u'Ş'));
    const qint64 largest = std::numeric_limits<qint64>::max();
    struct Case { const char* name; const TableDef* table; const char* column; QVariant in; QVariant out; };
    const Case cases[] = {
        {"empty text", &Schema::kisi(), "BabaAdi", QString(QLatin1String("")), QString(QLatin1String(""))},
        {"null date", &Schema::kisi(), "DogumTarihi", QVariant(), QVariant()},
        {"zero date", &Schema::kisi(), "DogumTarihi", QStringLiteral("1899-12-30"), QStringLiteral("1899-12-30")},
        {"true", &Schema::kisi(), "Kalici", true, qint64(1)},
        {"false", &Schema::kisi(), "Kalici", false, qint64(0)},
        {"Turkish letters", &Schema::kisi(), "IkametAdresi", turkish, turkish},
        {"text at its size", &Schema::kisi(), "Adi", full, full},
        {"a real into a text column", &Schema::kisi(), "VerilenOdaNo", 12.5, QStringLiteral("12.5")},
        {"the largest number", &Schema::musteriKonaklama(), "musteriID", largest, largest},
        {"a count", &Schema::transferGecmisi(), "YazilanSayisi", 100000, qint64(100000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TableDef& t = *c.table;
        QList<QVariant> values(t.columns.size());
        for (qsizetype i = 0; i < t.columns.size(); ++i) {
            if (t.columns[i].required)
                values[i] = QStringLiteral("x");
        }
        const int at = t.indexOf(QString::fromLatin1(c.column));
        ASSERT_GE(at, 0);
        values[at] = c.in;
        const qint64 key = store().insert(t.name, values);
        QVariant stored;
        bool found = false;
        for (const StoreRow& r : store().load(t.name)) {
            if (r.key == key) {
                stored = r.values[at];
                found = true;
            }
        }
        ASSERT_TRUE(found);
        EXPECT_EQ(stored.isNull(), c.out.isNull());
        if (!c.out.isNull()) {
            EXPECT_EQ(stored.typeId(), c.out.typeId());
            EXPECT_EQ(stored, c.out);
            // The dataset keeps an empty text as an empty value: only what
            // has a value is compared with the packed row.
            if (!c.out.toString().isEmpty()) {
                RowPacker packer(1);
                packer.add(c.in);
                const QVariant packed = packer.take(key).value(0);
                EXPECT_EQ(packed.typeId(), c.out.typeId());
                EXPECT_EQ(packed, c.out);
            }
        }
        store().remove(t.name, {key});
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, ValuesTest, ::testing::Values(Backend::File, Backend::Server), backendName);

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PgTestServer.h"
#include "support/StoreFixture.h"

#include "core/register/PgStore.h"
#include "core/register/Schema.h"

#include <gtest/gtest.h>

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

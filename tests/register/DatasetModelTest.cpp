// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/StoreFixture.h"

#include "core/register/Dataset.h"
#include "core/register/DatasetModel.h"

#include <gtest/gtest.h>

using DatasetModelTest = StoreFixture;

TEST_P(DatasetModelTest, FollowsTheVisibleRowsOfItsDataset)
{
    Store& db = store();
    insertGuest(db, QStringLiteral("Zeynep"));
    insertGuest(db, QStringLiteral("Ali"));
    Dataset ds(db, Schema::kisi());
    DatasetModel model(&ds, {QStringLiteral("Adi"), QStringLiteral("Kalici")}, {QStringLiteral("Adı")});
    ds.open();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Adı"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Kalici"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("Zeynep"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("True"));
    EXPECT_FALSE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));

    ds.setSort(QStringLiteral("Adi"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("Ali"));
    ds.setFilter(QStringLiteral("Adi"), QStringLiteral("Zeynep"));
    EXPECT_EQ(model.rowCount(), 1);
    ds.remove();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_THROW(DatasetModel(&ds, {QStringLiteral("Yok")}, {}), RadaError);
}

INSTANTIATE_TEST_SUITE_P(Stores, DatasetModelTest, ::testing::Values(Backend::File, Backend::Server), backendName);

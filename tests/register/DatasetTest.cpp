#include "support/TestSupport.h"

#include "register/Database.h"
#include "register/Dataset.h"

#include <gtest/gtest.h>

TEST(Dataset, OpensOnTheFirstRow)
{
    TestDir dir;
    Database db(Database::kFileName);
    db.open();
    insertGuest(db, QStringLiteral("Ali"));
    insertGuest(db, QStringLiteral("Veli"));
    Dataset ds(db, Schema::kisi());
    ds.open();
    EXPECT_EQ(ds.recordCount(), 2);
    EXPECT_EQ(ds.text(QStringLiteral("Adi")), QStringLiteral("Ali"));
}

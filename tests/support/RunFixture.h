// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TestSupport.h"

#include "core/register/Database.h"
#include "core/register/Tables.h"
#include "core/transfer/Compaction.h"
#include "core/transfer/TransferRun.h"

#include <gtest/gtest.h>
#include <memory>

// A transfer run over the tables alone, no window: a set-up facility
// (01234) and three guests, Ayşe and Cem staying, Bora departed.
struct RunFixture : ::testing::Test
{
    TestDir dir;
    FakePlatform fake;
    Database db{Database::kFileName};
    std::unique_ptr<Tables> tables;
    std::unique_ptr<Compaction> compaction;
    std::unique_ptr<TransferRun> run;

    void SetUp() override
    {
        db.open();
        storeFacility(db, QStringLiteral("01234"));
        for (const auto& [name, kalici] : {std::pair{QStringLiteral("Ayşe"), true}, {QStringLiteral("Bora"), false},
                                           {QStringLiteral("Cem"), true}})
            insertGuest(db, name, kalici);
        tables = std::make_unique<Tables>(db, fake.clock, fake.dialogs);
        tables->openAll();
        compaction = std::make_unique<Compaction>(db, fake.fs, fake.dialogs);
        run = std::make_unique<TransferRun>(fake.platform, db, *tables, compaction.get(),
                                            [] { return QStringLiteral("01234"); });
    }
};

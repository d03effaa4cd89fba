#include "support/TestSupport.h"

#include "register/Database.h"
#include "register/Dataset.h"
#include "register/Tables.h"
#include "transfer/Compaction.h"
#include "transfer/TransferRun.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The run over the tables alone: no window exists.
struct TransferRunAlone : ::testing::Test
{
    TestDir dir;
    FakePlatform fake;
    Database db{Database::kFileName};
    std::unique_ptr<Tables> tables;
    std::unique_ptr<Compaction> compaction;
    std::unique_ptr<TransferRun> run;
    QStringList heard;

    void SetUp() override
    {
        db.open();
        storeFacility(db, u"01234"_s);
        for (const auto& [name, kalici] : {std::pair{u"Ayşe"_s, true}, {u"Bora"_s, false}, {u"Cem"_s, true}})
            insertGuest(db, name, kalici);
        tables = std::make_unique<Tables>(db);
        tables->openAll();
        compaction = std::make_unique<Compaction>(db, fake.fs, fake.dialogs);
        run = std::make_unique<TransferRun>(fake.platform, db, *tables, *compaction, [] { return u"01234"_s; });
        QObject::connect(run.get(), &TransferRun::walkStarting, [this] {
            heard << u"walkStarting"_s;
            EXPECT_FALSE(tables->kisiSource->enabled());
        });
        QObject::connect(run.get(), &TransferRun::walkEnded, [this] {
            heard << u"walkEnded"_s;
            EXPECT_TRUE(tables->kisiSource->enabled());
            EXPECT_TRUE(tables->allOpen());
        });
        QObject::connect(run.get(), &TransferRun::succeeded, [this] { heard << u"succeeded"_s; });
    }
};

} // namespace

TEST_F(TransferRunAlone, WritesPurgesCompactsAndReopensEveryTable)
{
    fake.dialogs.setNextFileName(dir.path(u"kbs"_s));
    ASSERT_TRUE(run->run());

    QFile file(dir.path(u"kbs.xml"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("<Kisi SiraNo="), 3);
    EXPECT_TRUE(bytes.contains("TesisKodu=\"01234\""));
    EXPECT_EQ(heard, (QStringList{u"walkStarting"_s, u"walkEnded"_s, u"succeeded"_s}));
    ASSERT_EQ(fake.dialogs.messages.size(), 1);
    EXPECT_EQ(fake.dialogs.messages[0].caption, u"Information"_s);

    // The departed guest is gone from the register and from the reopened table.
    EXPECT_EQ(db.column(u"SELECT Adi FROM Kisi ORDER BY ID"_s), (QList<QVariant>{u"Ayşe"_s, u"Cem"_s}));
    EXPECT_EQ(tables->kisi->recordCount(), 2);
    EXPECT_EQ(tables->kisi->recNo(), 0);
    EXPECT_TRUE(tables->noConfirmDelete);
    EXPECT_FALSE(QFile::exists(dir.path(u"radadir.dvb"_s)));
    EXPECT_EQ(db.integrityCheck(), u"ok"_s);
}

TEST_F(TransferRunAlone, ACancelledDialogTellsTheWindowNothing)
{
    EXPECT_FALSE(run->run());
    EXPECT_TRUE(heard.isEmpty());
    EXPECT_EQ(db.count(u"Kisi"_s), 3);
}

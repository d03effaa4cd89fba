#include "support/GuiInput.h"

#include "platform/SingleInstance.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUuid>
#include <gtest/gtest.h>

namespace {
QString uniqueKey()
{
    return QStringLiteral("radadir-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}
} // namespace

TEST(SingleInstance, SecondCopyIsRefusedAndWakesTheFirst)
{
    TestDir dir;
    const QString key = uniqueKey();
    SingleInstance first(key, dir.path());
    ASSERT_TRUE(first.tryAcquire());
    ASSERT_TRUE(first.listen());
    QSignalSpy woken(&first, &SingleInstance::activationRequested);

    SingleInstance second(key, dir.path());
    EXPECT_FALSE(second.tryAcquire());
    // The running copy answers on the event loop; let it run while we wait.
    bool answered = false;
    QTimer::singleShot(0, [&] { answered = second.activateRunningCopy(2000); });
    EXPECT_TRUE(waitFor([&] { return woken.count() == 1; }, 5000));
    EXPECT_TRUE(answered);
}

TEST(SingleInstance, GuardIsFreeAgainWhenTheFirstCopyEnds)
{
    TestDir dir;
    const QString key = uniqueKey();
    {
        SingleInstance first(key, dir.path());
        ASSERT_TRUE(first.tryAcquire());
    }
    SingleInstance next(key, dir.path());
    EXPECT_TRUE(next.tryAcquire());
}

TEST(SingleInstance, StaleLockOfADeadCopyIsRecovered)
{
    TestDir dir;
    const QString key = uniqueKey();
    // A lock file as a crashed copy leaves it: a process id that is not running.
    QFile lock(dir.path(key + QStringLiteral(".lock")));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("999999\nradadir\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    lock.close();
    SingleInstance guard(key, dir.path());
    EXPECT_TRUE(guard.tryAcquire());
}

TEST(SingleInstance, NobodyAnswersWhenNoCopyRuns)
{
    SingleInstance lone(uniqueKey(), QDir::tempPath());
    EXPECT_FALSE(lone.activateRunningCopy(200));
}

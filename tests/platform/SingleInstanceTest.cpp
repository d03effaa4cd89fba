// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GuiInput.h"

#include "platform/core/SingleInstance.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QUuid>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

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
    ASSERT_EQ(first.tryAcquire(), SingleInstance::Result::Acquired);
    ASSERT_TRUE(first.listen());
    QSignalSpy woken(&first, &SingleInstance::activationRequested);

    SingleInstance second(key, dir.path());
    EXPECT_EQ(second.tryAcquire(), SingleInstance::Result::Running);
    // The second copy asks from a thread of its own, as from its own
    // process, while the running copy answers on its event loop: a Windows
    // pipe has no buffer, and the request is written only once it is read.
    std::atomic<bool> answered = false;
    std::unique_ptr<QThread> asker(QThread::create([&] { answered = second.activateRunningCopy(2000); }));
    asker->start();
    EXPECT_TRUE(waitFor([&] { return woken.count() == 1; }, 5000));
    EXPECT_TRUE(asker->wait(5000));
    EXPECT_TRUE(answered);
}

TEST(SingleInstance, GuardIsFreeAgainWhenTheFirstCopyEnds)
{
    TestDir dir;
    const QString key = uniqueKey();
    {
        SingleInstance first(key, dir.path());
        ASSERT_EQ(first.tryAcquire(), SingleInstance::Result::Acquired);
    }
    SingleInstance next(key, dir.path());
    EXPECT_EQ(next.tryAcquire(), SingleInstance::Result::Acquired);
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
    EXPECT_EQ(guard.tryAcquire(), SingleInstance::Result::Acquired);
}

TEST(SingleInstance, NobodyAnswersWhenNoCopyRuns)
{
    SingleInstance lone(uniqueKey(), QDir::tempPath());
    EXPECT_FALSE(lone.activateRunningCopy(200));
}

namespace {
// Sets an environment variable (unsets it for null) until the end of scope.
struct EnvironmentVariable
{
    const char* name;
    QByteArray old;
    bool wasSet;
    EnvironmentVariable(const char* n, const QString* value) : name(n), old(qgetenv(n)), wasSet(qEnvironmentVariableIsSet(n))
    {
        if (value)
            qputenv(name, QFile::encodeName(*value));
        else
            qunsetenv(name);
    }
    ~EnvironmentVariable()
    {
        if (wasSet)
            qputenv(name, old);
        else
            qunsetenv(name);
    }
};
} // namespace

// The guard lives where only its user can reach: the user's runtime folder
// (XDG_RUNTIME_DIR), else a folder of the user's cache made private, never the
// shared temporary folder, where another user could take the name first.
TEST(SingleInstance, TheGuardLivesInAFolderOnlyItsUserReaches)
{
    SKIP_ON_WINDOWS("the XDG folders and POSIX modes are Linux's; on Windows the guard's socket is a named pipe");
    TestDir dir;
    const QString runtime = dir.path(QStringLiteral("run"));
    const QString cache = dir.path(QStringLiteral("cache"));
    ASSERT_TRUE(QDir().mkpath(runtime));
    const struct
    {
        const QString* runtimeDir;
        QString expected;
    } cases[] = {
        {&runtime, runtime},
        {nullptr, cache + QStringLiteral("/RadaDIR")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        EnvironmentVariable xdgRuntime("XDG_RUNTIME_DIR", c.runtimeDir);
        EnvironmentVariable xdgCache("XDG_CACHE_HOME", &cache);
        ASSERT_EQ(SingleInstance::defaultLockDir(), c.expected);
        SingleInstance guard(uniqueKey(), SingleInstance::defaultLockDir());
        ASSERT_EQ(guard.tryAcquire(), SingleInstance::Result::Acquired) << guard.error().toStdString();
        ASSERT_TRUE(guard.listen());
        EXPECT_EQ(QFileInfo(guard.lockPath()).absolutePath(), c.expected);
        EXPECT_EQ(QFileInfo(guard.socketPath()).absolutePath(), c.expected);
        EXPECT_TRUE(QFileInfo(guard.socketPath()).exists());
        EXPECT_EQ(QFileInfo(c.expected).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

// A lock file that some other user put where the guard's lock goes, even one
// naming a live copy of this program, is not taken for a running copy.
TEST(SingleInstance, ALockFileOfAnotherUserIsNoRunningCopy)
{
    SKIP_ON_WINDOWS("files owned by another user id (chown) are POSIX's");
    TestDir dir;
    const QString key = uniqueKey();
    const QString lockPath = dir.path(key + QStringLiteral(".lock"));
    QFile lock(lockPath);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(QCoreApplication::applicationPid()) + '\n' + QCoreApplication::applicationName().toUtf8() +
               '\n' + QSysInfo::machineHostName().toUtf8() + '\n');
    lock.close();
    QProcess chown;
    chown.start(QStringLiteral("chown"), {QStringLiteral("nobody"), lockPath});
    ASSERT_TRUE(chown.waitForFinished(10000));
    ASSERT_EQ(chown.exitCode(), 0) << chown.readAllStandardError().toStdString();
    // Its maker keeps it locked, as a running copy would.
    QProcess holder;
    holder.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exec 9>>\"$0\"; flock 9; echo ready; exec sleep 60"),
                                        lockPath});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    struct Stop
    {
        QProcess& p;
        ~Stop()
        {
            p.kill();
            p.waitForFinished(10000);
        }
    } stop{holder};
    // As the file stands, the lock itself takes it for a running copy.
    {
        QLockFile owned(lockPath);
        ASSERT_FALSE(owned.tryLock(0));
        ASSERT_FALSE(owned.removeStaleLockFile());
    }

    SingleInstance guard(key, dir.path());
    EXPECT_EQ(guard.tryAcquire(), SingleInstance::Result::Acquired) << guard.error().toStdString();
    EXPECT_EQ(QFileInfo(lockPath).ownerId(), QFileInfo(dir.path()).ownerId());
}

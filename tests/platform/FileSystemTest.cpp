// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "platform/core/FileSystem.h"
#include "core/register/Database.h"
#include "core/transfer/Compaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <string>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The umask is the process's: set for one case, put back afterwards.
class UmaskGuard
{
public:
    explicit UmaskGuard(mode_t mask) : m_previous(::umask(mask)) {}
    ~UmaskGuard() { ::umask(m_previous); }
    UmaskGuard(const UmaskGuard&) = delete;
    UmaskGuard& operator=(const UmaskGuard&) = delete;

private:
    mode_t m_previous;
};

// A file's permission bits as a number (0600), -1 when it is not there.
int modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

std::string octal(int mode)
{
    return mode < 0 ? std::string("none") : QString::number(mode, 8).rightJustified(4, QLatin1Char('0')).toStdString();
}

const QFileDevice::Permissions kOwnerAndGroupRead =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
const QFileDevice::Permissions kEveryoneReads = kOwnerAndGroupRead | QFileDevice::ReadOther;

// The real file system, noting the mode of each file just before it is
// renamed into place: the temporary a file is written to.
struct ModeAtRename : LocalFileSystem
{
    int mode = -1;
    bool replace(const QString& from, const QString& to) override
    {
        mode = modeOf(from);
        return LocalFileSystem::replace(from, to);
    }
};

QString writeNotification(FileSystem& fs)
{
    return fs.writeAtomically(QStringLiteral("Konaklama.xml"), "<KONAKLAMA/>") ? QStringLiteral("Konaklama.xml")
                                                                               : QString();
}

// A register with a guest, compacted; its mode afterwards. The register is
// given the mode first, the copy's mode is noted when it has been made.
int compactedRegisterMode(QFileDevice::Permissions registerMode, int* copyMode = nullptr)
{
    Database db(Database::kFileName);
    db.open();
    insertGuest(db, QStringLiteral("Misafir"));
    QFile::setPermissions(Database::kFileName, registerMode);
    ScriptedDialogs dialogs;
    LocalFileSystem fs;
    Compaction c(db, fs, dialogs);
    c.beforeStep = [&](Compaction::Step s) {
        if (s == Compaction::Step::Verify && copyMode)
            *copyMode = modeOf(c.compactionPath());
        return true;
    };
    if (!c.compactRegister())
        return -1;
    return modeOf(Database::kFileName);
}

} // namespace

TEST(PrivateFiles, EveryFileOfGuestsIsTheOwnersAloneWhateverTheUmask)
{
    struct Case
    {
        const char* what;
        std::function<int()> mode;
        int expected;
    };
    const Case cases[] = {
        {"a new register", [] {
             Database(Database::kFileName).open();
             return modeOf(Database::kFileName);
         }, 0600},
        {"the register's journal", [] {
             Database db(Database::kFileName);
             db.open();
             Store::Transaction tx = db.transaction();
             insertGuest(db, QStringLiteral("Misafir"));
             const int mode = modeOf(Database::kFileName + QStringLiteral("-journal"));
             tx.rollback();
             return mode;
         }, 0600},
        {"a register left empty, made into a register", [] {
             QFile empty(Database::kFileName);
             empty.open(QIODevice::WriteOnly);
             empty.setPermissions(kEveryoneReads);
             empty.close();
             Database(Database::kFileName).open();
             return modeOf(Database::kFileName);
         }, 0600},
        {"the compaction copy", [] {
             int copy = -1;
             compactedRegisterMode(QFileDevice::ReadOwner | QFileDevice::WriteOwner, &copy);
             return copy;
         }, 0600},
        {"a register the group may read, compacted", [] { return compactedRegisterMode(kOwnerAndGroupRead); }, 0640},
        {"a new notification file", [] {
             LocalFileSystem fs;
             return modeOf(writeNotification(fs));
         }, 0600},
        {"the notification file's temporary", [] {
             ModeAtRename fs;
             writeNotification(fs);
             return fs.mode;
         }, 0600},
        {"a notification file replacing one everyone could read", [] {
             LocalFileSystem fs;
             writeNotification(fs);
             QFile::setPermissions(QStringLiteral("Konaklama.xml"), kEveryoneReads);
             return modeOf(writeNotification(fs));
         }, 0600},
        {"a folder made", [] {
             return makePrivateFolder(QStringLiteral("a/b"), nullptr) ? modeOf(QStringLiteral("a/b")) : -1;
         }, 0700},
        {"a missing parent made with it", [] {
             return makePrivateFolder(QStringLiteral("a/b"), nullptr) ? modeOf(QStringLiteral("a")) : -1;
         }, 0700},
    };
    for (const mode_t mask : {mode_t(022), mode_t(077)}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << ", umask 0" << std::oct << mask);
            TestDir dir;
            int mode = -1;
            {
                UmaskGuard umask(mask);
                mode = c.mode();
            }
            EXPECT_EQ(octal(mode), octal(c.expected));
        }
    }
}

// Another user's file at the name, or a link there (to that file or to
// nowhere), is never opened: the file is refused, the other's file keeps its
// bytes and mode, and nothing is made where a link points.
TEST(PrivateFiles, AFileIsMadeOnlyWhereNothingIs)
{
    TestDir dir;
    // A folder everybody may write in, as a shared one.
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString theirs = dir.path(QStringLiteral("theirs"));
    const QString nowhere = dir.path(QStringLiteral("nowhere"));
    const int other = makeAsAnotherUser(theirs, "their bytes");
    ASSERT_NE(other, -1);
    struct Case
    {
        const char* what;
        QString name, link; // link: empty for the other's file itself
    };
    const Case cases[] = {
        {"their file", theirs, {}},
        {"a link to their file", dir.path(QStringLiteral("a.part")), theirs},
        {"a link to nowhere", dir.path(QStringLiteral("b.part")), nowhere},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.link.isEmpty()) {
            ASSERT_NE(makeAsAnotherUser(c.name, {}, c.link), -1);
        }
        QString reason;
        EXPECT_FALSE(createPrivateFile(c.name, &reason));
        EXPECT_FALSE(reason.isEmpty());
        EXPECT_EQ(fileHead(theirs, 100), QByteArray("their bytes"));
        EXPECT_EQ(octal(modeOf(theirs)), octal(0666));
        EXPECT_EQ(ownerOf(theirs), other);
        EXPECT_FALSE(QFileInfo::exists(nowhere));
    }
    // Where nothing is: made, each name its own.
    QString reason;
    const QString prefix = dir.path(QStringLiteral("radadir.dve.part-"));
    const QString first = createUniquePrivateFile(prefix, &reason);
    const QString second = createUniquePrivateFile(prefix, &reason);
    EXPECT_TRUE(first.startsWith(prefix) && first.size() > prefix.size()) << first.toStdString();
    EXPECT_NE(first, second);
    for (const QString& made : {first, second}) {
        EXPECT_EQ(octal(modeOf(made)), octal(0600));
        EXPECT_EQ(ownerOf(made), int(::getuid()));
    }
}

#endif

// On Windows a notification file written outside the user's profile (a
// shared folder, another drive) gets an access list for the user alone, also
// when it replaces a file everybody could read; one in the profile takes the
// profile's own.
TEST(PrivateFiles, ANotificationFileOutsideTheProfileIsTheUsersAlone)
{
    if (!kOnWindows)
        GTEST_SKIP() << "access lists are Windows' own; the modes are checked by "
                        "EveryFileOfGuestsIsTheOwnersAloneWhateverTheUmask";
    // The folder every user of the machine may write in.
    const QString shared = QDir::fromNativeSeparators(qEnvironmentVariable("ProgramData"));
    ASSERT_FALSE(shared.isEmpty());
    QTemporaryDir outside(shared + QStringLiteral("/radadir-test-XXXXXX"));
    ASSERT_TRUE(outside.isValid());
    const QString path = outside.filePath(QStringLiteral("Konaklama.xml"));
    {
        // Made by another program, with the folder's permissions.
        QFile before(path);
        ASSERT_TRUE(before.open(QIODevice::WriteOnly));
        before.write("old");
    }
    ASSERT_FALSE(onlyOwnerMayUse(path));
    LocalFileSystem fs;
    ASSERT_TRUE(fs.writeAtomically(path, "<KONAKLAMA/>"));
    EXPECT_EQ(fileHead(path, 100), QByteArray("<KONAKLAMA/>"));
    if (runsUnderWine())
        GTEST_SKIP() << "Wine keeps no access lists: it takes one and answers with its own default";
    EXPECT_TRUE(onlyOwnerMayUse(path));
}

// The file takes its name whole, over an older one, and nothing stays beside
// it: on Windows too, which renames no file that is still open.
TEST(AtomicWrite, ReplacesTheFileWholeAndLeavesNothingBeside)
{
    TestDir dir;
    LocalFileSystem fs;
    const QString folder = dir.path(QStringLiteral("Otel Kayıtları"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = QDir(folder).filePath(QStringLiteral("msg.kbs"));
    for (const QByteArray& content : {QByteArray("eski"), QStringLiteral("yeni içerik").toUtf8()}) {
        ASSERT_TRUE(fs.writeAtomically(path, content));
        EXPECT_EQ(fileHead(path, 100), content);
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{QStringLiteral("msg.kbs")});
}

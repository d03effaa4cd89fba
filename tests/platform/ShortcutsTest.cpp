// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "platform/core/Shortcuts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// Reads a desktop entry's main group the way a desktop does: string escapes
// undone, and for Exec the quoting of its one argument undone as well.
QHash<QString, QString> readEntry(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QHash<QString, QString> values;
    bool inMain = false;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1Char('['))) {
            inMain = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inMain || eq < 0)
            continue;
        QString value;
        const QString raw = line.mid(eq + 1);
        for (qsizetype i = 0; i < raw.size(); ++i) {
            if (raw[i] != QLatin1Char('\\') || i + 1 == raw.size()) {
                value += raw[i];
                continue;
            }
            const QChar e = raw[++i];
            value += e == QLatin1Char('s') ? QChar(' ') : e == QLatin1Char('n') ? QChar('\n')
                   : e == QLatin1Char('t') ? QChar('\t') : e == QLatin1Char('r') ? QChar('\r') : e;
        }
        values.insert(line.left(eq).trimmed(), value);
    }
    return values;
}

// The program of an Exec line whose first word is quoted.
QString execProgram(const QString& exec)
{
    if (!exec.startsWith(QLatin1Char('"')))
        return exec.section(QLatin1Char(' '), 0, 0);
    QString out;
    for (qsizetype i = 1; i < exec.size(); ++i) {
        if (exec[i] == QLatin1Char('"'))
            break;
        if (exec[i] == QLatin1Char('\\') && i + 1 < exec.size())
            ++i;
        else if (exec[i] == QLatin1Char('%') && i + 1 < exec.size() && exec[i + 1] == QLatin1Char('%'))
            ++i;
        out += exec[i];
    }
    return out;
}

// desktop-file-validate's verdict: exit code and what it printed.
std::pair<int, QString> validate(const QString& path)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("desktop-file-validate"), {path});
    if (!p.waitForStarted(5000))
        return {-1, QStringLiteral("desktop-file-validate is not installed (scripts/install-deps.sh installs it)")};
    p.waitForFinished(10000);
    return {p.exitCode(), QString::fromLocal8Bit(p.readAll())};
}

struct Folders
{
    TestDir dir;
    QString desktop = dir.path(QStringLiteral("Masaüstü"));
    QString menu = dir.path(QStringLiteral("share/applications"));
    Folders() { QDir().mkpath(desktop); }
};

ShortcutTarget targetIn(const TestDir& dir, const QString& programDir)
{
    return {shortcutName(QStringLiteral("v1.4.5")), dir.path(programDir + QStringLiteral("/radadir")),
            dir.path(QStringLiteral("kayıt defteri")), dir.path(QStringLiteral("icons/radadir.png"))};
}

} // namespace

// One entry per place, named after the version, read back field by field and
// accepted by the reference validator, for program folders with blanks,
// quotes, dollar signs, backslashes and percent signs in their names.
TEST(Shortcuts, EntryCarriesTheProgramAndPassesTheValidator)
{
    SKIP_ON_WINDOWS("desktop entry files belong to the Linux desktops");
    const QStringList programDirs = {QStringLiteral("Rada DIR"), QStringLiteral("a \"q\" $HOME `x` 100% \\b")};
    for (ShortcutPlace place : {ShortcutPlace::Desktop, ShortcutPlace::QuickLaunch}) {
        for (const QString& programDir : programDirs) {
            SCOPED_TRACE(programDir.toStdString() + (place == ShortcutPlace::Desktop ? " desktop" : " menu"));
            Folders f;
            DesktopShortcuts shortcuts(f.desktop, f.menu);
            const ShortcutTarget target = targetIn(f.dir, programDir);
            ASSERT_TRUE(shortcuts.create(target, place));

            const QString folder = place == ShortcutPlace::Desktop ? f.desktop : f.menu;
            EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("Rirede Zarevave Rurored v1.4.5.desktop")});
            const QString path = QDir(folder).filePath(QStringLiteral("Rirede Zarevave Rurored v1.4.5.desktop"));
            const auto entry = readEntry(path);
            EXPECT_EQ(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
            EXPECT_EQ(entry.value(QStringLiteral("Name")), QStringLiteral("Rirede Zarevave Rurored v1.4.5"));
            EXPECT_EQ(entry.value(QStringLiteral("Comment")), QStringLiteral("Rirede Zarevave Rurored v1.4.5"));
            EXPECT_EQ(execProgram(entry.value(QStringLiteral("Exec"))), target.executable);
            EXPECT_EQ(entry.value(QStringLiteral("Path")), target.workingDirectory);
            EXPECT_EQ(entry.value(QStringLiteral("Icon")), target.icon);

            const auto [code, output] = validate(path);
            EXPECT_EQ(code, 0) << output.toStdString();
            EXPECT_FALSE(output.contains(QStringLiteral("error"))) << output.toStdString();
        }
    }
}

TEST(Shortcuts, DesktopEntryIsExecutableAndTheMenuEntryNeedNotBe)
{
    SKIP_ON_WINDOWS("desktop entry files belong to the Linux desktops");
    Folders f;
    DesktopShortcuts shortcuts(f.desktop, f.menu);
    const ShortcutTarget target = targetIn(f.dir, QStringLiteral("prog"));
    ASSERT_TRUE(shortcuts.create(target, ShortcutPlace::Desktop));
    const QFileInfo desktop(QDir(f.desktop).filePath(target.name + QStringLiteral(".desktop")));
    EXPECT_TRUE(desktop.permissions().testFlag(QFileDevice::ExeOwner));
    EXPECT_TRUE(desktop.isExecutable());
    // A second write keeps the bit.
    ASSERT_TRUE(shortcuts.create(target, ShortcutPlace::Desktop));
    EXPECT_TRUE(QFileInfo(desktop.filePath()).isExecutable());
}

TEST(Shortcuts, SecondWriteReplacesTheEntry)
{
    SKIP_ON_WINDOWS("desktop entry files belong to the Linux desktops");
    Folders f;
    DesktopShortcuts shortcuts(f.desktop, f.menu);
    ShortcutTarget target = targetIn(f.dir, QStringLiteral("eski"));
    for (ShortcutPlace place : {ShortcutPlace::Desktop, ShortcutPlace::QuickLaunch}) {
        ASSERT_TRUE(shortcuts.create(target, place));
    }
    target.executable = f.dir.path(QStringLiteral("yeni/radadir"));
    target.workingDirectory = f.dir.path(QStringLiteral("yeni"));
    for (const auto& [place, folder] : {std::pair{ShortcutPlace::Desktop, f.desktop}, std::pair{ShortcutPlace::QuickLaunch, f.menu}}) {
        ASSERT_TRUE(shortcuts.create(target, place));
        // One file, no temporary left beside it.
        ASSERT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
        const auto entry = readEntry(QDir(folder).filePath(target.name + QStringLiteral(".desktop")));
        EXPECT_EQ(execProgram(entry.value(QStringLiteral("Exec"))), target.executable);
        EXPECT_EQ(entry.value(QStringLiteral("Path")), target.workingDirectory);
    }
}

// Another version text writes a second entry beside the first.
TEST(Shortcuts, AnotherVersionWritesItsOwnEntry)
{
    SKIP_ON_WINDOWS("desktop entry files belong to the Linux desktops");
    Folders f;
    DesktopShortcuts shortcuts(f.desktop, f.menu);
    ShortcutTarget target = targetIn(f.dir, QStringLiteral("p"));
    ASSERT_TRUE(shortcuts.create(target, ShortcutPlace::Desktop));
    target.name = shortcutName(QStringLiteral("v1.5.0"));
    ASSERT_TRUE(shortcuts.create(target, ShortcutPlace::Desktop));
    EXPECT_EQ(QDir(f.desktop).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("Rirede Zarevave Rurored v1.4.5.desktop"),
                           QStringLiteral("Rirede Zarevave Rurored v1.5.0.desktop")}));
}

// No desktop folder: nothing is written and nothing made. The menu folder is
// part of the user's data folder and is made.
TEST(Shortcuts, MissingFolders)
{
    SKIP_ON_WINDOWS("desktop entry files belong to the Linux desktops");
    TestDir dir;
    const QString desktop = dir.path(QStringLiteral("yok/Desktop"));
    const QString menu = dir.path(QStringLiteral("data/applications"));
    DesktopShortcuts shortcuts(desktop, menu);
    const ShortcutTarget target = targetIn(dir, QStringLiteral("p"));
    EXPECT_FALSE(shortcuts.create(target, ShortcutPlace::Desktop));
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("yok"))));
    EXPECT_TRUE(shortcuts.create(target, ShortcutPlace::QuickLaunch));
    EXPECT_TRUE(QFileInfo::exists(QDir(menu).filePath(target.name + QStringLiteral(".desktop"))));
}

namespace {

// Sets an environment variable for one scope.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

TEST(Shortcuts, UserFolders)
{
    SKIP_ON_WINDOWS("desktop entry files belong to the Linux desktops");
    TestDir dir;
    ScopedEnv home("HOME", dir.path().toUtf8());
    ScopedEnv config("XDG_CONFIG_HOME", dir.path(QStringLiteral("config")).toUtf8());
    ScopedEnv data("XDG_DATA_HOME", dir.path(QStringLiteral("veri")).toUtf8());
    QDir().mkpath(dir.path(QStringLiteral("config")));
    QFile dirs(dir.path(QStringLiteral("config/user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DESKTOP_DIR=\"$HOME/Masa\xc3\xbcst\xc3\xbc\"\n");
    dirs.close();

    EXPECT_EQ(DesktopShortcuts::userDesktopDir(), dir.path(QStringLiteral("Masaüstü")));
    EXPECT_EQ(DesktopShortcuts::userMenuDir(), dir.path(QStringLiteral("veri/applications")));
    ScopedEnv relative("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(DesktopShortcuts::userMenuDir(), dir.path(QStringLiteral(".local/share/applications")));
}

// Windows: the desktop and the quick-launch bar of the user's own "Shell
// Folders", as the menu's items use them.
TEST(Shortcuts, UserFoldersOnWindows)
{
    if (!kOnWindows)
        GTEST_SKIP() << "the shell folders are Windows' own";
    const QString desktop = DesktopShortcuts::userDesktopDir();
    ASSERT_FALSE(desktop.isEmpty());
    EXPECT_TRUE(QFileInfo(desktop).isDir()) << desktop.toStdString();
    const QString quickLaunch = DesktopShortcuts::userMenuDir();
    const QString tail = QStringLiteral("/Microsoft/Internet Explorer/Quick Launch");
    ASSERT_TRUE(quickLaunch.endsWith(tail)) << quickLaunch.toStdString();
    // The roaming application data folder it lies in is there.
    EXPECT_TRUE(QFileInfo(quickLaunch.chopped(tail.size())).isDir()) << quickLaunch.toStdString();
}

TEST(Shortcuts, IconBesideTheProgramOrTheThemeIcon)
{
    TestDir dir;
    EXPECT_EQ(shortcutIcon(dir.path()), QStringLiteral("radadir"));
    QFile icon(dir.path(QStringLiteral("radadir.png")));
    ASSERT_TRUE(icon.open(QIODevice::WriteOnly));
    icon.close();
    EXPECT_EQ(shortcutIcon(dir.path() + QLatin1Char('/')), dir.path(QStringLiteral("radadir.png")));
}

// Windows: a shell link in each place, read back through IShellLinkW field by
// field, with Turkish letters and blanks in every path; a second write
// replaces the link.
TEST(Shortcuts, ShellLinksCarryEveryField)
{
    if (!kOnWindows)
        GTEST_SKIP() << "shell links are Windows' own";
    TestDir dir;
    const QString desktop = dir.path(QStringLiteral("Gülşah Öztürk/Masaüstü"));
    const QString quickLaunch = dir.path(QStringLiteral("Gülşah Öztürk/Quick Launch"));
    QDir().mkpath(desktop);
    DesktopShortcuts shortcuts(desktop, quickLaunch);
    ShortcutTarget target{shortcutName(QStringLiteral("v1.4.5")), dir.path(QStringLiteral("Programlar/RadaDIR/radadir.exe")),
                          dir.path(QStringLiteral("Otel Kayıtları")), QStringLiteral("radadir")};
    for (const QString& version : {QStringLiteral("eski"), QStringLiteral("yeni")}) {
        target.executable = dir.path(QStringLiteral("Programlar %1/RadaDİR/radadir.exe").arg(version));
        QDir().mkpath(QFileInfo(target.executable).absolutePath());
        QFile(target.executable).open(QIODevice::WriteOnly);
        for (const auto& [place, folder] : {std::pair{ShortcutPlace::Desktop, desktop}, std::pair{ShortcutPlace::QuickLaunch, quickLaunch}}) {
            SCOPED_TRACE(folder.toStdString() + " " + version.toStdString());
            ASSERT_TRUE(shortcuts.create(target, place));
            // Qt takes a shell link for a symbolic link: System lists it.
            EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System),
                      QStringList{QStringLiteral("Rirede Zarevave Rurored v1.4.5.lnk")});
            const QString path = QDir(folder).filePath(QStringLiteral("Rirede Zarevave Rurored v1.4.5.lnk"));
            const ShellLinkFields fields = readShellLink(path);
            ASSERT_TRUE(fields.read);
            EXPECT_EQ(fields.description, QStringLiteral("Rirede Zarevave Rurored v1.4.5"));
            EXPECT_EQ(fields.executable, target.executable);
            EXPECT_EQ(fields.workingDirectory, target.workingDirectory);
            EXPECT_EQ(fields.icon, target.executable);
            EXPECT_EQ(fields.iconIndex, 0);
            // The relative path, which the interface does not read back, is
            // in the file in UTF-16.
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QString native = QDir::toNativeSeparators(target.executable);
            const QByteArray utf16(reinterpret_cast<const char*>(native.utf16()), native.size() * 2);
            EXPECT_TRUE(file.readAll().contains(utf16));
        }
    }
}

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QProcess>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

struct ProcessRun
{
    int code = -1;
    QString output;
};

ProcessRun run(const QString& program, const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return {-1, program + QStringLiteral(" did not start")};
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAll())};
}

// The build installed under a fresh prefix.
struct Installed
{
    TestDir dir;
    QString prefix = dir.path(QStringLiteral("usr"));
    ProcessRun install = run(QStringLiteral(RADADIR_CMAKE),
                      {QStringLiteral("--install"), QStringLiteral(RADADIR_BUILD_DIR), QStringLiteral("--prefix"), prefix});
    QString path(const QString& name) const { return QDir(prefix).filePath(name); }
    // The program replaced by a script that writes its working directory
    // and its arguments, a line each, into the file $SEEN.
    bool replaceProgramWithStandIn() const
    {
        QFile standIn(path(QStringLiteral("lib/radadir/radadir")));
        if (!standIn.remove() || !standIn.open(QIODevice::WriteOnly))
            return false;
        standIn.write("#!/bin/sh\npwd > \"$SEEN\"\nfor a in \"$@\"; do echo \"$a\" >> \"$SEEN\"; done\n");
        standIn.close();
        return standIn.setPermissions(standIn.permissions() | QFileDevice::ExeOwner);
    }
};

} // namespace

TEST(Install, PutsProgramLauncherEntryAndIconsInTheUsualPlaces)
{
    Installed i;
    ASSERT_EQ(i.install.code, 0) << i.install.output.toStdString();
    EXPECT_TRUE(QFileInfo(i.path(QStringLiteral("lib/radadir/radadir"))).isExecutable());
    EXPECT_TRUE(QFileInfo(i.path(QStringLiteral("bin/radadir"))).isExecutable());

    const QString entry = i.path(QStringLiteral("share/applications/radadir.desktop"));
    const ProcessRun valid = run(QStringLiteral("desktop-file-validate"), {entry});
    EXPECT_EQ(valid.code, 0) << valid.output.toStdString();
    EXPECT_TRUE(valid.output.isEmpty()) << valid.output.toStdString();
    QFile f(entry);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("\nExec=radadir\n"));
    EXPECT_TRUE(text.contains("\nIcon=radadir\n"));
    EXPECT_TRUE(text.contains("\nName=Rirede Zarevave Rurored\n"));

    const QImage png(i.path(QStringLiteral("share/icons/hicolor/64x64/apps/radadir.png")));
    EXPECT_EQ(png.size(), QSize(64, 64));
    QFile svg(i.path(QStringLiteral("share/icons/hicolor/scalable/apps/radadir.svg")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QStringLiteral("svg"));
    while (!xml.atEnd())
        xml.readNext();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();

    // The windows' icon is built in.
    EXPECT_EQ(QImage(QStringLiteral(":/icons/radadir.png")).size(), QSize(64, 64));
}

// The launcher makes the user's data folder, starts the program there and
// passes its arguments on; a stand-in program reports what it saw.
TEST(Install, LauncherStartsTheProgramInTheUsersDataFolder)
{
    Installed i;
    ASSERT_EQ(i.install.code, 0) << i.install.output.toStdString();
    const QString seen = i.dir.path(QStringLiteral("seen.txt"));
    ASSERT_TRUE(i.replaceProgramWithStandIn());

    const struct
    {
        const char* dataHome;  // XDG_DATA_HOME, null for unset
        QString folder;
    } cases[] = {
        {nullptr, i.dir.path(QStringLiteral("home/.local/share/RadaDIR"))},
        {"", i.dir.path(QStringLiteral("home/.local/share/RadaDIR"))},
        {"relative", i.dir.path(QStringLiteral("home/.local/share/RadaDIR"))},
        {"/abs", i.dir.path(QStringLiteral("veri/RadaDIR"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataHome ? c.dataHome : "(unset)");
        QDir(i.dir.path(QStringLiteral("home"))).removeRecursively();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), i.dir.path(QStringLiteral("home")));
        env.insert(QStringLiteral("SEEN"), seen);
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        if (c.dataHome && QByteArray(c.dataHome) == "/abs")
            env.insert(QStringLiteral("XDG_DATA_HOME"), i.dir.path(QStringLiteral("veri")));
        else if (c.dataHome)
            env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromLatin1(c.dataHome));
        QDir().mkpath(i.dir.path(QStringLiteral("home")));

        const ProcessRun launched = run(i.path(QStringLiteral("bin/radadir")), {QStringLiteral("bir iki"), QStringLiteral("üç")}, env);
        ASSERT_EQ(launched.code, 0) << launched.output.toStdString();
        QFile out(seen);
        ASSERT_TRUE(out.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(out.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                  (QStringList{c.folder, QStringLiteral("bir iki"), QStringLiteral("üç")}));
        EXPECT_TRUE(QFileInfo(c.folder).isDir());
        // Private to its user, as the register in it is.
        EXPECT_EQ(QFileInfo(c.folder).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser),
                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

// A menu entry shows nobody what a script writes: when the data folder
// cannot be made (the home folder is no folder, or there is none), the
// launcher starts the program with the folder, for it to tell the clerk.
TEST(Install, LauncherHandsAFolderItCannotMakeToTheProgram)
{
    Installed i;
    ASSERT_EQ(i.install.code, 0) << i.install.output.toStdString();
    const QString seen = i.dir.path(QStringLiteral("seen.txt"));
    ASSERT_TRUE(i.replaceProgramWithStandIn());
    // Even root cannot make a folder inside a file.
    const QString notAFolder = i.dir.path(QStringLiteral("home-file"));
    QFile file(notAFolder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    const struct
    {
        const char* home;  // null for unset
        QString folder;
    } cases[] = {
        {"file", notAFolder + QStringLiteral("/.local/share/RadaDIR")},
        {nullptr, QStringLiteral("$HOME/.local/share/RadaDIR")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.home ? c.home : "(unset)");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SEEN"), seen);
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        env.remove(QStringLiteral("HOME"));
        if (c.home)
            env.insert(QStringLiteral("HOME"), notAFolder);

        const ProcessRun launched = run(i.path(QStringLiteral("bin/radadir")), {QStringLiteral("bir")}, env);
        EXPECT_EQ(launched.code, 0) << launched.output.toStdString();
        EXPECT_TRUE(launched.output.isEmpty()) << launched.output.toStdString();
        QFile out(seen);
        ASSERT_TRUE(out.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(out.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1),
                  (QStringList{QStringLiteral("--data-folder-failed"), c.folder}));
    }
}

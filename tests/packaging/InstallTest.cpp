// SPDX-License-Identifier: GPL-3.0-or-later
#include "Version.h"

#include "core/register/Database.h"
#include "core/shell/StartOptions.h"
#include "core/transfer/Backups.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

struct ProcessRun
{
    int code = -1;
    QString output;
    QString errors; // empty when merged into the output
};

enum class Channels { Merged, Separate };

ProcessRun run(const QString& program, const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
               Channels channels = Channels::Merged)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(channels == Channels::Merged ? QProcess::MergedChannels : QProcess::SeparateChannels);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return {-1, program + QStringLiteral(" did not start"), {}};
    p.waitForFinished(60000);
    const QString output = QString::fromUtf8(p.readAllStandardOutput());
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, output,
            channels == Channels::Merged ? QString() : QString::fromUtf8(p.readAllStandardError())};
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

namespace {

const QString kMaintainer = QStringLiteral("RadaDIR Destek <destek@radadir.com.tr>");
const QString kSourceDir = QStringLiteral(RADADIR_SOURCE_DIR);

// What Debian asks of a compressed file in a package: gzip at the highest
// level, without the name or time of the file it was made from, so that the
// same sources give the same bytes.
void expectReproducibleGzip(const QString& path)
{
    SCOPED_TRACE(path.toStdString());
    const QByteArray head = fileHead(path, 10);
    ASSERT_EQ(head.size(), 10);
    EXPECT_EQ(head.left(3), QByteArray("\x1f\x8b\x08", 3));
    EXPECT_EQ(head.at(3), 0) << "flags: a name or comment is stored";
    EXPECT_EQ(head.mid(4, 4), QByteArray(4, '\0')) << "a time is stored";
    EXPECT_EQ(head.at(8), 2) << "not the highest compression";
}

QString gunzip(const QString& path)
{
    const ProcessRun r = run(QStringLiteral("gzip"), {QStringLiteral("-dc"), path}, QProcessEnvironment::systemEnvironment(),
                             Channels::Separate);
    EXPECT_EQ(r.code, 0) << r.errors.toStdString();
    return r.output;
}

// The paragraphs of a Debian control-style file, each a list of its fields
// (name, value; continuation lines joined with "\n", the leading space gone).
using Paragraph = QList<std::pair<QString, QString>>;

QList<Paragraph> paragraphs(const QString& text)
{
    QList<Paragraph> result;
    for (const QString& block : text.split(QRegularExpression(QStringLiteral("\n[ \t]*\n")), Qt::SkipEmptyParts)) {
        Paragraph p;
        for (const QString& line : block.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            if (line.startsWith(QLatin1Char(' ')) && !p.isEmpty())
                p.last().second += QLatin1Char('\n') + line.mid(1);
            else
                p.append({line.section(QLatin1Char(':'), 0, 0), line.section(QLatin1Char(':'), 1).trimmed()});
        }
        result.append(p);
    }
    return result;
}

QString field(const Paragraph& p, const QString& name)
{
    for (const auto& [n, v] : p)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return v;
    return {};
}

} // namespace

// The copyright file in Debian's machine-readable format: every licence it
// names has its text, every file it names is in the tree, and every lookup
// list made from iso-codes is named with iso-codes' licence.
TEST(Install, CopyrightIsMachineReadableAndCoversTheFilesFromElsewhere)
{
    Installed i;
    ASSERT_EQ(i.install.code, 0) << i.install.output.toStdString();
    const QString text = QString::fromUtf8(readAll(i.path(QStringLiteral("share/doc/radadir/copyright"))));
    const QList<Paragraph> all = paragraphs(text);
    ASSERT_GE(all.size(), 2) << text.toStdString();
    EXPECT_EQ(field(all.first(), QStringLiteral("Format")),
              QStringLiteral("https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"));
    EXPECT_EQ(field(all.first(), QStringLiteral("Upstream-Name")), QStringLiteral("RadaDIR"));

    QStringList licenceTexts;
    QList<Paragraph> files;
    for (const Paragraph& p : all.mid(1)) {
        if (!field(p, QStringLiteral("Files")).isEmpty())
            files.append(p);
        else if (field(p, QStringLiteral("License")).contains(QLatin1Char('\n')))
            licenceTexts.append(field(p, QStringLiteral("License")).section(QLatin1Char('\n'), 0, 0));
    }
    ASSERT_FALSE(files.isEmpty());
    EXPECT_EQ(field(files.first(), QStringLiteral("Files")), QStringLiteral("*"));
    EXPECT_EQ(field(files.first(), QStringLiteral("License")), QStringLiteral("GPL-3+"));
    EXPECT_EQ(field(files.first(), QStringLiteral("Copyright")).section(QLatin1Char(' '), 1), QStringLiteral("RadaDIR"));

    QHash<QString, QString> licenceOf; // file named -> its licence
    for (const Paragraph& p : files) {
        const QString licence = field(p, QStringLiteral("License"));
        SCOPED_TRACE(field(p, QStringLiteral("Files")).toStdString());
        EXPECT_FALSE(field(p, QStringLiteral("Copyright")).isEmpty());
        if (!licence.contains(QLatin1Char('\n'))) {
            EXPECT_TRUE(licenceTexts.contains(licence)) << "no text for " << licence.toStdString();
        }
        for (const QString& name : field(p, QStringLiteral("Files")).split(QRegularExpression(QStringLiteral("\\s+")))) {
            if (name == QStringLiteral("*"))
                continue;
            EXPECT_TRUE(QFileInfo::exists(QDir(kSourceDir).filePath(name))) << name.toStdString();
            licenceOf.insert(name, licence);
        }
    }

    const QStringList lookups = QDir(kSourceDir + QStringLiteral("/data")).entryList({QStringLiteral("*.tsv")}, QDir::Files);
    int fromIsoCodes = 0;
    for (const QString& name : lookups) {
        if (!fileHead(QDir(kSourceDir).filePath(QStringLiteral("data/") + name), 200).contains("iso-codes"))
            continue;
        ++fromIsoCodes;
        EXPECT_EQ(licenceOf.value(QStringLiteral("data/") + name), QStringLiteral("LGPL-2.1+")) << name.toStdString();
    }
    EXPECT_EQ(fromIsoCodes, 2);
}

// The changelog is Debian's own format, as dpkg reads it, and begins with
// the version being installed.
TEST(Install, ChangelogIsInDebiansFormatAndBeginsWithThisVersion)
{
    Installed i;
    ASSERT_EQ(i.install.code, 0) << i.install.output.toStdString();
    const QString gz = i.path(QStringLiteral("share/doc/radadir/changelog.gz"));
    expectReproducibleGzip(gz);
    const QString plain = i.dir.path(QStringLiteral("changelog"));
    QFile out(plain);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(gunzip(gz).toUtf8());
    out.close();

    const auto show = [&](const QString& name) {
        const ProcessRun r = run(QStringLiteral("dpkg-parsechangelog"), {QStringLiteral("-l"), plain, QStringLiteral("--show-field"), name},
                                 QProcessEnvironment::systemEnvironment(), Channels::Separate);
        EXPECT_EQ(r.code, 0) << r.errors.toStdString();
        EXPECT_TRUE(r.errors.isEmpty()) << r.errors.toStdString();
        return r.output.trimmed();
    };
    EXPECT_EQ(QStringLiteral("v") + show(QStringLiteral("Version")), kVersion);
    EXPECT_EQ(show(QStringLiteral("Source")), QStringLiteral("radadir"));
    EXPECT_EQ(show(QStringLiteral("Maintainer")), kMaintainer);
    EXPECT_FALSE(show(QStringLiteral("Changes")).isEmpty());
}

namespace {

// The options the program lists in its own help, each as the help spells
// it without its value ("-h, --help", "--server").
QStringList helpOptions(const QString& help)
{
    QStringList options;
    static const QRegularExpression line(QStringLiteral("^\\s+((?:-\\w, )?--[\\w-]+)"),
                                         QRegularExpression::MultilineOption);
    for (QRegularExpressionMatchIterator m = line.globalMatch(help); m.hasNext();)
        options.append(m.next().captured(1));
    return options;
}

} // namespace

// The manual page renders without a complaint from man and groff, and names
// every option the installed program's help lists, and every file and
// variable the program reads.
TEST(Install, ManualPageRendersAndNamesTheOptionsFilesAndEnvironment)
{
    Installed i;
    ASSERT_EQ(i.install.code, 0) << i.install.output.toStdString();
    const QString page = i.path(QStringLiteral("share/man/man1/radadir.1.gz"));
    expectReproducibleGzip(page);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("MANROFFSEQ"), QString());
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
    // As Debian's package checker asks man.
    const ProcessRun checked = run(QStringLiteral("man"),
                                   {QStringLiteral("--warnings"), QStringLiteral("-E"), QStringLiteral("UTF-8"), QStringLiteral("-l"),
                                    QStringLiteral("-Tutf8"), QStringLiteral("-Z"), page},
                                   env, Channels::Separate);
    EXPECT_EQ(checked.code, 0);
    EXPECT_TRUE(checked.errors.isEmpty()) << checked.errors.toStdString();

    // Wide enough that no name is broken across lines.
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("400"));
    const ProcessRun shown = run(QStringLiteral("man"), {QStringLiteral("-l"), page}, env, Channels::Separate);
    ASSERT_EQ(shown.code, 0) << shown.errors.toStdString();
    EXPECT_TRUE(shown.output.contains(QStringLiteral("RadaDIR ") + kVersion.mid(1))) << "the version in the footer";
    const QString options = shown.output.section(QStringLiteral("\nOPTIONS"), 1).section(QStringLiteral("\nEXIT STATUS"), 0, 0);

    const ProcessRun help = run(i.path(QStringLiteral("lib/radadir/radadir")), {QStringLiteral("--help")},
                                QProcessEnvironment::systemEnvironment(), Channels::Separate);
    ASSERT_EQ(help.code, 0) << help.errors.toStdString();
    const QStringList listed = helpOptions(help.output);
    // The help and the version, the server and the copy to it, at least.
    ASSERT_GE(listed.size(), 4) << help.output.toStdString();
    for (const QString& option : listed)
        EXPECT_TRUE(options.contains(QRegularExpression(QStringLiteral("\n {7}") + QRegularExpression::escape(option) +
                                                        QStringLiteral("( |\n)"))))
            << "not among the options: " << option.toStdString();

    for (const QString& name : {QStringLiteral("NAME"), QStringLiteral("SYNOPSIS"), QStringLiteral("OPTIONS"),
                                QStringLiteral("EXIT STATUS"), QStringLiteral("ENVIRONMENT"), QStringLiteral("FILES"),
                                QStringLiteral("ÖZET"), Database::kFileName, StartOptions::kIniFileName,
                                Backups::kDefaultFolderName, QStringLiteral("~/.local/share/RadaDIR"),
                                QStringLiteral("XDG_DATA_HOME"), QStringLiteral("PGPASSWORD")})
        EXPECT_TRUE(shown.output.contains(QStringLiteral("\n       ") + name) ||
                    shown.output.contains(QLatin1Char('\n') + name + QLatin1Char('\n')))
            << "not at the start of a line: " << name.toStdString();
}

// The software centres' entry passes AppStream's checker, together with the
// menu entry it launches, and shows the screenshot kept in the tree.
TEST(Install, SoftwareCentreEntryValidatesWithTheMenuEntry)
{
    Installed i;
    ASSERT_EQ(i.install.code, 0) << i.install.output.toStdString();
    const QString id = QStringLiteral("tr.com.radadir.radadir");
    const QString entry = i.path(QStringLiteral("share/metainfo/") + id + QStringLiteral(".metainfo.xml"));
    ASSERT_TRUE(QFileInfo::exists(entry));
    const ProcessRun valid = run(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"), entry});
    EXPECT_EQ(valid.code, 0) << valid.output.toStdString();
    // The tree checks the file's name against the id and finds the menu
    // entry it launches.
    const ProcessRun tree = run(QStringLiteral("appstreamcli"), {QStringLiteral("validate-tree"), QStringLiteral("--no-net"), i.dir.path()});
    EXPECT_EQ(tree.code, 0) << tree.output.toStdString();
    EXPECT_FALSE(tree.output.contains(QStringLiteral("dir-no-metadata-found"))) << tree.output.toStdString();

    QFile f(entry);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    QString launchable, releases, image;
    QSize size;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QStringLiteral("launchable")) {
            launchable = xml.readElementText();
        } else if (xml.name() == QStringLiteral("release") && releases.isEmpty()) {
            releases = xml.attributes().value(QStringLiteral("version")).toString();
        } else if (xml.name() == QStringLiteral("image")) {
            size = QSize(xml.attributes().value(QStringLiteral("width")).toInt(),
                         xml.attributes().value(QStringLiteral("height")).toInt());
            image = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(QFileInfo::exists(i.path(QStringLiteral("share/applications/") + launchable))) << launchable.toStdString();
    EXPECT_EQ(QStringLiteral("v") + releases, kVersion) << "the newest release first";
    // The address is where the screenshot kept in the tree is published.
    const QImage screenshot(kSourceDir + QStringLiteral("/packaging/screenshots/") + image.section(QLatin1Char('/'), -1));
    EXPECT_FALSE(screenshot.isNull()) << image.toStdString();
    EXPECT_EQ(screenshot.size(), size);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/ServerCopy.h"
#include "core/shell/StartOptions.h"
#include "gui/shell/Application.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/Program.h"
#include "platform/core/Clock.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Http.h"
#include "platform/core/Shortcuts.h"
#include "platform/core/SingleInstance.h"
#include "platform/gui/QtDialogs.h"
#include "platform/gui/Shell.h"

#include <QCoreApplication>
#include <QIcon>
#include <QStringList>
#include <optional>

int main(int argc, char** argv)
{
    RadaApplication app(argc, argv);
    // Qt's own dialogs and menus speak Turkish as the program does.
    loadQtTranslation();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/radadir.png")));
    QtDialogs dialogs;
    SystemClock clock;
    DesktopShell shell;
    LocalFileSystem fs;
    app.setErrorDialogs(&dialogs);
    DesktopShortcuts shortcuts;
    SystemConnectivity connectivity;
    NetworkHttp http;
    Platform platform{dialogs, clock, shell, fs, shortcuts, connectivity, http};

    // The register file, and radadir.ini, are looked up in the working
    // directory, as the shortcuts set it.
    const StartOptions options = StartOptions::read(QCoreApplication::arguments(), StartOptions::kIniFileName);
    if (const std::optional<int> ended = answerCommandLine(options, dialogs))
        return *ended;
    if (options.action == StartOptions::Action::ReportDataFolder)
        return reportDataFolderFailure(platform, options.dataFolder);
    if (options.action == StartOptions::Action::CopyToServer)
        return ServerCopy::run(dialogs, Database::kFileName, options.copyToServer);

    SingleInstance guard(SingleInstance::defaultKey(), SingleInstance::defaultLockDir());
    int exitCode = 0;
    std::unique_ptr<Program> program =
        startProgram(platform, guard, Database::kFileName, exitCode, QString(), options.server);
    if (!program)
        return exitCode;
    program->mainWindow()->show();
    const int rc = app.exec();
    program.reset();
    return rc;
}

#include "Application.h"
#include "RadaDIR.h"
#include "AnaForm.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/QtDialogs.h"
#include "platform/Shell.h"
#include "platform/SingleInstance.h"

int main(int argc, char** argv)
{
    RadaApplication app(argc, argv);
    QtDialogs dialogs;
    SystemClock clock;
    DesktopShell shell;
    LocalFileSystem fs;
    app.setErrorDialogs(&dialogs);
    Platform platform{dialogs, clock, shell, fs};

    SingleInstance guard(SingleInstance::defaultKey(), SingleInstance::defaultLockDir());
    int exitCode = 0;
    // The database is looked up in the working directory, as the shortcuts set it.
    std::unique_ptr<Program> program = startProgram(platform, guard, Database::kFileName, exitCode);
    if (!program)
        return exitCode;
    program->form1->show();
    const int rc = app.exec();
    program.reset();
    return rc;
}

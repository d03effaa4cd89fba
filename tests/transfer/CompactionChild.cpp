// A process that compacts the database in the given directory and dies on
// purpose: at a named step ("RemoveStale", "Export", "Verify", "Replace"), or
// never, compacting again and again until it is killed ("loop").
#include "doubles/FaultyFileSystem.h"
#include "doubles/ScriptedDialogs.h"
#include "register/Database.h"
#include "transfer/Compaction.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString mode = QString::fromLocal8Bit(argv[2]);
    Database db(QDir(dir).filePath(Database::kFileName));
    db.open(Database::Missing::Refuse);
    LocalFileSystem fs;
    ScriptedDialogs dialogs;
    Compaction compaction(db, fs, dialogs);
    const char* names[] = {"RemoveStale", "Export", "Verify", "Replace"};
    compaction.beforeStep = [&](Compaction::Step step) {
        if (mode == QString::fromLatin1(names[int(step)]))
            std::_Exit(9);
        return true;
    };
    std::puts("ready");
    std::fflush(stdout);
    do {
        compaction.VeritabaniOnar();
        if (!dialogs.messages.isEmpty())
            return 3;
    } while (mode == QStringLiteral("loop"));
    return 0;
}

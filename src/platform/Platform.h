#pragma once

class Clock;
class Dialogs;
class FileSystem;
class Shell;

// The operating-system adapters a window or a rule may use. Tests hand in
// doubles.
struct Platform
{
    Dialogs& dialogs;
    Clock& clock;
    Shell& shell;
    FileSystem& fs;
};

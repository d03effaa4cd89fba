// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class Clock;
class Connectivity;
class Dialogs;
class FileSystem;
class Http;
class Shell;
class Shortcuts;

// The operating-system adapters a window or a rule may use. Tests hand in
// doubles.
struct Platform
{
    Dialogs& dialogs;
    Clock& clock;
    Shell& shell;
    FileSystem& fs;
    Shortcuts& shortcuts;
    Connectivity& connectivity;
    Http& http;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "doubles/FaultyFileSystem.h"
#include "doubles/FixedConnectivity.h"
#include "doubles/ManualClock.h"
#include "doubles/RecordingShell.h"
#include "doubles/RecordingShortcuts.h"
#include "doubles/ScriptedDialogs.h"
#include "doubles/ScriptedHttp.h"
#include "platform/core/Platform.h"

// Every platform adapter as its double, for tests, benchmarks and the
// crash child. The file system is the real one until a test hooks it.
struct FakePlatform
{
    ScriptedDialogs dialogs;
    ManualClock clock;
    RecordingShell shell;
    FaultyFileSystem fs;
    RecordingShortcuts shortcuts;
    // Offline, so that nothing reaches for the network unless it asks to.
    FixedConnectivity connectivity{false};
    ScriptedHttp http;
    Platform platform{dialogs, clock, shell, fs, shortcuts, connectivity, http};
};

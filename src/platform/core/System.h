// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// Whether the program was built for Windows, for the few places above the
// platform layer (tests among them) that must know without an #ifdef.
#ifdef Q_OS_WIN
inline constexpr bool kOnWindows = true;
#else
inline constexpr bool kOnWindows = false;
#endif

// Whether the program runs under Wine rather than on Windows itself: for
// the tests, which skip what Wine does not do as Windows does.
bool runsUnderWine();

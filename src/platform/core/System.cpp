// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/System.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

bool runsUnderWine()
{
#ifdef Q_OS_WIN
    // Wine's own ntdll tells its version; Windows' has no such entry.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

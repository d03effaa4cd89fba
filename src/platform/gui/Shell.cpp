// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gui/Shell.h"

#include <QDesktopServices>

bool DesktopShell::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

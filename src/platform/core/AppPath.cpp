// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/AppPath.h"

#include <QCoreApplication>
#include <QDir>

QString GetAppPath()
{
    QString dir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    const QChar sep = QDir::separator();
    if (!dir.endsWith(sep))
        dir += sep;
    return dir;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/gui/Shell.h"

#include <QList>

// Test double: records what it was asked to open.
class RecordingShell : public Shell
{
public:
    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    QList<QUrl> opened;
};

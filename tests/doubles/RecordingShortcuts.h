// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/Shortcuts.h"

#include <QList>

// Test double: records what would have been created.
class RecordingShortcuts : public Shortcuts
{
public:
    bool create(const ShortcutTarget& target, ShortcutPlace place) override
    {
        created.append({target, place});
        return true;
    }
    struct Created
    {
        ShortcutTarget target;
        ShortcutPlace place;
    };
    QList<Created> created;
};

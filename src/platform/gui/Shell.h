// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUrl>

// Opens documents and web pages with the desktop's default program.
class Shell
{
public:
    virtual ~Shell() = default;
    virtual bool openUrl(const QUrl& url) = 0;
};

class DesktopShell : public Shell
{
public:
    bool openUrl(const QUrl& url) override;
};

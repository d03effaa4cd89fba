// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/Http.h"

#include <QHash>
#include <QList>
#include <QStringList>

// Test double: answers from tables and records each address asked.
class ScriptedHttp : public Http
{
public:
    bool urlExists(const QString& address, QDeadlineTimer) override
    {
        asked.append(address);
        return existing.contains(address);
    }
    std::optional<WebPage> fetchPage(const QUrl& address, const QStringList&, QDeadlineTimer) override
    {
        fetched.append(address);
        const auto it = pages.constFind(address.toString());
        if (it == pages.constEnd())
            return std::nullopt;
        return WebPage{address, *it, QByteArrayLiteral("text/html")};
    }
    QStringList existing;
    QHash<QString, QByteArray> pages;  // by address
    QStringList asked;
    QList<QUrl> fetched;
};

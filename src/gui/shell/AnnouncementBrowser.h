// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QTextBrowser>
#include <QUrl>

// The view inside the panel: it loads nothing by itself, neither images nor
// style sheets nor anything a link names (see ClosedDocument).
class AnnouncementBrowser : public QTextBrowser
{
    Q_OBJECT
public:
    explicit AnnouncementBrowser(QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;
    // Resources the document asked for (and did not get).
    QList<QUrl> refused;
};

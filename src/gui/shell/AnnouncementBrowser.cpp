// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/shell/AnnouncementBrowser.h"

#include "gui/shell/ClosedDocument.h"

AnnouncementBrowser::AnnouncementBrowser(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(0);
}

QVariant AnnouncementBrowser::loadResource(int type, const QUrl& name)
{
    refused.append(name);
    return ClosedDocument::standIn(type);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QTextDocument>
#include <QUrl>

// A document that loads nothing: every resource it names (an image, a style
// sheet, anything a link points to) is answered from memory, so that no page
// can make the program open a file, a device or a pipe by naming it.
class ClosedDocument : public QTextDocument
{
    Q_OBJECT
public:
    using QTextDocument::QTextDocument;

    // What stands in for a resource of this type: a transparent 1 x 1 image,
    // or empty text. Never a null value, which would let Qt open the name.
    static QVariant standIn(int type);

    // Resources the document asked for (and did not get).
    QList<QUrl> refused;

protected:
    QVariant loadResource(int type, const QUrl& name) override;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/register/FieldCaptions.h"

#include "core/customers/PersonalDataSearch.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

struct Platform;
class Store;

// The answer to a person's request on paper: a PDF (A4) listing every
// customer record and guest row found, each field with the caption the
// windows show, with the date, the facility's code and name and the
// retention period.
class PersonalDataReport
{
public:
    struct Header
    {
        QDateTime moment;
        QString facilityCode;
        QString facilityName;
        int retentionMonths = 0;
    };

    // The font that carries the Turkish letters.
    static const QString kFontFamily;
    static const QString kTitle;
    static const QString kLastStayCaption;

    // Column and caption of each field shown, in the windows' order; for
    // the customer records or the guest rows.
    using Field = FieldCaptions::Field;
    static QList<Field> fields(bool guest) { return FieldCaptions::personFields(guest); }

    // The lines of the report: for a lookup code, its name beside it.
    static QStringList lines(Store& store, const PersonalDataSearch::Findings& findings, const Header& header);

    static QByteArray render(const QStringList& lines);

    // Asks where (through the dialogs adapter) and writes the report there,
    // readable by its owner only. The path, or empty when the clerk
    // cancelled or the file could not be written (its message shown).
    static QString save(Platform& platform, Store& store, const PersonalDataSearch::Findings& findings,
                        const Header& header);
};

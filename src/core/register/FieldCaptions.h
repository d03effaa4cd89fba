// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// The person's fields as the guest and the customer window caption them.
namespace FieldCaptions {

struct Field
{
    QString column;
    QString caption;
};

// Column and caption of each field of a person, in the windows' order;
// for the customer records or the guest rows.
QList<Field> personFields(bool guest);

// A column as the clerk knows it, for messages: "Adı", "Geliş Saati";
// the column's own name where no window shows it.
QString name(const QString& column);

} // namespace FieldCaptions

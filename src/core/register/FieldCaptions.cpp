// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/FieldCaptions.h"

#include "core/register/Columns.h"

namespace FieldCaptions {

QList<Field> personFields(bool guest)
{
    QList<Field> out;
    for (const Columns::Person* p : Columns::shown(guest))
        out << Field{p->name, QString::fromUtf8(p->caption)};
    return out;
}

QString name(const QString& column)
{
    const Columns::Person* p = Columns::find(column);
    return p && p->caption ? p->clerkName() : column;
}

} // namespace FieldCaptions

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/SharedEditing.h"

#include "core/register/Dataset.h"
#include "core/register/FieldCaptions.h"
#include "platform/core/Dialogs.h"

namespace SharedEditing {

QString conflictText(StoreConflict::Kind kind, const QStringList& bothChanged)
{
    if (kind == StoreConflict::Kind::Deleted)
        return kDeleted;
    if (bothChanged.isEmpty())
        return kChanged;
    QStringList names;
    for (const QString& column : bothChanged)
        names << FieldCaptions::name(column);
    return kChanged + QLatin1Char('\r') + kBothChanged.arg(names.join(QStringLiteral(", ")));
}

namespace {
QString reasonText(const QString& reason)
{
    QString text = reason.simplified();
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}
} // namespace

QString unreachableText(const QString& reason)
{
    return kUnreachable.arg(reasonText(reason));
}

void install(Dataset& records, Dialogs& dialogs, const QString& refusedText)
{
    records.onConflict = [&dialogs](StoreConflict::Kind kind, const QStringList& bothChanged) {
        dialogs.inform(conflictText(kind, bothChanged));
    };
    records.onPostError = [&dialogs, refusedText](const StoreError& e) {
        if (dynamic_cast<const StoreOutcomeUnknown*>(&e))
            dialogs.inform(kOutcomeUnknown.arg(reasonText(e.text())));
        else if (dynamic_cast<const StoreUnreachable*>(&e))
            dialogs.inform(unreachableText(e.text()));
        else
            dialogs.inform(refusedText);
    };
}

} // namespace SharedEditing

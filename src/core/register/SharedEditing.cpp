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

QString failureText(const StoreError& e)
{
    if (dynamic_cast<const StoreOutcomeUnknown*>(&e))
        return kOutcomeUnknown + QLatin1Char('\r') + e.detail();
    QString first = Failure::firstLine(e.failure());
    if (first.isEmpty() && dynamic_cast<const StoreUnreachable*>(&e))
        first = Failure::kConnectionLostLine;
    if (first.isEmpty())
        return {};
    return kNotSaved.arg(first) + QLatin1Char('\r') + e.detail();
}

void install(Dataset& records, Dialogs& dialogs, const QString& refusedText)
{
    records.onConflict = [&dialogs](StoreConflict::Kind kind, const QStringList& bothChanged) {
        dialogs.inform(conflictText(kind, bothChanged));
    };
    records.onPostError = [&dialogs, refusedText](const StoreError& e) {
        const QString failed = failureText(e);
        dialogs.inform(failed.isEmpty() ? refusedText : failed);
    };
}

} // namespace SharedEditing

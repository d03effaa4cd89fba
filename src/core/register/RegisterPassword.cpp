// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/RegisterPassword.h"

#include "core/register/Database.h"
#include "platform/core/Dialogs.h"

#include <QDir>

namespace RegisterPassword {

std::optional<Refusal> check(const Database& db, const QString& current, const QString& newPassword,
                             const QString& again)
{
    if (db.hasOwnPassword() && keyFor(current) != db.password())
        return Refusal{kWrongCurrent, Box::Current};
    if (!newPassword.isEmpty() && newPassword.size() < kMinimumLength)
        return Refusal{kTooShort, Box::New};
    if (newPassword != again)
        return Refusal{kMismatch, Box::Again};
    return std::nullopt;
}

QByteArray keyFor(const QString& password)
{
    return password.isEmpty() ? Database::kPassword : password.toUtf8();
}

bool needsWarning(const Database& db, const QString& newPassword)
{
    return !db.hasOwnPassword() && !newPassword.isEmpty();
}

std::optional<QString> change(Database& db, const QString& newPassword, Dialogs* dialogs)
{
    std::unique_ptr<Dialogs::Work> work;
    if (dialogs)
        work = dialogs->beginWork({kWorkText, false});
    try {
        db.rekey(keyFor(newPassword));
    } catch (const RadaError& e) {
        return kFailed.arg(e.text());
    }
    return std::nullopt;
}

void openAsking(Database& db, Dialogs& dialogs, Access access)
{
    const auto open = [&db, access] {
        if (access == Access::Read)
            db.openForReading();
        else
            db.open(Database::Missing::Refuse);
    };
    try {
        if (access == Access::Read)
            db.openForReading();
        else
            db.open();
        return;
    } catch (const DatabaseOpenError& e) {
        if (!e.wrongKey())
            throw;
        Dialogs::TextRequest request;
        request.caption = kPromptTitle;
        request.prompt = kPrompt;
        request.secret = true;
        for (int attempt = 1; attempt <= kAttempts; ++attempt) {
            const std::optional<QString> typed = dialogs.inputText(request);
            if (!typed)
                throw;
            db.setPassword(keyFor(*typed));
            try {
                open();
                return;
            } catch (const DatabaseOpenError& again) {
                if (!again.wrongKey())
                    throw;
            }
            if (attempt < kAttempts)
                dialogs.inform(kWrong);
        }
        db.setPassword(Database::kPassword);
        throw DatabaseOpenError(kGivenUp.arg(QDir::toNativeSeparators(db.path())), DatabaseOpenError::Reason::WrongKey);
    }
}

Confirmation confirm(Database& db, Dialogs& dialogs, const QString& current, const QString& newPassword,
                     const QString& again, const std::function<void(const QByteArray& oldKey)>& afterChange)
{
    if (const auto refused = check(db, current, newPassword, again)) {
        dialogs.inform(refused->text);
        return {Confirmed::Refused, refused->box};
    }
    if (needsWarning(db, newPassword) &&
        dialogs.message(kWindowTitle, kFirstWarning, Dialogs::Icon::Warning,
                        Dialogs::Buttons(Dialogs::Evet) | Dialogs::Hayir, Dialogs::Hayir) != Dialogs::Evet)
        return {};
    const bool removing = newPassword.isEmpty();
    if (removing && !db.hasOwnPassword())
        return {Confirmed::Done};
    const QByteArray oldKey = db.password();
    if (const auto failed = change(db, newPassword, &dialogs)) {
        dialogs.message(kWindowTitle, *failed, Dialogs::Icon::Error, Dialogs::Ok, Dialogs::Ok);
        return {};
    }
    if (afterChange)
        afterChange(oldKey);
    dialogs.inform(removing ? kRemoved : kChanged);
    return {Confirmed::Done};
}

} // namespace RegisterPassword

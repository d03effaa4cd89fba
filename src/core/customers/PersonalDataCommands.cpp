// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/customers/PersonalDataCommands.h"

#include "core/customers/CustomerDestruction.h"
#include "core/register/Tables.h"
#include "core/transfer/Backups.h"
#include "platform/core/Dialogs.h"
#include "platform/core/RadaError.h"

#include <QDir>

const QString PersonalDataCommands::kDestroyedText =
    QStringLiteral("Saklama süresi dolan %1 müşteri kaydı imha edildi.");
const QString PersonalDataCommands::kDestroyQuestion =
    QStringLiteral("Saklama süresi dolan %1 müşteri kaydı imha edilecek.\rDevam edilsin mi?");

namespace {

const QString kTitle = QStringLiteral("İmha");

} // namespace

PersonalDataCommands::PersonalDataCommands(Tables& tables, CustomerDestruction& destruction, Dialogs& dialogs)
    : m_tables(tables), m_destruction(destruction), m_dialogs(dialogs)
{
}

void PersonalDataCommands::setRetention()
{
    if (openRetention)
        openRetention();
}

void PersonalDataCommands::showLog()
{
    if (openLog)
        openLog();
}

void PersonalDataCommands::destroyNow()
{
    if (!m_tables.settleAll())
        return;
    qsizetype count = 0;
    try {
        count = m_destruction.expiredCustomers().size();
    } catch (const RadaError& e) {
        m_dialogs.reportError(e.text());
        return;
    }
    if (m_dialogs.message(kTitle, kDestroyQuestion.arg(count), Dialogs::Icon::Question,
                          Dialogs::Buttons(Dialogs::Evet) | Dialogs::Hayir, Dialogs::Hayir) != Dialogs::Evet)
        return;
    destroy();
}

bool PersonalDataCommands::destroyIfDue()
{
    try {
        // A rewrite of the server's tables left from an earlier destruction
        // is tried again first, without a word: the records are gone.
        m_destruction.rewriteIfDue();
        if (!m_destruction.isDue())
            return true;
    } catch (const RadaError& e) {
        m_dialogs.reportError(e.text());
        return false;
    }
    if (!m_tables.settleAll())
        return false;
    return destroy();
}

void PersonalDataCommands::destroyAfterRestore()
{
    try {
        if (m_destruction.expiredCustomers().isEmpty())
            return;
    } catch (const RadaError& e) {
        m_dialogs.reportError(e.text());
        return;
    }
    destroy();
}

bool PersonalDataCommands::destroy()
{
    try {
        const CustomerDestruction::Outcome outcome = m_destruction.destroyExpired();
        QString text = kDestroyedText.arg(outcome.destroyed);
        if (!outcome.rewritten)
            text += QLatin1Char('\r') + CustomerDestruction::kNotRewrittenText;
        m_dialogs.message(kAppTitle, text, Dialogs::Icon::Information, Dialogs::Ok, Dialogs::Ok);
        return true;
    } catch (const RadaError& e) {
        m_dialogs.reportError(e.text());
        return false;
    }
}

void PersonalDataCommands::answerRequest()
{
    if (m_tables.settleAll() && openRequest)
        openRequest();
}

std::optional<QString> PersonalDataCommands::eraseFromBackups(Backups& backups, Dialogs& dialogs,
                                                              const PersonalDataSearch::Query& query)
{
    Backups::Rewritten outcome;
    {
        const std::unique_ptr<Dialogs::Work> work =
            dialogs.beginWork({QStringLiteral("Kayıtlar yedeklerden siliniyor..."), false});
        outcome = backups.eraseCustomers(
            [&query](Store& store) {
                QList<qint64> keys;
                for (const PersonalDataSearch::Record& r : PersonalDataSearch::find(store, query).customers)
                    keys << r.key;
                return keys;
            },
            [&work](int done, int total) { work->setProgress(done, total); });
    }
    QStringList said;
    if (outcome.done > 0)
        said << Backups::kErasedFromBackups.arg(outcome.done);
    const QStringList left = outcome.failed + outcome.damaged + outcome.otherKey;
    if (!left.isEmpty()) {
        said << Backups::kNotErasedFromBackups;
        for (const QString& path : left)
            said << QDir::toNativeSeparators(path);
    }
    if (said.isEmpty())
        return std::nullopt;
    return said.join(QLatin1Char('\r'));
}

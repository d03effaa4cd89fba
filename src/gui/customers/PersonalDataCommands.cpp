// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/customers/PersonalDataCommands.h"

#include "core/customers/CustomerDestruction.h"
#include "core/register/Store.h"
#include "core/register/Tables.h"
#include "core/shell/Facility.h"
#include "gui/customers/DestructionLogWindow.h"
#include "gui/customers/PersonalDataRequestWindow.h"
#include "gui/customers/RetentionPeriodDialog.h"
#include "platform/core/Clock.h"
#include "platform/core/Dialogs.h"
#include "platform/core/Platform.h"
#include "platform/core/RadaError.h"

const QString PersonalDataCommands::kDestroyedText =
    QStringLiteral("Saklama süresi dolan %1 müşteri kaydı imha edildi.");
const QString PersonalDataCommands::kDestroyQuestion =
    QStringLiteral("Saklama süresi dolan %1 müşteri kaydı imha edilecek.\rDevam edilsin mi?");

namespace {

const QString kTitle = QStringLiteral("İmha");

} // namespace

PersonalDataCommands::PersonalDataCommands(Platform& platform, Store& store, Tables& tables,
                                           CustomerDestruction& destruction, std::function<bool()> settle,
                                           QWidget* window)
    : m_platform(platform), m_store(store), m_tables(tables), m_destruction(destruction),
      m_settle(std::move(settle)), m_window(window)
{
}

void PersonalDataCommands::setRetention()
{
    RetentionPeriodDialog dialog(m_destruction.settings(), m_platform.dialogs, m_window);
    dialog.exec();
}

void PersonalDataCommands::showLog()
{
    DestructionLogWindow window(m_store, m_platform.dialogs, m_window);
    window.exec();
}

void PersonalDataCommands::destroyNow()
{
    if (!m_settle())
        return;
    const qsizetype count = m_destruction.expiredCustomers().size();
    if (m_platform.dialogs.message(kTitle, kDestroyQuestion.arg(count), Dialogs::Icon::Question,
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
        m_platform.dialogs.reportError(e.text());
        return false;
    }
    if (!m_settle())
        return false;
    return destroy();
}

void PersonalDataCommands::destroyAfterRestore()
{
    try {
        if (m_destruction.expiredCustomers().isEmpty())
            return;
    } catch (const RadaError& e) {
        m_platform.dialogs.reportError(e.text());
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
        m_platform.dialogs.message(kAppTitle, text, Dialogs::Icon::Information, Dialogs::Ok, Dialogs::Ok);
        return true;
    } catch (const RadaError& e) {
        m_platform.dialogs.reportError(e.text());
        return false;
    }
}

void PersonalDataCommands::answerRequest()
{
    // An erasure closes every table: nothing may be pending then.
    if (!m_settle())
        return;
    PersonalDataRequestWindow window(
        m_platform, m_store, m_destruction,
        [this] {
            return PersonalDataReport::Header{m_platform.clock.now(), Facility::code(*m_tables.ayar),
                                              Facility::name(*m_tables.ayar), m_destruction.settings().months()};
        },
        m_window);
    window.eraseFromBackups = eraseFromBackups;
    window.exec();
}

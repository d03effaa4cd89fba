// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/customers/PersonalDataSearch.h"

#include <QString>
#include <functional>
#include <optional>

class Backups;
class CustomerDestruction;
class Dialogs;
class Tables;

// The personal-data duties as the clerk meets them: the retention period,
// the destruction log, a destruction on demand, a person's request, and the
// destruction that comes round by itself (at start and once a day). Every
// question and report goes through the dialogs; the windows are opened by
// the functions the program gives.
class PersonalDataCommands
{
public:
    // Pending guest and customer edits are settled (stored, or refused with
    // their message) as before a transfer run. After a destruction the
    // windows follow the tables opened again by themselves.
    PersonalDataCommands(Tables& tables, CustomerDestruction& destruction, Dialogs& dialogs);

    // The windows of the commands; a command whose window is missing does nothing.
    std::function<void()> openRetention;
    std::function<void()> openLog;
    std::function<void()> openRequest;

    // "Saklama Süresi..."
    void setRetention();
    // "İmha Kayıtları"
    void showLog();
    // "İmha Et": after a question that gives the count.
    void destroyNow();
    // "Kişisel Veri Başvurusu...": an erasure closes every table, so
    // nothing may be pending when the window opens.
    void answerRequest();
    // A rewrite of the server's tables an earlier destruction left due is
    // tried again; then, when six months have passed since the last
    // destruction: destroys the expired customers and says how many. False
    // when it was due but the pending edits could not be settled (it is
    // tried again later).
    bool destroyIfDue();
    // After a backup was put back: the customers it brought back that are
    // past the period (destroyed since it was taken, or gone past it since)
    // are destroyed at once, without a question; nothing when there are none.
    void destroyAfterRestore();

    // An erasure at a person's request reaches every backup; what the clerk
    // is told of them, or nothing when none held the records.
    static std::optional<QString> eraseFromBackups(Backups& backups, Dialogs& dialogs,
                                                   const PersonalDataSearch::Query& query);

    static const QString kDestroyedText;
    static const QString kDestroyQuestion;

private:
    bool destroy();

    Tables& m_tables;
    CustomerDestruction& m_destruction;
    Dialogs& m_dialogs;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/customers/PersonalDataSearch.h"

#include <QObject>
#include <functional>
#include <optional>

struct Platform;
class CustomerDestruction;
class Store;
class QAction;
class QMenu;
class QWidget;
class Tables;

// The personal-data duties as the clerk meets them: the retention period,
// the destruction log, a destruction on demand, a person's request, and the
// destruction that comes round by itself (at start and once a day).
class PersonalDataCommands : public QObject
{
    Q_OBJECT
public:
    // settle: stores (or refuses, with its message) the pending guest and
    // customer edits, as before a transfer run. After a destruction the
    // windows follow the tables opened again by themselves.
    PersonalDataCommands(Platform& platform, Store& store, Tables& tables, CustomerDestruction& destruction,
                         std::function<bool()> settle, QWidget* window);

    // "Saklama Süresi..."
    void setRetention();
    // "İmha Kayıtları"
    void showLog();
    // "İmha Et": after a question that gives the count.
    void destroyNow();
    // "Kişisel Veri Başvurusu..."
    void answerRequest();
    // A rewrite of the server's tables an earlier destruction left due is
    // tried again; then, when six months have passed since the last
    // destruction: destroys the expired customers and says how many. False when it was due but the
    // pending edits could not be settled (it is tried again later).
    bool destroyIfDue();
    // After a backup was put back: the customers it brought back that are
    // past the period (destroyed since it was taken, or gone past it since)
    // are destroyed at once, without a question; nothing when there are none.
    void destroyAfterRestore();

    // Given to the request window: an erasure reaches the backups too.
    std::function<std::optional<QString>(const PersonalDataSearch::Query&)> eraseFromBackups;

    static const QString kDestroyedText;
    static const QString kDestroyQuestion;

private:
    bool destroy();

    Platform& m_platform;
    Store& m_store;
    Tables& m_tables;
    CustomerDestruction& m_destruction;
    std::function<bool()> m_settle;
    QWidget* m_window;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>

class Clock;
class Dataset;
class Dialogs;
class Store;

// Every dataset over the one connection and, for the
// guests and the customers, the rules that keep them valid, so that they
// hold for every writer. The program owns one; windows receive the datasets
// they need from it. The lookup datasets serve the guest and the customer
// window alike.
class Tables : public QObject
{
    Q_OBJECT
public:
    Tables(Store& store, Clock& clock, Dialogs& dialogs, QObject* parent = nullptr);

    Dataset* const kisi;         // the guest register
    Dataset* const ulke;
    Dataset* const kimlikTuru;
    Dataset* const cinsiyet;
    Dataset* const iller;
    Dataset* const medeniHali;
    Dataset* const ayar;         // the facility settings, one row
    Dataset* const musteriler;   // the customer master list

    // The order in which the tables are opened, and opened again after a
    // compaction: the customers first, then the lookups (which the guest
    // and customer boxes list), the settings, and the guests last.
    QList<Dataset*> openingOrder() const;
    void openAll();
    // Opens those that are closed, in the same order.
    void openClosed();
    void closeAll();
    bool allOpen() const;

    // Before the tables are replaced or closed under the windows (a run, a
    // restore, a destruction, the personal-data commands): a customer and
    // then a guest being edited or built are stored, with their rules, when
    // changed, and dropped when not. False when a store is refused (its
    // message has been shown); nothing else is to be done then.
    bool settleAll();

private:
    // Opens these datasets in this order.
    void open(const QList<Dataset*>& datasets);
};

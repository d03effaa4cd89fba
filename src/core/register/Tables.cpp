// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Tables.h"

#include "core/register/CustomerRules.h"
#include "core/register/Dataset.h"
#include "core/register/GuestRules.h"
#include "core/register/Schema.h"
#include "core/register/Store.h"

#include <QPointer>

namespace {

Dataset* makeDataset(Store& store, const TableDef& table, const char* name, QObject* parent)
{
    auto* ds = new Dataset(store, table, parent);
    ds->setObjectName(QString::fromLatin1(name));
    return ds;
}

} // namespace

Tables::Tables(Store& store, Clock& clock, Dialogs& dialogs, QObject* parent)
    : QObject(parent),
      kisi(makeDataset(store, Schema::kisi(), "ADOTable1", this)),
      ulke(makeDataset(store, Schema::ulke(), "ADOTable2", this)),
      kimlikTuru(makeDataset(store, Schema::kimlikTuru(), "ADOTable3", this)),
      cinsiyet(makeDataset(store, Schema::cinsiyet(), "ADOTable4", this)),
      iller(makeDataset(store, Schema::iller(), "ADOTable5", this)),
      medeniHali(makeDataset(store, Schema::medeniHali(), "ADOTable6", this)),
      ayar(makeDataset(store, Schema::ayar(), "ADOTable7", this)),
      musteriler(makeDataset(store, Schema::musteriler(), "MusterilerTable", this))
{
    GuestRules::install(*kisi, clock, dialogs);
    CustomerRules::install(*musteriler, dialogs);
    // Another desk's committed changes come into the open tables.
    store.watchChanges([self = QPointer<Tables>(this)](const QString& table, const QList<qint64>& keys) {
        if (!self)
            return;
        for (Dataset* t : self->openingOrder()) {
            if (t->isOpen() && t->table().name == table)
                t->refreshRows(keys);
        }
    });
}

QList<Dataset*> Tables::openingOrder() const
{
    return {musteriler, ulke, kimlikTuru, cinsiyet, iller, medeniHali, ayar, kisi};
}

void Tables::openAll()
{
    for (Dataset* t : openingOrder())
        t->open();
}

void Tables::openClosed()
{
    for (Dataset* t : openingOrder()) {
        if (!t->isOpen())
            t->open();
    }
}

void Tables::closeAll()
{
    for (Dataset* t : openingOrder())
        t->close();
}

bool Tables::allOpen() const
{
    for (Dataset* t : openingOrder()) {
        if (!t->isOpen())
            return false;
    }
    return true;
}

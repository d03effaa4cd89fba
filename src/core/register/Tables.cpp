// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Tables.h"

#include "core/register/CustomerRules.h"
#include "core/register/Dataset.h"
#include "core/register/GuestRules.h"
#include "core/register/Schema.h"
#include "core/register/Store.h"

#include "platform/core/Dialogs.h"

#include <QPointer>
#include <atomic>
#include <chrono>
#include <exception>
#include <future>
#include <optional>
#include <vector>

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

namespace {

// A read going on on a thread of its own: its rows and the reader they came
// from, or nothing when the store gave no connection for it.
struct ReadBeside
{
    std::optional<Dataset::Rows> rows;
    std::unique_ptr<Store> reader;
};
using Read = std::future<ReadBeside>;

// Waits for a read beside, keeping the current work going meanwhile (the
// windows painted, "İptal" heard, which stops the read).
ReadBeside waitFor(Read& read, std::atomic<bool>& stop)
{
    if (Dialogs::Work* work = Dialogs::currentWork()) {
        while (read.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
            if (!work->keepGoing())
                stop = true;
        }
    }
    return read.get();
}

} // namespace

void Tables::open(const QList<Dataset*>& datasets)
{
    // The two person tables hold nearly every row: where the store can, they
    // are read side by side, the guests on the store's own connection (or on
    // one of their own where the store's is served while it waits) and the
    // customers on one of their own, each packed on a thread of its own, and
    // the small tables read after. Every dataset still opens in its turn, on
    // this thread.
    const bool beside = datasets.contains(kisi) && datasets.contains(musteriler) && kisi->store().readsBeside();
    if (!beside) {
        for (Dataset* t : datasets)
            t->open();
        return;
    }
    std::atomic<bool> stop{false};
    Store& store = kisi->store();
    const bool onOwn = store.readsBesideOnOwn();
    const TableDef& guestTable = kisi->table();
    const TableDef& customerTable = musteriler->table();
    // On a reader of its own; with none, on the store's connection after
    // the other read where that one goes on it.
    const auto readOnReader = [&](const TableDef& table) -> ReadBeside {
        ReadBeside read;
        try {
            read.reader = store.readerBeside();
        } catch (const RadaError&) {
        }
        if (read.reader)
            read.rows = Dataset::readRows(*read.reader, table, &stop);
        return read;
    };
    // Both reads end before this returns, also when one of them fails.
    Read customers = std::async(std::launch::async, [&] { return readOnReader(customerTable); });
    Read guests = std::async(std::launch::async, [&]() -> ReadBeside {
        if (!onOwn)
            return readOnReader(guestTable);
        return {Dataset::readRows(store, guestTable, &stop), nullptr};
    });
    ReadBeside guestRead, customerRead;
    std::exception_ptr failure;
    for (auto [read, done] : {std::pair{&guests, &guestRead}, std::pair{&customers, &customerRead}}) {
        try {
            *done = waitFor(*read, stop);
        } catch (...) {
            stop = true;
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
    for (auto [read, table] : {std::pair{&guestRead, &guestTable}, std::pair{&customerRead, &customerTable}}) {
        if (read->reader && read->rows)
            store.adoptRead(*read->reader, table->name);
    }
    for (Dataset* t : datasets) {
        if (t == kisi && guestRead.rows)
            t->open(std::move(*guestRead.rows));
        else if (t == musteriler && customerRead.rows)
            t->open(std::move(*customerRead.rows));
        else
            t->open();
    }
}

void Tables::openAll()
{
    open(openingOrder());
}

void Tables::openClosed()
{
    QList<Dataset*> closed;
    for (Dataset* t : openingOrder()) {
        if (!t->isOpen())
            closed << t;
    }
    open(closed);
}

void Tables::closeAll()
{
    for (Dataset* t : openingOrder())
        t->close();
}

bool Tables::settleAll()
{
    for (Dataset* t : {musteriler, kisi}) {
        if (t->isOpen() && !t->settle())
            return false;
    }
    return true;
}

bool Tables::allOpen() const
{
    for (Dataset* t : openingOrder()) {
        if (!t->isOpen())
            return false;
    }
    return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/GuestRules.h"

#include "core/register/Columns.h"
#include "core/register/Dataset.h"
#include "core/register/FieldCaptions.h"
#include "core/register/Formats.h"
#include "core/register/SharedEditing.h"
#include "core/register/Validation.h"
#include "platform/core/Clock.h"
#include "platform/core/Dialogs.h"
#include "platform/core/RadaError.h"

#include <QDateTime>
#include <QScopeGuard>

namespace GuestRules {

namespace {

const QString kBirth = Columns::DogumTarihi;
const QString kArrival = Columns::GelisTarihi;
const QString kArrivalTime = Columns::GelisSaati;
const QString kKalici = Columns::Kalici;
const QString kDeparture = Columns::AyrilisTarihi;
const QString kDepartureTime = Columns::AyrilisSaati;

} // namespace

Stay stayOf(const Dataset& guest, const Unreadable& unreadable)
{
    auto read = [&](const QString& column, auto parse, auto zero) {
        try {
            return parse(column);
        } catch (const RadaError& e) {
            if (unreadable)
                unreadable(column, e);
            return zero;
        }
    };
    const auto date = [&guest](const QString& column) {
        const auto d = guest.date(column);
        return d ? *d : Formats::dayZero();
    };
    const auto time = [&guest](const QString& column) {
        const QString text = guest.text(column);
        if (const auto t = Formats::parseTime(text))
            return *t;
        throw RadaError(QStringLiteral("'%1' is not a valid time").arg(text));
    };
    Stay stay;
    stay.birth = read(kBirth, date, Formats::dayZero());
    stay.arrival = read(kArrival, date, Formats::dayZero());
    stay.arrivalTime = read(kArrivalTime, time, QTime(0, 0));
    stay.kalici = guest.boolean(kKalici);
    stay.departure = read(kDeparture, date, Formats::dayZero());
    stay.departureTime = read(kDepartureTime, time, QTime(0, 0));
    return stay;
}

void writeStay(Dataset& guest, const Stay& stay)
{
    guest.setDate(kBirth, stay.birth);
    guest.setDate(kArrival, stay.arrival);
    guest.setText(kArrivalTime, Formats::timeText(stay.arrivalTime));
    guest.setBoolean(kKalici, stay.kalici);
    guest.setDate(kDeparture, stay.departure);
    guest.setText(kDepartureTime, Formats::timeText(stay.departureTime));
}

Stay newStay(const QDateTime& now)
{
    return {Formats::dayZero(), now.date(), Formats::wholeSeconds(now.time()), true, Formats::dayZero(), QTime(0, 0)};
}

std::optional<QString> checkStayTimes(const Stay& stay)
{
    if (stay.kalici)
        return std::nullopt;
    const QDateTime arrival(stay.arrival, Formats::wholeSeconds(stay.arrivalTime));
    const QDateTime departure(stay.departure, Formats::wholeSeconds(stay.departureTime));
    if (arrival < departure)
        return std::nullopt;
    return kTimeOrder;
}

namespace {


bool isCitizen(const Dataset& guest)
{
    return guest.text(Columns::Uyrugu) == kCitizenNationality;
}

} // namespace

std::optional<QString> checkCitizenFields(const Dataset& guest)
{
    if (!isCitizen(guest))
        return std::nullopt;
    for (const Columns::Person& p : Columns::person()) {
        if (p.ofCitizens && guest.text(p.name).isEmpty())
            return kCitizenFields;
    }
    return std::nullopt;
}

QStringList missingFields(const Dataset& guest)
{
    const TableDef& table = guest.table();
    const bool citizen = isCitizen(guest);
    QStringList missing;
    for (const FieldCaptions::Field& f : FieldCaptions::personFields(true)) {
        const int at = table.indexOf(f.column);
        if (at < 0)
            continue;
        const bool needed = table.columns[at].required || (citizen && Columns::find(f.column)->ofCitizens);
        if (needed && guest.text(f.column).isEmpty())
            missing << f.column;
    }
    return missing;
}

std::optional<QString> beforePost(Dataset& guest)
{
    // Whoever stores the guest (its form, the closing, a run or a restore
    // that settles it), the plate goes in without blanks.
    normalisePlate(guest, guest.text(Columns::AracPlakaNo));
    const Stay stay = stayOf(guest);
    if (auto refused = checkStayTimes(stay))
        return refused;
    if (auto refused = checkCitizenFields(guest))
        return refused;
    static const QString tckn = Columns::TCKimlikNo;
    if (guest.text(Columns::Uyrugu) != kCitizenNationality && !guest.text(tckn).isEmpty())
        guest.clearField(tckn);
    writeStay(guest, stay);
    return std::nullopt;
}

bool settleStoredGuest(Dataset& guests)
{
    return guests.state() != Dataset::State::Edit || guests.settle();
}

bool fillFromDocument(Dataset& guests, const QList<std::pair<QString, QVariant>>& columns, bool nationalityKnown)
{
    if (guests.state() != Dataset::State::Insert && !guests.append())
        return false;
    for (const auto& [column, value] : columns) {
        if (column == kBirth)
            guests.setDate(column, value.isNull() ? Formats::dayZero() : value.toDate());
        else if (column == Columns::Uyrugu && !nationalityKnown)
            guests.clearField(column);
        else
            guests.setText(column, value.toString());
    }
    return true;
}

const QStringList& sharedStayColumns()
{
    static const QStringList columns = {kArrival,       kArrivalTime,  kKalici,
                                        kDeparture,     kDepartureTime, Columns::VerilenOdaNo,
                                        Columns::AracPlakaNo, Columns::IkametAdresi};
    return columns;
}

bool beginInSameRoom(Dataset& guests)
{
    if (!guests.settle())
        return false;
    if (guests.isEmpty())
        return guests.append();
    QList<QVariant> stay;
    for (const QString& column : sharedStayColumns())
        stay << guests.value(column);
    // The stay is part of how the guest begins, as the clock's is: a guest
    // left untouched is dropped by a move, not offered for saving.
    const std::function<void()> usual = guests.onNewRecord;
    const auto restore = qScopeGuard([&] { guests.onNewRecord = usual; });
    guests.onNewRecord = [&] {
        if (usual)
            usual();
        for (int i = 0; i < stay.size(); ++i)
            guests.setValue(sharedStayColumns()[i], stay[i]);
    };
    return guests.append();
}

void install(Dataset& guests, Clock& clock, Dialogs& dialogs)
{
    guests.beforePost = [&guests, &dialogs] {
        if (const auto refused = beforePost(guests)) {
            dialogs.inform(*refused);
            return false;
        }
        return true;
    };
    // Closing the question without an answer keeps the guest, as No does.
    guests.beforeDelete = [&dialogs] { return dialogs.askYesNo(kDeleteQuestion) == Dialogs::Yes; };
    SharedEditing::install(guests, dialogs, kPostError);
    // A refused guest names the boxes left empty, and the clerk is brought
    // to the first of them.
    guests.onPostError = [&guests, &dialogs, shared = std::move(guests.onPostError)](const StoreError& e) {
        const QStringList missing = missingFields(guests);
        if (missing.isEmpty() || !SharedEditing::failureText(e).isEmpty()) {
            shared(e);
            return;
        }
        QStringList names;
        for (const QString& column : missing)
            names << FieldCaptions::name(column);
        dialogs.inform(kPostError + QLatin1Char('\r') + kMissingFields.arg(names.join(QStringLiteral(", "))));
        if (guests.showField)
            guests.showField(missing.first());
    };
    guests.onNewRecord = [&guests, &clock] { writeStay(guests, newStay(clock.now())); };
}

} // namespace GuestRules

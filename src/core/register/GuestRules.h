// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <functional>
#include <optional>
#include <utility>

class Clock;
class Dataset;
class Dialogs;
class RadaError;

// The rules that keep a guest valid, whoever writes the guest: the windows,
// the document reader, the transfer run or a test without windows. They read
// only the record.
namespace GuestRules {

inline const QString kTimeOrder = QStringLiteral("Geliş Zamanı Ayrılış Zamanından Sonra Olamaz.");
inline const QString kCitizenFields = QStringLiteral(
    "T.C. Vatandaşları İçin Bazı Bölümler Boş Geçilmiş.\rLütfen Gerekli Boş Alanları Doldurup Tekrar Deneyiniz.");
// A guest the database refused to store.
inline const QString kPostError =
    QStringLiteral("Veri Girişi Problemi: Lütfen Eksik Bölümleri Doldurup Tekrar Deneyiniz.");
inline const QString kDeleteQuestion = QStringLiteral("Bu Kaydı Silmek İstediğinize Emin Misiniz ?");

// The nationality code of Turkish citizens, compared exactly.
inline const QString kCitizenNationality = QStringLiteral("TC");

// The birth date and the stay: what the guest window's date and time boxes
// and its Kalıcı box show. Day zero and midnight stand for no value.
struct Stay
{
    QDate birth;
    QDate arrival;
    QTime arrivalTime;
    bool kalici = true;
    QDate departure;
    QTime departureTime;
};

// The stay as the record holds it. A value that cannot be read reads as its
// zero value, and unreadable hears of it (column, error), once per value.
using Unreadable = std::function<void(const QString& column, const RadaError& error)>;
Stay stayOf(const Dataset& guest, const Unreadable& unreadable = {});
// Writes the stay into the guest being edited.
void writeStay(Dataset& guest, const Stay& stay);
// What a new guest begins with: born on day zero, arriving now, staying.
Stay newStay(const QDateTime& now);

// Arrival must come before departure, unless the guest is still staying.
std::optional<QString> checkStayTimes(const Stay& stay);

// A Turkish citizen needs the identity number, the parents' names and the
// province and district of registration.
std::optional<QString> checkCitizenFields(const Dataset& guest);

// The columns a save needs that the guest leaves empty, in the order of the
// guest window's boxes: those required of everyone and, for a Turkish
// citizen, those required of citizens.
QStringList missingFields(const Dataset& guest);
// The line naming the empty boxes that follows the refused-save message:
// "Boş bırakılan bölümler: Uyruğu, İkâmet Adresi".
inline const QString kMissingFields = QStringLiteral("Boş bırakılan bölümler: %1");

// The whole step before a guest being edited is stored: the message of the
// first rule that refuses it, in which case nothing is changed. Otherwise a
// foreigner's identity number is cleared and the stay is written back as it
// reads (a value that could not be read becomes its zero value).
std::optional<QString> beforePost(Dataset& guest);

// Before a document is read: a change pending on a stored guest is settled
// as a move would settle it; a new guest being built stays as it is. False
// when the save was refused (its message shown).
bool settleStoredGuest(Dataset& guests);

// Fills the guest from a document's columns (Mrz::Guest::columns): a new
// guest being built is filled in place; otherwise a new guest begins, since a
// scan is a new arrival, and a stored stay is never written. An unknown
// nationality is left empty. Nothing is stored. False when no new guest
// could begin.
bool fillFromDocument(Dataset& guests, const QList<std::pair<QString, QVariant>>& columns, bool nationalityKnown);

// The stay columns a guest of the same room shares with the guest shown: a
// family or a group arriving together.
const QStringList& sharedStayColumns();
// A pending change is settled first, as a new guest settles it; then a new
// guest begins with the stay of the guest shown (arrival, departure, Kalıcı,
// room, plate and residence address), its identity empty. On an empty
// register it is an ordinary new guest. Nothing is stored; the new guest
// counts as unchanged until the clerk types into it. False when no new
// guest could begin.
bool beginInSameRoom(Dataset& guests);

// Installs the rules on the guest table: the checks before a save, the
// question before a delete, the message when the database refuses a guest,
// and a new guest's stay stamped by the clock.
void install(Dataset& guests, Clock& clock, Dialogs& dialogs);

} // namespace GuestRules

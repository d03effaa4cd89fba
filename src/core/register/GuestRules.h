#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

class Dataset;

// The checks that run before a guest is stored, whatever command stores it.
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

// What the guest window's date and time boxes and its Kalıcı box hold.
struct StayBoxes
{
    QDate birth;
    QDate arrival;
    QTime arrivalTime;
    bool kalici = true;
    QDate departure;
    QTime departureTime;
};

// Arrival must come before departure, unless the guest is still staying.
std::optional<QString> checkStayTimes(const StayBoxes& boxes);

// A Turkish citizen needs the identity number, the parents' names and the
// province and district of registration.
std::optional<QString> checkCitizenFields(const Dataset& guest);

// The whole step before a guest being edited is stored: the message of the
// first rule that refuses it, in which case nothing is changed. Otherwise a
// foreigner's identity number is cleared and the boxes are written into the
// record.
std::optional<QString> beforePost(Dataset& guest, const StayBoxes& boxes);

} // namespace GuestRules

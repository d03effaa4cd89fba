#include "core/register/GuestRules.h"

#include "core/register/Dataset.h"
#include "core/register/Formats.h"

#include <QDateTime>

namespace GuestRules {

std::optional<QString> checkStayTimes(const StayBoxes& boxes)
{
    if (boxes.kalici)
        return std::nullopt;
    const QDateTime arrival(boxes.arrival, Formats::wholeSeconds(boxes.arrivalTime));
    const QDateTime departure(boxes.departure, Formats::wholeSeconds(boxes.departureTime));
    if (arrival < departure)
        return std::nullopt;
    return kTimeOrder;
}

std::optional<QString> checkCitizenFields(const Dataset& guest)
{
    if (guest.text(QStringLiteral("Uyrugu")) != kCitizenNationality)
        return std::nullopt;
    for (const char* column : {"TCKimlikNo", "BabaAdi", "AnaAdi", "NufusaKayitliOlduguIl", "NufusaKayitliOlduguIlce"}) {
        if (guest.text(QString::fromLatin1(column)).isEmpty())
            return kCitizenFields;
    }
    return std::nullopt;
}

std::optional<QString> beforePost(Dataset& guest, const StayBoxes& boxes)
{
    if (auto refused = checkStayTimes(boxes))
        return refused;
    if (auto refused = checkCitizenFields(guest))
        return refused;
    static const QString tckn = QStringLiteral("TCKimlikNo");
    if (guest.text(QStringLiteral("Uyrugu")) != kCitizenNationality && !guest.text(tckn).isEmpty())
        guest.clearField(tckn);
    guest.setDate(QStringLiteral("DogumTarihi"), boxes.birth);
    guest.setDate(QStringLiteral("GelisTarihi"), boxes.arrival);
    guest.setText(QStringLiteral("GelisSaati"), Formats::timeText(boxes.arrivalTime));
    guest.setBoolean(QStringLiteral("Kalici"), boxes.kalici);
    guest.setDate(QStringLiteral("AyrilisTarihi"), boxes.departure);
    guest.setText(QStringLiteral("AyrilisSaati"), Formats::timeText(boxes.departureTime));
    return std::nullopt;
}

} // namespace GuestRules

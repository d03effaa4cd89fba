// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/FieldCaptions.h"

namespace FieldCaptions {

namespace {

// The identity fields of both windows, as the guest window captions them.
const Field kIdentity[] = {
    {QStringLiteral("Adi"), QStringLiteral("Adı :")},
    {QStringLiteral("Soyadi"), QStringLiteral("Soyadı :")},
    {QStringLiteral("DogumTarihi"), QStringLiteral("Doğum Tarihi :")},
    {QStringLiteral("Uyrugu"), QStringLiteral("Uyruğu :")},
    {QStringLiteral("KimlikBelgesiTuru"), QStringLiteral("Kimlik Belgesi Türü :")},
    {QStringLiteral("KimlikSeriNo"), QStringLiteral("Kimlik Seri No :")},
    {QStringLiteral("Cinsiyet"), QStringLiteral("Cinsiyet :")},
    {QStringLiteral("IkametAdresi"), QStringLiteral("İkâmet Adresi :")},
    {QStringLiteral("TCKimlikNo"), QStringLiteral("T.C. Kimlik No :")},
    {QStringLiteral("BabaAdi"), QStringLiteral("Baba Adı :")},
    {QStringLiteral("AnaAdi"), QStringLiteral("Ana Adı :")},
    {QStringLiteral("NufusaKayitliOlduguIl"), QStringLiteral("Nüfusa Kayıtlı Olduğu İl :")},
    {QStringLiteral("NufusaKayitliOlduguIlce"), QStringLiteral("Nüfusa Kayıtlı Olduğu İlçe :")},
    {QStringLiteral("DogumYeri"), QStringLiteral("Doğum Yeri :")},
    {QStringLiteral("NufusaKayitliOlduguMahalle"), QStringLiteral("Nüfusa Kayıtlı Olduğu Mahalle :")},
    {QStringLiteral("NufusCilt"), QStringLiteral("Nüfus Cilt No :")},
    {QStringLiteral("NufusAileSira"), QStringLiteral("Nüfus Aile Sıra No :")},
    {QStringLiteral("NufusSiraNo"), QStringLiteral("Nüfus Sıra No :")},
    {QStringLiteral("MedeniHali"), QStringLiteral("Medeni Hali :")},
    {QStringLiteral("Isi"), QStringLiteral("İşi :")},
};

const Field kStay[] = {
    {QStringLiteral("GelisTarihi"), QStringLiteral("Geliş Tarihi :")},
    {QStringLiteral("GelisSaati"), QStringLiteral("Saati :")},
    {QStringLiteral("VerilenOdaNo"), QStringLiteral("Oda No :")},
    {QStringLiteral("AracPlakaNo"), QStringLiteral("Araç Plaka No :")},
    {QStringLiteral("Kalici"), QStringLiteral("Kalıcı")},
    {QStringLiteral("AyrilisTarihi"), QStringLiteral("Ayrılış Tarihi :")},
    {QStringLiteral("AyrilisSaati"), QStringLiteral("Saati :")},
};

} // namespace

QList<Field> personFields(bool guest)
{
    QList<Field> out;
    if (!guest)
        out << Field{QStringLiteral("musteriKodu"), QStringLiteral("Müşteri Kodu :")};
    for (const Field& f : kIdentity)
        out << f;
    for (const Field& f : kStay) {
        if (guest || f.column == QStringLiteral("AracPlakaNo"))
            out << f;
    }
    return out;
}

QString name(const QString& column)
{
    // The two times are both captioned "Saati :" beside their dates.
    if (column == QLatin1String("GelisSaati"))
        return QStringLiteral("Geliş Saati");
    if (column == QLatin1String("AyrilisSaati"))
        return QStringLiteral("Ayrılış Saati");
    for (const Field& f : personFields(false) + personFields(true)) {
        if (f.column == column) {
            QString caption = f.caption;
            if (caption.endsWith(QLatin1String(" :")))
                caption.chop(2);
            return caption;
        }
    }
    return column;
}

} // namespace FieldCaptions

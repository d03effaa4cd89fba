// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/GuestRules.h"
#include "core/register/Schema.h"
#include "core/register/Validation.h"
#include "core/shell/Facility.h"
#include "doubles/ManualClock.h"
#include "doubles/ScriptedDialogs.h"
#include "platform/core/RadaError.h"

#include <gtest/gtest.h>
#include <map>

using namespace Qt::StringLiterals;
using GuestRules::Stay;

namespace {

const QDate kDayZero(1899, 12, 30);

// A guest being inserted into a real register, with the columns given.
struct GuestRow : ::testing::Test
{
    TestDir dir;
    Database db{Database::kFileName};
    Dataset guest{db, Schema::kisi()};

    void SetUp() override
    {
        db.open();
        guest.open();
    }
    void begin(const std::map<QString, QString>& columns, const Stay& stay = staying())
    {
        guest.cancel();
        ASSERT_TRUE(guest.append());
        GuestRules::writeStay(guest, stay);
        for (const auto& [column, value] : columns)
            guest.setText(column, value);
    }
    static Stay staying()
    {
        return {QDate(1980, 1, 2), QDate(2024, 3, 1), QTime(12, 0, 5), true, kDayZero, QTime(0, 0)};
    }
};

const std::map<QString, QString> kCitizen = {
    {u"Uyrugu"_s, u"TC"_s},     {u"TCKimlikNo"_s, u"12345678951"_s},      {u"BabaAdi"_s, u"Hasan"_s},
    {u"AnaAdi"_s, u"Fatma"_s}, {u"NufusaKayitliOlduguIl"_s, u"Konya"_s}, {u"NufusaKayitliOlduguIlce"_s, u"Ereğli"_s}};

} // namespace

TEST(GuestRules, ArrivalMustComeBeforeDepartureUnlessStillStaying)
{
    struct Case { const char* name; bool kalici; QDateTime departure; bool accepted; };
    const QDateTime arrival(QDate(2024, 3, 1), QTime(12, 0, 0));
    const Case cases[] = {
        {"same second", false, arrival, false},
        {"departure a day earlier", false, arrival.addDays(-1), false},
        {"departure one second later", false, arrival.addSecs(1), true},
        {"departure a day later at an earlier hour", false, QDateTime(QDate(2024, 3, 2), QTime(8, 0)), true},
        {"still staying, departure at day zero", true, QDateTime(kDayZero, QTime(0, 0)), true},
        {"still staying, departure before arrival", true, arrival.addDays(-3), true},
        // Whole seconds: what lies below them is not looked at.
        {"later within the same second", false, arrival.addMSecs(700), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Stay stay{kDayZero, arrival.date(), arrival.time(), c.kalici, c.departure.date(), c.departure.time()};
        const auto refused = GuestRules::checkStayTimes(stay);
        EXPECT_EQ(refused.has_value(), !c.accepted);
        if (refused) {
            EXPECT_EQ(*refused, u"Geliş Zamanı Ayrılış Zamanından Sonra Olamaz."_s);
        }
    }
}

TEST_F(GuestRow, ACitizenNeedsEveryCitizenFieldAndARefusalChangesNothing)
{
    const QString message =
        u"T.C. Vatandaşları İçin Bazı Bölümler Boş Geçilmiş.\rLütfen Gerekli Boş Alanları Doldurup Tekrar Deneyiniz."_s;
    for (const QString& missing : {u"TCKimlikNo"_s, u"BabaAdi"_s, u"AnaAdi"_s, u"NufusaKayitliOlduguIl"_s,
                                  u"NufusaKayitliOlduguIlce"_s}) {
        SCOPED_TRACE(missing.toStdString());
        begin(kCitizen);
        guest.clearField(missing);
        guest.setText(u"GelisSaati"_s, u"25:99"_s);
        EXPECT_EQ(GuestRules::beforePost(guest), message);
        // Nothing was written back: the unreadable time is still there.
        EXPECT_EQ(guest.text(u"GelisSaati"_s), u"25:99"_s);
    }
    // With all five (the number failing its check all the same) the guest passes.
    begin(kCitizen);
    EXPECT_EQ(GuestRules::beforePost(guest), std::nullopt);
    EXPECT_EQ(guest.text(u"TCKimlikNo"_s), u"12345678951"_s);
}

TEST_F(GuestRow, OutOfOrderTimesAreReportedBeforeMissingCitizenFields)
{
    Stay stay = staying();
    stay.kalici = false;
    stay.departure = stay.arrival;
    stay.departureTime = stay.arrivalTime;
    begin({{u"Uyrugu"_s, u"TC"_s}}, stay);
    EXPECT_EQ(GuestRules::beforePost(guest), u"Geliş Zamanı Ayrılış Zamanından Sonra Olamaz."_s);
}

TEST_F(GuestRow, OnlyTheExactNationalityTcKeepsAnIdentityNumber)
{
    struct Case { QString nationality; bool kept; };
    for (const Case& c : {Case{u"DEU"_s, false}, Case{u"tc"_s, false}, Case{u"TC "_s, false}, Case{u""_s, false},
                          Case{u"TC"_s, true}}) {
        SCOPED_TRACE(c.nationality.toStdString());
        std::map<QString, QString> columns = kCitizen;
        columns[u"Uyrugu"_s] = c.nationality;
        begin(columns);
        ASSERT_EQ(GuestRules::beforePost(guest), std::nullopt);
        EXPECT_EQ(guest.text(u"TCKimlikNo"_s), c.kept ? u"12345678951"_s : QString());
    }
}

TEST_F(GuestRow, AStayThatCannotBeReadIsStoredAsItsZeroValues)
{
    begin({{u"Uyrugu"_s, u"DEU"_s}}, {kDayZero, QDate(2024, 3, 1), QTime(12, 0), false, QDate(2024, 3, 4), QTime(9, 0, 1)});
    for (const QString& column : {u"DogumTarihi"_s, u"Kalici"_s})
        guest.clearField(column);
    guest.setText(u"GelisSaati"_s, u"25:99"_s);
    guest.setText(u"AyrilisTarihi"_s, u"2024-13-01"_s);
    // Read as day zero, the departure comes before the arrival.
    EXPECT_EQ(GuestRules::beforePost(guest), u"Geliş Zamanı Ayrılış Zamanından Sonra Olamaz."_s);
    guest.setText(u"AyrilisTarihi"_s, u"2024-03-04"_s);
    ASSERT_EQ(GuestRules::beforePost(guest), std::nullopt);
    EXPECT_EQ(guest.text(u"DogumTarihi"_s), u"1899-12-30"_s);
    EXPECT_EQ(guest.text(u"GelisSaati"_s), u"00:00:00"_s);
    EXPECT_FALSE(guest.isNull(u"Kalici"_s));
    EXPECT_FALSE(guest.boolean(u"Kalici"_s));
    EXPECT_EQ(guest.text(u"AyrilisTarihi"_s), u"2024-03-04"_s);
}

TEST_F(GuestRow, TheInstalledRulesHoldForAWriterWithoutWindows)
{
    ManualClock clock(QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9, 600)));
    ScriptedDialogs dialogs;
    GuestRules::install(guest, clock, dialogs);
    guest.cancel();
    // A new guest arrives now, to the second, and is staying; that is no change yet.
    ASSERT_TRUE(guest.append());
    EXPECT_FALSE(guest.isModified());
    EXPECT_EQ(guest.text(u"GelisTarihi"_s), u"2024-03-07"_s);
    EXPECT_EQ(guest.text(u"GelisSaati"_s), u"14:05:09"_s);
    EXPECT_TRUE(guest.boolean(u"Kalici"_s));
    // A citizen without the citizen fields is refused with the message.
    guest.setText(u"Uyrugu"_s, u"TC"_s);
    EXPECT_FALSE(guest.post());
    EXPECT_EQ(dialogs.texts(), QStringList{GuestRules::kCitizenFields});
    EXPECT_EQ(db.count(u"Kisi"_s), 0);
    // A foreigner is stored, and deleting asks first.
    for (const auto& [column, value] : std::map<QString, QString>{
             {u"Uyrugu"_s, u"DEU"_s}, {u"Adi"_s, u"Anna"_s}, {u"Soyadi"_s, u"Berg"_s}, {u"KimlikBelgesiTuru"_s, u"P"_s},
             {u"KimlikSeriNo"_s, u"C01X00T47"_s}, {u"Cinsiyet"_s, u"K"_s}, {u"IkametAdresi"_s, u"Berlin"_s}})
        guest.setText(column, value);
    ASSERT_TRUE(guest.post());
    dialogs.setNextAnswer(Dialogs::No);
    EXPECT_FALSE(guest.remove());
    EXPECT_EQ(dialogs.texts().last(), GuestRules::kDeleteQuestion);
    EXPECT_EQ(db.count(u"Kisi"_s), 1);
}

// What a refused save names: the boxes left empty, in the window's order; a
// citizen's own boxes count for a citizen only.
TEST_F(GuestRow, TheMissingFieldsAreTheEmptyRequiredOnesInTheWindowsOrder)
{
    const std::map<QString, QString> complete = {
        {u"Adi"_s, u"Anna"_s},         {u"Soyadi"_s, u"Berg"_s}, {u"Uyrugu"_s, u"DEU"_s},
        {u"KimlikBelgesiTuru"_s, u"P"_s}, {u"KimlikSeriNo"_s, u"C01X00T47"_s}, {u"Cinsiyet"_s, u"K"_s},
        {u"IkametAdresi"_s, u"Berlin"_s}};
    struct Case { std::map<QString, QString> changed; QStringList missing; };
    const Case cases[] = {
        {{}, {}},
        {{{u"IkametAdresi"_s, {}}, {u"Soyadi"_s, {}}, {u"KimlikSeriNo"_s, {}}},
         {u"Soyadi"_s, u"KimlikSeriNo"_s, u"IkametAdresi"_s}},
        {{{u"Uyrugu"_s, u"TC"_s}, {u"Adi"_s, {}}}, {u"Adi"_s, u"TCKimlikNo"_s, u"BabaAdi"_s, u"AnaAdi"_s,
                                                   u"NufusaKayitliOlduguIl"_s, u"NufusaKayitliOlduguIlce"_s}},
    };
    for (const Case& c : cases) {
        std::map<QString, QString> columns = complete;
        for (const auto& [column, value] : c.changed)
            columns[column] = value;
        begin(columns);
        EXPECT_EQ(GuestRules::missingFields(guest), c.missing);
    }
}

TEST_F(GuestRow, PlateLosesItsBlanksOnlyWhileEditedAndNotEmpty)
{
    // Browsing: nothing happens.
    EXPECT_EQ(normalisePlate(guest, u"34 AB 1"_s), std::nullopt);
    begin({});
    EXPECT_EQ(normalisePlate(guest, u" "_s), std::nullopt);
    guest.setText(u"AracPlakaNo"_s, u"34 ab  1234 "_s);
    EXPECT_EQ(normalisePlate(guest, u"34 ab  1234 "_s), u"34ab1234"_s);
    EXPECT_EQ(guest.text(u"AracPlakaNo"_s), u"34ab1234"_s);
}

TEST(IdentityNumberWarning, WarnsOnAFailedCheckAndIgnoresAnEmptyBox)
{
    const QString warning = u"TC Kimlik No Geçersiz Görünüyor"_s;
    struct Case { QString box; std::optional<QString> expected; };
    const Case cases[] = {
        {u"           "_s, std::nullopt},
        {u"12345678950"_s, std::nullopt},
        {u"12345678951"_s, warning},
        {u"1234567895 "_s, warning},
        {u" 2345678950"_s, warning},
        {u"123  45    "_s, warning},
    };
    for (const Case& c : cases)
        EXPECT_EQ(identityNumberWarning(c.box), c.expected) << c.box.toStdString();
    try {
        identityNumberWarning(u"1234 567890"_s);
        ADD_FAILURE() << "a gap must be a conversion error";
    } catch (const RadaError& e) {
        EXPECT_EQ(e.text(), u"'1234 567890' is not a valid integer value"_s);
    }
}

TEST(FacilityRules, CodeAndNameLengths)
{
    const QString badCode = u"Lütfen Tesis Kodunu Doğru Giriniz."_s;
    const QString shortName = u"Tesis Adı bölümü 5 karakterden az olamaz!"_s;
    const QString badNewName = u"Tesis Adı bölümü 5 karakterden az, 50 karakterden fazla olamaz!"_s;
    EXPECT_EQ(Facility::checkCode(u""_s), badCode);
    EXPECT_EQ(Facility::checkCode(u"1234"_s), badCode);
    EXPECT_EQ(Facility::checkCode(u"01234"_s), std::nullopt);
    EXPECT_EQ(Facility::checkName(u"Otel"_s), shortName);
    EXPECT_EQ(Facility::checkName(u"     "_s), std::nullopt);
    EXPECT_EQ(Facility::checkNewName(u"Otel"_s), badNewName);
    EXPECT_EQ(Facility::checkNewName(QString(50, u'a')), std::nullopt);
    EXPECT_EQ(Facility::checkNewName(QString(51, u'a')), badNewName);
}

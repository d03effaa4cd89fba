#include "support/TestSupport.h"

#include "platform/core/RadaError.h"
#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/GuestRules.h"
#include "core/register/Schema.h"
#include "core/register/Validation.h"
#include "core/shell/Facility.h"

#include <gtest/gtest.h>

#include <map>

using namespace Qt::StringLiterals;
using GuestRules::StayBoxes;

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
    void begin(const std::map<QString, QString>& columns)
    {
        guest.cancel();
        ASSERT_TRUE(guest.append());
        for (const auto& [column, value] : columns)
            guest.setText(column, value);
    }
    static StayBoxes staying()
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
        const StayBoxes boxes{kDayZero, arrival.date(), arrival.time(), c.kalici, c.departure.date(), c.departure.time()};
        const auto refused = GuestRules::checkStayTimes(boxes);
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
        EXPECT_EQ(GuestRules::beforePost(guest, staying()), message);
        // Nothing of the boxes was written.
        EXPECT_TRUE(guest.isNull(u"GelisTarihi"_s));
        EXPECT_TRUE(guest.isNull(u"DogumTarihi"_s));
    }
    // With all five (the number failing its check all the same) the guest passes.
    begin(kCitizen);
    EXPECT_EQ(GuestRules::beforePost(guest, staying()), std::nullopt);
    EXPECT_EQ(guest.text(u"TCKimlikNo"_s), u"12345678951"_s);
}

TEST_F(GuestRow, OutOfOrderTimesAreReportedBeforeMissingCitizenFields)
{
    begin({{u"Uyrugu"_s, u"TC"_s}});
    StayBoxes boxes = staying();
    boxes.kalici = false;
    boxes.departure = boxes.arrival;
    boxes.departureTime = boxes.arrivalTime;
    EXPECT_EQ(GuestRules::beforePost(guest, boxes), u"Geliş Zamanı Ayrılış Zamanından Sonra Olamaz."_s);
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
        ASSERT_EQ(GuestRules::beforePost(guest, staying()), std::nullopt);
        EXPECT_EQ(guest.text(u"TCKimlikNo"_s), c.kept ? u"12345678951"_s : QString());
    }
}

TEST_F(GuestRow, TheBoxesAreWrittenIntoTheRecord)
{
    begin({{u"Uyrugu"_s, u"DEU"_s}});
    const StayBoxes boxes{kDayZero, QDate(2024, 3, 1), QTime(14, 35, 27), false, QDate(2024, 3, 4), QTime(9, 0, 1)};
    ASSERT_EQ(GuestRules::beforePost(guest, boxes), std::nullopt);
    EXPECT_EQ(guest.text(u"DogumTarihi"_s), u"1899-12-30"_s);
    EXPECT_EQ(guest.text(u"GelisTarihi"_s), u"2024-03-01"_s);
    EXPECT_EQ(guest.text(u"GelisSaati"_s), u"14:35:27"_s);
    EXPECT_FALSE(guest.boolean(u"Kalici"_s));
    EXPECT_FALSE(guest.isNull(u"Kalici"_s));
    EXPECT_EQ(guest.text(u"AyrilisTarihi"_s), u"2024-03-04"_s);
    EXPECT_EQ(guest.text(u"AyrilisSaati"_s), u"09:00:01"_s);
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/Schema.h"
#include "core/transfer/Completeness.h"
#include "core/transfer/KonaklamaWriter.h"

#include <gtest/gtest.h>
#include <map>

using namespace Qt::StringLiterals;

namespace {

using Changes = QList<std::pair<QString, QVariant>>;

// A guest as insertGuest stores it (a staying "DEU" foreigner with a passport),
// with its own serial number and these columns changed.
struct Guest
{
    QString adi;
    Changes changes = {};
    bool kalici = true;
};

struct Expected
{
    int siraNo;
    QStringList problems;
};

const QDateTime kMoment(QDate(2024, 5, 6), QTime(9, 8, 7));

// A valid identity number, and one failing the check digits.
const QString kValid = u"12345678950"_s;
const QString kValid2 = u"10000000146"_s;
const QString kWrongDigit = u"12345678951"_s;
const QString kBlanks = u"           "_s;

Changes citizen(const QString& number, Changes more = {})
{
    Changes c{{u"Uyrugu"_s, u"TC"_s}, {u"KimlikBelgesiTuru"_s, u"N"_s}, {u"TCKimlikNo"_s, number}};
    return c + more;
}

// Stores the guests in order; returns their record keys.
QList<qint64> store(Database& db, const QList<Guest>& guests)
{
    QList<qint64> ids;
    for (const Guest& g : guests) {
        const qint64 id = insertGuest(db, g.adi, g.kalici);
        db.exec(u"UPDATE Kisi SET KimlikSeriNo = ?, VerilenOdaNo = ? WHERE ID = ?"_s,
                {u"S%1"_s.arg(ids.size() + 1), u"R%1"_s.arg(ids.size() + 1), id});
        for (const auto& [column, value] : g.changes)
            db.exec(u"UPDATE Kisi SET \"%1\" = ? WHERE ID = ?"_s.arg(column), {value, id});
        ids << id;
    }
    return ids;
}

// The column whose box a problem is about: where "Kayda Git" puts the focus.
QString columnOf(const QString& problem)
{
    using namespace Completeness;
    const auto opens = [&](const QString& text) { return problem.startsWith(text.left(text.indexOf(u"%1"_s))); };
    if (problem == kIdentityNumber || opens(kSameIdentityNumber))
        return u"TCKimlikNo"_s;
    if (problem == kNoBirthDate || problem == kFutureBirthDate)
        return u"DogumTarihi"_s;
    if (problem == kCitizenDocument)
        return u"KimlikBelgesiTuru"_s;
    if (problem == kFutureArrival)
        return u"GelisTarihi"_s;
    if (opens(kSameDocument))
        return u"KimlikSeriNo"_s;
    return {};
}

void expectFindings(const QList<Completeness::Finding>& found, const QList<Expected>& expected,
                    const QList<qint64>& ids, const QList<Guest>& guests)
{
    ASSERT_EQ(found.size(), expected.size());
    for (int i = 0; i < found.size(); ++i) {
        const Completeness::Finding& f = found[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(e.siraNo);
        EXPECT_EQ(f.siraNo, e.siraNo);
        EXPECT_EQ(f.key, ids[e.siraNo - 1]);
        EXPECT_EQ(f.adi, guests[e.siraNo - 1].adi);
        EXPECT_EQ(f.soyadi, u"Yılmaz"_s);
        EXPECT_EQ(f.problems, e.problems);
        QStringList columns;
        for (const QString& problem : e.problems)
            columns << columnOf(problem);
        EXPECT_EQ(f.columns, columns);
        EXPECT_EQ(f.room, u"R%1"_s.arg(e.siraNo));
    }
}

struct Case
{
    const char* name;
    QList<Guest> guests;
    QList<Expected> expected;
    QDateTime moment = kMoment;
};

TEST(Completeness, FindsEachProblemAndOnlyWhereItIs)
{
    using namespace Completeness;
    const QString sameNumber2 = kSameIdentityNumber.arg(2);
    const QString sameNumber4 = kSameIdentityNumber.arg(4);
    const Case cases[] = {
        {"nothing wrong",
         {{u"Hans"_s}, {u"Ayşe"_s, citizen(kValid)}, {u"Ali"_s, citizen(kValid2, {{u"KimlikBelgesiTuru"_s, u"K"_s}})}},
         {}},
        {"identity number of a citizen",
         {{u"Bir"_s, citizen(kWrongDigit)},
          {u"Iki"_s, citizen(QString())},
          {u"Uc"_s, citizen(kBlanks)},
          {u"Dort"_s, citizen(u"1234567895"_s)},
          {u"Bes"_s, citizen(u"1234 567895"_s)},
          // TCKNoKontrol would read the sign and pass it.
          {u"Alti"_s, citizen(u"-0000000000"_s)},
          {u"Yedi"_s, citizen(kValid)}},
         {{1, {kIdentityNumber}}, {2, {kIdentityNumber}}, {3, {kIdentityNumber}}, {4, {kIdentityNumber}},
          {5, {kIdentityNumber}}, {6, {kIdentityNumber}}}},
        {"a foreigner's number and a nationality that only looks Turkish are not checked",
         {{u"Hans"_s, {{u"TCKimlikNo"_s, kWrongDigit}}}, {u"Tom"_s, {{u"Uyrugu"_s, u"tc"_s}}}},
         {}},
        {"birth dates",
         {{u"Yok"_s, {{u"DogumTarihi"_s, QVariant()}}},
          {u"Sifir"_s, {{u"DogumTarihi"_s, u"1899-12-30"_s}}},
          {u"Bugun"_s, {{u"DogumTarihi"_s, u"2024-05-06"_s}}},
          {u"Yarin"_s, {{u"DogumTarihi"_s, u"2024-05-07"_s}}},
          {u"Vatandas"_s, citizen(kValid, {{u"DogumTarihi"_s, QVariant()}})},
          {u"Ileride"_s, citizen(kValid2, {{u"DogumTarihi"_s, u"2030-01-01 00:00:00"_s}})}},
         {{1, {kNoBirthDate}}, {2, {kNoBirthDate}}, {4, {kFutureBirthDate}}, {6, {kFutureBirthDate}}}},
        {"documents given to citizens only",
         {{u"Nufus"_s, {{u"KimlikBelgesiTuru"_s, u"N"_s}}},
          {u"Kart"_s, {{u"KimlikBelgesiTuru"_s, u"K"_s}}},
          {u"Pasaport"_s, {{u"KimlikBelgesiTuru"_s, u"P"_s}}}},
         {{1, {kCitizenDocument}}, {2, {kCitizenDocument}}}},
        {"arrival against the moment, to the second",
         {{u"Esit"_s, {{u"GelisTarihi"_s, u"2024-05-06"_s}, {u"GelisSaati"_s, u"09:08:07"_s}}},
          {u"Sonra"_s, {{u"GelisTarihi"_s, u"2024-05-06"_s}, {u"GelisSaati"_s, u"09:08:08"_s}}},
          {u"Yarin"_s, {{u"GelisTarihi"_s, u"2024-05-07"_s}, {u"GelisSaati"_s, u"00:00:00"_s}}},
          // Only the date part of GelisTarihi counts; the time is GelisSaati.
          {u"Gece"_s, {{u"GelisTarihi"_s, u"2024-05-06 23:59:59"_s}, {u"GelisSaati"_s, u"09:00:00"_s}}},
          {u"Once"_s, {{u"GelisTarihi"_s, u"2024-05-05"_s}, {u"GelisSaati"_s, u"23:59:59"_s}}}},
         {{2, {kFutureArrival}}, {3, {kFutureArrival}}},
         QDateTime(QDate(2024, 5, 6), QTime(9, 8, 7, 600))},
        {"same identity number among staying guests only",
         {{u"Giden"_s, citizen(kValid), false},
          {u"Kalan1"_s, citizen(kValid)},
          {u"Baska"_s, citizen(kValid2)},
          {u"Kalan2"_s, citizen(kValid)},
          {u"Kalan3"_s, citizen(kValid)},
          {u"Giden2"_s, citizen(kValid2), false}},
         {{2, {sameNumber4}}, {4, {sameNumber2}}, {5, {sameNumber2}}}},
        {"numbers compared trimmed; empty ones and blanks are no number",
         {{u"Bosluk"_s, {{u"TCKimlikNo"_s, u"98765"_s}}},
          {u"Bos1"_s, {{u"TCKimlikNo"_s, QString()}}},
          {u"Bos2"_s, {{u"TCKimlikNo"_s, QString()}}},
          {u"Blank1"_s, {{u"TCKimlikNo"_s, kBlanks}}},
          {u"Blank2"_s, {{u"TCKimlikNo"_s, kBlanks}}},
          {u"Bosluklu"_s, {{u"TCKimlikNo"_s, u" 98765 "_s}}}},
         {{1, {kSameIdentityNumber.arg(6)}}, {6, {kSameIdentityNumber.arg(1)}}}},
        {"same document among staying guests only",
         {{u"Giden"_s, {{u"KimlikSeriNo"_s, u"A1"_s}}, false},
          {u"Kalan1"_s, {{u"KimlikSeriNo"_s, u"A1"_s}}},
          {u"BaskaTur"_s, {{u"KimlikSeriNo"_s, u"A1"_s}, {u"KimlikBelgesiTuru"_s, u"D"_s}}},
          {u"Kalan2"_s, {{u"KimlikSeriNo"_s, u"A1 "_s}}},
          {u"Bos1"_s, {{u"KimlikSeriNo"_s, u" "_s}}},
          {u"Bos2"_s, {{u"KimlikSeriNo"_s, u" "_s}}},
          {u"BosTur1"_s, {{u"KimlikSeriNo"_s, u"B2"_s}, {u"KimlikBelgesiTuru"_s, u" "_s}}},
          {u"BosTur2"_s, {{u"KimlikSeriNo"_s, u"B2"_s}, {u"KimlikBelgesiTuru"_s, u" "_s}}}},
         {{2, {kSameDocument.arg(4)}}, {4, {kSameDocument.arg(2)}}}},
        {"several problems on one guest, in the order of the checks",
         {{u"Hepsi"_s,
           {{u"DogumTarihi"_s, QVariant()},
            {u"KimlikBelgesiTuru"_s, u"K"_s},
            {u"KimlikSeriNo"_s, u"X9"_s},
            {u"TCKimlikNo"_s, u"555"_s},
            {u"GelisTarihi"_s, u"2024-06-01"_s}}},
          {u"Ikiz"_s, {{u"KimlikBelgesiTuru"_s, u"K"_s}, {u"KimlikSeriNo"_s, u"X9"_s}, {u"TCKimlikNo"_s, u"555"_s}}},
          {u"Vatandas"_s, citizen(u"1"_s, {{u"DogumTarihi"_s, u"2025-01-01"_s}, {u"GelisTarihi"_s, u"2024-05-07"_s}})}},
         {{1,
           {kNoBirthDate, kCitizenDocument, kFutureArrival, kSameIdentityNumber.arg(2), kSameDocument.arg(2)}},
          {2, {kCitizenDocument, kSameIdentityNumber.arg(1), kSameDocument.arg(1)}},
          {3, {kIdentityNumber, kFutureBirthDate, kFutureArrival}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        Database db(Database::kFileName);
        db.open();
        const QList<qint64> ids = store(db, c.guests);
        Dataset guests(db, Schema::kisi());
        guests.open();
        expectFindings(Completeness::check(guests, c.moment), c.expected, ids, c.guests);
    }
}

TEST(Completeness, NumbersGuestsInTheDatasetsOrderWithoutMovingIt)
{
    TestDir dir;
    Database db(Database::kFileName);
    db.open();
    const QList<Guest> stored = {{u"Zeynep"_s, {{u"KimlikSeriNo"_s, u"A1"_s}}},
                                 {u"Ali"_s},
                                 {u"Cem"_s, {{u"KimlikSeriNo"_s, u"A1"_s}}},
                                 {u"Bora"_s, {{u"KimlikBelgesiTuru"_s, u"N"_s}}}};
    const QList<qint64> ids = store(db, stored);
    Dataset guests(db, Schema::kisi());
    guests.open();
    // Shown as Ali, Bora, Cem, Zeynep: that is the file's order.
    ASSERT_TRUE(guests.setSort(u"Adi"_s));
    ASSERT_TRUE(guests.locate(u"Adi"_s, u"Cem"_s));
    const int at = guests.recNo();
    int scrolls = 0;
    QObject::connect(&guests, &Dataset::scrolled, [&] { ++scrolls; });

    const QList<Completeness::Finding> found = Completeness::check(guests, kMoment);

    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found[0].siraNo, 2);
    EXPECT_EQ(found[0].key, ids[3]);
    EXPECT_EQ(found[0].adi, u"Bora"_s);
    EXPECT_EQ(found[0].problems, QStringList{Completeness::kCitizenDocument});
    EXPECT_EQ(found[1].siraNo, 3);
    EXPECT_EQ(found[1].key, ids[2]);
    EXPECT_EQ(found[1].adi, u"Cem"_s);
    EXPECT_EQ(found[1].problems, QStringList{Completeness::kSameDocument.arg(4)});
    EXPECT_EQ(found[2].siraNo, 4);
    EXPECT_EQ(found[2].key, ids[0]);
    EXPECT_EQ(found[2].adi, u"Zeynep"_s);
    EXPECT_EQ(found[2].problems, QStringList{Completeness::kSameDocument.arg(3)});
    EXPECT_EQ(guests.recNo(), at);
    EXPECT_EQ(guests.text(u"Adi"_s), u"Cem"_s);
    EXPECT_EQ(scrolls, 0);
}

// Every column of a guest, with characters the file cannot carry where the
// writer reads them and where it does not (past a date's first ten
// characters, controls around a trimmed number): the check blocks exactly the
// guests the writer refuses, and names the box and the character.
TEST(Completeness, BlocksExactlyTheGuestsTheWriterRefuses)
{
    const QString sentence = u" karakteri bildirim dosyasına yazılamaz."_s;
    const std::map<std::pair<QString, QString>, QString> named = {
        {{u"IkametAdresi"_s, u"No 5–7"_s}, u"İkâmet Adresi : \"–\" (U+2013)"_s + sentence},
        {{u"NufusCilt"_s, u"1\u00012"_s}, u"Nüfus Cilt No : (U+0001)"_s + sentence},
        {{u"GelisSaati"_s, u"No 5–7"_s}, u"Geliş Saati : \"–\" (U+2013)"_s + sentence},
    };
    QList<Guest> stored;
    for (const ColumnDef& c : Schema::kisi().columns) {
        if (c.type != ColumnType::Text && c.type != ColumnType::Date)
            continue;
        for (const QString& value : {u"No 5–7"_s, u"1980-01-01 –"_s, u"\u000112\u0001"_s, u"1\u00012"_s}) {
            // A staying guest's departure is not written.
            for (bool kalici : {true, false}) {
                if (kalici || c.name.startsWith(u"Ayrilis"_s))
                    stored.append({c.name, {{c.name, c.size > 0 ? value.left(c.size) : value}}, kalici});
            }
        }
    }
    TestDir dir;
    Database db(Database::kFileName);
    db.open();
    store(db, stored);
    Dataset guests(db, Schema::kisi());
    guests.open();
    QHash<int, Completeness::Finding> found;
    for (const Completeness::Finding& f : Completeness::check(guests, kMoment))
        found.insert(f.siraNo, f);

    int refusedCount = 0;
    guests.first();
    for (int row = 0; row < stored.size(); ++row, guests.next()) {
        const auto& [column, value] = stored[row].changes.first();
        SCOPED_TRACE(testing::Message() << column.toStdString() << " = " << value.toString().toStdString()
                                        << (stored[row].kalici ? ", staying" : ", departed"));
        KonaklamaWriter writer;
        writer.BeginKonaklama(u"12345"_s, kMoment, u"v1.4.5"_s);
        bool refused = false;
        try {
            writer.AddKisi(row + 1, DatasetFields(guests));
        } catch (const TransferRefused&) {
            refused = true;
        }
        refusedCount += refused;
        EXPECT_EQ(found.value(row + 1).blocksRun, refused);
        const auto it = named.find({column, value.toString()});
        if (it != named.end()) {
            EXPECT_TRUE(found.value(row + 1).problems.contains(it->second));
        }
    }
    EXPECT_GT(refusedCount, 50);
}

} // namespace

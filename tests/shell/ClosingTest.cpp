// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/RunFixture.h"

#include "core/customers/RecordSearch.h"
#include "core/register/Dataset.h"
#include "core/register/GuestRules.h"
#include "core/shell/Closing.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The decisions the windows leave to the core, over the tables alone: three
// guests (Ayşe, Bora, Cem) and one customer, K1.
struct WindowDecisions : RunFixture
{
    Dataset& guests() { return *tables->kisi; }
    Dataset& customers() { return *tables->musteriler; }

    void SetUp() override
    {
        RunFixture::SetUp();
        ASSERT_TRUE(customers().append());
        customers().setText(u"musteriKodu"_s, u"K1"_s);
        customers().setText(u"Adi"_s, u"Deniz"_s);
        ASSERT_TRUE(customers().post());
    }
    QString storedGuest(const QString& column, const QString& name)
    {
        return db.column(u"SELECT %1 FROM Kisi WHERE Adi = ?"_s.arg(column), {name}).value(0).toString();
    }
};

} // namespace

TEST_F(WindowDecisions, ClosingStoresDropsOrKeepsWhatIsTyped)
{
    struct Case { const char* name; Dialogs::Button answer; bool refusedGuest; bool closes; bool stored; bool customerStored; };
    const Case cases[] = {
        {"yes stores both", Dialogs::Yes, false, true, true, true},
        // The customer comes first, as before a run; the refused guest stays in front of the clerk.
        {"yes with a refused guest stays open", Dialogs::Yes, true, false, false, true},
        {"no drops both", Dialogs::No, false, true, false, false},
        {"cancel keeps both", Dialogs::Cancel, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake.dialogs.clear();
        guests().first();
        EXPECT_FALSE(Closing::mustAsk(guests(), customers()));
        guests().edit();
        guests().setText(u"Adi"_s, u"Ayten"_s);
        guests().setText(u"AracPlakaNo"_s, u"34 AB 12"_s);
        if (c.refusedGuest)
            guests().setText(u"Uyrugu"_s, u"TC"_s);
        customers().edit();
        customers().setText(u"Adi"_s, u"Derya"_s);
        ASSERT_TRUE(Closing::mustAsk(guests(), customers()));

        EXPECT_EQ(Closing::settle(c.answer, *tables), c.closes);
        EXPECT_EQ(storedGuest(u"Adi"_s, c.stored ? u"Ayten"_s : u"Ayşe"_s), c.stored ? u"Ayten"_s : u"Ayşe"_s);
        EXPECT_EQ(db.column(u"SELECT Adi FROM Musteriler"_s).value(0).toString(),
                  c.customerStored ? u"Derya"_s : u"Deniz"_s);
        if (c.stored) {
            EXPECT_EQ(storedGuest(u"AracPlakaNo"_s, u"Ayten"_s), u"34AB12"_s);
        }
        // What is neither stored nor dropped is still being typed.
        EXPECT_EQ(guests().isEditing(), !c.closes);
        if (c.refusedGuest) {
            EXPECT_EQ(fake.dialogs.texts(), QStringList{GuestRules::kCitizenFields});
        }
        guests().cancel();
        customers().cancel();
        if (c.stored || c.customerStored) {
            db.exec(u"UPDATE Kisi SET Adi = 'Ayşe' WHERE Adi = 'Ayten'"_s);
            db.exec(u"UPDATE Musteriler SET Adi = 'Deniz'"_s);
            tables->closeAll();
            tables->openAll();
        }
    }
}

TEST_F(WindowDecisions, AnEmptySearchFindsNobodyButTheCustomerSearchSettlesFirst)
{
    guests().last();
    guests().edit();
    guests().setText(u"Isi"_s, u"Aşçı"_s);
    EXPECT_FALSE(RecordSearch::findGuest(guests(), u"Adi"_s, QString()));
    EXPECT_TRUE(guests().isEditing());
    EXPECT_EQ(guests().recNo(), 2);
    EXPECT_TRUE(RecordSearch::findGuest(guests(), u"Adi"_s, u"bOr"_s));
    EXPECT_EQ(guests().text(u"Adi"_s), u"Bora"_s);

    customers().edit();
    customers().setText(u"Isi"_s, u"Aşçı"_s);
    EXPECT_FALSE(RecordSearch::findCustomer(customers(), u"Adi"_s, QString()));
    EXPECT_FALSE(customers().isEditing());
    EXPECT_EQ(db.column(u"SELECT Isi FROM Musteriler"_s), QList<QVariant>{u"Aşçı"_s});
}

TEST_F(WindowDecisions, ADocumentFillsOnlyANewGuestAndNeverAStoredStay)
{
    const QList<std::pair<QString, QVariant>> document = {
        {u"Adi"_s, u"ANNA"_s}, {u"DogumTarihi"_s, QDate(1990, 5, 6)}, {u"Uyrugu"_s, u"XYZ"_s}};
    // A stored guest being edited: the change is settled first (stored).
    guests().first();
    guests().edit();
    guests().setText(u"VerilenOdaNo"_s, u"12"_s);
    ASSERT_TRUE(GuestRules::settleStoredGuest(guests()));
    EXPECT_EQ(storedGuest(u"VerilenOdaNo"_s, u"Ayşe"_s), u"12"_s);
    // Browsing a stored guest, the document begins a new one.
    ASSERT_TRUE(GuestRules::fillFromDocument(guests(), document, false));
    EXPECT_EQ(guests().state(), Dataset::State::Insert);
    EXPECT_EQ(guests().text(u"Adi"_s), u"ANNA"_s);
    EXPECT_EQ(guests().text(u"DogumTarihi"_s), u"1990-05-06"_s);
    EXPECT_TRUE(guests().isNull(u"Uyrugu"_s));   // not a nationality the register knows
    // A new guest being built is filled in place and keeps what was typed.
    guests().setText(u"VerilenOdaNo"_s, u"7"_s);
    ASSERT_TRUE(GuestRules::settleStoredGuest(guests()));
    ASSERT_TRUE(GuestRules::fillFromDocument(guests(), {{u"Soyadi"_s, u"BERG"_s}}, true));
    EXPECT_EQ(guests().text(u"VerilenOdaNo"_s), u"7"_s);
    EXPECT_EQ(guests().text(u"Adi"_s), u"ANNA"_s);
    EXPECT_EQ(db.count(u"Kisi"_s), 3);
}

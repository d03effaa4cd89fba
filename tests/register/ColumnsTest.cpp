// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Columns.h"
#include "core/register/Schema.h"
#include "core/transfer/KonaklamaWriter.h"

#include <QSet>
#include <gtest/gtest.h>

// The check before a run reads what the catalogue marks as written, the
// notification file what its own table lists: the two must be the same
// columns of Kisi.
TEST(Columns, TheFileCarriesEachColumnMarkedWrittenOnceAndOnlyColumnsOfGuests)
{
    QSet<QString> carried;
    for (const Columns::Name name : notifiedColumns()) {
        EXPECT_GE(Schema::kisi().indexOf(name), 0) << name.text().toStdString();
        EXPECT_FALSE(carried.contains(name)) << name.text().toStdString();
        carried.insert(name);
    }
    QSet<QString> marked;
    for (const Columns::Person& p : Columns::person()) {
        if (p.reading != Columns::Reading::NotWritten)
            marked.insert(p.name);
    }
    EXPECT_EQ(carried, marked);
}

// A window finds its boxes by these names, and a lookup box needs its list.
TEST(Columns, EveryShownColumnHasACaptionAndABoxOfItsOwnInEachWindow)
{
    for (const bool guests : {true, false}) {
        QSet<QString> boxes;
        for (const Columns::Person* p : Columns::shown(guests)) {
            const std::string column = p->name.text().toStdString();
            ASSERT_NE(p->caption, nullptr) << column;
            ASSERT_NE(p->box, nullptr) << column;
            EXPECT_NE(p->kind, Columns::Box::None) << column;
            EXPECT_FALSE(boxes.contains(QLatin1String(p->box))) << column;
            boxes.insert(QLatin1String(p->box));
            EXPECT_EQ(p->kind == Columns::Box::Lookup, p->list != Columns::List::None) << column;
            const TableDef& table = guests ? Schema::kisi() : Schema::musteriler();
            EXPECT_GE(table.indexOf(p->name), 0) << column;
        }
    }
}

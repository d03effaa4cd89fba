// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/customers/PersonalDataSearch.h"

#include "core/register/Columns.h"
#include "core/register/Schema.h"
#include "core/register/Store.h"
#include "core/register/TurkishText.h"

namespace PersonalDataSearch {

namespace {

// Blanks around and doubled inside do not count, nor letter case.
QString normal(const QString& text)
{
    return TurkishText::fold(text.simplified());
}

QString textOf(const StoreValue& v)
{
    return v.kind == StoreValue::Kind::Null ? QString() : v.toVariant().toString();
}

QList<Record> findIn(Store& store, const TableDef& table, const Query& query)
{
    const QString wanted = normal(query.value);
    const QString surname = normal(query.surname);
    int column = -1;
    switch (query.by) {
    case Query::By::IdentityNumber: column = table.indexOf(Columns::TCKimlikNo); break;
    case Query::By::DocumentNumber: column = table.indexOf(Columns::KimlikSeriNo); break;
    case Query::By::Name: column = table.indexOf(Columns::Adi); break;
    }
    const int surnameColumn = table.indexOf(Columns::Soyadi);
    QList<Record> found;
    store.scan(table.name, [&](qint64 key, std::span<const StoreValue> values) {
        if (normal(textOf(values[std::size_t(column)])) != wanted)
            return;
        if (query.by == Query::By::Name && normal(textOf(values[std::size_t(surnameColumn)])) != surname)
            return;
        Record r{key, {}};
        for (const StoreValue& v : values)
            r.values << v.toVariant();
        found << r;
    });
    return found;
}

} // namespace

bool Query::isComplete() const
{
    if (value.trimmed().isEmpty())
        return false;
    return by != By::Name || !surname.trimmed().isEmpty();
}

Findings find(Store& store, const Query& query)
{
    if (!query.isComplete())
        return {};
    return {findIn(store, Schema::musteriler(), query), findIn(store, Schema::kisi(), query)};
}

} // namespace PersonalDataSearch

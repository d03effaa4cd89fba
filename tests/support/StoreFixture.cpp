// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/StoreFixture.h"

#include "support/PgTestServer.h"

#include "core/register/Database.h"
#include "core/register/PgStore.h"

void StoreFixture::SetUp()
{
    if (GetParam() == Backend::File) {
        auto db = std::make_unique<Database>(Database::kFileName);
        db->open();
        m_store = std::move(db);
    } else {
        auto pg = std::make_unique<PgStore>(PgTestServer::instance().freshDatabase());
        pg->open();
        m_store = std::move(pg);
    }
}

std::string backendName(const ::testing::TestParamInfo<Backend>& info)
{
    return info.param == Backend::File ? "File" : "Server";
}

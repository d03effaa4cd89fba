// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/TestSupport.h"

#include "core/register/Store.h"

#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>

// The stores a register can live in.
enum class Backend { File, Server };

// A test run once on each store: a fresh encrypted file in the test's own
// folder, and a fresh database on the test server. Instantiate a suite with
// INSTANTIATE_TEST_SUITE_P(Stores, Suite,
// ::testing::Values(Backend::File, Backend::Server), backendName).
class StoreFixture : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override;
    Store& store() { return *m_store; }

    TestDir m_dir;
    std::unique_ptr<Store> m_store;
};

std::string backendName(const ::testing::TestParamInfo<Backend>& info);
inline void PrintTo(Backend backend, std::ostream* os)
{
    *os << (backend == Backend::File ? "file" : "server");
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// The test executable's own PostgreSQL server (scripts/pg-test-server.sh):
// started when a test first asks for a database, stopped when the tests end.
// A server that cannot be started fails every test that needs it.
class PgTestServer : public ::testing::Environment
{
public:
    // Registers the one server with GoogleTest; for the test main.
    static void registerEnvironment();
    static PgTestServer& instance();

    // The connection string of a new, empty database on the server, made
    // with these options of CREATE DATABASE. Throws std::runtime_error when
    // the server cannot be started.
    QString freshDatabase(const QString& options = {});
    // The connection string of a database on the server.
    QString connectionString(const QString& database) const;

    void TearDown() override;

private:
    PgTestServer() = default;
    void start();
    // Runs the server script; its output when it failed, empty otherwise.
    QString runScript(const QStringList& arguments);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_host; // with m_port, a server this process did not start
    QString m_port;
    QString m_failure;
    int m_databases = 0;
};

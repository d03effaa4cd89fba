// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PgTestServer.h"

#include "core/register/PgConnection.h"
#include "core/register/Store.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <stdexcept>

namespace {
PgTestServer* server = nullptr;
}

void PgTestServer::registerEnvironment()
{
    server = new PgTestServer;
    ::testing::AddGlobalTestEnvironment(server); // owned by GoogleTest
}

PgTestServer& PgTestServer::instance()
{
    if (!server)
        throw std::runtime_error("no test server registered");
    return *server;
}

QString PgTestServer::runScript(const QStringList& arguments)
{
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral(RADADIR_PG_TEST_SERVER), arguments);
    // A server that hangs on start fails the test instead of the run.
    if (!script.waitForFinished(90000)) {
        script.kill();
        script.waitForFinished(5000);
        return QStringLiteral("the server script did not finish: ") + QString::fromUtf8(script.readAll());
    }
    if (script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0)
        return QStringLiteral("the server script failed: ") + QString::fromUtf8(script.readAll());
    return {};
}

void PgTestServer::start()
{
    // A server started beforehand and reached over TCP: the tests running
    // under Wine cannot start one of their own.
    m_host = qEnvironmentVariable("RADADIR_PG_TEST_HOST");
    if (!m_host.isEmpty()) {
        m_port = qEnvironmentVariable("RADADIR_PG_TEST_PORT");
        return;
    }
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/radadir-pg-XXXXXX"));
    if (!m_dir->isValid()) {
        m_failure = QStringLiteral("no temporary folder for the server");
        return;
    }
    m_failure = runScript({QStringLiteral("start"), m_dir->path(), QString::number(QCoreApplication::applicationPid())});
}

QString PgTestServer::connectionString(const QString& database) const
{
    if (!m_host.isEmpty())
        return QStringLiteral("host=%1 port=%2 user=radadir dbname=%3").arg(m_host, m_port, database);
    return QStringLiteral("host=%1 user=radadir dbname=%2").arg(m_dir ? m_dir->path() : QString(), database);
}

QString PgTestServer::freshDatabase(const QString& options)
{
    if (!m_dir && m_host.isEmpty())
        start();
    if (!m_failure.isEmpty())
        throw std::runtime_error("PostgreSQL test server: " + m_failure.toStdString());
    // A shared server outlives this process: the names carry its id.
    const QString name = m_host.isEmpty() ? QStringLiteral("test%1").arg(++m_databases)
                                          : QStringLiteral("test%1_%2").arg(QCoreApplication::applicationPid()).arg(++m_databases);
    PgConnection admin(connectionString(QStringLiteral("radadir")));
    admin.open();
    admin.exec(QStringLiteral("CREATE DATABASE %1 %2").arg(name, options));
    return connectionString(name);
}

void PgTestServer::TearDown()
{
    if (m_dir && m_failure.isEmpty()) {
        const QString failure = runScript({QStringLiteral("stop"), m_dir->path()});
        if (!failure.isEmpty())
            ADD_FAILURE() << failure.toStdString();
    }
    m_dir.reset();
}

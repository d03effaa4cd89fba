// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramFixture.h"

#include "core/register/Database.h"
#include "core/register/Dataset.h"
#include "core/register/PgStore.h"
#include "core/register/Schema.h"
#include "core/register/Tables.h"
#include "core/transfer/TransferRun.h"
#include "gui/register/GuestEntry.h"
#include "gui/shell/MainWindow.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUuid>

QString uniqueGuardKey()
{
    return QStringLiteral("radadir-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

ProgramFixture::ProgramFixture() : key(uniqueGuardKey()), guard(std::make_unique<SingleInstance>(key, dir.path()))
{
}

ProgramFixture::~ProgramFixture()
{
    program.reset();
}

void ProgramFixture::withRegister(const std::function<void(Store&)>& work)
{
    if (!server.isEmpty()) {
        PgStore pg(server);
        pg.open();
        work(pg);
        return;
    }
    Database db(Database::kFileName);
    db.open();
    work(db);
}

void ProgramFixture::setUpFacility(const QString& code, const QString& name)
{
    withRegister([&](Store& db) { storeFacility(db, code, name); });
}

void ProgramFixture::start()
{
    // The program's transient files (the banner) go into the test's own folder.
    program = startProgram(fake.platform, *guard, Database::kFileName, exitCode, dir.path() + QLatin1Char('/'), server);
    if (!program)
        return;
    program->transfer()->reviewFindings = [this](const QList<Completeness::Finding>& findings) {
        reviewed << findings;
        Completeness::Decision answer{Completeness::Decision::GoOn, 0};
        if (!decisions.empty()) {
            answer = decisions.front();
            decisions.pop_front();
        }
        return answer;
    };
}

void ProgramFixture::show()
{
    if (!program)
        start();
    program->mainWindow()->show();
    program->mainWindow()->activateWindow();
    if (!QTest::qWaitForWindowActive(program->mainWindow()))
        qWarning("main window did not become active");
}

MainWindow& ProgramFixture::form() const
{
    return *program->mainWindow();
}

GuestEntry& ProgramFixture::entry() const
{
    return *program->mainWindow()->entry;
}

Tables& ProgramFixture::tables() const
{
    return *program->tables();
}

Dataset& ProgramFixture::guests() const
{
    return *program->tables()->kisi;
}

void ProgramFixture::open(const QStringList& guests, bool kalici, const QStringList& statements)
{
    fake.clock.set(now);
    setUpFacility(facilityCode);
    withRegister([&](Store& db) {
        for (const QString& n : guests)
            ids << insertGuest(db, n, kalici);
    });
    if (!statements.isEmpty()) {
        // The statements are SQLite's.
        if (!server.isEmpty())
            throw std::logic_error("statements on a server register");
        Database db(Database::kFileName);
        db.open();
        for (const QString& sql : statements)
            db.exec(sql);
    }
    show();
    if (!program)
        throw std::logic_error("the program did not start");
    // The splash's pauses have moved the clock on.
    fake.clock.set(now);
}

void ProgramFixture::click(int button)
{
    QTest::mouseClick(entry().button(button), Qt::LeftButton);
}

QVariant ProgramFixture::stored(const QString& column, qint64 id) const
{
    return program->database().column(QStringLiteral("SELECT \"%1\" FROM Kisi WHERE ID = ?").arg(column), {id}).value(0);
}

int ProgramFixture::storedCount(const QString& table) const
{
    return program->database().column(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table)).value(0).toInt();
}

void onNextModal(std::function<void(QDialog*)> action)
{
    // The poll holds itself only weakly: the pending timer owns it, so that
    // it is freed once the dialog was found rather than kept by a cycle.
    auto poll = std::make_shared<std::function<void()>>();
    std::weak_ptr<std::function<void()>> self = poll;
    *poll = [action, self] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            action(dialog);
            return;
        }
        if (auto again = self.lock())
            QTimer::singleShot(10, [again] { (*again)(); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}

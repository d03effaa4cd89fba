// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TestSupport.h"

#include "core/transfer/Completeness.h"
#include "gui/shell/Application.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/Program.h"
#include "platform/core/SingleInstance.h"

#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

class Dataset;
class Store;
class GuestEntry;
class Tables;
class MainWindow;

// The whole program started on a fresh database in a temporary directory,
// with scripted dialogs and a pinned clock. Every window test stands on it.
struct ProgramFixture
{
    TestDir dir;
    FakePlatform fake;
    QString key;
    std::unique_ptr<SingleInstance> guard;
    std::unique_ptr<Program> program;
    int exitCode = -1;
    // Where the clock stands once the window is up.
    QDateTime now{QDate(2024, 5, 6), QTime(9, 8, 7)};
    // The facility open() sets up.
    QString facilityCode = QStringLiteral("12345");
    // Record numbers of the guests stored by open().
    QList<qint64> ids;
    // The connection string of a test server's database to start the
    // program on (PgTestServer::freshDatabase()); empty for the file.
    QString server;
    // The findings the check before a transfer run showed, and the clerk's
    // answers to give (going on with the run when none is queued). Tests
    // that want the real dialog set program->transfer()->reviewFindings.
    QList<QList<Completeness::Finding>> reviewed;
    std::deque<Completeness::Decision> decisions;

    ProgramFixture();
    ~ProgramFixture();

    // Stores a set-up facility before the program starts.
    void setUpFacility(const QString& code = QStringLiteral("12345"), const QString& name = QStringLiteral("Otel Deniz"));
    // Runs work on the register the program starts on, over a connection of its own.
    void withRegister(const std::function<void(Store&)>& work);
    void start();
    // Starts (when not yet), shows the main window and waits until it is active.
    void show();

    // The usual start of a window test: a set-up facility, these guests
    // stored (staying or departed as kalici says; then the statements run
    // on the register), the main window shown and the clock pinned at now.
    // "Departed" is a departure of 2024-03-05 10:30:00 after an arrival of
    // 2024-03-01 12:00:00.
    void open(const QStringList& guests = {}, bool kalici = true, const QStringList& statements = {});

    MainWindow& form() const;
    GuestEntry& entry() const;
    Tables& tables() const;
    Dataset& guests() const;
    ScriptedDialogs& dialogs() { return fake.dialogs; }

    // A click on a guest toolbar button (SpeedButton<number>).
    void click(int button);
    // A value of a guest as the register holds it.
    QVariant stored(const QString& column, qint64 id) const;
    int storedCount(const QString& table = QStringLiteral("Kisi")) const;

    // The widget of that name in a window (the main window unless told);
    // fails the test when there is none.
    template <typename T = QWidget>
    T* widget(const QString& name, const QWidget* window = nullptr) const
    {
        const QWidget* in = window ? window : static_cast<const QWidget*>(program->mainWindow());
        T* found = in->objectName() == name ? qobject_cast<T*>(const_cast<QWidget*>(in)) : nullptr;
        if (!found)
            found = in->findChild<T*>(name);
        if (!found) {
            ADD_FAILURE() << "no widget named " << name.toStdString() << " in " << in->objectName().toStdString();
            throw std::logic_error("widget missing");
        }
        return found;
    }
    // Kept for the tests that look only into the main window.
    template <typename T>
    T* find(const QString& name) const
    {
        return program->mainWindow()->findChild<T*>(name);
    }
};

// Routes the general error report to the scripted dialogs while alive.
struct ErrorReports
{
    explicit ErrorReports(Dialogs& dialogs) { RadaApplication::instance()->setErrorDialogs(&dialogs); }
    ~ErrorReports() { RadaApplication::instance()->setErrorDialogs(nullptr); }
};

// Runs action on the next modal window that opens, once it is up.
void onNextModal(std::function<void(QDialog*)> action);

QString uniqueGuardKey();

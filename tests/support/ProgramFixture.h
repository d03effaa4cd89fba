#pragma once

#include "TestSupport.h"

#include "platform/SingleInstance.h"
#include "shell/AnaForm.h"
#include "shell/RadaDIR.h"

#include <QDialog>
#include <functional>
#include <memory>

class GuestEntry;
class TForm1;

// The whole program started on a fresh database in a temporary directory,
// with scripted dialogs and a pinned clock.
struct ProgramFixture
{
    TestDir dir;
    FakePlatform fake;
    QString key;
    std::unique_ptr<SingleInstance> guard;
    std::unique_ptr<Program> program;
    int exitCode = -1;

    ProgramFixture();
    ~ProgramFixture();

    // Stores a set-up facility before the program starts.
    void setUpFacility(const QString& code = QStringLiteral("12345"), const QString& name = QStringLiteral("Otel Deniz"));
    void start();
    // Starts (when not yet), shows the main window and waits until it is active.
    void show();

    TForm1& form() const;
    GuestEntry& entry() const;
    template <typename T>
    T* find(const QString& name) const
    {
        return program->form1->findChild<T*>(name);
    }
};

// Runs action on the next modal window that opens, once it is up.
void onNextModal(std::function<void(QDialog*)> action);

QString uniqueGuardKey();

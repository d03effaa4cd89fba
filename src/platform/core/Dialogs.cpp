// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/Dialogs.h"

#include <chrono>
#include <future>

void Dialogs::inform(const QString& text)
{
    message(kAppTitle, text, Icon::None, Ok, Ok);
}

Dialogs::Button Dialogs::askYesNo(const QString& text)
{
    return message(QStringLiteral("Warning"), text, Icon::Warning, Buttons(Yes) | No, Yes);
}

void Dialogs::reportError(const QString& text)
{
    message(kAppTitle, text, Icon::Error, Ok, Ok);
}

namespace {

int g_works = 0;
// The last work begun on this thread and not yet ended (the interface's: no
// other begins one).
thread_local Dialogs::Work* t_current = nullptr;

class QuietWork : public Dialogs::Work
{
public:
    bool keepGoing() override { return true; }
    void setProgress(qint64, qint64) override {}
};

// A work begun while another goes on: a step of that one.
class StepOfWork : public Dialogs::Work
{
public:
    StepOfWork(Dialogs::Work& outer, bool cancellable) : m_outer(outer), m_cancellable(cancellable) {}
    bool keepGoing() override { return m_outer.keepGoing() || !m_cancellable; }
    void setProgress(qint64 done, qint64 total) override { m_outer.setProgress(done, total); }

private:
    Dialogs::Work& m_outer;
    bool m_cancellable;
};

// Counts the works going on around the shown part.
class CountedWork : public Dialogs::Work
{
public:
    explicit CountedWork(std::unique_ptr<Dialogs::Work> shown) : m_shown(std::move(shown)), m_before(t_current)
    {
        ++g_works;
        t_current = this;
    }
    ~CountedWork() override
    {
        t_current = m_before;
        m_shown.reset();
        --g_works;
    }
    bool keepGoing() override { return m_shown->keepGoing(); }
    void setProgress(qint64 done, qint64 total) override { m_shown->setProgress(done, total); }

private:
    std::unique_ptr<Dialogs::Work> m_shown;
    Dialogs::Work* m_before;
};

} // namespace

Dialogs::Work::~Work() = default;

std::unique_ptr<Dialogs::Work> Dialogs::beginWork(const WorkRequest& request)
{
    if (t_current)
        return std::make_unique<CountedWork>(std::make_unique<StepOfWork>(*t_current, request.cancellable));
    return std::make_unique<CountedWork>(startWork(request));
}

Dialogs::Work* Dialogs::currentWork()
{
    return t_current;
}

void Dialogs::checkpoint()
{
    if (t_current && !t_current->keepGoing())
        throw WorkAbandoned();
}

std::unique_ptr<Dialogs::Work> Dialogs::toTheEnd()
{
    if (!t_current)
        return nullptr;
    return std::make_unique<CountedWork>(std::make_unique<StepOfWork>(*t_current, false));
}

void Dialogs::aside(const std::function<void()>& job)
{
    Work* work = t_current;
    if (!work) {
        job();
        return;
    }
    std::future<void> done = std::async(std::launch::async, job);
    // An "İptal" meanwhile is seen by the next checkpoint: the job itself
    // cannot be stopped.
    while (done.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
        work->keepGoing();
    done.get();
}

bool Dialogs::working()
{
    return g_works > 0;
}

std::unique_ptr<Dialogs::Work> Dialogs::startWork(const WorkRequest&)
{
    return std::make_unique<QuietWork>();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/Dialogs.h"

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

class QuietWork : public Dialogs::Work
{
public:
    bool keepGoing() override { return true; }
    void setProgress(qint64, qint64) override {}
};

// Counts the works going on around the shown part.
class CountedWork : public Dialogs::Work
{
public:
    explicit CountedWork(std::unique_ptr<Dialogs::Work> shown) : m_shown(std::move(shown)) { ++g_works; }
    ~CountedWork() override
    {
        m_shown.reset();
        --g_works;
    }
    bool keepGoing() override { return m_shown->keepGoing(); }
    void setProgress(qint64 done, qint64 total) override { m_shown->setProgress(done, total); }

private:
    std::unique_ptr<Dialogs::Work> m_shown;
};

} // namespace

Dialogs::Work::~Work() = default;

std::unique_ptr<Dialogs::Work> Dialogs::beginWork(const WorkRequest& request)
{
    return std::make_unique<CountedWork>(startWork(request));
}

bool Dialogs::working()
{
    return g_works > 0;
}

std::unique_ptr<Dialogs::Work> Dialogs::startWork(const WorkRequest&)
{
    return std::make_unique<QuietWork>();
}

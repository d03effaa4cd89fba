// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedDialogs.h"

Dialogs::Button ScriptedDialogs::message(const QString& caption, const QString& text, Icon icon,
                                         Buttons buttons, Button defaultButton)
{
    messages.append({caption, text, icon, buttons, defaultButton});
    if (!m_onMessage.empty()) {
        auto action = std::move(m_onMessage.front());
        m_onMessage.pop_front();
        action();
    }
    if (!m_answers.empty()) {
        const Button answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    if (buttons != Buttons(Ok))
        ++unansweredQuestions;
    return defaultButton;
}

QString ScriptedDialogs::saveFileName(const SaveFileRequest& request)
{
    saveRequests.append(request);
    if (m_fileNames.empty())
        return {};
    QString path = m_fileNames.front();
    m_fileNames.pop_front();
    return path;
}

std::optional<QString> ScriptedDialogs::inputText(const TextRequest& request)
{
    inputRequests.append({request.caption, request.prompt, request.preset});
    std::optional<QString> answer;
    if (!m_inputs.empty()) {
        answer = std::move(m_inputs.front());
        m_inputs.pop_front();
    }
    return answer;
}

void ScriptedDialogs::about(const QString& title, const QString& details)
{
    aboutBoxes.append({title, details});
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const Shown& s : messages)
        out << s.text;
    return out;
}

void ScriptedDialogs::clear()
{
    messages.clear();
    saveRequests.clear();
    inputRequests.clear();
    aboutBoxes.clear();
    works.clear();
    unansweredQuestions = 0;
}

QString ScriptedDialogs::folderName(const QString& title, const QString& start)
{
    folderRequests.append({title, start});
    if (m_folders.empty())
        return {};
    QString path = m_folders.front();
    m_folders.pop_front();
    return path;
}

namespace {

class ScriptedWork : public Dialogs::Work
{
public:
    ScriptedWork(ScriptedDialogs& dialogs, QString text, int cancelAt)
        : m_dialogs(dialogs), m_text(std::move(text)), m_cancelAt(cancelAt)
    {
    }
    bool keepGoing() override
    {
        ++m_calls;
        if (m_dialogs.duringWork)
            m_dialogs.duringWork(m_text);
        if (m_cancelAt > 0 && m_calls >= m_cancelAt)
            m_cancelled = true;
        return !m_cancelled;
    }
    void setProgress(qint64, qint64) override {}

private:
    ScriptedDialogs& m_dialogs;
    QString m_text;
    int m_cancelAt;
    int m_calls = 0;
    bool m_cancelled = false;
};

} // namespace

std::unique_ptr<Dialogs::Work> ScriptedDialogs::startWork(const WorkRequest& request)
{
    works.append(request);
    if (showWork)
        return showWork(request);
    int cancelAt = 0;
    if (!m_cancelWorkAt.empty()) {
        cancelAt = m_cancelWorkAt.front();
        m_cancelWorkAt.pop_front();
    }
    return std::make_unique<ScriptedWork>(*this, request.text, cancelAt);
}

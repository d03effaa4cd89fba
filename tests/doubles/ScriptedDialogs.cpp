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

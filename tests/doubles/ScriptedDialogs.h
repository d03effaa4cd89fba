// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/Dialogs.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>

// Test double: records every dialog and answers from a queue. An unanswered
// question is recorded and answered with its default button (for a save or
// input dialog: cancelled).
class ScriptedDialogs : public Dialogs
{
public:
    struct Shown
    {
        QString caption;
        QString text;
        Icon icon;
        Buttons buttons;
        Button defaultButton;
    };

    Button message(const QString& caption, const QString& text, Icon icon, Buttons buttons,
                   Button defaultButton) override;
    QString saveFileName(const SaveFileRequest& request) override;
    std::optional<QString> inputText(const TextRequest& request) override;
    void about(const QString& title, const QString& details) override;
    QString folderName(const QString& title, const QString& start) override;

    void setNextAnswer(Button answer) { m_answers.push_back(answer); }
    void setNextFileName(const QString& path) { m_fileNames.push_back(path); }
    void setNextFolder(const QString& path) { m_folders.push_back(path); }
    void setNextInput(std::optional<QString> text) { m_inputs.push_back(std::move(text)); }
    // Runs when the next message box shows, before it is answered.
    void onNextMessage(std::function<void()> action) { m_onMessage.push_back(std::move(action)); }
    // The next work begun is abandoned ("İptal") at its keepGoing() call
    // number calls (1 for the first).
    void cancelNextWorkAt(int calls) { m_cancelWorkAt.push_back(calls); }
    // Runs at every keepGoing() of every work, with the work's text.
    std::function<void(const QString&)> duringWork;
    // When set, shows the works instead (the real progress dialog in a
    // window test); the works are recorded all the same.
    std::function<std::unique_ptr<Work>(const WorkRequest&)> showWork;

    QList<Shown> messages;
    QList<SaveFileRequest> saveRequests;
    QList<QStringList> inputRequests;   // caption, prompt, preset
    QList<QStringList> aboutBoxes;      // title, details
    QList<QStringList> folderRequests;  // title, start
    QList<WorkRequest> works;           // every work begun, in order
    int unansweredQuestions = 0;

    QStringList texts() const;
    void clear();

private:
    std::deque<Button> m_answers;
    std::deque<QString> m_fileNames;
    std::deque<QString> m_folders;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<std::function<void()>> m_onMessage;
    std::deque<int> m_cancelWorkAt;

protected:
    std::unique_ptr<Work> startWork(const WorkRequest& request) override;
};

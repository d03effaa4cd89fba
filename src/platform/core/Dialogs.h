// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/RadaError.h"

#include <QFlags>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// A work the clerk abandoned ("İptal"): what it had begun is undone.
class WorkAbandoned : public RadaError
{
public:
    WorkAbandoned() : RadaError(QStringLiteral("İptal edildi.")) {}
};

// Every modal dialog of the program goes through this adapter, so that tests
// can answer it without a window blocking them.
class Dialogs
{
public:
    enum class Icon { None, Information, Warning, Error, Question };
    // Evet and Hayır answer as Yes and No do, for the program's own questions.
    enum Button { NoButton = 0x0, Ok = 0x1, Yes = 0x2, No = 0x4, Cancel = 0x8, Evet = 0x10, Hayir = 0x20 };
    Q_DECLARE_FLAGS(Buttons, Button)

    struct SaveFileRequest
    {
        QString title;
        QString filter;          // e.g. "XML Dosyası (*.xml)"
        QString defaultSuffix;   // without the dot
        QString proposedName;    // file name offered to the user
        QString directory;       // where the dialog opens; empty for the current one
    };

    struct TextRequest
    {
        QString caption;
        QString prompt;
        QString preset;
        int maxLength = 32767;
        // Typed characters are not shown (a password).
        bool secret = false;
        // What the box keeps of a typed or pasted text; everything when unset.
        std::function<QString(const QString&)> keep;
    };

    // Work that runs on the interface's thread and may take a while (a call
    // on the server, a backup, a compaction). While it is going on the
    // windows take no input, so no second command starts; the work calls
    // keepGoing() often, which keeps the windows painted and, once the work
    // has taken a while, shows the clerk that the program is working: a busy
    // cursor and the text in the status bar after half a second, a progress
    // dialog with the text after dialogAfterMs.
    class Work
    {
    public:
        virtual ~Work();
        // False once the clerk chose "İptal" (offered only for a work begun
        // as one that can be abandoned); the work then stops and leaves
        // everything as it was.
        virtual bool keepGoing() = 0;
        // How far the work is; a total of 0 when nobody knows.
        virtual void setProgress(qint64 done, qint64 total) = 0;
    };

    struct WorkRequest
    {
        QString text;              // what the program is doing, in Turkish
        bool cancellable = false;  // "İptal" is offered
        int dialogAfterMs = 500;
    };

    virtual ~Dialogs() = default;

    // Begins a work; it ends when the object returned is destroyed. Begun
    // while another goes on, it is a step of that one: the dialog shown is
    // the first work's, and a step that cannot be abandoned goes on after
    // "İptal" (the first work stops after it).
    std::unique_ptr<Work> beginWork(const WorkRequest& request);
    // True while some work is going on: a timer that would start another
    // command waits.
    static bool working();
    // The work going on on this thread (the last step begun), or nullptr.
    // The register's connections report to it while they work.
    static Work* currentWork();
    // Throws WorkAbandoned when the current work was abandoned: called
    // before a step that would change what the clerk has (a rename).
    static void checkpoint();
    // From here the current work goes to its end whatever the clerk
    // chooses: a step that cannot be abandoned, held until then (nullptr
    // without a work).
    [[nodiscard]] static std::unique_ptr<Work> toTheEnd();
    // Runs job on a thread of its own while this one keeps the current work
    // going, for a step that cannot report (a key derived, a file checked or
    // put on the disk); without a work, here. The job must use nothing this
    // thread may use meanwhile. Its exception is thrown here.
    static void aside(const std::function<void()>& job);
    // Where a work's text is shown while it goes on (the main window's status
    // bar sets it); an empty text takes it away.
    std::function<void(const QString&)> showStatus;

    // Shows a message box and returns the button pressed; NoButton when the
    // box was closed without an answer.
    virtual Button message(const QString& caption, const QString& text, Icon icon, Buttons buttons,
                           Button defaultButton) = 0;
    // Returns the chosen path, or an empty text when the dialog was cancelled.
    // It does not ask before an existing file is replaced: the caller does.
    virtual QString saveFileName(const SaveFileRequest& request) = 0;
    // Returns the edited text on OK, nothing on Cancel. The box is wide
    // enough to show its longest text whole.
    virtual std::optional<QString> inputText(const TextRequest& request) = 0;
    virtual void about(const QString& title, const QString& details) = 0;
    // A folder chosen by the user, starting at start; empty when cancelled.
    virtual QString folderName(const QString& title, const QString& start) = 0;

protected:
    // The shown part of a work; by default nothing is shown and the work is
    // never abandoned.
    virtual std::unique_ptr<Work> startWork(const WorkRequest& request);

public:

    // Plain message with an OK button, captioned with the application title.
    void inform(const QString& text);
    // Yes/No warning (caption "Warning", Yes the default button).
    Button askYesNo(const QString& text);
    // The general error report for an error nothing else handled.
    void reportError(const QString& text);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(Dialogs::Buttons)

inline const QString kAppTitle = QStringLiteral("Rirede Zarevave Rurored");

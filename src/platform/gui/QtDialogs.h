// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/core/Dialogs.h"

class QWidget;

// Real dialogs: QMessageBox, QFileDialog, QInputDialog.
class QtDialogs : public Dialogs
{
public:
    Button message(const QString& caption, const QString& text, Icon icon, Buttons buttons,
                   Button defaultButton) override;
    QString saveFileName(const SaveFileRequest& request) override;
    std::optional<QString> inputText(const TextRequest& request) override;
    void about(const QString& title, const QString& details) override;
    QString folderName(const QString& title, const QString& start) override;
    // The shown part of a work for the dialogs given, whichever they are.
    static std::unique_ptr<Work> shownWork(Dialogs& dialogs, const WorkRequest& request);

protected:
    // The busy cursor, the status text and the progress dialog; input to
    // every other window is dropped meanwhile.
    std::unique_ptr<Work> startWork(const WorkRequest& request) override;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

class QTranslator;

class Dialogs;

// The application object. An error that no handler dealt with ends the
// current user action and is shown in the general error report; the program
// goes on.
class RadaApplication : public QApplication
{
    Q_OBJECT
public:
    RadaApplication(int& argc, char** argv);

    void setErrorDialogs(Dialogs* dialogs) { m_dialogs = dialogs; }
    bool notify(QObject* receiver, QEvent* event) override;

    static RadaApplication* instance();

private:
    Dialogs* m_dialogs = nullptr;
};

// Loads Qt's Turkish translation (qtbase_tr.qm from Qt's translations
// folder, or from "translations" beside the program), so that Qt's own
// dialogs, buttons and context menus are Turkish. The translator installed
// (the application owns it), or nothing when none was found.
QTranslator* loadQtTranslation();

// Tooltips: aqua, shown 15 ms after the pointer rests, kept up to 90 seconds.
void installToolTipSettings();

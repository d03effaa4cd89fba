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

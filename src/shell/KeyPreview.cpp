#include "KeyPreview.h"

#include <QKeyEvent>

namespace KeyPreview {

bool isAltGrCharacter(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers m = key.modifiers();
    if (!m.testFlag(Qt::ControlModifier) || !m.testFlag(Qt::AltModifier))
        return false;
    const QString text = key.text();
    return !text.isEmpty() && text.at(0).isPrint();
}

bool isPlainEnter(const QKeyEvent& key)
{
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
           !key.modifiers().testFlag(Qt::ControlModifier);
}

} // namespace KeyPreview

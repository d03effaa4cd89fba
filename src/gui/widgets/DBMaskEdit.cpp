// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/DBMaskEdit.h"

#include "core/register/Validation.h"
#include "platform/core/Dialogs.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

namespace {
const QChar kEmptyPosition = QLatin1Char('_');
constexpr int kPositions = 11;
} // namespace

DBMaskEdit::DBMaskEdit(Dataset* dataset, const QString& column, QWidget* parent) : DBEdit(dataset, column, parent)
{
    setInputMask(QStringLiteral("00000000000;_"));
    refresh();
}

QString DBMaskEdit::boxText() const
{
    QString shown = displayText();
    shown.replace(kEmptyPosition, QLatin1Char(' '));
    return shown;
}

QString DBMaskEdit::fieldText() const
{
    const QString shown = boxText();
    return shown.trimmed().isEmpty() ? QString() : shown;
}

namespace {

// Swallows the mouse buttons until it is deleted: the click that took the
// focus from a box whose leaving was refused does nothing more (a click on a
// list would otherwise move to another record).
class ClickSwallower : public QObject
{
public:
    explicit ClickSwallower(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return false;
        }
    }
};

} // namespace

void DBMaskEdit::warnIfInvalid(Dialogs& dialogs)
{
    const auto warning = identityNumberWarning(boxText());
    if (!warning)
        return;
    dialogs.inform(*warning);
    // Only after the warning is answered: its own buttons take clicks.
    auto* swallow = new ClickSwallower(this);
    QTimer::singleShot(0, this, [this, swallow] {
        delete swallow;
        setFocus(Qt::OtherFocusReason);
    });
}

void DBMaskEdit::showValue(const QString& value)
{
    // setText() would close the gaps; placing is no edit of the user's.
    const QSignalBlocker quiet(this);
    clear();
    for (int i = 0; i < std::min(int(value.size()), kPositions); ++i) {
        if (value[i].isDigit()) {
            setSelection(i, 1);
            insert(QString(value[i]));
        }
    }
    setModified(false);
    setCursorPosition(0);
}

void DBMaskEdit::mousePressEvent(QMouseEvent* event)
{
    DBEdit::mousePressEvent(event);
    if (hasSelectedText())
        return;
    const QString shown = boxText();
    int end = int(shown.size());
    while (end > 0 && shown[end - 1] == QLatin1Char(' '))
        --end;
    if (cursorPosition() > end)
        setCursorPosition(end);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/CodePageBox.h"

#include "core/register/CodePage.h"

#include <QLineEdit>
#include <algorithm>

void keepToCodePage1254(QLineEdit* box)
{
    QObject::connect(box, &QLineEdit::textEdited, box, [box](const QString& text) {
        if (CodePage::fits(text))
            return;
        const QString kept = CodePage::keepFitting(text);
        const int pos = box->cursorPosition() - int(text.size() - kept.size());
        box->setText(kept);
        box->setCursorPosition(std::clamp(pos, 0, int(kept.size())));
    });
}

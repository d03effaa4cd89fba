// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gui/widgets/DBEdit.h"

class Dialogs;

// The identity-number box: eleven digit positions, each shown as "_" while
// empty; an empty position reads as a blank.
class DBMaskEdit : public DBEdit
{
    Q_OBJECT
public:
    DBMaskEdit(Dataset* dataset, const QString& column, QWidget* parent = nullptr);
    // Eleven characters: digits, and a blank for every empty position.
    QString boxText() const;
    // A box with no digit stores nothing.
    QString fieldText() const override;
    // On leaving the box: an eleven-digit number that fails the check is
    // warned about and the focus comes back, and a click that took the
    // focus away does nothing more; an empty box is not checked.
    void warnIfInvalid(Dialogs& dialogs);

protected:
    // Each digit at its own position, so that a gap stays a gap.
    void showValue(const QString& value) override;
    // A click past the digits puts the caret right after the last one (at the
    // start of an empty box), so that what is typed next fills the box from
    // there, as it does after Enter; a click among the digits stays there.
    void mousePressEvent(QMouseEvent* event) override;
};

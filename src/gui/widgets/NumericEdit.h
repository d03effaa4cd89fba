// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>

// The facility code field: digits only, at most five, the whole text selected
// when the field is entered or clicked.
class NumericEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit NumericEdit(QWidget* parent = nullptr);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

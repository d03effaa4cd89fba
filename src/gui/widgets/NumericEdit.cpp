// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/NumericEdit.h"

#include <QRegularExpressionValidator>
#include <QTimer>

NumericEdit::NumericEdit(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(5);
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), this));
}

void NumericEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    QTimer::singleShot(0, this, &QLineEdit::selectAll);
}

void NumericEdit::mousePressEvent(QMouseEvent* event)
{
    QLineEdit::mousePressEvent(event);
    selectAll();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// A label drawn engraved (recessed) on a transparent background.
class EngravedLabel : public QWidget
{
    Q_OBJECT
public:
    explicit EngravedLabel(QWidget* parent = nullptr);
    void setText(const QString& text);
    const QString& text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

// The five-digit facility code display: seven-segment digits of 10 x 20
// pixels on a black panel, lit segments lime green, unlit ones in the
// button-text colour. Keeps the text it shows, leading zeros included.
class LedDisplay : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kDigits = 5;
    static constexpr int kDigitWidth = 10;
    static constexpr int kDigitHeight = 20;

    explicit LedDisplay(QWidget* parent = nullptr);
    void setText(const QString& text);
    const QString& text() const { return m_text; }
    int digitCount() const { return kDigits; }

    // The segments a digit lights: bit 0 top, 1 upper right, 2 lower right,
    // 3 bottom, 4 lower left, 5 upper left, 6 middle. Nothing for a blank
    // or any other character.
    static int segmentsOf(QChar c);
    // What each of the five places shows: the last five characters of the
    // text, right-aligned.
    QString shown() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

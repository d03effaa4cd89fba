// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <stdexcept>

// The one exception type of the program. Raised for unexpected failures deep
// down (a bad conversion, an I/O fault); the application's event boundary
// shows its text in the general error report and the program goes on.
class RadaError : public std::runtime_error
{
public:
    explicit RadaError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text)
    {
    }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

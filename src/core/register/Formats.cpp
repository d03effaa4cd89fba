// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Formats.h"

#include <QLocale>

namespace Formats {

QDate dayZero()
{
    return QDate(1899, 12, 30);
}

QTime wholeSeconds(const QTime& t)
{
    return t.isValid() ? QTime(t.hour(), t.minute(), t.second()) : t;
}

QString dateText(const QDate& d)
{
    return d.toString(kDate);
}

QString timeText(const QTime& t)
{
    return t.toString(kTime);
}

QString dateTimeText(const QDateTime& dt)
{
    const QTime t = dt.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return dateText(dt.date());
    return dt.toString(kDateTime);
}

std::optional<QDate> parseDate(const QString& text)
{
    const QDate d = QDate::fromString(text, kDate);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QTime> parseTime(const QString& text)
{
    const QTime t = QTime::fromString(text, kTime);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

std::optional<QDateTime> parseDateTime(const QString& text)
{
    if (text.size() == kDate.size()) {
        if (auto d = parseDate(text))
            return QDateTime(*d, QTime(0, 0));
        return std::nullopt;
    }
    const QDateTime dt = QDateTime::fromString(text, kDateTime);
    if (!dt.isValid())
        return std::nullopt;
    return dt;
}

QString longDate(const QDate& d)
{
    return QLocale::system().toString(d, QStringLiteral("dd MMMM yyyy dddd"));
}

} // namespace Formats

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

// The program's fixed date and time texts, whatever the regional settings:
// dates "yyyy-MM-dd", times "HH:mm:ss", short times "HH:mm". Month and
// weekday names come from the system locale.
namespace Formats {

inline const QString kDate = QStringLiteral("yyyy-MM-dd");
inline const QString kTime = QStringLiteral("HH:mm:ss");
inline const QString kShortTime = QStringLiteral("HH:mm");
inline const QString kDateTime = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// 1899-12-30: the day-zero date that stands for "no date".
QDate dayZero();

// The time without what lies below the second: the program's times are
// exact to the second.
QTime wholeSeconds(const QTime& t);

QString dateText(const QDate& d);
QString timeText(const QTime& t);
// The date alone when the time of day is 00:00:00, else date, blank, time.
QString dateTimeText(const QDateTime& dt);

std::optional<QDate> parseDate(const QString& text);
std::optional<QTime> parseTime(const QString& text);
// Accepts "yyyy-MM-dd" and "yyyy-MM-dd HH:mm:ss".
std::optional<QDateTime> parseDateTime(const QString& text);

// "dd MMMM yyyy dddd" with the system locale's names.
QString longDate(const QDate& d);

} // namespace Formats

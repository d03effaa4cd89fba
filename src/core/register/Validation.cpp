// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/Validation.h"

#include "core/register/Columns.h"
#include "core/register/Dataset.h"
#include "platform/core/RadaError.h"

bool TCKNoKontrol(const QString& text)
{
    if (text.size() != 11)
        return false;
    // Read the text as a signed decimal integer.
    qint64 n = 0;
    bool negative = false;
    int i = 0;
    if (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-')) {
        negative = text[0] == QLatin1Char('-');
        i = 1;
    }
    if (i == text.size())
        throw RadaError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            throw RadaError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        n = n * 10 + (c.unicode() - '0');
    }
    if (negative)
        n = -n;

    const qint64 nine = n / 100;
    qint64 p = nine;
    qint64 d[10] = {};
    for (int k = 9; k >= 1; --k) {
        d[k] = p % 10;
        p /= 10;
    }
    const qint64 a = d[1] + d[3] + d[5] + d[7] + d[9];
    const qint64 b = d[2] + d[4] + d[6] + d[8];
    const qint64 c10 = (10 - ((3 * a + b) % 10)) % 10;
    const qint64 c11 = (10 - ((3 * (c10 + b) + a) % 10)) % 10;
    return n == 100 * nine + 10 * c10 + c11;
}

std::optional<QString> identityNumberWarning(const QString& boxText)
{
    const QString number = boxText.trimmed();
    if (number.isEmpty() || TCKNoKontrol(number))
        return std::nullopt;
    return kInvalidIdentityNumber;
}

std::optional<QString> normalisePlate(Dataset& record, const QString& boxText)
{
    static const QString column = Columns::AracPlakaNo;
    if (!record.isEditing() || record.isNull(column))
        return std::nullopt;
    QString plate = boxText;
    plate.remove(QLatin1Char(' '));
    record.setText(column, plate);
    return plate;
}

QString documentNumberText(const QString& typed)
{
    QString kept;
    kept.reserve(typed.size());
    for (const QChar c : typed) {
        const char16_t u = c.unicode();
        if ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z'))
            kept += c;
        else if (u >= u'a' && u <= u'z')
            kept += QChar(u - u'a' + u'A');
        else if (u == u'ı' || u == u'İ')
            kept += QLatin1Char('I');
    }
    return kept;
}

bool saveRecord(Dataset& record)
{
    if (!record.isEditing() && !record.edit())
        return false;
    return record.post();
}

bool hasUnsavedChanges(const Dataset& record)
{
    return record.isEditing() && record.isModified();
}

#include "core/shell/StartOptions.h"

#include <QFile>

const QString StartOptions::kServerOption = QStringLiteral("--server");
const QString StartOptions::kCopyToServerOption = QStringLiteral("--copy-to-server");
const QString StartOptions::kIniFileName = QStringLiteral("radadir.ini");

namespace {

// The argument after the option, or empty.
QString valueOf(const QStringList& arguments, const QString& option)
{
    const qsizetype at = arguments.indexOf(option);
    return at > 0 ? arguments.value(at + 1) : QString();
}

} // namespace

StartOptions StartOptions::read(const QStringList& arguments, const QString& iniPath)
{
    StartOptions options;
    options.copyToServer = valueOf(arguments, kCopyToServerOption);
    options.server = valueOf(arguments, kServerOption);
    if (options.server.isEmpty() && options.copyToServer.isEmpty()) {
        QFile ini(iniPath);
        if (ini.open(QIODevice::ReadOnly))
            options.server = serverSetting(ini.readAll());
    }
    return options;
}

QString serverSetting(const QByteArray& iniText)
{
    QString text = QString::fromUtf8(iniText);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    // Lines may end in CR LF, as a file written on Windows has them.
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char('[')))
            continue;
        // A connection string holds "=" of its own: only the first one ends the key.
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || line.left(equals).trimmed().compare(QLatin1String("server"), Qt::CaseInsensitive) != 0)
            continue;
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

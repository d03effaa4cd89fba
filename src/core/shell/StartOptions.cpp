// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/shell/StartOptions.h"

#include "Version.h"
#include "platform/core/Dialogs.h"

#include <QCommandLineParser>
#include <QFile>

const QString StartOptions::kIniFileName = QStringLiteral("radadir.ini");
const QString StartOptions::kDataFolderFailed = QStringLiteral("data-folder-failed");

namespace {

const QString kServer = QStringLiteral("server");
const QString kCopyToServer = QStringLiteral("copy-to-server");

const QString kUnknownOption = QStringLiteral("Tanınmayan seçenek: %1");
const QString kMissingValue = QStringLiteral("%1 seçeneğinin değeri eksik.");
const QString kUnexpectedArgument = QStringLiteral("Beklenmeyen bağımsız değişken: %1");
const QString kEmptyOption = QStringLiteral(
    "Komut satırındaki %1 seçeneği boş. Sunucunun bağlantı bilgisini yazınız ya da seçeneği kaldırınız.");
const QString kEmptyIniServer = QStringLiteral(
    "%1 dosyasındaki server= satırı boş. Sunucunun bağlantı bilgisini yazınız ya da satırı kaldırınız.");

struct Parser
{
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Bu yardımı gösterir.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Sürümü gösterir.")};
    QCommandLineOption server{kServer,
                              QStringLiteral("Kayıtları bu PostgreSQL sunucusunda tutar (libpq bağlantı bilgisi, "
                                             "örneğin \"host=192.168.1.10 dbname=radadir user=resepsiyon\")."),
                              QStringLiteral("bağlantı")};
    QCommandLineOption copyToServer{kCopyToServer,
                                    QStringLiteral("Çalışma klasöründeki radadir.dve kayıt dosyasını bu sunucudaki "
                                                   "boş veritabanına aktarır ve biter."),
                                    QStringLiteral("bağlantı")};
    QCommandLineOption dataFolderFailed{StartOptions::kDataFolderFailed, QString(), QStringLiteral("klasör")};

    Parser()
    {
        parser.setApplicationDescription(QStringLiteral("%1 %2: konaklayan misafirlerin kimlik bildirimi kaydı.")
                                             .arg(kAppTitle, kVersion));
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        dataFolderFailed.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOptions({help, version, server, copyToServer, dataFolderFailed});
    }

    QString helpText() const { return parser.helpText().trimmed(); }

    StartOptions refuse(const QString& why) const
    {
        StartOptions options;
        options.action = StartOptions::Action::Refuse;
        options.text = why + QStringLiteral("\n\n") + helpText();
        return options;
    }
};

// The option a failed parse stopped at: an unknown one, or one given no value.
QString failure(const Parser& p, const QStringList& arguments)
{
    if (!p.parser.unknownOptionNames().isEmpty()) {
        const QString name = p.parser.unknownOptionNames().constFirst();
        return kUnknownOption.arg((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    }
    // Only the last argument can lack the value that follows it.
    const QString last = arguments.size() > 1 ? arguments.constLast() : QString();
    return last.isEmpty() ? p.parser.errorText() : kMissingValue.arg(last);
}

} // namespace

StartOptions StartOptions::read(const QStringList& arguments, const QString& iniPath)
{
    Parser p;
    if (!p.parser.parse(arguments))
        return p.refuse(failure(p, arguments));
    if (!p.parser.positionalArguments().isEmpty())
        return p.refuse(kUnexpectedArgument.arg(p.parser.positionalArguments().constFirst()));

    StartOptions options;
    if (p.parser.isSet(p.help)) {
        options.action = Action::Print;
        options.text = p.helpText();
        return options;
    }
    if (p.parser.isSet(p.version)) {
        options.action = Action::Print;
        options.text = QStringLiteral("%1 %2").arg(kAppTitle, kVersion);
        return options;
    }
    if (p.parser.isSet(p.dataFolderFailed)) {
        options.action = Action::ReportDataFolder;
        options.dataFolder = p.parser.value(p.dataFolderFailed);
        return options;
    }
    // An empty value would quietly open a register of this desk's own.
    for (const QCommandLineOption* o : {&p.copyToServer, &p.server}) {
        if (p.parser.isSet(*o) && p.parser.value(*o).trimmed().isEmpty()) {
            StartOptions refused;
            refused.action = Action::Refuse;
            refused.text = kEmptyOption.arg(QStringLiteral("--") + o->names().constFirst());
            return refused;
        }
    }
    if (p.parser.isSet(p.copyToServer)) {
        options.action = Action::CopyToServer;
        options.copyToServer = p.parser.value(p.copyToServer);
        return options;
    }
    options.server = p.parser.value(p.server);
    if (options.server.isEmpty()) {
        QFile ini(iniPath);
        if (ini.open(QIODevice::ReadOnly)) {
            const std::optional<QString> setting = serverSetting(ini.readAll());
            if (setting && setting->trimmed().isEmpty()) {
                options.action = Action::Refuse;
                options.text = kEmptyIniServer.arg(kIniFileName);
                return options;
            }
            options.server = setting.value_or(QString());
        }
    }
    return options;
}

std::optional<QString> serverSetting(const QByteArray& iniText)
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
    return std::nullopt;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TestSupport.h"

#include "core/shell/StartOptions.h"

#include <QFile>
#include <optional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(StartOptions, ServerSettingIsTheOneKeyOfTheIniFile)
{
    struct Case { const char* name; QByteArray text; std::optional<QString> server; };
    const Case cases[] = {
        {"key alone", "server=host=db1 dbname=otel\n", u"host=db1 dbname=otel"_s},
        {"no key", "[Genel]\ndil=tr\n", std::nullopt},
        {"empty file", "", std::nullopt},
        {"key with nothing after it", "server=  \n", u""_s},
        {"among other keys and blank lines", "\n\ndil=tr\n\n  server = dbname=otel user=resepsiyon  \nyazici=1\n",
         u"dbname=otel user=resepsiyon"_s},
        {"windows line ends and a byte order mark", "\xEF\xBB\xBFserver=dbname=otel\r\nyazici=1\r\n", u"dbname=otel"_s},
        {"commented out", "; server=dbname=eski\n# server=dbname=eski\n", std::nullopt},
        {"key as part of another", "serverx=dbname=x\noldserver=dbname=y\n", std::nullopt},
        {"quoted", "server=\"dbname=otel password='a b'\"\n", u"dbname=otel password='a b'"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(serverSetting(c.text), c.server) << c.name;
}

TEST(StartOptions, OptionWinsOverTheIniFileWhichIsReadOtherwise)
{
    TestDir dir;
    const QString ini = dir.path(StartOptions::kIniFileName);
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("server=dbname=ini\n");
    file.close();

    struct Case { QStringList arguments; QString server; QString copy; };
    const Case cases[] = {
        {{u"radadir"_s}, u"dbname=ini"_s, QString()},
        {{u"radadir"_s, u"--server"_s, u"dbname=option"_s}, u"dbname=option"_s, QString()},
        {{u"radadir"_s, u"--copy-to-server"_s, u"dbname=target"_s}, QString(), u"dbname=target"_s},
    };
    for (const Case& c : cases) {
        const StartOptions options = StartOptions::read(c.arguments, ini);
        EXPECT_EQ(options.server, c.server) << c.arguments.join(u' ').toStdString();
        EXPECT_EQ(options.copyToServer, c.copy) << c.arguments.join(u' ').toStdString();
    }
    EXPECT_TRUE(StartOptions::read({u"radadir"_s}, dir.path(u"none.ini"_s)).server.isEmpty());
}

// What the command line asks for other than a start: every refusal names
// what was wrong and ends with the options, and nothing half-read starts.
TEST(StartOptions, ArgumentsThatAreNoStartPrintOrRefuse)
{
    TestDir dir;
    const QString emptyIni = dir.path(u"empty.ini"_s);
    QFile file(emptyIni);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("dil=tr\nserver=\n");
    file.close();

    using Action = StartOptions::Action;
    struct Case { QStringList arguments; QString ini; Action action; QString text; };
    const QString none = dir.path(u"none.ini"_s);
    const Case cases[] = {
        {{u"--help"_s}, none, Action::Print, u"--server <bağlantı>"_s},
        {{u"-h"_s}, none, Action::Print, u"--server <bağlantı>"_s},
        {{u"--version"_s}, none, Action::Print, u"Rirede Zarevave Rurored "_s},
        {{u"-v"_s}, none, Action::Print, u"Rirede Zarevave Rurored "_s},
        {{u"--sever"_s, u"dbname=x"_s}, none, Action::Refuse, u"Tanınmayan seçenek: --sever"_s},
        {{u"-x"_s}, none, Action::Refuse, u"Tanınmayan seçenek: -x"_s},
        {{u"--server"_s}, none, Action::Refuse, u"--server seçeneğinin değeri eksik."_s},
        {{u"--copy-to-server"_s}, none, Action::Refuse, u"--copy-to-server seçeneğinin değeri eksik."_s},
        {{u"dbname=otel"_s}, none, Action::Refuse, u"Beklenmeyen bağımsız değişken: dbname=otel"_s},
        {{u"--server"_s, u" "_s}, none, Action::Refuse, u"Komut satırındaki --server seçeneği boş."_s},
        {{u"--copy-to-server="_s}, none, Action::Refuse, u"Komut satırındaki --copy-to-server seçeneği boş."_s},
        {{}, emptyIni, Action::Refuse, u"radadir.ini dosyasındaki server= satırı boş."_s},
        {{u"--server=dbname=x"_s}, emptyIni, Action::Start, QString()},
        {{u"--data-folder-failed"_s, u"/yok"_s}, none, Action::ReportDataFolder, QString()},
    };
    for (const Case& c : cases) {
        const QString name = c.arguments.join(u' ');
        const StartOptions options = StartOptions::read(QStringList{u"radadir"_s} + c.arguments, c.ini);
        EXPECT_EQ(options.action, c.action) << name.toStdString();
        const bool said = c.action == Action::Print ? options.text.contains(c.text) : options.text.startsWith(c.text);
        EXPECT_TRUE(said) << name.toStdString() << ": " << options.text.toStdString();
        if (c.action == Action::Refuse) {
            EXPECT_TRUE(options.server.isEmpty()) << name.toStdString();
            if (options.text.startsWith(u"Komut"_s) || options.text.startsWith(u"radadir"_s))
                continue;
            EXPECT_TRUE(options.text.contains(u"--copy-to-server <bağlantı>"_s)) << name.toStdString();
        }
    }
    EXPECT_FALSE(StartOptions::read({u"radadir"_s, u"--help"_s}, none).text.contains(u"data-folder"_s));
    EXPECT_EQ(StartOptions::read({u"radadir"_s, u"--data-folder-failed"_s, u"/yok"_s}, none).dataFolder, u"/yok"_s);
}

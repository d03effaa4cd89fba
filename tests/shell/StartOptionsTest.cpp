#include "support/TestSupport.h"

#include "core/shell/StartOptions.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(StartOptions, ServerSettingIsTheOneKeyOfTheIniFile)
{
    struct Case { const char* name; QByteArray text; QString server; };
    const Case cases[] = {
        {"key alone", "server=host=db1 dbname=otel\n", u"host=db1 dbname=otel"_s},
        {"no key", "[Genel]\ndil=tr\n", QString()},
        {"empty file", "", QString()},
        {"among other keys and blank lines", "\n\ndil=tr\n\n  server = dbname=otel user=resepsiyon  \nyazici=1\n",
         u"dbname=otel user=resepsiyon"_s},
        {"windows line ends and a byte order mark", "\xEF\xBB\xBFserver=dbname=otel\r\nyazici=1\r\n", u"dbname=otel"_s},
        {"commented out", "; server=dbname=eski\n# server=dbname=eski\n", QString()},
        {"key as part of another", "serverx=dbname=x\noldserver=dbname=y\n", QString()},
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

#include "desktop/foundation/mdlFunctions.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(mdlFunctions, ReplacePlaceholderFillsTheFirstPlaceholderOnly)
{
    struct Case {
        QString text;
        QString value;
        QString expected;
    };
    const Case cases[] = {
        {u"Found <%S> calls"_s, u"12"_s, u"Found 12 calls"_s},
        {u"<%S>"_s, u"Ringvale 1.1"_s, u"Ringvale 1.1"_s},
        {u"<%S> and <%S>"_s, u"a"_s, u"a and <%S>"_s},
        {u"no placeholder here"_s, u"x"_s, u"no placeholder here"_s}, // was an empty text
        {u"<%s> is not it"_s, u"x"_s, u"<%s> is not it"_s},
        {u"value <%S>"_s, u"<%S>"_s, u"value <%S>"_s},
        {QString(), u"x"_s, QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReplacePlaceholder(c.text, c.value), c.expected) << c.text.toStdString();
}

TEST(mdlFunctions, GetFileNameFromPath)
{
    EXPECT_EQ(GetFileNameFromPath(u"C:\\Pics\\me.jpg"_s), u"me.jpg");
    EXPECT_EQ(GetFileNameFromPath(u"me.jpg"_s), u"me.jpg");
    EXPECT_EQ(GetFileNameFromPath(u"\\Pics\\"_s), QString());
    EXPECT_EQ(GetFileNameFromPath(QString()), QString());
}

TEST(mdlFunctions, IsValidEmailAppliesEachRule)
{
    struct Case {
        QString address;
        bool valid;
    };
    const Case cases[] = {
        {u"a@b.cd"_s, true},
        {u"first.last-name_x~y@mail.example.org"_s, true},
        {u"nobody.example.org"_s, false}, // 1: no at sign
        {u"nobody@example"_s, false}, // 2: no dot
        {u"a@b.c"_s, false}, // 3: five characters
        {u"a.b@c"_s, false}, // 4: no dot after the at sign
        {u"a@b@c.de"_s, false}, // 4: a second at sign
        {u"a b@c.de"_s, false}, // 6: a blank before the at sign
        {u"ab@c d.ef"_s, false}, // 4: a blank after it
        {u"\"ab\"@c.de"_s, false}, // 5: double quote
        {u"a!b@c.de"_s, false}, // 6
        {u"ab@c.de;"_s, false}, // 6
        {u"a\\b@c.de"_s, false}, // 6: backslash
        {u"a'b@c.de"_s, false}, // 6
        {u"a<b>@c.de"_s, false}, // 6
        {u"ab@c..de"_s, false}, // 7
        {u"a..b@c.de"_s, false}, // 7
        {QString(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidEmail(c.address), c.valid) << c.address.toStdString();
    for (const QChar c : u"!#$%^&*()=+{}[]|\\;:'/?>,< "_s)
        EXPECT_FALSE(IsValidEmail(u"ab"_s + c + u"@cd.ef"_s)) << QString(c).toStdString();
}

TEST(mdlFunctions, FormatSecondsGivesHoursMinutesSeconds)
{
    struct Case {
        qint32 seconds;
        const char16_t* text;
    };
    const Case cases[] = {
        {0, u"0:00:00"},
        {59, u"0:00:59"},
        {60, u"0:01:00"},
        {3599, u"0:59:59"},
        {3725, u"1:02:05"},
        {25 * 3600, u"25:00:00"},
        {2147483647, u"596523:14:07"},
        {-5, u"-0:00:05"},
        {-2147483647 - 1, u"-596523:14:08"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSeconds(c.seconds), QString::fromUtf16(c.text)) << c.seconds;
}

TEST(mdlFunctions, SpeechIsInstalledWhenEspeakDataIsComplete)
{
    EXPECT_TRUE(IsSpeechInstalled()); // the bootstrap installs espeak-ng-data

    TestEnvironment env;
    const QDir data(env.programFolder());
    EXPECT_FALSE(IsSpeechDataFolder(data.path()));
    for (const char* table : {"phontab", "phonindex", "phondata"}) {
        QFile file(data.filePath(QString::fromLatin1(table)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_FALSE(IsSpeechDataFolder(data.path())); // no voices
    ASSERT_TRUE(data.mkpath(u"lang/gmw"_s));
    EXPECT_TRUE(IsSpeechDataFolder(data.path()));
}

TEST(mdlFunctions, OperatingSystemNameComesFromOsReleaseAndTheKernel)
{
    struct Case {
        QByteArray osRelease;
        QString kernel;
        QString release;
        QString expected;
    };
    const Case cases[] = {
        {"PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\n", u"Linux"_s,
            u"6.1.0-18-amd64"_s, u"Debian GNU/Linux 12 (bookworm), Linux 6.1.0-18-amd64"_s},
        {"NAME=Fedora\nVERSION='39 (Workstation)'\n", u"Linux"_s, u"6.5"_s,
            u"Fedora 39 (Workstation), Linux 6.5"_s},
        {"PRETTY_NAME=\"Say \\\"hi\\\"\"\n", QString(), QString(), u"Say \"hi\""_s},
        {"", u"Linux"_s, u"6.1"_s, u"Linux 6.1"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OperatingSystemName(c.osRelease, c.kernel, c.release), c.expected)
            << c.osRelease.toStdString();
    EXPECT_TRUE(OperatingSystemName().contains(u"Linux"_s));
}

} // namespace

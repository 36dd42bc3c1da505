#include "service/core/ServiceTranslation.h"

#include "common/TranslationFile.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class ServiceTranslationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(env.programFolder()).mkpath(u"Trans"_s));
        // The table is the process's own: start each test from empty texts.
        QMap<int, QString> blank;
        for (int n = 1; n <= 20; ++n)
            blank.insert(n, QString());
        ASSERT_EQ(LoadServiceTranslation(makeFile(u"Blank.txt"_s, 20, blank)), 0);
    }

    QString makeFile(const QString& name, int lineCount, const QMap<int, QString>& lines = {}) const
    {
        QStringList all;
        for (int n = 1; n <= lineCount; ++n)
            all << lines.value(n, u"text "_s + QString::number(n));
        const QString path = *TranslationFile::pathFor(name);
        QByteArray data = TranslationFile::encode(all);
        data.truncate(data.size() - (1000 - lineCount) * 2); // drop the empty lines past lineCount
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return path;
    }

    TestEnvironment env;
};

TEST_F(ServiceTranslationTest, LoadsTheFirstTwentyLines)
{
    EXPECT_EQ(LoadServiceTranslation(makeFile(u"English.txt"_s, 1000,
                  {{1, u"Incoming call"_s}, {7, u"Sending mail "_s}, {13, u"Dialled call"_s}})),
        0);
    EXPECT_EQ(ServiceTrans(0), QString());
    EXPECT_EQ(ServiceTrans(1), u"Incoming call");
    EXPECT_EQ(ServiceTrans(7), u"Sending mail ");
    EXPECT_EQ(ServiceTrans(13), u"Dialled call");
    EXPECT_EQ(ServiceTrans(20), u"text 20");
    EXPECT_EQ(ServiceTrans(21), QString());
}

TEST_F(ServiceTranslationTest, AShortOrMissingFileKeepsWhatWasRead)
{
    EXPECT_EQ(LoadServiceTranslation(makeFile(u"Short.txt"_s, 12)), TranslationFile::InputPastEnd);
    EXPECT_EQ(ServiceTrans(12), u"text 12");
    EXPECT_EQ(ServiceTrans(13), QString());
    EXPECT_EQ(
        LoadServiceTranslation(env.programFolder() + u"/Trans/None.txt"_s), TranslationFile::FileNotFound);
    EXPECT_EQ(ServiceTrans(12), u"text 12");
}

TEST_F(ServiceTranslationTest, AUserTranslationStoresTheEnglishDescriptionNotItsMark)
{
    makeFile(u"English.txt"_s, 1000, {{1, u"Incoming call"_s}});
    EXPECT_EQ(
        LoadServiceTranslation(makeFile(u"Mine.txt"_s, 1000, {{1, u"1"_s}, {13, u"Appel sortant"_s}})), 0);
    EXPECT_EQ(ServiceTrans(1), u"Incoming call");
    EXPECT_EQ(ServiceTrans(13), u"Appel sortant");

    // Without the English file the description is empty, never "1".
    ASSERT_TRUE(QFile::remove(env.programFolder() + u"/Trans/English.txt"_s));
    LoadServiceTranslation(makeFile(u"Mine.txt"_s, 1000, {{1, u"1"_s}}));
    EXPECT_EQ(ServiceTrans(1), QString());
}

TEST_F(ServiceTranslationTest, TheInstalledEnglishFileGivesTheServiceTexts)
{
    const QString installed = QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt");
    EXPECT_EQ(LoadServiceTranslation(installed), 0);
    EXPECT_FALSE(ServiceTrans(1).isEmpty());
    EXPECT_NE(ServiceTrans(1), u"1");
    EXPECT_FALSE(ServiceTrans(7).isEmpty());
    EXPECT_FALSE(ServiceTrans(13).isEmpty());
}

} // namespace

namespace {

// An edited translation with an escape sequence, a bell and a NUL: the texts
// that become a call's Description or a journal line carry blanks instead,
// one for one.
TEST_F(ServiceTranslationTest, ControlCharactersOfAnEditedFileBecomeBlanks)
{
    const QString raw = u"In\x1b[2Jcoming\acall"_s + QChar(0) + u"!"_s;
    ASSERT_EQ(
        LoadServiceTranslation(makeFile(u"Edited.txt"_s, 20, {{1, raw}, {13, u"Dial\x7f\x9bled"_s}})), 0);
    EXPECT_EQ(ServiceTrans(1), u"In [2Jcoming call !"_s);
    EXPECT_EQ(ServiceTrans(13), u"Dial  led"_s);
}

} // namespace

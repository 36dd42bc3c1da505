#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString kNames = QStringLiteral(RINGVALE_SOURCE_DIR "/tests/common/ShippedEnglishNames.txt");

// The words hunspell (American English and the system's own names) does not
// know, one per line; nullopt when hunspell cannot run.
std::optional<QStringList> unknownWords(const QString& text)
{
    const QString hunspell = QStandardPaths::findExecutable(u"hunspell"_s);
    if (hunspell.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(hunspell, {u"-d"_s, u"en_US"_s, u"-p"_s, kNames, u"-l"_s});
    if (!process.waitForStarted(30000))
        return std::nullopt;
    process.write(text.toUtf8());
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// The texts a person reads: every line but the empty ones, the comments
// ('' first) and the direction mark of line 10; placeholders left out.
QString readableEnglish()
{
    QFile file(QStringLiteral(RINGVALE_SOURCE_DIR "/data/Trans/English.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u"\r\n"_s);
    QStringList texts;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (i + 1 == 10 || line.isEmpty() || line.startsWith(u"''"_s))
            continue;
        texts << QString(line).replace(u"<%S>"_s, u" "_s);
    }
    return texts.join(u'\n') + u'\n';
}

} // namespace

TEST(ShippedEnglishSpellingTest, TheCheckerFindsAMisspellingAndKnowsTheSystemsNames)
{
    const std::optional<QStringList> words
        = unknownWords(u"Mark calls as ergeuncy\nRingvale sends SMTP mail through sendmail\n"_s);
    ASSERT_TRUE(words) << "hunspell with the en_US dictionary is needed (scripts/bootstrap installs it)";
    EXPECT_EQ(*words, QStringList{u"ergeuncy"_s});
}

TEST(ShippedEnglishSpellingTest, TheShippedEnglishHasNoMisspelling)
{
    const QString text = readableEnglish();
    ASSERT_GT(text.size(), 1000);
    const std::optional<QStringList> words = unknownWords(text);
    ASSERT_TRUE(words) << "hunspell with the en_US dictionary is needed (scripts/bootstrap installs it)";
    EXPECT_EQ(*words, QStringList()) << words->join(u", "_s).toStdString();
}

#include "common/AppPaths.h"
#include "platform/MessageControl.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/WaitUntil.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class RingvaleChanTest : public ::testing::Test {
protected:
    void TearDown() override { QDir().rmdir(AppPaths::runtimeFolder()); }

    // Starts the tool; the caller waits for it with events running.
    void start(QProcess& process, const QStringList& args)
    {
        process.setProcessEnvironment(m_env.processEnvironment());
        process.start(TestEnvironment::binary(u"ringvale-chan"_s), args);
    }

    // Runs the tool to its end while this process keeps handling events.
    int run(const QStringList& args, QByteArray* err = nullptr)
    {
        QProcess process;
        start(process, args);
        const QDeadlineTimer deadline(testTimeout(5000));
        while (process.state() != QProcess::NotRunning && !deadline.hasExpired())
            QTest::qWait(2);
        if (err)
            *err = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    TestEnvironment m_env;
};

} // namespace

TEST_F(RingvaleChanTest, SendTurnsEscapesIntoTheirCharacters)
{
    MessageControl endpoint;
    endpoint.Channel(311);
    QSignalSpy arrived(&endpoint, &MessageControl::MessageArrived);
    const struct {
        const char* argument;
        QString text;
    } cases[] = {
        {"SendMail\\x14to\\x14subj\\x14line 1\\r\\nline 2\\x14NOFILE",
            u"SendMail\x14to\x14subj\x14line 1\r\nline 2\x14NOFILE"_s},
        {"back\\\\slash \\\\r stays", u"back\\slash \\r stays"_s},
        {"hex \\x41\\x7e", u"hex A~"_s},
        {"", QString()},
        {"caf\xc3\xa9", u"caf\u00e9"_s},
    };
    QStringList expected;
    for (const auto& c : cases) {
        const QString argument = QString::fromUtf8(c.argument);
        EXPECT_EQ(run({u"send"_s, u"311"_s, argument}), 0) << c.argument;
        expected << c.text;
    }
    QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), expected.size(), testTimeout(5000));
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(arrived.at(i).at(0).toString(), expected.at(i)) << i;
}

TEST_F(RingvaleChanTest, SendRefusesBadEscapesAndArguments)
{
    MessageControl endpoint;
    endpoint.Channel(308);
    QSignalSpy arrived(&endpoint, &MessageControl::MessageArrived);
    for (const char* argument : {"trailing\\", "\\x4", "\\xg1", "\\t"})
        EXPECT_EQ(run({u"send"_s, u"308"_s, QString::fromUtf8(argument)}), 2) << argument;
    EXPECT_EQ(run({u"send"_s, u"three-o-eight"_s, u"ON"_s}), 2);
    EXPECT_EQ(run({u"send"_s, u"308"_s}), 2);
    EXPECT_EQ(run({u"listen"_s}), 2);
    EXPECT_EQ(run({}), 2);
    // A good text after them arrives alone: none of the refused went out.
    ASSERT_EQ(run({u"send"_s, u"308"_s, u"HELLO"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return !arrived.isEmpty(); }));
    ASSERT_EQ(arrived.size(), 1);
    EXPECT_EQ(arrived.at(0).at(0).toString(), u"HELLO"_s);
}

TEST_F(RingvaleChanTest, SendWithoutAReceiverFailsAndSaysSo)
{
    QByteArray err;
    EXPECT_EQ(run({u"send"_s, u"308"_s, u"HELLO"_s}, &err), 1);
    EXPECT_TRUE(err.contains("nobody is bound to channel 308")) << err.toStdString();
}

// A runtime folder that is not ours is no "nobody listens": the tool says
// which folder is wrong and how.
TEST_F(RingvaleChanTest, UnusableRuntimeFolderIsNamed)
{
    const QString folder = AppPaths::runtimeFolder();
    ASSERT_TRUE(QDir().rmdir(folder));
    QFile planted(folder);
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.close();
    for (const QStringList& args :
        {QStringList{u"send"_s, u"308"_s, u"ON"_s}, QStringList{u"listen"_s, u"307"_s}}) {
        QByteArray err;
        EXPECT_EQ(run(args, &err), 1) << args.join(u' ').toStdString();
        EXPECT_TRUE(err.contains(QByteArray(QFile::encodeName(folder) + " is a file"))) << err.toStdString();
    }
    QFile::remove(folder);
}

// Each text is one line however many lines it has, and the escapes read back.
TEST_F(RingvaleChanTest, ListenPrintsOneEscapedLinePerText)
{
    QProcess listener;
    start(listener, {u"listen"_s, u"307"_s, u"310"_s});
    MessageControl events;
    MessageControl idle;
    const QDeadlineTimer deadline(testTimeout(5000));
    while (!(events.Channel(307) && idle.Channel(310)) && !deadline.hasExpired())
        QTest::qWait(5);
    events.Send(u"Tapi_Idle\r\n0\r\n0"_s);
    idle.Send(u"a\\b\x14\t\x7f\u00e9"_s);
    events.Send(QString());
    QByteArray out;
    while (out.count('\n') < 3 && !deadline.hasExpired()) {
        QTest::qWait(2);
        out += listener.readAllStandardOutput();
    }
    // Two endpoints: the order between them is not fixed, within each it is.
    const QList<QByteArray> lines = out.split('\n');
    ASSERT_EQ(lines.size(), 4) << out.toStdString();
    QList<QByteArray> eventLines;
    for (const QByteArray& line : lines) {
        if (line.startsWith("307 "))
            eventLines << line;
    }
    EXPECT_EQ(eventLines, (QList<QByteArray>{"307 Tapi_Idle\\r\\n0\\r\\n0", "307 "}));
    EXPECT_TRUE(lines.contains("310 a\\\\b\\x14\\x09\\x7f\xc3\xa9"));

    listener.terminate();
    ASSERT_TRUE(listener.waitForFinished(testTimeout(3000)));
    EXPECT_EQ(listener.exitStatus(), QProcess::NormalExit);
    EXPECT_FALSE(events.Channel(307)); // its sockets went with it
}

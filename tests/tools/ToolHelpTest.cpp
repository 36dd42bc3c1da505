#include "tests/support/TestEnvironment.h"
#include "tests/tools/ToolRun.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

ToolRun runTool(const TestEnvironment& env, const QString& tool, const QStringList& args)
{
    QProcess process;
    process.setProcessEnvironment(env.processEnvironment());
    process.start(TestEnvironment::binary(tool), args);
    if (!process.waitForFinished(10000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromUtf8(process.readAllStandardOutput()),
        QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

// A person finds every command, the escapes and what the exit status means,
// without the manual and without anything being started or changed.
TEST(ToolHelp, EveryToolListsItsCommandsEscapesAndExitStatus)
{
    const struct {
        const char* tool;
        QStringList says;
    } rows[] = {
        {"ringvale-reg",
            {u"get KEY NAME"_s, u"set KEY NAME VALUE"_s, u"create KEY"_s, u"delete KEY NAME"_s, u"list KEY"_s,
                u"import FILE [--keep]"_s, u"no escapes"_s, u"Exit status: 0"_s, u"1 no such value"_s,
                u"2 bad arguments"_s}},
        {"ringvale-chan",
            {u"listen N..."_s, u"send N TEXT"_s, u"\\\\    a backslash"_s, u"\\r"_s, u"\\n"_s, u"\\xHH"_s,
                u"\\x14"_s, u"AUTO\\r\\n16:00:00\\r\\n08:00:00"_s, u"Exit status: 0"_s,
                u"1 nobody is bound"_s, u"2 bad arguments"_s}},
        {"ringvale-calls",
            {u"rows FOLDER [--screenshot FILE]"_s, u"flag FOLDER N"_s, u"unflag FOLDER N"_s,
                u"read FOLDER N"_s, u"note FOLDER N TEXT"_s, u"delete FOLDER N..."_s, u"last"_s,
                u"remove-last N..."_s, u"search [--in N] [--name T]"_s, u"journals [--kind K]"_s,
                u"journal NAME"_s, u"delete-journal NAME"_s, u"purge"_s, u"\\Data\\Log\\2026\\12\\10\\"_s,
                u"Exit status: 0"_s, u"1 nothing was written"_s, u"2 bad arguments"_s}},
        {"ringvale-line",
            {u"call --number"_s, u"offer"_s, u"ring"_s, u"cid"_s, u"hangup"_s, u"answer"_s, u"status"_s,
                u"fail"_s, u"Exit status: 0"_s, u"3 no program"_s}},
    };
    TestEnvironment env;
    for (const auto& row : rows) {
        const QString tool = QString::fromLatin1(row.tool);
        for (const QString& flag : {u"--help"_s, u"-h"_s}) {
            SCOPED_TRACE(std::string(row.tool) + " " + flag.toStdString());
            const ToolRun run = runTool(env, tool, {flag});
            EXPECT_EQ(run.exitCode, 0);
            EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
            EXPECT_TRUE(run.out.startsWith(u"usage: "_s + tool)) << run.out.toStdString();
            for (const QString& part : row.says)
                EXPECT_TRUE(run.out.contains(part)) << part.toStdString() << "\n" << run.out.toStdString();
        }
        // A wrong call points at the help, on standard error.
        const ToolRun wrong = runTool(env, tool, {u"no-such-command"_s});
        EXPECT_EQ(wrong.exitCode, 2) << row.tool;
        EXPECT_TRUE(wrong.out.isEmpty()) << row.tool;
        EXPECT_TRUE(wrong.err.startsWith(tool + u": "_s) || wrong.err.startsWith(u"usage: "_s + tool))
            << wrong.err.toStdString();
    }
}

#include "platform/CommandLineSplit.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* name;
    QString text;
    QString program;
    QStringList arguments;
};

class CommandLineSplitTest : public ::testing::TestWithParam<SplitCase> { };

TEST_P(CommandLineSplitTest, SplitsIntoProgramAndArguments)
{
    const SplitCase& c = GetParam();
    const CommandLine line = SplitCommandLine(c.text);
    EXPECT_EQ(line.program, c.program);
    EXPECT_EQ(line.arguments, c.arguments);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLineSplitTest,
    ::testing::Values(
        SplitCase{"program_alone", QStringLiteral("notify-send"), QStringLiteral("notify-send"), {}},
        SplitCase{"blanks_around_and_between", QStringLiteral("  /usr/bin/logger   -t  ringvale  "),
            QStringLiteral("/usr/bin/logger"), {QStringLiteral("-t"), QStringLiteral("ringvale")}},
        SplitCase{"tabs_separate", QStringLiteral("prog\ta\t\tb"), QStringLiteral("prog"),
            {QStringLiteral("a"), QStringLiteral("b")}},
        SplitCase{"quoted_argument_keeps_blanks", QStringLiteral("prog \"a  b\" c"), QStringLiteral("prog"),
            {QStringLiteral("a  b"), QStringLiteral("c")}},
        SplitCase{"quoted_program", QStringLiteral("\"/opt/My Tools/notify\" now"),
            QStringLiteral("/opt/My Tools/notify"), {QStringLiteral("now")}},
        SplitCase{"empty_quotes_are_an_empty_argument", QStringLiteral("prog \"\" x"), QStringLiteral("prog"),
            {QString(), QStringLiteral("x")}},
        SplitCase{"tripled_quote_is_a_literal_quote", QStringLiteral("prog \"\"\"hi\"\"\" x"),
            QStringLiteral("prog"), {QStringLiteral("\"hi\""), QStringLiteral("x")}},
        SplitCase{"tripled_quote_inside_quotes", QStringLiteral("prog \"say \"\"\"hi\"\"\" now\""),
            QStringLiteral("prog"), {QStringLiteral("say \"hi\" now")}},
        SplitCase{"quotes_inside_a_word_join_it", QStringLiteral("prog a\"b c\"d"), QStringLiteral("prog"),
            {QStringLiteral("ab cd")}},
        SplitCase{"open_quote_runs_to_the_end", QStringLiteral("prog \"open to the end"),
            QStringLiteral("prog"), {QStringLiteral("open to the end")}},
        SplitCase{"placeholders_stay_for_filling",
            QStringLiteral("prog <CALLER_NAME> \"<CALLER_NUMBER> at <TIME>\""), QStringLiteral("prog"),
            {QStringLiteral("<CALLER_NAME>"), QStringLiteral("<CALLER_NUMBER> at <TIME>")}},
        // No shell reads the line: its characters are plain text.
        SplitCase{"shell_characters_mean_nothing", QStringLiteral("prog x;rm -rf ~ $(id) `id` | cat"),
            QStringLiteral("prog"),
            {QStringLiteral("x;rm"), QStringLiteral("-rf"), QStringLiteral("~"), QStringLiteral("$(id)"),
                QStringLiteral("`id`"), QStringLiteral("|"), QStringLiteral("cat")}},
        SplitCase{"backslashes_stand_as_they_are", QStringLiteral("prog C:\\dir\\ \"a\\\" b"),
            QStringLiteral("prog"),
            {QStringLiteral("C:\\dir\\"), QStringLiteral("a\\"), QStringLiteral("b")}},
        SplitCase{"empty_text", QString(), QString(), {}},
        SplitCase{"blanks_only", QStringLiteral("   "), QString(), {}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

} // namespace

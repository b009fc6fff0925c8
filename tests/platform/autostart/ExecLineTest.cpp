#include "platform/autostart/ExecLine.h"
#include "platform/autostart/StartupEntry.h"

#include <gtest/gtest.h>

namespace kelvo::autostart {
namespace {

using Arguments = std::vector<std::string>;

struct SplitCase {
    const char* name;
    const char* line;
    Arguments arguments;
};

class SplitExecLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitExecLineTest, GivesTheArguments) {
    const ExecLine split = SplitExecLine(GetParam().line);
    EXPECT_EQ(split.problem, "");
    EXPECT_EQ(split.arguments, GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitExecLineTest,
    testing::Values(
        SplitCase{"Empty", "", {}}, SplitCase{"Blanks", "  \t ", {}},
        SplitCase{"Plain", "/usr/bin/logger -t kelvo", {"/usr/bin/logger", "-t", "kelvo"}},
        SplitCase{"RunsOfBlanks", "  a \t b  ", {"a", "b"}},
        SplitCase{"QuotedBlank", "\"/opt/my tools/alarm\" now", {"/opt/my tools/alarm", "now"}},
        // Shell characters are plain characters: no shell ever sees them.
        SplitCase{"ShellCharacters",
                  "touch \"x;rm -rf y\" a|b $HOME",
                  {"touch", "x;rm -rf y", "a|b", "$HOME"}},
        SplitCase{"QuotedEscapes", R"(echo "a\"b\`c\$d\\e\f")", {"echo", R"(a"b`c$d\e\f)"}},
        SplitCase{"EmptyQuoted", "echo \"\"", {"echo", ""}},
        SplitCase{"Percent", "date +%%H \"%%\"", {"date", "+%H", "%"}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(SplitExecLine, RefusesWhatItCannotSplit) {
    for (const char* line : {"echo \"open", "notify %f", "ends with %"}) {
        const ExecLine split = SplitExecLine(line);
        EXPECT_NE(split.problem, "") << line;
        EXPECT_TRUE(split.arguments.empty()) << line;
    }
}

TEST(SplitExecLine, UndoesTheQuotingOfStartupEntries) {
    for (const char* argument : {"plain", "with blank", "a\"b", "`$\\%", " edges ", ""}) {
        const ExecLine split = SplitExecLine("prog " + QuoteExecArgument(argument) + " end");
        EXPECT_EQ(split.arguments, (Arguments{"prog", argument, "end"})) << argument;
    }
}

} // namespace
} // namespace kelvo::autostart

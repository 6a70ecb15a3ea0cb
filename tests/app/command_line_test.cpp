// The program's options: none needed for normal use, a few for tests and
// packaging, and errors for everything else.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace qinghe {
namespace {

using Mode = CommandLine::Mode;

struct Case {
    const char* name;
    std::vector<std::string> args;
    Mode mode;
    const char* searchHost;  // expected when mode is Run
    friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

class CommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineTest, Parses) {
    const Case& c = GetParam();
    const CommandLine result = ParseCommandLine(c.args);
    EXPECT_EQ(result.mode, c.mode) << result.error;
    if (c.mode == Mode::Run) {
        EXPECT_EQ(result.query.searchHost, Text(c.searchHost));
    }
    if (c.mode == Mode::Error) {
        EXPECT_FALSE(result.error.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLineTest,
    ::testing::Values(
        Case{"none", {}, Mode::Run, "www.baidu.com"},
        Case{"search_host", {"--search-host=127.0.0.1:8080"}, Mode::Run, "127.0.0.1:8080"},
        Case{"search_host_v6", {"--search-host=[::1]:80"}, Mode::Run, "[::1]:80"},
        Case{"empty_host", {"--search-host="}, Mode::Error, ""},
        Case{"host_with_path", {"--search-host=evil.example/x?"}, Mode::Error, ""},
        Case{"help", {"--help"}, Mode::Help, ""}, Case{"short_help", {"-h"}, Mode::Help, ""},
        Case{"write_icons", {"--write-icons", "out"}, Mode::WriteIcons, ""},
        Case{"write_icons_without_dir", {"--write-icons"}, Mode::Error, ""},
        Case{"unknown", {"--frobnicate"}, Mode::Error, ""},
        Case{"stray_argument", {"file.txt"}, Mode::Error, ""}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(CommandLineModes, HelpAndIconsNeedNoWindow) {
    EXPECT_TRUE(WantsNoWindow({"--help"}));
    EXPECT_TRUE(WantsNoWindow({"--write-icons", "x"}));
    EXPECT_FALSE(WantsNoWindow({"--search-host=a"}));
    EXPECT_EQ(ParseCommandLine({"--write-icons", "out"}).iconDirectory, "out");
    EXPECT_NE(UsageText().find("--search-host=HOST"), std::string::npos);
}

}  // namespace
}  // namespace qinghe

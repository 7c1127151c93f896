#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kHelp = "Usage: zenor \\[--help \\| --version\\]\n(.|\n)*";
const char* const kVersion = "zenor [0-9]+\\.[0-9]+\\.[0-9]+\n";

struct ArgumentsCase {
    const char* name;
    std::vector<const char*> arguments; // after the program name
    std::optional<int> status;
    const char* output; // a regular expression for all of it
};

class CommandLineTest : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(CommandLineTest, AnswersHelpAndVersionAndIgnoresTheRest) {
    const ArgumentsCase& c = GetParam();
    std::vector<const char*> argv{"zenor"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    std::ostringstream out;
    EXPECT_EQ(AnswerCommandLine(static_cast<int>(argv.size()), argv.data(), out), c.status);
    EXPECT_TRUE(std::regex_match(out.str(), std::regex(c.output))) << out.str();
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    ::testing::Values(
        ArgumentsCase{"None", {}, std::nullopt, ""}, ArgumentsCase{"Help", {"--help"}, 0, kHelp},
        ArgumentsCase{"ShortHelp", {"-h"}, 0, kHelp},
        ArgumentsCase{"Version", {"--version"}, 0, kVersion},
        ArgumentsCase{"AfterQtOptions", {"-platform", "xcb", "--version"}, 0, kVersion},
        ArgumentsCase{"FirstQuestionWins", {"--version", "--help"}, 0, kVersion},
        ArgumentsCase{"AfterAFolder", {"/srv/Answer", "--help"}, 0, kHelp},
        ArgumentsCase{"NoQuestionAfterDoubleDash", {"--", "--help"}, std::nullopt, ""},
        ArgumentsCase{"OthersIgnored", {"/srv", "-x", "--helpme"}, std::nullopt, ""}),
    [](const ::testing::TestParamInfo<ArgumentsCase>& info) {
        return std::string(info.param.name);
    });

TEST(CommandLineOutputTest, AnAnswerThatCannotBeWrittenEndsWithStatusOne) {
    const char* argv[] = {"zenor", "--version"};
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(AnswerCommandLine(2, argv, out), 1);
}

} // namespace

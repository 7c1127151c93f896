#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum class Answer { None, Help, Version };

struct ArgumentsCase {
    const char* name;
    std::vector<const char*> arguments; // after the program name
    Answer answer;
};

class CommandLineTest : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(CommandLineTest, AnswersHelpAndVersionAndIgnoresTheRest) {
    const ArgumentsCase& c = GetParam();
    std::vector<const char*> argv{"zenor"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    std::ostringstream out;
    const std::optional<int> status =
        AnswerCommandLine(static_cast<int>(argv.size()), argv.data(), out);
    switch (c.answer) {
    case Answer::None:
        EXPECT_EQ(status, std::nullopt);
        EXPECT_EQ(out.str(), "");
        break;
    case Answer::Help:
        EXPECT_EQ(status, 0);
        EXPECT_EQ(out.str().rfind("Usage: zenor [--help | --version]\n", 0), 0u) << out.str();
        break;
    case Answer::Version:
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(std::regex_match(out.str(), std::regex("zenor [0-9]+\\.[0-9]+\\.[0-9]+\n")))
            << out.str();
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    ::testing::Values(
        ArgumentsCase{"None", {}, Answer::None}, ArgumentsCase{"Help", {"--help"}, Answer::Help},
        ArgumentsCase{"ShortHelp", {"-h"}, Answer::Help},
        ArgumentsCase{"Version", {"--version"}, Answer::Version},
        ArgumentsCase{"VersionAfterQtOptions", {"-platform", "xcb", "--version"}, Answer::Version},
        ArgumentsCase{"FirstQuestionWins", {"--version", "--help"}, Answer::Version},
        ArgumentsCase{"HelpAfterAFolder", {"/srv/Answer", "--help"}, Answer::Help},
        ArgumentsCase{"NothingAfterDoubleDash", {"--", "--help"}, Answer::None},
        ArgumentsCase{"OtherArgumentsIgnored", {"/srv/Answer", "-x", "--helpme"}, Answer::None}),
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

#include "app/CommandLine.h"

#include <string_view>

namespace {

constexpr std::string_view kHelp = R"(Usage: zenor [--help | --version]

Opens the window in which an examiner reviews the works of the ZENOR-2020
grade-7 foreign-language test: the written answers read from each work's
answer sheet, and the recorded oral answers played back.

The folder box starts with the folder Answer/ beside the program or, for an
installed program without one, with the demo works installed with it.

Options:
  -h, --help     show this help and exit
      --version  show the version and exit

Qt's own options, such as -platform, are understood as by every Qt program;
any other argument is ignored. See zenor(1).
)";

} // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") break;
        if (argument == "-h" || argument == "--help")
            out << kHelp;
        else if (argument == "--version")
            out << "zenor " ZENOR_VERSION "\n";
        else
            continue;
        out.flush();
        return out ? 0 : 1;
    }
    return std::nullopt;
}

// zenor-dump check FOLDER: every problem an examiner would otherwise find by
// ear, or never: sheets missing, damaged or without a shown field;
// recordings missing, unreadable, cut short, too short, silent, too quiet
// or clipped; work IDs in more than one folder; files the name rule skips.
// One CSV row per problem on stdout, a count per kind on stderr.
#include "CheckOptionsFromArgs.h"
#include "Commands.h"
#include "FolderAccess.h"

#include <exception>
#include <iostream>

int RunCheck(const CommandArgs& args) {
    const DumpCommand& command = CommandNamed("check");
    int status = kExitOk;
    const std::optional<CheckOptions> options = ReadCheckOptions(args, command, status);
    if (!options) return status;
    const std::string& folder = args.Operands()[0];
    if (const auto error = FolderReadError(folder)) return Failure(*error);
    try {
        const CheckReport report = CheckTree(folder, *options);
        EndProgress();
        const std::vector<Problem> problems = report.AllProblems();
        WriteProblemsCsv(std::cout, problems);
        if (const int written = FinishOutput(); written != kExitOk) return written;
        WriteProblemCounts(std::cerr, report.works.size(), problems);
        return problems.empty() ? kExitOk : kExitProblems;
    } catch (const std::exception& error) {
        EndProgress();
        return Failure(error.what());
    }
}

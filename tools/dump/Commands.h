// The subcommands of zenor-dump. Each lives in its own file and is listed
// in kCommands; main() dispatches on the first argument. To add one, write
// `int RunName(const std::vector<std::string>& args)` in Name.cpp (the
// folder's .cpp files are built automatically), declare it here and add
// its row. A subcommand writes its result to standard output and returns
// the exit status: 0 done, 1 the input could not be processed, 2 usage.
#pragma once

#include <string>
#include <vector>

using DumpCommandFunction = int (*)(const std::vector<std::string>& args);

struct DumpCommand {
    const char* name;
    const char* arguments;
    const char* summary;
    DumpCommandFunction run;
};

/// zenor-dump sheet FILE (DumpSheet.cpp).
int RunSheet(const std::vector<std::string>& args);

/// zenor-dump works FOLDER (DumpWorks.cpp).
int RunWorks(const std::vector<std::string>& args);
/// zenor-dump export FOLDER (DumpExport.cpp).
int RunExport(const std::vector<std::string>& args);

inline constexpr DumpCommand kCommands[] = {
    {"sheet", "FILE", "print an answer sheet's fields, index definitions and records as JSON",
     &RunSheet},
    {"works", "FOLDER", "list the works a scan of FOLDER finds: ID, tab, work folder", &RunWorks},
    {"export", "FOLDER", "the works of FOLDER with their answers and recording lengths as CSV",
     &RunExport},
    // Further subcommands join here, one row each.
};

/// Prints the usage of every subcommand to standard error; returns 2.
int PrintUsage(const std::string& problem);

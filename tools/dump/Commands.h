// The subcommands of zenor-dump. Each lives in its own file and is listed
// in kCommands with its options; main() dispatches on the first operand.
// To add one, write `int RunName(const CommandArgs& args)` in DumpName.cpp
// (the folder's .cpp files are built automatically), declare it and its
// options here and add its row. A subcommand writes its result to standard
// output and returns an ExitStatus (CommandLine.h). The texts of a row and
// of its options are marked with TrNoop and translated where they are
// printed; their Russian goes into po/ru.po.
#pragma once

#include "CheckOptionsFromArgs.h"
#include "CommandLine.h"
#include "l10n/Translation.h"

int RunSheet(const CommandArgs& args);
int RunWorks(const CommandArgs& args);
int RunExport(const CommandArgs& args);
int RunCheck(const CommandArgs& args);
int RunMarks(const CommandArgs& args);
int RunPack(const CommandArgs& args);
int RunAgree(const CommandArgs& args);

inline constexpr CommandOption kExportOptions[] = {
    {"marks", 0, nullptr,
     TrNoop("add empty columns mark2, mark3 and note for the examiner's marks")},
    {"excel", 0, nullptr,
     TrNoop(
         "write for a spreadsheet program in a Russian locale: UTF-8 with a byte-order mark, \";\" "
         "between fields, decimal commas (default: RFC 4180)")},
};

inline constexpr CommandOption kMarksOptions[] = {
    {"min-mark", 0, TrNoop("N"), TrNoop("the lowest mark a task can get (default 0)")},
    {"max-mark", 0, TrNoop("N"), TrNoop("the highest mark a task can get (default 10)")},
};

inline constexpr CommandOption kAgreeOptions[] = {
    {"max-diff", 0, TrNoop("N"),
     TrNoop("marks of a task this far apart or closer agree; further apart, a third examiner "
            "decides (default 1)")},
    kMarksOptions[0],
    kMarksOptions[1],
    {"third", 0, TrNoop("C.csv"),
     TrNoop("a third examiner's marks sheet for the works in dispute")},
    {"final", 0, nullptr,
     TrNoop("write every work's final marks instead of the works in dispute: the mean of A and B "
            "where they agree, the third sheet's mark otherwise")},
};

inline constexpr CommandOption kPackOptions[] = {
    {"output", 'o', TrNoop("FILE"),
     TrNoop("write the page to FILE (\"-\": standard output); required")},
    {"no-measure", 0, nullptr,
     TrNoop("do not decode the recordings: lengths from the end of each Ogg stream, no loudness "
            "and no level strips (seconds instead of minutes for a large tree)")},
    kMarksOptions[0],
    kMarksOptions[1],
    kThresholdOptions[0],
    kThresholdOptions[1],
    kThresholdOptions[2],
    kThresholdOptions[3],
    kThresholdOptions[4],
};

inline constexpr DumpCommand kCommands[] = {
    // TRANSLATORS: the operands of a command as its usage line shows them
    // (FILE, FOLDER), named in its summary and in the option texts alike.
    {"sheet",
     TrNoop("FILE"),
     TrNoop("print an answer sheet's fields, index definitions and records as JSON"),
     {},
     1,
     1,
     &RunSheet},
    {"works",
     TrNoop("FOLDER"),
     TrNoop("list the works a scan of FOLDER finds: ID, tab, work folder"),
     {},
     1,
     1,
     &RunWorks},
    {"export", TrNoop("FOLDER"),
     TrNoop("the works of FOLDER with their answers and recording lengths as CSV"), kExportOptions,
     1, 1, &RunExport},
    {"check", TrNoop("FOLDER"),
     TrNoop(
         "report every work of FOLDER whose sheet or recordings an examiner could not use, as CSV"),
     kThresholdOptions, 1, 1, &RunCheck},
    {"pack", TrNoop("-o FILE FOLDER"),
     TrNoop("one HTML page on which to listen to and mark every work of FOLDER in a browser, "
            "with the check's problems"),
     kPackOptions, 1, 1, &RunPack},
    {"marks", TrNoop("FOLDER MARKS.csv"),
     TrNoop(
         "report works without marks, unknown or repeated IDs and marks out of range in a filled "
         "marks sheet, as CSV"),
     kMarksOptions, 2, 2, &RunMarks},
    {"agree", TrNoop("A.csv B.csv"),
     TrNoop("pair two examiners' marks sheets by work ID: the works a third examiner has to mark, "
            "as CSV, and the agreement per task"),
     kAgreeOptions, 2, 2, &RunAgree},
    // Further subcommands join here, one row each.
};

/// The row of kCommands named `name`; its options are what UsageError cites.
const DumpCommand& CommandNamed(std::string_view name);

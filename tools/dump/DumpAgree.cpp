// zenor-dump agree A.csv B.csv: two examiners' marks sheets for the same
// works, paired by ID. Lists the works a third examiner has to mark (stdout,
// CSV) and sums up the agreement per task (stderr); with --third C.csv,
// settles the disputes with C's marks, and with --final writes every work's
// final mark instead of the list.
#include "Commands.h"
#include "RegularFile.h"
#include "review/MarksAgreement.h"
#include "l10n/Translation.h"

#include <iostream>

namespace {

std::optional<std::vector<MarkRow>> ReadMarksSheet(const std::string& path, std::string& error) {
    const std::optional<CsvTable> sheet = ReadCsvFile(path, error);
    if (!sheet) return std::nullopt;
    return ReadMarkRows(*sheet, path, error);
}

} // namespace

int RunAgree(const CommandArgs& args) {
    const DumpCommand& command = CommandNamed("agree");
    int status = kExitOk;
    const std::optional<MarkRange> range = ReadMarkRange(args, command, status);
    if (!range) return status;
    AgreementOptions options;
    options.range = *range;
    if (!NumberOption(args, command, "max-diff", 0, 2e9, options.maxDiff, status)) return status;
    const bool withThird = args.Has("third");
    const std::array<std::string, 3> paths = {args.Operands()[0], args.Operands()[1],
                                              withThird ? args.Value("third") : ""};
    if (withThird && paths[2].empty()) return UsageError(command, Tr("--third wants a file name"));

    std::array<std::optional<std::vector<MarkRow>>, 3> sheets;
    for (std::size_t i = 0; i < (withThird ? 3u : 2u); ++i) {
        std::string error;
        sheets[i] = ReadMarksSheet(paths[i], error);
        if (!sheets[i]) return Failure(error);
    }
    const MarksAgreement agreement =
        CompareMarks(*sheets[0], *sheets[1], withThird ? &*sheets[2] : nullptr, options);
    const bool final = args.Has("final");
    if (final)
        WriteFinalMarksCsv(std::cout, agreement.finals);
    else
        WriteDisputesCsv(std::cout, agreement.reported, withThird);
    if (const int written = FinishOutput(); written != kExitOk) return written;
    WriteAgreementSummary(std::cerr, agreement, paths, options);
    if (final && !agreement.reported.empty())
        std::cerr << Tr("the reported rows are listed when agree runs without --final") << "\n";
    return agreement.reported.empty() ? kExitOk : kExitProblems;
}

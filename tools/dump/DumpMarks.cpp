// zenor-dump marks FOLDER MARKS.csv: reads back the marks sheet that export
// --marks wrote and the examiner filled in, or that the review page saved
// (either CSV dialect), and reports, as check does, what keeps it from being
// handed in.
#include "Commands.h"
#include "FolderAccess.h"
#include "RegularFile.h"
#include "review/MarksCheck.h"
#include "l10n/Translation.h"

#include "catalogue/WorkExport.h"
#include "catalogue/WorkList.h"
#include "memtable/TqvrMemTable.h"

#include <exception>
#include <iostream>

int RunMarks(const CommandArgs& args) {
    const DumpCommand& command = CommandNamed("marks");
    int status = kExitOk;
    const std::optional<MarkRange> range = ReadMarkRange(args, command, status);
    if (!range) return status;
    const std::string& folder = args.Operands()[0];
    const std::string& marksPath = args.Operands()[1];
    if (const auto error = FolderReadError(folder)) return Failure(*error);
    std::string error;
    const std::optional<CsvTable> sheet = ReadCsvFile(marksPath, error);
    if (!sheet) return Failure(error);
    try {
        TqvrMemTable tblWork("tblWork");
        zenor::ConfigureWorkTable(tblWork);
        zenor::ScanWorks(folder, tblWork);
        std::vector<ListedWork> works;
        const TField& id = tblWork.FieldNamed("ID");
        const TField& path = tblWork.FieldNamed("pathWork");
        for (int i = 0; i < tblWork.RecordTotal(); ++i)
            works.push_back({tblWork.FieldTextAt(i, id), tblWork.FieldTextAt(i, path)});
        const auto problems = CheckMarks(works, *sheet, marksPath, *range, error);
        if (!problems) return Failure(error);
        WriteProblemsCsv(std::cout, *problems);
        if (const int written = FinishOutput(); written != kExitOk) return written;
        WriteProblemCounts(std::cerr, works.size(), *problems);
        return problems->empty() ? kExitOk : kExitProblems;
    } catch (const std::exception& e) {
        return Failure(e.what());
    }
}

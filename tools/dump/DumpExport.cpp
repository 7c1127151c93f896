// zenor-dump export FOLDER: the works of FOLDER as CSV for a spreadsheet,
// each with the answers of its sheet as the window shows them, the lengths
// of its two oral answers and what the window would report about it;
// with --marks, empty columns for the examiner's marks, and with --excel in
// the dialect a Russian-locale spreadsheet program opens cleanly.
#include "Commands.h"
#include "FolderAccess.h"

#include "catalogue/WorkExport.h"
#include "catalogue/WorkList.h"
#include "memtable/TqvrMemTable.h"

#include <exception>
#include <iostream>

int RunExport(const CommandArgs& args) {
    if (const auto error = FolderReadError(args.Operands()[0])) return Failure(*error);
    try {
        TqvrMemTable tblWork("tblWork");
        zenor::ConfigureWorkTable(tblWork);
        zenor::ScanWorks(args.Operands()[0], tblWork);
        zenor::CsvLayout layout = args.Has("excel") ? zenor::kSpreadsheetCsv : zenor::CsvLayout{};
        layout.markColumns = args.Has("marks");
        zenor::WriteCsv(std::cout, zenor::ExportRows(tblWork), layout);
    } catch (const std::exception& error) {
        return Failure(error.what());
    }
    return FinishOutput();
}

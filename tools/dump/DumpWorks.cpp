// zenor-dump works FOLDER: the list of works that a completed scan of FOLDER
// gives in the window, in the list's order, one line each: the work ID, a
// tab, the work folder. Names are printed as the file system gives their
// bytes, so that the folders can be used as they are.
#include "Commands.h"
#include "FolderAccess.h"

#include "catalogue/WorkExport.h"
#include "catalogue/WorkList.h"
#include "memtable/TqvrMemTable.h"

#include <exception>
#include <iostream>

int RunWorks(const CommandArgs& args) {
    if (const auto error = FolderReadError(args.Operands()[0])) return Failure(*error);
    try {
        TqvrMemTable tblWork("tblWork");
        zenor::ConfigureWorkTable(tblWork);
        zenor::ScanWorks(args.Operands()[0], tblWork);
        const TField& id = tblWork.FieldNamed("ID");
        const TField& folder = tblWork.FieldNamed("pathWork");
        for (int i = 0; i < tblWork.RecordTotal(); ++i)
            std::cout << tblWork.FieldTextAt(i, id) << '\t' << tblWork.FieldTextAt(i, folder)
                      << '\n';
    } catch (const std::exception& error) {
        return Failure(error.what());
    }
    return FinishOutput();
}

// zenor-dump marks FOLDER MARKS.csv: reads back the marks sheet that export
// --marks wrote and the examiner filled in, or that the review page saved
// (either CSV dialect), and reports, as check does, what keeps it from being
// handed in.
#include "Commands.h"
#include "FolderAccess.h"
#include "review/MarksCheck.h"
#include "l10n/Translation.h"

#include "catalogue/WorkExport.h"
#include "catalogue/WorkList.h"
#include "memtable/TqvrMemTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <iostream>

namespace {

// The whole of a regular file; a FIFO or a device is refused, never waited on.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = Format(Tr("cannot open '%s': %s"), path.c_str(), std::strerror(errno));
        return std::nullopt;
    }
    struct stat st {};
    std::string bytes;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok) error = Format(Tr("'%s' is not a regular file"), path.c_str());
    char buffer[1 << 16];
    for (ssize_t n; ok && (n = read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            error = Format(Tr("cannot read '%s': %s"), path.c_str(), std::strerror(errno));
            ok = false;
        } else {
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    if (!ok) return std::nullopt;
    return bytes;
}

} // namespace

int RunMarks(const CommandArgs& args) {
    const DumpCommand& command = CommandNamed("marks");
    int status = kExitOk;
    const std::optional<MarkRange> range = ReadMarkRange(args, command, status);
    if (!range) return status;
    const std::string& folder = args.Operands()[0];
    const std::string& marksPath = args.Operands()[1];
    if (const auto error = FolderReadError(folder)) return Failure(*error);
    std::string error;
    const std::optional<std::string> bytes = ReadWholeFile(marksPath, error);
    if (!bytes) return Failure(error);
    const std::optional<CsvTable> sheet = ReadCsv(*bytes, error);
    if (!sheet) return Failure(marksPath + ": " + error);
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

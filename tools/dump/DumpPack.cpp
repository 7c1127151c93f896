// zenor-dump pack FOLDER -o review.html: the check of FOLDER as one page for
// listening to and marking the works in a browser (PackPage.h). Writes that
// page and nothing else.
#include "CheckOptionsFromArgs.h"
#include "Commands.h"
#include "FolderAccess.h"
#include "l10n/Translation.h"
#include "review/MisnamedFile.h"
#include "review/PackPage.h"

#include "catalogue/ParticipantName.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

// The page is written whole, after the check, so that a check that fails
// leaves no page behind; a page that cannot be written whole is removed
// again, unless it was there before.
int WritePage(const std::string& path, const std::string& html) {
    if (path == "-") {
        std::cout << html;
        return FinishOutput();
    }
    struct stat st {};
    const bool existed = lstat(path.c_str(), &st) == 0;
    if (existed && !S_ISREG(st.st_mode))
        return Failure(
            Format(Tr("'%s' is not a regular file; the page is not written"), path.c_str()));
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << html;
    out.close();
    if (out) return kExitOk;
    const std::string reason = errno ? std::strerror(errno) : Tr("write error");
    if (!existed) std::remove(path.c_str());
    return Failure(Format(Tr("cannot write '%s': %s"), path.c_str(), reason.c_str()));
}

} // namespace

int RunPack(const CommandArgs& args) {
    const DumpCommand& command = CommandNamed("pack");
    int status = kExitOk;
    std::optional<CheckOptions> options = ReadCheckOptions(args, command, status);
    if (!options) return status;
    const std::optional<MarkRange> range = ReadMarkRange(args, command, status);
    if (!range) return status;
    PackOptions pack{*range, args.Has("no-measure") ? Measuring::kLengthOnly : Measuring::kDecode};
    options->measuring = pack.measuring;
    const std::string output = args.Value("output");
    if (output.empty()) return UsageError(command, Tr("wants -o FILE, the page to write"));
    // A page must never take the place of a pupil's file.
    const std::string name = std::filesystem::path(output).filename().string();
    if (zenor::IsParticipantFileName(name) || LooksLikeMisnamedParticipantFile(name))
        return UsageError(command, Format(Tr("'%s' is named like a pupil's file"), output.c_str()));
    const std::string& folder = args.Operands()[0];
    if (const auto error = FolderReadError(folder)) return Failure(*error);
    try {
        const CheckReport report = CheckTree(folder, *options);
        EndProgress();
        return WritePage(output,
                         RenderPackPage(report, folder, output == "-" ? "page" : output, pack));
    } catch (const std::exception& error) {
        EndProgress();
        return Failure(error.what());
    }
}

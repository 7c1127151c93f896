#include "FolderAccess.h"

#include "l10n/Translation.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>
#include <memory>

std::optional<std::string> FolderReadError(std::string_view folder) {
    const std::string path = folder.empty() ? std::string(".") : std::string(folder);
    // A listing that opens and yields its first entry ("." at least) can be
    // walked; one that cannot, fails here with the system's own reason.
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(path.c_str()), &closedir);
    if (dir) {
        errno = 0;
        if (readdir(dir.get()) != nullptr || errno == 0) return std::nullopt;
    }
    const int error = errno;
    return Format(Tr("cannot read folder '%s': %s"), std::string(folder).c_str(),
                  std::strerror(error));
}

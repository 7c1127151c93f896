#include "catalogue/FindAllOgg.h"

#include "catalogue/AddFolderSlash.h"
#include "catalogue/ParticipantName.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <exception>
#include <memory>
#include <vector>

namespace zenor {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Runs the level-end hook however the level is left. When an exception is
// already on its way out, a second one from the hook must not end the
// program, so it is dropped in favour of the first.
class LevelEnd {
public:
    explicit LevelEnd(const ScanHooks& hooks)
        : hooks_(hooks), uncaught_(std::uncaught_exceptions()) {}
    LevelEnd(const LevelEnd&) = delete;
    LevelEnd& operator=(const LevelEnd&) = delete;
    ~LevelEnd() noexcept(false) {
        if (!hooks_.levelEnded) return;
        if (std::uncaught_exceptions() > uncaught_) {
            try {
                hooks_.levelEnded();
            } catch (...) {
            }
        } else {
            hooks_.levelEnded();
        }
    }

private:
    const ScanHooks& hooks_;
    int uncaught_;
};

struct FolderId {
    dev_t dev;
    ino_t ino;
};

class Walker {
public:
    explicit Walker(const ScanHooks& hooks) : hooks_(hooks) {}

    // Walks the folder `folder`, opened relative to `parentFd` as `openName`.
    void walk(int parentFd, const char* openName, std::string_view folder) {
        const std::string prefix = AddFolderSlash(folder);
        const int fd = openat(parentFd, openName, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DirHandle dir;
        if (fd >= 0) {
            struct stat st {};
            if (fstat(fd, &st) == 0 && isOnPath(st)) {
                close(fd);
                return;
            }
            dir.reset(fdopendir(fd));
            if (!dir)
                close(fd);
            else
                path_.push_back({st.st_dev, st.st_ino});
        }
        const LevelEnd levelEnd(hooks_);
        if (!dir) return;
        struct PathPop {
            std::vector<FolderId>& path;
            ~PathPop() { path.pop_back(); }
        } const pathPop{path_};

        const int dirFd = dirfd(dir.get());
        while (const dirent* entry = readdir(dir.get())) {
            if (hooks_.pump) hooks_.pump();
            const std::string_view name(entry->d_name);
            if (name.front() != '.') {
                if (isDirectory(dirFd, *entry)) {
                    walk(dirFd, entry->d_name, prefix + std::string(name));
                } else {
                    if (hooks_.fileExamined) hooks_.fileExamined(prefix, name);
                    if (hooks_.participantFound && IsParticipantFileName(name))
                        hooks_.participantFound(prefix, name);
                }
            }
            if (hooks_.keepGoing && !hooks_.keepGoing()) break;
        }
    }

private:
    bool isOnPath(const struct stat& st) const {
        for (const FolderId& id : path_)
            if (id.dev == st.st_dev && id.ino == st.st_ino) return true;
        return false;
    }

    static bool isDirectory(int dirFd, const dirent& entry) {
        switch (entry.d_type) {
        case DT_DIR:
            return true;
        case DT_UNKNOWN:
        case DT_LNK: {
            struct stat st {};
            return fstatat(dirFd, entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        default:
            return false;
        }
    }

    const ScanHooks& hooks_;
    std::vector<FolderId> path_;
};

} // namespace

void FindAllOgg(std::string_view folder, const ScanHooks& hooks) {
    const std::string prefix = AddFolderSlash(folder);
    // A text with a NUL byte names no folder; cut at the NUL it would name
    // another one. Like any folder that cannot be listed, it counts as empty.
    if (folder.find('\0') != std::string_view::npos) {
        const LevelEnd levelEnd(hooks);
        return;
    }
    // The empty text names the current directory; any other prefix opens as
    // it is, relative ones against the current directory.
    const std::string openName = prefix.empty() ? std::string(".") : prefix;
    Walker(hooks).walk(AT_FDCWD, openName.c_str(), folder);
}

} // namespace zenor

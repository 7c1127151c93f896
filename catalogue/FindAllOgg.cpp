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

// A folder's descriptor, closed however its level is left.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    int Get() const { return fd_; }

private:
    int fd_;
};

// Where one level reads its listing.
struct ListingBuffer {
    std::unique_ptr<char[]> bytes;
    size_t size = 0;
};

// The listings are read with getdents64 straight into buffers of the walk's
// own instead of through readdir: no stream object per folder, and a large
// folder is read in few calls. Each depth keeps its buffer for the whole walk
// (a level is still reading its listing while the levels below read theirs).
// A buffer starts at the size readdir would use and grows while the listings
// read into it fill it, so a deep tree of small folders stays small.
class Walker {
public:
    explicit Walker(const ScanHooks& hooks) : hooks_(hooks) {}

    // Walks the folder opened relative to `parentFd` as `openName`; its
    // entries are named `prefix` followed by their name.
    void Walk(int parentFd, const char* openName, const std::string& prefix, size_t depth) {
        const Fd fd(openat(parentFd, openName, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat st {};
        const bool listed = fd.Get() >= 0 && fstat(fd.Get(), &st) == 0;
        if (listed && IsOnPath(st)) return;
        const LevelEnd levelEnd(hooks_);
        if (!listed) return;
        path_.push_back({st.st_dev, st.st_ino});
        struct PathPop {
            std::vector<FolderId>& path;
            ~PathPop() { path.pop_back(); }
        } const pathPop{path_};

        ListingBuffer& buffer = BufferAt(depth);
        std::string childPrefix;
        for (;;) {
            const ssize_t got = getdents64(fd.Get(), buffer.bytes.get(), buffer.size);
            // A listing that fails part way ends there, as readdir's would.
            if (got <= 0) return;
            for (size_t at = 0; at < static_cast<size_t>(got);) {
                const auto* entry = reinterpret_cast<const struct dirent64*>(&buffer.bytes[at]);
                at += entry->d_reclen;
                if (hooks_.pump) hooks_.pump();
                const std::string_view name(entry->d_name);
                if (name.front() != '.') {
                    if (IsDirectory(fd.Get(), entry->d_type, entry->d_name)) {
                        childPrefix.assign(prefix).append(name).push_back('/');
                        Walk(fd.Get(), entry->d_name, childPrefix, depth + 1);
                    } else {
                        if (hooks_.fileExamined) hooks_.fileExamined(prefix, name);
                        if (hooks_.participantFound && IsParticipantFileName(name))
                            hooks_.participantFound(prefix, name);
                    }
                }
                if (hooks_.keepGoing && !hooks_.keepGoing()) return;
            }
            // The entries read are all handled: the buffer may grow now.
            if (static_cast<size_t>(got) > buffer.size / 2 && buffer.size < kLargestBuffer)
                Grow(buffer, buffer.size * 4);
        }
    }

private:
    static constexpr size_t kFirstBuffer = 32 * 1024;
    static constexpr size_t kLargestBuffer = 1024 * 1024;

    ListingBuffer& BufferAt(size_t depth) {
        while (buffers_.size() <= depth) {
            buffers_.push_back(std::make_unique<ListingBuffer>());
            Grow(*buffers_.back(), kFirstBuffer);
        }
        return *buffers_[depth];
    }

    static void Grow(ListingBuffer& buffer, size_t size) {
        buffer.bytes = std::make_unique_for_overwrite<char[]>(size);
        buffer.size = size;
    }

    bool IsOnPath(const struct stat& st) const {
        for (const FolderId& id : path_)
            if (id.dev == st.st_dev && id.ino == st.st_ino) return true;
        return false;
    }

    static bool IsDirectory(int dirFd, unsigned char type, const char* name) {
        switch (type) {
        case DT_DIR:
            return true;
        case DT_UNKNOWN:
        case DT_LNK: {
            struct stat st {};
            return fstatat(dirFd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        default:
            return false;
        }
    }

    const ScanHooks& hooks_;
    std::vector<FolderId> path_;
    // By depth; the buffers themselves never move, so a level's reference to
    // its own stays good while deeper levels add theirs.
    std::vector<std::unique_ptr<ListingBuffer>> buffers_;
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
    Walker(hooks).Walk(AT_FDCWD, openName.c_str(), prefix, 0);
}

} // namespace zenor

#include "memtable/stream/TFileStream.h"

#include "memtable/stream/StreamErrors.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The message names the file as the user would find it, so a relative name
// is expanded against the current directory the way the open itself sees it.
std::string FullPath(const std::string& path) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    if (ec) return path;
    return full.lexically_normal().string();
}

} // namespace

TFileStream::TFileStream(const std::string& path) : path_(path) {
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) stream_errors::RaiseOpenError(FullPath(path), errno);
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        stream_errors::RaiseDeviceError(error);
    }
    regular_ = S_ISREG(st.st_mode);
    openSize_ = regular_ ? static_cast<std::int64_t>(st.st_size) : 0;
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    // One read(2): a short count is allowed (the caller asks again), and a
    // sheet read into one block then costs no second call to find the end.
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, count);
        if (n >= 0) {
            position_ += n;
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR) stream_errors::RaiseDeviceError(errno);
    }
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    // A regular file is where this stream left it: asking for the position,
    // or for the position it already has, needs no system call. (Other
    // files go to the system, which refuses to seek a pipe.)
    if (regular_ && ((origin == TSeekOrigin::soCurrent && offset == 0) ||
                     (origin == TSeekOrigin::soBeginning && offset == position_)))
        return position_;
    int whence = SEEK_SET;
    switch (origin) {
    case TSeekOrigin::soBeginning:
        whence = SEEK_SET;
        break;
    case TSeekOrigin::soCurrent:
        whence = SEEK_CUR;
        break;
    case TSeekOrigin::soEnd:
        whence = SEEK_END;
        break;
    }
    const off_t at = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (at < 0) stream_errors::RaiseDeviceError(errno);
    position_ = static_cast<std::int64_t>(at);
    return position_;
}

std::int64_t TFileStream::Size() {
    return openSize_;
}

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
    // Without O_NONBLOCK a FIFO with no writer, or a device, would hold the
    // open for ever; only a regular file is read, so nothing else is kept.
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) stream_errors::RaiseOpenError(FullPath(path), errno);
    struct stat st {};
    int refused = 0;
    if (::fstat(fd_, &st) != 0)
        refused = errno;
    else if (S_ISDIR(st.st_mode))
        refused = EISDIR;
    else if (!S_ISREG(st.st_mode))
        refused = EOPNOTSUPP; // a FIFO, socket or device: it may never end or never deliver
    if (refused != 0) {
        ::close(fd_);
        fd_ = -1;
        stream_errors::RaiseOpenError(FullPath(path), refused);
    }
    openSize_ = static_cast<std::int64_t>(st.st_size);
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
    // The file is where this stream left it: asking for the position, or for
    // the position it already has, needs no system call.
    if ((origin == TSeekOrigin::soCurrent && offset == 0) ||
        (origin == TSeekOrigin::soBeginning && offset == position_))
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

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
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    std::size_t total = 0;
    auto* out = static_cast<unsigned char*>(buffer);
    // A short read from read(2) is not the end of the file; only 0 is.
    while (total < count) {
        const ssize_t n = ::read(fd_, out + total, count - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            stream_errors::RaiseDeviceError(errno);
        }
        if (n == 0) break;
        total += static_cast<std::size_t>(n);
    }
    return total;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
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
    return static_cast<std::int64_t>(at);
}

std::int64_t TFileStream::Size() {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) stream_errors::RaiseDeviceError(errno);
    return static_cast<std::int64_t>(st.st_size);
}

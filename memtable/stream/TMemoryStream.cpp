#include "memtable/stream/TMemoryStream.h"

#include "memtable/stream/StreamErrors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

TMemoryStream::TMemoryStream(std::vector<unsigned char> bytes)
    : owned_(std::move(bytes)), data_(owned_.data()), size_(owned_.size()) {}

TMemoryStream::TMemoryStream(const void* data, std::size_t size)
    : data_(static_cast<const unsigned char*>(data)), size_(size) {}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (position_ >= static_cast<std::int64_t>(size_)) return 0;
    const std::size_t at = static_cast<std::size_t>(position_);
    const std::size_t n = std::min(count, size_ - at);
    if (n != 0) std::memcpy(buffer, data_ + at, n);
    position_ += static_cast<std::int64_t>(n);
    return n;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    switch (origin) {
    case TSeekOrigin::soBeginning:
        base = 0;
        break;
    case TSeekOrigin::soCurrent:
        base = position_;
        break;
    case TSeekOrigin::soEnd:
        base = static_cast<std::int64_t>(size_);
        break;
    }
    // base is never negative, so -base cannot overflow.
    if (offset < -base || (offset > 0 && offset > INT64_MAX - base))
        stream_errors::RaiseDeviceError(EINVAL);
    position_ = base + offset;
    return position_;
}

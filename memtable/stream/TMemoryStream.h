// A stream over bytes held in memory: either its own copy or a view of bytes
// that the caller keeps alive for the stream's lifetime (the fuzzer and the
// tests read borrowed buffers without copying them).
#pragma once

#include "memtable/stream/TStream.h"

#include <string_view>
#include <vector>

class TMemoryStream : public TStream {
public:
    /// An owning stream over a copy of `bytes`.
    explicit TMemoryStream(std::vector<unsigned char> bytes);
    /// A stream over the caller's bytes; nothing is copied.
    TMemoryStream(const void* data, std::size_t size);

    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(size_); }

private:
    std::vector<unsigned char> owned_;
    const unsigned char* data_;
    std::size_t size_;
    std::int64_t position_ = 0;
};

// Streams that misbehave on purpose, for the reader's fault-injection tests:
// one that hands out at most a few bytes per read (every value then crosses
// a read boundary), and one that ends or fails after N bytes while its size
// still claims the whole content.
#pragma once

#include "memtable/Exceptions.h"
#include "memtable/stream/TMemoryStream.h"

#include <algorithm>
#include <vector>

class ChunkedStream : public TStream {
public:
    ChunkedStream(std::vector<unsigned char> bytes, std::size_t chunk)
        : inner_(std::move(bytes)), chunk_(chunk) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        return inner_.Read(buffer, std::min(count, chunk_));
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        return inner_.Seek(offset, origin);
    }
    std::int64_t Size() override { return inner_.Size(); }

private:
    TMemoryStream inner_;
    std::size_t chunk_;
};

class FailAfterStream : public TStream {
public:
    enum class Mode { Ends, Raises };
    FailAfterStream(std::vector<unsigned char> bytes, std::size_t limit, Mode mode)
        : inner_(std::move(bytes)), limit_(limit), mode_(mode) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        const std::int64_t at = inner_.Position();
        const std::size_t left =
            at >= static_cast<std::int64_t>(limit_) ? 0 : limit_ - static_cast<std::size_t>(at);
        if (left == 0 && count > 0 && mode_ == Mode::Raises) RaiseReadError("Input/output error");
        return inner_.Read(buffer, std::min(count, left));
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        return inner_.Seek(offset, origin);
    }
    std::int64_t Size() override { return inner_.Size(); }

private:
    TMemoryStream inner_;
    std::size_t limit_;
    Mode mode_;
};

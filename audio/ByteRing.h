// A fixed-size ring of bytes for one writer thread and one reader thread,
// without locks: the decoder thread writes converted samples, the audio
// callback reads them. Positions only grow; each side publishes its own with
// release order and reads the other's with acquire order, so the reader never
// sees bytes that are not yet written and the writer never overwrites bytes
// that are not yet read. Reset() is for when neither side is using the ring.
#pragma once

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

class ByteRing {
public:
    explicit ByteRing(std::size_t capacity) : buffer_(capacity) {}

    std::size_t Capacity() const { return buffer_.size(); }

    /// Bytes the reader may take now.
    std::size_t Readable() const {
        return static_cast<std::size_t>(write_.load(std::memory_order_acquire) -
                                        read_.load(std::memory_order_relaxed));
    }

    /// Bytes the writer may put now.
    std::size_t Writable() const {
        return Capacity() - static_cast<std::size_t>(write_.load(std::memory_order_relaxed) -
                                                     read_.load(std::memory_order_acquire));
    }

    /// Writer side: copies min(n, Writable()) bytes in and returns that count.
    std::size_t Write(const void* data, std::size_t n) {
        n = std::min(n, Writable());
        const std::uint64_t w = write_.load(std::memory_order_relaxed);
        const std::size_t at = static_cast<std::size_t>(w % Capacity());
        const std::size_t first = std::min(n, Capacity() - at);
        std::memcpy(buffer_.data() + at, data, first);
        std::memcpy(buffer_.data(), static_cast<const unsigned char*>(data) + first, n - first);
        write_.store(w + n, std::memory_order_release);
        return n;
    }

    /// Reader side: gives the up to two contiguous pieces that hold the first
    /// n readable bytes (n must not exceed Readable()); Consume() frees them.
    void Peek(std::size_t n, const unsigned char*& a, std::size_t& aLen, const unsigned char*& b,
              std::size_t& bLen) const {
        assert(n <= Readable());
        const std::size_t at =
            static_cast<std::size_t>(read_.load(std::memory_order_relaxed) % Capacity());
        aLen = std::min(n, Capacity() - at);
        a = buffer_.data() + at;
        bLen = n - aLen;
        b = buffer_.data();
    }

    /// Frees the first n readable bytes (n must not exceed Readable()).
    void Consume(std::size_t n) {
        assert(n <= Readable());
        read_.store(read_.load(std::memory_order_relaxed) + n, std::memory_order_release);
    }

    /// Empties the ring; only while no thread reads or writes it.
    void Reset() {
        read_.store(0, std::memory_order_relaxed);
        write_.store(0, std::memory_order_relaxed);
    }

private:
    std::vector<unsigned char> buffer_;
    std::atomic<std::uint64_t> read_{0};
    std::atomic<std::uint64_t> write_{0};
};

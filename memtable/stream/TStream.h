// A minimal byte stream for the table-stream reader: sequential reads with a
// movable position and a known size. It promises nothing about writing;
// everything this program reads arrives through it.
#pragma once

#include <cstddef>
#include <cstdint>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    /// Copies up to `count` bytes into `buffer` and advances the position by
    /// the number copied, which it returns; 0 means the end was reached.
    /// Failures of the device raise EReadError.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;

    /// Moves the position and returns the new one. Positions before 0 are
    /// refused with EReadError; positions past the end are allowed and read
    /// nothing.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    /// The size in bytes at the time of the call.
    virtual std::int64_t Size() = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

protected:
    TStream() = default;
};

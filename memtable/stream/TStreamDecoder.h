// The buffered reader of tagged values in a table stream. It reads the
// stream in blocks of the buffer size, checks the bytes left before every
// read, and never allocates for a length that the rest of the stream cannot
// hold: a claim like that fails as "Stream read error" before any memory is
// taken. A failed read leaves the decoder unusable; the load ends with it.
#pragma once

#include "memtable/stream/TExtended80.h"
#include "memtable/stream/TStream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/// The tags of the stream's values.
enum class TValueTag : unsigned char {
    vtEndOfList = 0,
    vtList = 1,
    vtInt8 = 2,
    vtInt16 = 3,
    vtInt32 = 4,
    vtExtended = 5,
    vtString = 6,
    vtFalse = 8,
    vtTrue = 9,
    vtLString = 12,
    vtWString = 18,
    vtInt64 = 19,
    vtUtf8String = 20,
};

class TStreamDecoder {
public:
    /// Reads from the stream's present position. `streamSize` is the size
    /// taken when the load began: lengths are checked against it.
    TStreamDecoder(TStream& stream, std::size_t bufferSize, std::int64_t streamSize);

    /// Copies `count` bytes and advances past them, or fails with "Stream
    /// read error" when the stream ends first.
    void ReadBytes(void* out, std::size_t count);
    /// The next byte, consumed.
    unsigned char ReadByte() {
        if (pos_ == end_) Fill();
        return buffer_[pos_++];
    }
    /// The next byte, not consumed.
    unsigned char PeekByte() {
        if (pos_ == end_) Fill();
        return buffer_[pos_];
    }

    /// Tags 2, 3, 4 sign-extended. Another tag fails with "Invalid property
    /// value" on the tag alone: its payload is not read, so a wrong value whose
    /// payload would run past the end is still reported as the wrong kind.
    std::int32_t ReadInteger();
    /// Consumes one byte; only tag 9 is true, and after any other byte
    /// nothing more is consumed.
    bool ReadBoolean();
    /// Tag 5 as stored; tags 19, 2, 3, 4 converted exactly. Another tag fails as
    /// in ReadInteger.
    TExtended80 ReadFloat();
    /// Tags 6, 12, 18, 20 as UTF-8 text. Another tag fails as in ReadInteger.
    std::string ReadString() { return ReadStringAs(false); }
    /// The bytes of a binary value: tags 6 and 12 as they are, the Unicode
    /// tags (the writer's path for bytes it took as text) back in code page
    /// 1251.
    std::string ReadBinaryString() { return ReadStringAs(true); }
    /// Requires tag 1; another value is skipped and fails the read.
    void ReadListBegin();
    /// Requires tag 0; another value is skipped and fails the read.
    void ReadListEnd();
    /// True when the next tag is 0; consumes nothing.
    bool EndOfList() { return PeekByte() == static_cast<unsigned char>(TValueTag::vtEndOfList); }

    /// Bytes consumed from the stream so far, counted from where it began.
    std::int64_t Consumed() const { return consumedBefore_ + static_cast<std::int64_t>(pos_); }

private:
    void Fill();
    /// Fails unless `count` more bytes can still be in the stream.
    void RequireAvailable(std::uint64_t count);
    std::int32_t ReadLength();
    std::string ReadStringAs(bool binary);
    void SkipValue(unsigned char tag);
    template <typename T> T ReadLittleEndian();

    TStream& stream_;
    std::size_t bufferSize_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    /// Bytes of the stream that came before the present buffer contents.
    std::int64_t consumedBefore_ = 0;
    /// Bytes left in the stream after the present buffer contents, as far
    /// as the size taken at the start tells.
    std::int64_t unreadInStream_ = 0;
};

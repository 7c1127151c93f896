#include "memtable/stream/TStreamDecoder.h"

#include "memtable/stream/StreamErrors.h"
#include "memtable/stream/StreamText.h"

#include <algorithm>
#include <cstring>

namespace {

// Nested lists that a skipped value may open before the skip gives up;
// the read fails either way, the limit only bounds the work.
constexpr int kMaxSkipDepth = 64;

} // namespace

TStreamDecoder::TStreamDecoder(TStream& stream, std::size_t bufferSize, std::int64_t streamSize)
    : stream_(stream), bufferSize_(std::max<std::size_t>(bufferSize, 1)),
      // Not cleared: only bytes a read has put there are ever looked at.
      buffer_(std::make_unique_for_overwrite<unsigned char[]>(bufferSize_)) {
    const std::int64_t start = stream.Position();
    unreadInStream_ = streamSize > start ? streamSize - start : 0;
}

void TStreamDecoder::Fill() {
    consumedBefore_ += static_cast<std::int64_t>(end_);
    pos_ = 0;
    end_ = 0;
    const std::size_t n = stream_.Read(buffer_.get(), bufferSize_);
    if (n == 0) stream_errors::RaiseReadError();
    end_ = n;
    unreadInStream_ = std::max<std::int64_t>(0, unreadInStream_ - static_cast<std::int64_t>(n));
}

void TStreamDecoder::RequireAvailable(std::uint64_t count) {
    const std::uint64_t buffered = end_ - pos_;
    if (count <= buffered) return;
    if (count - buffered > static_cast<std::uint64_t>(unreadInStream_))
        stream_errors::RaiseReadError();
}

void TStreamDecoder::ReadBytes(void* out, std::size_t count) {
    auto* dest = static_cast<unsigned char*>(out);
    while (count > 0) {
        if (pos_ == end_) {
            // A long run goes straight from the stream into place.
            if (count >= bufferSize_) {
                while (count > 0) {
                    const std::size_t n = stream_.Read(dest, count);
                    if (n == 0) stream_errors::RaiseReadError();
                    consumedBefore_ += static_cast<std::int64_t>(n);
                    unreadInStream_ =
                        std::max<std::int64_t>(0, unreadInStream_ - static_cast<std::int64_t>(n));
                    dest += n;
                    count -= n;
                }
                return;
            }
            Fill();
        }
        const std::size_t n = std::min(count, end_ - pos_);
        std::memcpy(dest, buffer_.get() + pos_, n);
        pos_ += n;
        dest += n;
        count -= n;
    }
}

template <typename T> T TStreamDecoder::ReadLittleEndian() {
    unsigned char bytes[sizeof(T)];
    if (end_ - pos_ >= sizeof(T)) {
        std::memcpy(bytes, buffer_.get() + pos_, sizeof(T));
        pos_ += sizeof(T);
    } else {
        ReadBytes(bytes, sizeof(T));
    }
    using U = std::make_unsigned_t<T>;
    U value = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) value = static_cast<U>((value << 8) | bytes[i]);
    return static_cast<T>(value);
}

std::int32_t TStreamDecoder::ReadInteger() {
    const unsigned char tag = ReadByte();
    switch (static_cast<TValueTag>(tag)) {
    case TValueTag::vtInt8:
        return ReadLittleEndian<std::int8_t>();
    case TValueTag::vtInt16:
        return ReadLittleEndian<std::int16_t>();
    case TValueTag::vtInt32:
        return ReadLittleEndian<std::int32_t>();
    default:
        break;
    }
    stream_errors::RaiseInvalidPropertyValue();
}

bool TStreamDecoder::ReadBoolean() {
    return ReadByte() == static_cast<unsigned char>(TValueTag::vtTrue);
}

TExtended80 TStreamDecoder::ReadFloat() {
    const unsigned char tag = ReadByte();
    switch (static_cast<TValueTag>(tag)) {
    case TValueTag::vtExtended: {
        unsigned char bytes[10];
        ReadBytes(bytes, sizeof bytes);
        return TExtended80::FromBytes(bytes);
    }
    case TValueTag::vtInt64:
        return TExtended80::FromInt64(ReadLittleEndian<std::int64_t>());
    case TValueTag::vtInt8:
        return TExtended80::FromInt64(ReadLittleEndian<std::int8_t>());
    case TValueTag::vtInt16:
        return TExtended80::FromInt64(ReadLittleEndian<std::int16_t>());
    case TValueTag::vtInt32:
        return TExtended80::FromInt64(ReadLittleEndian<std::int32_t>());
    default:
        break;
    }
    stream_errors::RaiseInvalidPropertyValue();
}

std::int32_t TStreamDecoder::ReadLength() {
    const std::int32_t length = ReadLittleEndian<std::int32_t>();
    if (length < 0) stream_errors::RaiseReadError();
    return length;
}

std::string TStreamDecoder::ReadStringAs(bool binary) {
    const unsigned char tag = ReadByte();
    std::size_t count = 0;
    switch (static_cast<TValueTag>(tag)) {
    case TValueTag::vtString:
        count = ReadByte();
        break;
    case TValueTag::vtLString:
    case TValueTag::vtUtf8String:
        count = static_cast<std::size_t>(ReadLength());
        break;
    case TValueTag::vtWString: {
        const std::uint64_t units = static_cast<std::uint64_t>(ReadLength());
        RequireAvailable(units * 2);
        std::vector<unsigned char> bytes(units * 2);
        ReadBytes(bytes.data(), bytes.size());
        std::string text = stream_text::FromUtf16Le(bytes.data(), units);
        return binary ? stream_text::ToCp1251(text) : text;
    }
    default:
        stream_errors::RaiseInvalidPropertyValue();
    }
    RequireAvailable(count);
    const unsigned char* bytes = nullptr;
    std::vector<unsigned char> copy;
    if (end_ - pos_ >= count) {
        // The usual short string is decoded straight out of the buffer.
        bytes = buffer_.get() + pos_;
        pos_ += count;
    } else {
        copy.resize(count);
        ReadBytes(copy.data(), count);
        bytes = copy.data();
    }
    if (static_cast<TValueTag>(tag) == TValueTag::vtUtf8String) {
        std::string text = stream_text::FromUtf8(bytes, count);
        return binary ? stream_text::ToCp1251(text) : text;
    }
    if (binary) return std::string(reinterpret_cast<const char*>(bytes), count);
    return stream_text::FromCp1251(bytes, count);
}

void TStreamDecoder::ReadListBegin() {
    const unsigned char tag = ReadByte();
    if (tag == static_cast<unsigned char>(TValueTag::vtList)) return;
    SkipValue(tag);
    stream_errors::RaiseInvalidPropertyValue();
}

void TStreamDecoder::ReadListEnd() {
    const unsigned char tag = ReadByte();
    if (tag == static_cast<unsigned char>(TValueTag::vtEndOfList)) return;
    SkipValue(tag);
    stream_errors::RaiseInvalidPropertyValue();
}

// Skips the payload of a value whose tag was read already, where a list start
// or end was required. Only used on the way to a failure, so its one job is to
// stay inside the stream.
void TStreamDecoder::SkipValue(unsigned char tag) {
    int depth = 0;
    for (;;) {
        std::uint64_t payload = 0;
        switch (static_cast<TValueTag>(tag)) {
        case TValueTag::vtEndOfList:
            if (depth > 0) --depth;
            break;
        case TValueTag::vtList:
            if (++depth > kMaxSkipDepth) return;
            break;
        case TValueTag::vtInt8:
            payload = 1;
            break;
        case TValueTag::vtInt16:
            payload = 2;
            break;
        case TValueTag::vtInt32:
            payload = 4;
            break;
        case TValueTag::vtInt64:
            payload = 8;
            break;
        case TValueTag::vtExtended:
            payload = 10;
            break;
        case TValueTag::vtString:
            payload = ReadByte();
            break;
        case TValueTag::vtLString:
        case TValueTag::vtUtf8String:
            payload = static_cast<std::uint64_t>(ReadLength());
            break;
        case TValueTag::vtWString:
            payload = static_cast<std::uint64_t>(ReadLength()) * 2;
            break;
        default:
            break;
        }
        RequireAvailable(payload);
        while (payload > 0) {
            if (pos_ == end_) Fill();
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(payload, end_ - pos_));
            pos_ += n;
            payload -= n;
        }
        if (depth == 0) return;
        tag = ReadByte();
    }
}

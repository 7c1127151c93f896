// Raw byte-level building of table streams, for tests and for the demo
// sheets: every tag can be written in any form, including the forms a
// well-behaved writer never produces (wrong tags, lying lengths, cut
// values), so that each reader rule can be exercised from bytes.
#pragma once

#include "memtable/stream/TExtended80.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sheetwriter {

class ByteWriter {
public:
    /// The signature "TPF0".
    ByteWriter& Signature();
    ByteWriter& Byte(std::uint8_t b);
    ByteWriter& Raw(std::string_view bytes);
    ByteWriter& RawLittleEndian(std::uint64_t value, int width);

    ByteWriter& ListBegin() { return Byte(1); }
    ByteWriter& ListEnd() { return Byte(0); }
    /// The shortest of tags 2, 3 and 4 that holds the value.
    ByteWriter& Int(std::int32_t value);
    ByteWriter& Int8(std::int8_t value);
    ByteWriter& Int16(std::int16_t value);
    ByteWriter& Int32(std::int32_t value);
    ByteWriter& Int64(std::int64_t value);
    /// Tag 5 with the exact extended form of the double.
    ByteWriter& Float(double value);
    ByteWriter& Extended(TExtended80 value);
    ByteWriter& Bool(bool value) { return Byte(value ? 9 : 8); }
    /// The saving side's rule: ASCII text as tag 6 (up to 255 bytes) or 12,
    /// any other text as UTF-8 under tag 20.
    ByteWriter& String(std::string_view utf8);
    /// Tag 6: a one-byte length and the bytes as given (code page 1251).
    ByteWriter& ShortString(std::string_view bytes);
    /// Tag 12 with the true length, or with `claimedLength` as the length.
    ByteWriter& LongString(std::string_view bytes);
    ByteWriter& LongStringClaiming(std::int32_t claimedLength, std::string_view bytes);
    /// Tag 18: the UTF-16 code units, counted in units.
    ByteWriter& Utf16String(std::u16string_view units);
    ByteWriter& Utf16StringClaiming(std::int32_t claimedUnits, std::u16string_view units);
    /// Tag 20: the bytes as given, counted in bytes.
    ByteWriter& Utf8String(std::string_view bytes);
    ByteWriter& Utf8StringClaiming(std::int32_t claimedLength, std::string_view bytes);

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }

private:
    std::vector<std::uint8_t> bytes_;
};

/// Code-page-1251 bytes of UTF-8 text; characters the code page lacks
/// become '?'. Lets tests write the stations' own short strings.
std::string ToCp1251(std::string_view utf8);

} // namespace sheetwriter

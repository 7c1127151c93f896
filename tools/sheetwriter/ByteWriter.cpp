#include "ByteWriter.h"

#include "l10n/Translation.h"

#include <unicode/ucnv.h>

#include <stdexcept>

namespace sheetwriter {

ByteWriter& ByteWriter::Signature() {
    return Raw("TPF0");
}

ByteWriter& ByteWriter::Byte(std::uint8_t b) {
    bytes_.push_back(b);
    return *this;
}

ByteWriter& ByteWriter::Raw(std::string_view bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

ByteWriter& ByteWriter::RawLittleEndian(std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
        value >>= 8;
    }
    return *this;
}

ByteWriter& ByteWriter::Int(std::int32_t value) {
    if (value >= INT8_MIN && value <= INT8_MAX) return Int8(static_cast<std::int8_t>(value));
    if (value >= INT16_MIN && value <= INT16_MAX) return Int16(static_cast<std::int16_t>(value));
    return Int32(value);
}

ByteWriter& ByteWriter::Int8(std::int8_t value) {
    return Byte(2).RawLittleEndian(static_cast<std::uint8_t>(value), 1);
}

ByteWriter& ByteWriter::Int16(std::int16_t value) {
    return Byte(3).RawLittleEndian(static_cast<std::uint16_t>(value), 2);
}

ByteWriter& ByteWriter::Int32(std::int32_t value) {
    return Byte(4).RawLittleEndian(static_cast<std::uint32_t>(value), 4);
}

ByteWriter& ByteWriter::Int64(std::int64_t value) {
    return Byte(19).RawLittleEndian(static_cast<std::uint64_t>(value), 8);
}

ByteWriter& ByteWriter::Float(double value) {
    return Extended(TExtended80::FromDouble(value));
}

ByteWriter& ByteWriter::Extended(TExtended80 value) {
    unsigned char raw[10];
    value.ToBytes(raw);
    Byte(5);
    bytes_.insert(bytes_.end(), raw, raw + 10);
    return *this;
}

ByteWriter& ByteWriter::String(std::string_view utf8) {
    bool ascii = true;
    for (unsigned char c : utf8) ascii = ascii && c < 0x80;
    if (!ascii) return Utf8String(utf8);
    if (utf8.size() <= 255) return ShortString(utf8);
    return LongString(utf8);
}

ByteWriter& ByteWriter::ShortString(std::string_view bytes) {
    if (bytes.size() > 255) throw std::length_error("short string longer than 255 bytes");
    Byte(6).Byte(static_cast<std::uint8_t>(bytes.size()));
    return Raw(bytes);
}

ByteWriter& ByteWriter::LongString(std::string_view bytes) {
    return LongStringClaiming(static_cast<std::int32_t>(bytes.size()), bytes);
}

ByteWriter& ByteWriter::LongStringClaiming(std::int32_t claimedLength, std::string_view bytes) {
    Byte(12).RawLittleEndian(static_cast<std::uint32_t>(claimedLength), 4);
    return Raw(bytes);
}

ByteWriter& ByteWriter::Utf16String(std::u16string_view units) {
    return Utf16StringClaiming(static_cast<std::int32_t>(units.size()), units);
}

ByteWriter& ByteWriter::Utf16StringClaiming(std::int32_t claimedUnits, std::u16string_view units) {
    Byte(18).RawLittleEndian(static_cast<std::uint32_t>(claimedUnits), 4);
    for (char16_t u : units) RawLittleEndian(u, 2);
    return *this;
}

ByteWriter& ByteWriter::Utf8String(std::string_view bytes) {
    return Utf8StringClaiming(static_cast<std::int32_t>(bytes.size()), bytes);
}

ByteWriter& ByteWriter::Utf8StringClaiming(std::int32_t claimedLength, std::string_view bytes) {
    Byte(20).RawLittleEndian(static_cast<std::uint32_t>(claimedLength), 4);
    return Raw(bytes);
}

std::string ToCp1251(std::string_view utf8) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* conv = ucnv_open("windows-1251", &status);
    if (U_FAILURE(status)) throw std::runtime_error(Tr("code page 1251 is not available"));
    UConverter* from = ucnv_open("UTF-8", &status);
    std::string out(utf8.size() * 2 + 1, '\0');
    char* target = out.data();
    const char* source = utf8.data();
    ucnv_setSubstChars(conv, "?", 1, &status);
    ucnv_convertEx(conv, from, &target, out.data() + out.size(), &source, utf8.data() + utf8.size(),
                   nullptr, nullptr, nullptr, nullptr, true, true, &status);
    ucnv_close(from);
    ucnv_close(conv);
    if (U_FAILURE(status))
        throw std::runtime_error(Tr("text cannot be converted to code page 1251"));
    out.resize(static_cast<std::size_t>(target - out.data()));
    return out;
}

} // namespace sheetwriter

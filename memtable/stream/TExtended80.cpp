#include "memtable/stream/TExtended80.h"

#include <bit>
#include <cstring>
#include <limits>

namespace {

constexpr int kBias = 16383;
constexpr unsigned kMaxExponent = 0x7FFF;
constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;

__extension__ typedef unsigned __int128 Uint128;

double FromBits(std::uint64_t bits) {
    return std::bit_cast<double>(bits);
}

// True for the encodings that an x87 loads as an ordinary number: zero,
// denormals and pseudo-denormals (exponent 0), and normals with the integer
// bit set. Everything else is a NaN for our purposes.
bool IsLoadableFinite(const TExtended80& x) {
    if (x.Exponent() == kMaxExponent) return false;
    return x.Exponent() == 0 || (x.significand & kIntegerBit) != 0;
}

// The power of two that scales the significand read as an integer; exponent
// 0 shares the scale of exponent 1, as denormals do.
int IntegerScale(const TExtended80& x) {
    const int e = x.Exponent() == 0 ? 1 : static_cast<int>(x.Exponent());
    return e - kBias - 63;
}

// Shifts right with round-half-to-even; shift may be any non-negative value.
Uint128 ShiftRightRounded(Uint128 value, unsigned shift) {
    if (shift == 0) return value;
    if (shift > 128) return 0;
    if (shift == 128) {
        const Uint128 half = Uint128{1} << 127;
        return value > half ? 1 : 0;
    }
    const Uint128 quotient = value >> shift;
    const Uint128 remainder = value & ((Uint128{1} << shift) - 1);
    const Uint128 half = Uint128{1} << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1) != 0)) return quotient + 1;
    return quotient;
}

} // namespace

TExtended80 TExtended80::FromBytes(const unsigned char* bytes) {
    TExtended80 x;
    for (int i = 7; i >= 0; --i) x.significand = (x.significand << 8) | bytes[i];
    x.signExponent = static_cast<std::uint16_t>(bytes[8] | (bytes[9] << 8));
    return x;
}

void TExtended80::ToBytes(unsigned char* bytes) const {
    std::uint64_t m = significand;
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<unsigned char>(m & 0xFF);
        m >>= 8;
    }
    bytes[8] = static_cast<unsigned char>(signExponent & 0xFF);
    bytes[9] = static_cast<unsigned char>(signExponent >> 8);
}

TExtended80 TExtended80::FromInt64(std::int64_t value) {
    TExtended80 x;
    if (value == 0) return x;
    const bool negative = value < 0;
    // Two's complement negation in unsigned arithmetic covers INT64_MIN.
    std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    const int lz = std::countl_zero(magnitude);
    x.significand = magnitude << lz;
    x.signExponent = static_cast<std::uint16_t>((negative ? 0x8000 : 0) | (kBias + 63 - lz));
    return x;
}

TExtended80 TExtended80::FromDouble(double value) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    TExtended80 x;
    const std::uint16_t sign = negative ? 0x8000 : 0;
    if (exponent == 0x7FF) {
        x.signExponent = static_cast<std::uint16_t>(sign | kMaxExponent);
        x.significand = kIntegerBit | (fraction << 11);
        return x;
    }
    if (exponent == 0) {
        x.signExponent = sign;
        if (fraction == 0) return x;
        // A double denormal is a normal extended number.
        const int lz = std::countl_zero(fraction);
        x.significand = fraction << lz;
        // fraction x 2^-1074 with the leading bit moved to bit 63.
        x.signExponent = static_cast<std::uint16_t>(sign | (kBias + 63 - 1074 - lz));
        return x;
    }
    x.significand = kIntegerBit | (fraction << 11);
    x.signExponent = static_cast<std::uint16_t>(sign | (exponent - 1023 + kBias));
    return x;
}

double TExtended80::ToDouble() const {
    const std::uint64_t sign = IsNegative() ? (std::uint64_t{1} << 63) : 0;
    const std::uint64_t quietNaN = std::uint64_t{0x7FF8} << 48;
    if (!IsLoadableFinite(*this)) {
        const bool infinity = Exponent() == kMaxExponent && significand == kIntegerBit;
        if (infinity) return FromBits(sign | (std::uint64_t{0x7FF} << 52));
        // Keep the payload's top bits, as the hardware does when it narrows.
        const std::uint64_t payload = (significand << 1) >> 12;
        return FromBits(sign | quietNaN | payload);
    }
    if (significand == 0) return FromBits(sign);

    // Normalise so that bit 63 leads; lead is the leading bit's power of two.
    const int lz = std::countl_zero(significand);
    const std::uint64_t m = significand << lz;
    int lead = IntegerScale(*this) + 63 - lz;

    if (lead > 1023) return FromBits(sign | (std::uint64_t{0x7FF} << 52));
    // A normal double keeps 53 bits: drop 11. Below the normal range the
    // double keeps fewer, down to none.
    unsigned shift = 11;
    if (lead < -1022) shift += static_cast<unsigned>(-1022 - lead);
    const std::uint64_t rounded = static_cast<std::uint64_t>(ShiftRightRounded(m, shift));
    if (lead < -1022) {
        // Denormal or zero; a carry into bit 52 yields the smallest normal,
        // which the bit pattern expresses by itself.
        return FromBits(sign | rounded);
    }
    std::uint64_t mantissa = rounded;
    if (mantissa == (std::uint64_t{1} << 53)) {
        mantissa >>= 1;
        ++lead;
        if (lead > 1023) return FromBits(sign | (std::uint64_t{0x7FF} << 52));
    }
    const std::uint64_t biased = static_cast<std::uint64_t>(lead + 1023);
    return FromBits(sign | (biased << 52) | (mantissa & ((std::uint64_t{1} << 52) - 1)));
}

std::optional<std::int64_t> TExtended80::ToScaledInteger10000() const {
    if (!IsLoadableFinite(*this)) return std::nullopt;
    if (significand == 0) return 0;
    const Uint128 product = Uint128{significand} * 10000u;
    const int scale = IntegerScale(*this);
    Uint128 magnitude = 0;
    if (scale >= 0) {
        // product < 2^78; anything shifted past 2^64 is out of range anyway.
        if (scale >= 64 || product > (~Uint128{0} >> scale)) return std::nullopt;
        magnitude = product << scale;
    } else {
        magnitude = ShiftRightRounded(product, static_cast<unsigned>(-scale));
    }
    const Uint128 limit = Uint128{1} << 63;
    if (IsNegative()) {
        if (magnitude > limit) return std::nullopt;
        if (magnitude == limit) return std::numeric_limits<std::int64_t>::min();
        return -static_cast<std::int64_t>(magnitude);
    }
    if (magnitude >= limit) return std::nullopt;
    return static_cast<std::int64_t>(magnitude);
}

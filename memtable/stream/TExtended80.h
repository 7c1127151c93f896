// The x87 80-bit extended float as it is stored in table streams, and its
// exact conversions. Nothing here uses the host's long double: the results
// are the same on every machine and follow round-half-to-even from the
// exact value, including denormals, infinities and NaNs.
#pragma once

#include <cstdint>
#include <optional>

struct TExtended80 {
    /// The 64-bit significand with its explicit integer bit (bit 63).
    std::uint64_t significand = 0;
    /// Sign in bit 15, biased exponent (bias 16383) in bits 0..14.
    std::uint16_t signExponent = 0;

    /// Reads the 10 stored bytes: significand first, little-endian.
    static TExtended80 FromBytes(const unsigned char* bytes);
    /// Writes the 10 stored bytes.
    void ToBytes(unsigned char* bytes) const;

    /// Every int64 is exactly representable.
    static TExtended80 FromInt64(std::int64_t value);
    /// Every double is exactly representable.
    static TExtended80 FromDouble(double value);

    /// The nearest double (ties to even). Out-of-range magnitudes give
    /// infinity; NaNs, and the encodings the x87 refuses to load (unnormals,
    /// pseudo-infinities, pseudo-NaNs), give a quiet NaN.
    double ToDouble() const;

    /// value x 10^4 rounded to the nearest integer (ties to even), computed
    /// from the exact value; nothing when that is not finite or does not fit
    /// in an int64.
    std::optional<std::int64_t> ToScaledInteger10000() const;

    bool IsNegative() const { return (signExponent & 0x8000u) != 0; }
    unsigned Exponent() const { return signExponent & 0x7FFFu; }
};

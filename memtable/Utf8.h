// Reading UTF-8 one character at a time, for every place that walks the bytes of a
// text: the sheet reader, the JSON, CSV and HTML writers and the rules for participant
// file names. The walker only says what the bytes at a position hold; what becomes of
// a malformed character stays each caller's choice, since a sheet's text, a file name
// and a line of a report need different answers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace utf8 {

/// What the bytes at a position hold.
enum class Form {
    kValid,           // an ASCII byte, or the shortest form of a scalar value
    kBadLead,         // a byte that starts no sequence: a continuation byte, 0xF5..0xFF
    kCutShort,        // a lead whose sequence runs past the end of the text
    kBadContinuation, // a lead followed, within its sequence, by a byte that continues none
    kNotScalar,       // a whole sequence for an overlong form, a surrogate or past U+10FFFF
};

struct Character {
    Form form;
    /// Bytes the lead announces: 1 for ASCII and for a bad lead; for kValid and
    /// kNotScalar, the whole sequence.
    std::size_t length;
    /// The value read; meaningful for kValid only.
    char32_t codePoint;
};

/// Reads the character at `pos`, which must lie inside `text`.
Character Decode(std::string_view text, std::size_t pos);

/// Bytes of the well-formed character at `pos`, or 1 for a byte that starts none, so
/// that a walk counts each malformed byte as a character of its own and keeps it.
std::size_t CharacterLength(std::string_view text, std::size_t pos);

/// Number of characters in `text` as CharacterLength walks it.
std::size_t CountCharacters(std::string_view text);

/// Appends the UTF-8 form of a code point, which must be a scalar value.
void Append(std::string& out, char32_t codePoint);

} // namespace utf8

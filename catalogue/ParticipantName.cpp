#include "catalogue/ParticipantName.h"

#include <array>

namespace zenor {

namespace {

constexpr std::size_t kIdLength = 5;
constexpr std::size_t kSuffixLength = 6;

// Tried in this order; which one matched makes no difference to the caller.
constexpr std::array<std::string_view, 4> kSuffixes = {"_0.ans", "_0.ogg", "_2.ogg", "_3.ogg"};

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

} // namespace

std::size_t CharacterLength(std::string_view text, std::size_t pos) {
    const auto b0 = static_cast<unsigned char>(text[pos]);
    if (b0 < 0x80) return 1;
    std::size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        if (b0 == 0xE0)
            lo = 0xA0;
        else if (b0 == 0xED)
            hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F;
    } else {
        return 1;
    }
    if (text.size() - pos < len) return 1;
    const auto b1 = static_cast<unsigned char>(text[pos + 1]);
    if (b1 < lo || b1 > hi) return 1;
    for (std::size_t i = 2; i < len; ++i)
        if (!isContinuation(static_cast<unsigned char>(text[pos + i]))) return 1;
    return len;
}

std::size_t CountCharacters(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharacterLength(text, pos)) ++count;
    return count;
}

bool IsParticipantFileName(std::string_view name) {
    // The shortest possible match is 11 bytes, the longest 5 * 4 + 6.
    if (name.size() < kIdLength + kSuffixLength || name.size() > 4 * kIdLength + kSuffixLength)
        return false;
    const std::string_view suffix = name.substr(name.size() - kSuffixLength);
    bool suffixMatches = false;
    for (std::string_view s : kSuffixes)
        if (equalsIgnoringAsciiCase(suffix, s)) {
            suffixMatches = true;
            break;
        }
    if (!suffixMatches) return false;
    // The suffix is six ASCII bytes, hence six characters, unless its first
    // byte were swallowed by a multi-byte sequence before it; counting the
    // whole name settles both at once.
    return CountCharacters(name) == kIdLength + kSuffixLength;
}

std::string_view WorkIdOf(std::string_view name) {
    std::size_t pos = 0;
    for (std::size_t n = 0; n < kIdLength && pos < name.size(); ++n)
        pos += CharacterLength(name, pos);
    return name.substr(0, pos);
}

} // namespace zenor

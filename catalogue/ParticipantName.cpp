#include "catalogue/ParticipantName.h"

#include <array>

namespace zenor {

namespace {

constexpr std::size_t kIdLength = 5;
constexpr std::size_t kSuffixLength = 6;

// Tried in this order; which one matched makes no difference to the caller.
constexpr std::array<std::string_view, 4> kSuffixes = {"_0.ans", "_0.ogg", "_2.ogg", "_3.ogg"};

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

} // namespace

bool IsParticipantFileName(std::string_view name) {
    // The shortest possible match is 11 bytes, the longest 5 * 4 + 6.
    if (name.size() < kIdLength + kSuffixLength || name.size() > 4 * kIdLength + kSuffixLength)
        return false;
    const std::string_view suffix = name.substr(name.size() - kSuffixLength);
    bool suffixMatches = false;
    for (std::string_view s : kSuffixes)
        if (EqualsIgnoringAsciiCase(suffix, s)) {
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

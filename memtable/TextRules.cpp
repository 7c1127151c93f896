#include "memtable/TextRules.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace textrules {

std::string_view CutText(std::string_view text, int maxChars) {
    size_t zero = text.find('\0');
    if (zero != std::string_view::npos) text = text.substr(0, zero);
    // No character is shorter than a byte: a text of at most maxChars bytes is whole.
    if (maxChars >= 0 && text.size() <= static_cast<size_t>(maxChars)) return text;
    size_t i = 0;
    int chars = 0;
    while (i < text.size()) {
        if (chars >= maxChars) return text.substr(0, i);
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len = c < 0x80           ? 1
                     : (c >> 5) == 0x6  ? 2
                     : (c >> 4) == 0xE  ? 3
                     : (c >> 3) == 0x1E ? 4
                                        : 1;
        // A lead byte whose continuation bytes are missing counts as one character of
        // its own, so a cut never leaves a partial sequence behind.
        size_t j = 1;
        while (j < len && i + j < text.size() &&
               (static_cast<unsigned char>(text[i + j]) & 0xC0) == 0x80)
            ++j;
        i += j;
        ++chars;
    }
    return text;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() == b.size() && a == b) return true;
    // Field names are ASCII as a rule: those compare here, without the folding
    // of full Unicode, which costs two conversions per call.
    const auto ascii = [](std::string_view s) {
        for (char c : s)
            if (static_cast<unsigned char>(c) >= 0x80) return false;
        return true;
    };
    if (ascii(a) && ascii(b)) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i) {
            char x = a[i], y = b[i];
            if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
            if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
            if (x != y) return false;
        }
        return true;
    }
    icu::UnicodeString ua =
        icu::UnicodeString::fromUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())));
    icu::UnicodeString ub =
        icu::UnicodeString::fromUTF8(icu::StringPiece(b.data(), static_cast<int32_t>(b.size())));
    return ua.caseCompare(ub, U_FOLD_CASE_DEFAULT) == 0;
}

} // namespace textrules

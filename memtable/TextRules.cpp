#include "memtable/TextRules.h"

#include <unicode/ucasemap.h>
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

namespace {

bool IsAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

char AsciiFold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() == b.size() && a == b) return true;
    // Two ASCII texts fold letter by letter within ASCII. Once either has
    // another character, lengths say nothing (the Kelvin sign folds to "k",
    // "ß" to "ss"), and ICU decides.
    if (IsAscii(a) && IsAscii(b)) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (AsciiFold(a[i]) != AsciiFold(b[i])) return false;
        return true;
    }
    icu::UnicodeString ua =
        icu::UnicodeString::fromUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())));
    icu::UnicodeString ub =
        icu::UnicodeString::fromUTF8(icu::StringPiece(b.data(), static_cast<int32_t>(b.size())));
    return ua.caseCompare(ub, U_FOLD_CASE_DEFAULT) == 0;
}

std::string FoldCase(std::string_view text) {
    std::string out(text);
    if (IsAscii(text)) {
        for (char& c : out) c = AsciiFold(c);
        return out;
    }
    // Folding is used without changing its options, which lets every thread share it.
    static const UCaseMap* const folding = [] {
        UErrorCode status = U_ZERO_ERROR;
        return ucasemap_open("", U_FOLD_CASE_DEFAULT, &status);
    }();
    // ICU copies ill-formed sequences through unchanged; a folded text is rarely
    // longer than the original, and when it is, ICU says how long.
    for (int attempt = 0; folding && attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        const int32_t n =
            ucasemap_utf8FoldCase(folding, out.data(), static_cast<int32_t>(out.size()),
                                  text.data(), static_cast<int32_t>(text.size()), &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(static_cast<size_t>(n));
            continue;
        }
        if (U_FAILURE(status)) break;
        out.resize(static_cast<size_t>(n));
        return out;
    }
    return std::string(text);
}

} // namespace textrules

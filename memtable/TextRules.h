// Text helpers shared inside the library: UTF-8 cuts by code points and Unicode
// case-insensitive equality (ICU case folding), so that Cyrillic names match too.
#pragma once

#include <string>
#include <string_view>

namespace textrules {

/// The text up to its first zero character, then at most `maxChars` code points.
std::string_view CutText(std::string_view text, int maxChars);
/// Equality ignoring letter case by Unicode full case folding.
bool EqualIgnoringCase(std::string_view a, std::string_view b);
/// The text after Unicode full case folding; bytes that are not UTF-8 stay as they are.
std::string FoldCase(std::string_view text);

} // namespace textrules

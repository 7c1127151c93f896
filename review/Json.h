// Small helpers for writing JSON by hand: the sheet dump and the review
// page write fixed shapes, so a builder would add nothing but weight.
#pragma once

#include <string>
#include <string_view>

/// Who reads the JSON: any reader, or an HTML parser first, for JSON that
/// stands inside a <script> element, where "</script>" or "<!--" would end
/// or bend the element and U+2028/U+2029 would end a line of older scripts:
/// there <, >, & and those two are written as \u escapes.
enum class JsonReader { kAny, kHtmlScript };

/// The text as a JSON string literal, quotes included. The text is UTF-8;
/// control characters are escaped, and bytes that are not valid UTF-8 are
/// replaced by U+FFFD so that the output always parses.
std::string JsonString(std::string_view text, JsonReader reader = JsonReader::kAny);

/// A finite double in the shortest form that reads back to the same value;
/// "null" for NaN and the infinities, which JSON cannot express.
std::string JsonNumber(double value);

// Conversions of the three text encodings found in table streams into the
// UTF-8 that the program keeps in memory. Every result is valid UTF-8; a
// character that has no place in it becomes a question mark.
#pragma once

#include <cstddef>
#include <string>

namespace stream_text {

/// Code-page-1251 bytes (the stations' ANSI code page); ASCII passes as is.
std::string FromCp1251(const unsigned char* bytes, std::size_t count);

/// `units` UTF-16LE code units; an unpaired surrogate becomes '?'.
std::string FromUtf16Le(const unsigned char* bytes, std::size_t units);

/// UTF-8 as the writers produce it. A continuation byte out of form, or a
/// sequence cut off by the end of the value, empties the whole value. Leads
/// that start no sequence, overlong forms, surrogates and code points
/// beyond U+10FFFF each become '?'.
std::string FromUtf8(const unsigned char* bytes, std::size_t count);

/// Code-page-1251 bytes of valid UTF-8 text; characters outside the code
/// page become '?'. Binary values that a writer sent through its text path
/// come back to their bytes this way.
std::string ToCp1251(const std::string& text);

} // namespace stream_text

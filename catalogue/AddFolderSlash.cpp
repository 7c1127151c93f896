#include "catalogue/AddFolderSlash.h"

namespace zenor {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string AddFolderSlash(std::string_view folder, PathStyle style) {
    std::string result(folder);
    if (folder.empty()) return result;
    // Separators and ":" are ASCII, and in UTF-8 no byte of a multi-byte
    // character is below 0x80, so the last byte is ASCII only when the last
    // character is that very byte.
    const char last = folder.back();
    if (style == PathStyle::Native) {
        if (last != '/') result += '/';
        return result;
    }
    if (last == ':' || last == '\\') return result;
    // One byte that is an ASCII letter is one character; a multi-byte letter
    // (Cyrillic, say) is no drive name.
    if (folder.size() == 1 && IsAsciiLetter(folder[0])) return result + ":\\";
    result += '\\';
    return result;
}

} // namespace zenor

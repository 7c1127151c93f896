// Turns a folder text into a prefix to which a file or folder name can be
// appended by plain joining. The work folders of the list, the answer-sheet
// paths and the recording paths are all formed this way, so every part of the
// program must agree on this one rule.
//
// Native style (the default): an empty text stays empty, a text ending in "/"
// stays as it is, any other text gets "/" appended.
// Windows style, kept so that folder texts written by the testing stations'
// own conventions can still be handled and tested: an empty text stays empty;
// a text ending in ":" or "\" stays as it is; a text that is exactly one ASCII
// letter becomes a drive root ("d" gives "d:\"); any other text gets "\".
//
// The text is UTF-8; "the last character" is the last whole code point, so a
// multi-byte character is never mistaken for a separator.
#pragma once

#include <string>
#include <string_view>

namespace zenor {

enum class PathStyle { Native, Windows };

std::string AddFolderSlash(std::string_view folder, PathStyle style = PathStyle::Native);

} // namespace zenor

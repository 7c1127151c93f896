// The window treats a folder that cannot be listed as an empty one; a
// command-line tool that did the same would report a mistyped path as a tree
// without works. The commands that walk a tree ask here first.
#pragma once

#include <optional>
#include <string>
#include <string_view>

/// Nothing when `folder` (the empty text: the current directory) can be
/// listed; otherwise what went wrong, ready for standard error.
std::optional<std::string> FolderReadError(std::string_view folder);

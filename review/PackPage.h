// The review page: one self-contained HTML page for listening in a browser,
// next to the window. Per work its code, folder, variant and written
// answers, each recording as an audio element that refers to the file where
// it lies (relative to the page where a relative path exists, otherwise a
// file: URL) with its length, and the problems the check found. Keys: j and
// k move to the next and previous work, space plays or pauses the focused
// recording. Every text taken from a sheet or a file name is escaped.
#pragma once

#include "review/TreeCheck.h"

#include <string>
#include <string_view>

/// The page for `report` (a check of the tree `folder`), to be saved at
/// `pagePath` (which decides the relative links).
std::string RenderPackPage(const CheckReport& report, std::string_view folder,
                           const std::string& pagePath);

/// Text for HTML content or a quoted attribute: &, <, >, " and ' as
/// entities, bytes that are not UTF-8 as U+FFFD.
std::string HtmlEscaped(std::string_view text);

/// The link from a page saved at `pagePath` to the file at `filePath`:
/// a relative URL with every byte outside [A-Za-z0-9/._~-] percent-encoded,
/// or a file: URL when the two share no relative path.
std::string FileLink(const std::string& pagePath, const std::string& filePath);

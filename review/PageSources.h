// The review page's own files (page/: the HTML template, the style sheet and
// the scripts), built into the program so that pack needs nothing beside it.
#pragma once

#include <string_view>

/// The bytes of the page file named `fileName` ("review.html"), empty for a
/// name that is not one.
std::string_view PageSource(std::string_view fileName);

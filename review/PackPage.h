// The review page: one self-contained HTML page on which an examiner
// listens to and marks a whole exam in a browser, offline, next to the
// window. The page's HTML, style and scripts are files of their own (page/,
// PageSources.h); what is decided here, once and tested, is what the page is
// given: the works' data as one JSON block (codes, folders, variants and
// answers, each recording's link, length and level strip, the check's
// problems, the export row's cells), the range of marks, and the key under
// which the browser keeps the marks typed on this page. Every text taken
// from a sheet or a file name is escaped for where it stands.
#pragma once

#include "review/MarksCheck.h"
#include "review/TreeCheck.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct PackOptions {
    MarkRange marks;                          // what a mark may be
    Measuring measuring = Measuring::kDecode; // how the report was made
};

/// The page for `report` (a check of the tree `folder`), to be saved at
/// `pagePath` (which decides the relative links).
std::string RenderPackPage(const CheckReport& report, std::string_view folder,
                           const std::string& pagePath, const PackOptions& options);

/// The data the page's scripts read, as JSON fit to stand inside a <script>
/// element (see review/page/review.js for how each field is used).
std::string PageDataJson(const CheckReport& report, std::string_view folder,
                         const std::string& pagePath, const PackOptions& options);

/// `page` with each `@@name@@` replaced by `part(name)`; throws
/// std::logic_error for a name that `part` does not know (it returns
/// nothing) and for an `@@` that opens no name.
std::string
FillPageTemplate(std::string_view page,
                 const std::function<std::optional<std::string>(std::string_view)>& part);

/// The key under which the browser keeps the marks typed on the page of this
/// tree: the folder's absolute path and the works' IDs, hashed, so that the
/// pages of two trees never share marks and a page packed again from the same
/// tree finds them.
std::string PageStorageKey(std::string_view folder, const std::vector<CheckedWork>& works);

/// The characters of a level strip's code, one per column: "." digital
/// silence; 'a' + level for the column's RMS in kStripLevels steps from
/// kStripFloorDbfs (and below) up to full scale; 'A' + level when the
/// column's peak reaches full scale (clipping).
inline constexpr int kStripLevels = 26;
inline constexpr double kStripFloorDbfs = -60;
std::string StripCode(const std::vector<StripColumn>& strip);

/// Text for HTML content or a quoted attribute: &, <, >, " and ' as
/// entities, bytes that are not UTF-8 as U+FFFD.
std::string HtmlEscaped(std::string_view text);

/// The link from a page saved at `pagePath` to the file at `filePath`:
/// a relative URL with every byte outside [A-Za-z0-9/._~-] percent-encoded,
/// or a file: URL when the two share no relative path.
std::string FileLink(const std::string& pagePath, const std::string& filePath);

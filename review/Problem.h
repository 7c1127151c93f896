// A problem that the check or the marks check reports: one CSV row each, with
// a kind from the fixed list below so that a spreadsheet can filter them.
#pragma once

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

struct Problem {
    std::string id;     // the work ID, empty for a file that belongs to no work
    std::string folder; // the folder the file lies in (a work folder)
    std::string file;   // the file's name, empty for the work as a whole
    std::string kind;   // one of the kinds below
    std::string detail; // what an examiner reads
    std::string value;  // the measured value, when there is one
};

namespace kind {
inline constexpr char kSheetMissing[] = "sheet-missing";
inline constexpr char kSheetUnreadable[] = "sheet-unreadable";
inline constexpr char kSheetFieldMissing[] = "sheet-field-missing";
inline constexpr char kRecordingMissing[] = "recording-missing";
inline constexpr char kRecordingUnreadable[] = "recording-unreadable";
inline constexpr char kRecordingTruncated[] = "recording-truncated";
inline constexpr char kRecordingShort[] = "recording-short";
inline constexpr char kRecordingSilent[] = "recording-silent";
inline constexpr char kRecordingQuiet[] = "recording-quiet";
inline constexpr char kRecordingClipped[] = "recording-clipped";
inline constexpr char kDuplicateId[] = "duplicate-id";
inline constexpr char kMisnamedFile[] = "misnamed-file";
inline constexpr char kMarkMissing[] = "mark-missing";
inline constexpr char kMarkOutOfRange[] = "mark-out-of-range";
inline constexpr char kUnknownId[] = "unknown-id";
inline constexpr char kRepeatedId[] = "repeated-id";
} // namespace kind

/// The problems as CSV (RFC 4180, header row ID,folder,file,kind,detail,value).
void WriteProblemsCsv(std::ostream& out, const std::vector<Problem>& problems);

/// For a person: the number of works looked at ("works: 40") and of problems
/// found, then "kind: count" lines, kinds in alphabetical order. The words are
/// translated, the kinds are not.
void WriteProblemCounts(std::ostream& out, std::size_t works, const std::vector<Problem>& problems);

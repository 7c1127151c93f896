// What a coordinator needs to review a whole school in a spreadsheet: every
// work of a folder tree, as a completed scan lists it, with the answers of
// its sheet as the window would show them, the lengths of its two oral
// answers and what the window would report about it. Reads the pupils'
// files, never writes one.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

class TqvrMemTable;

namespace zenor {

/// Scans `folder` into `tblWork` (laid out by ConfigureWorkTable) exactly as
/// a completed scan of the window does, sorts it, and returns the number of
/// participant files found.
int ScanWorks(std::string_view folder, TqvrMemTable& tblWork);

struct WorkRow {
    std::string id;
    std::string pathWork;
    std::string varNo;
    std::array<std::string, 6> answers;
    std::string task2Seconds; // empty when the recording is missing or unreadable
    std::string task3Seconds;
    std::string problem; // empty when the sheet loaded and showed
};

/// One row per record of `tblWork`, in the table's order. Moves the current
/// record of `tblWork`; the sheets are loaded into a table of its own.
std::vector<WorkRow> ExportRows(TqvrMemTable& tblWork);

/// How the CSV is laid out. The default is RFC 4180 (comma, CRLF). The
/// spreadsheet dialect puts a byte-order mark first, so that a spreadsheet
/// program reads the text as UTF-8, separates fields with ";" and writes
/// lengths with a decimal comma, as a Russian locale expects.
struct CsvLayout {
    char separator = ',';
    bool byteOrderMark = false;
    /// Empty columns mark2, mark3 and note at the end of each row, for the
    /// examiner to fill in.
    bool markColumns = false;
};
inline constexpr CsvLayout kSpreadsheetCsv{';', true, false};

/// The rows as CSV with a header row; text as UTF-8, bytes of names that are
/// not UTF-8 replaced by U+FFFD.
void WriteCsv(std::ostream& out, const std::vector<WorkRow>& rows, const CsvLayout& layout = {});

/// Whether a cell beginning with `c` (=, +, -, @, a tab or a carriage return)
/// would run as a formula when a spreadsheet program opens the file.
inline bool StartsAFormula(char c) {
    return std::string_view("=+-@\t\r").find(c) != std::string_view::npos;
}

/// A field as RFC 4180 wants it (quoted when it holds the separator, a quote,
/// CR or LF), with the bytes that are not UTF-8 replaced and an apostrophe
/// before a text that begins with =, +, -, @, a tab or a carriage return,
/// which a spreadsheet program would run as a formula.
std::string CsvField(std::string_view text, char separator = ',');

/// Seconds of an Ogg Vorbis recording, three decimals; empty when the file
/// is missing or cannot be decoded.
std::string RecordingSeconds(const std::string& path);

} // namespace zenor

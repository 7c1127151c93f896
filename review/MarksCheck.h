// The marks check: a marks sheet that export --marks wrote and an examiner
// filled in, held against the works of the folder: works without marks,
// rows whose ID names no work, IDs given twice, marks that are not numbers
// within the range.
#pragma once

#include "review/CsvReader.h"
#include "review/Problem.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

struct MarkRange {
    double low = 0;
    double high = 10;
};

struct ListedWork {
    std::string id;
    std::string folder;
};

/// One row of a marks sheet as the examiner left it: the ID with export's
/// apostrophe taken off, and the two marks' texts, spaces trimmed.
struct MarkRow {
    std::size_t line; // the line the row starts on, from 1
    std::string id;
    std::array<std::string, 2> marks; // task 2, task 3
};

/// The rows of `sheet` below its header, read by the columns ID, mark2 and
/// mark3 wherever the header puts them (any other column, such as recheck,
/// is passed over); nothing, with `error` set, when one of the three is not
/// in the header.
std::optional<std::vector<MarkRow>> ReadMarkRows(const CsvTable& sheet,
                                                 const std::string& sheetName, std::string& error);

/// The problems of `sheet` (read from the file named `sheetName`) against
/// `works`, in the sheet's order and then the list's; nothing, with `error`
/// set, when the sheet lacks a column ID, mark2 or mark3.
std::optional<std::vector<Problem>> CheckMarks(const std::vector<ListedWork>& works,
                                               const CsvTable& sheet, const std::string& sheetName,
                                               const MarkRange& range, std::string& error);

/// A mark as a number: digits with a decimal point or comma, spaces around
/// allowed. Nothing for anything else.
std::optional<double> ParseMark(std::string_view text);

/// The mark of `text` when it is a number within `range`; nothing otherwise.
std::optional<double> MarkInRange(std::string_view text, const MarkRange& range);

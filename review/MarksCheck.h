// The marks check: a marks sheet that export --marks wrote and an examiner
// filled in, held against the works of the folder: works without marks,
// rows whose ID names no work, IDs given twice, marks that are not numbers
// within the range.
#pragma once

#include "review/CsvReader.h"
#include "review/Problem.h"

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

/// The problems of `sheet` (read from the file named `sheetName`) against
/// `works`, in the sheet's order and then the list's; nothing, with `error`
/// set, when the sheet lacks a column ID, mark2 or mark3.
std::optional<std::vector<Problem>> CheckMarks(const std::vector<ListedWork>& works,
                                               const CsvTable& sheet, const std::string& sheetName,
                                               const MarkRange& range, std::string& error);

/// A mark as a number: digits with a decimal point or comma, spaces around
/// allowed. Nothing for anything else.
std::optional<double> ParseMark(std::string_view text);

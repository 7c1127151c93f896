// Reads back a CSV that export wrote and a spreadsheet program saved: either
// dialect (RFC 4180 with commas, or ";" with a UTF-8 byte-order mark), told
// apart by the header line; quoted fields may hold separators, quotes and
// line breaks; CRLF or LF line ends.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CsvRecord {
    std::size_t line; // the line the record starts on, from 1
    std::vector<std::string> cells;
};

struct CsvTable {
    char separator = ',';
    std::vector<CsvRecord> records; // the header first
};

/// The table, or nothing with `error` set when a quoted field never ends.
std::optional<CsvTable> ReadCsv(std::string_view bytes, std::string& error);

/// A cell as its text was before export neutralised it: the apostrophe that
/// leads a text beginning with =, +, -, @, a tab or a CR is taken off.
std::string UnneutralisedCell(std::string_view cell);

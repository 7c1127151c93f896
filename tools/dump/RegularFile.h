// The whole of a file that a command reads as input (a marks sheet): only a
// regular file is read; a FIFO or a device named like one is refused at
// once, never waited on.
#pragma once

#include "review/CsvReader.h"

#include <optional>
#include <string>

/// The file's bytes, or nothing with `error` set, ready for standard error.
std::optional<std::string> ReadRegularFile(const std::string& path, std::string& error);

/// The file read as CSV (either dialect, ReadCsv), or nothing with `error`
/// set, naming the file.
std::optional<CsvTable> ReadCsvFile(const std::string& path, std::string& error);

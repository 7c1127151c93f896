// The answer-sheet step: load the current work's answer sheet into the
// answers table, or close that table and say the sheet is missing. The window
// shows the missing-sheet text in its information box; the command-line tool
// puts it in its report. Errors of the load itself (a damaged sheet, a file
// that cannot be opened) are not caught here: they reach the caller as the
// reader raised them.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class TqvrMemTable;
class TqvrCustomStreamFormat;

namespace zenor {

/// The current work's folder, read afresh from `pathWork` (empty on an empty table).
std::string CurrentWorkFolder(const TqvrMemTable& tblWork);

/// Work folder, work ID and "_0.ans" of the current record of `tblWork`, joined
/// with nothing between them.
std::string AnswerSheetPath(const TqvrMemTable& tblWork);

/// True for an existing regular file, links followed: a folder, FIFO,
/// socket or device of that name is no file to read.
bool FileExists(const std::string& path);

/// "Файл <path> с ответами участника не найден: "
std::string MissingSheetMessage(std::string_view path);

/// Runs the step for the current record of `tblWork`. Returns nothing when
/// the sheet was loaded (first record current), or the missing-sheet message
/// after closing `answers`.
std::optional<std::string> LoadAnswerSheet(const TqvrMemTable& tblWork, TqvrMemTable& answers,
                                           TqvrCustomStreamFormat& format);

/// Reads `VarNo` into `varNo` and `a1`..`a6` into `values` from a loaded sheet,
/// as the answer labels would show them. A field the sheet lacks keeps its
/// value empty and is passed to `missing` with the lookup's error text; the
/// other fields are still read.
void ReadSheetValues(const TqvrMemTable& answers, std::string& varNo,
                     std::array<std::string, 6>& values,
                     const std::function<void(const char* field, const char* error)>& missing);

} // namespace zenor

// The list of works: one record per work ID in a memory table laid out as the
// window's `tblWork` (text fields `ID` and `pathWork`, sorted by `ID`). The
// window and the command-line tool fill it through the same record step, so
// the tool prints exactly the list a completed scan shows.
#pragma once

#include <string_view>

class TqvrMemTable;
class TStringField;

namespace zenor {

/// Size of `ID`: a work ID is five characters, the rest is headroom.
inline constexpr int kWorkIdSize = 255;
/// Size of `pathWork`: this platform's path limit, so that a long work folder
/// is never cut into a path that does not exist.
inline constexpr int kWorkFolderSize = 4096;

/// The persistent field objects a work table is given, owned by the table.
struct WorkTableFields {
    TStringField* id = nullptr;
    TStringField* pathWork = nullptr;
};

/// Gives a closed table with no fields the layout of the window's `tblWork`
/// (the two fields and the order by `ID`) and leaves it closed, so that the
/// caller can attach its handlers before the first open.
WorkTableFields DefineWorkTable(TqvrMemTable& tblWork);

/// DefineWorkTable, then opens the table, empty.
void ConfigureWorkTable(TqvrMemTable& tblWork);

/// Records that a file of work `id` lies in work folder `folder`: the work's
/// record is found by a key search without options (letter case counts) and
/// updated, or inserted when there is none; its folder is written anew.
void RecordWork(TqvrMemTable& tblWork, std::string_view id, std::string_view folder);

} // namespace zenor

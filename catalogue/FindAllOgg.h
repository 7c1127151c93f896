// The walk that finds the works: one folder and, depth first, every folder
// below it, in the order the file system lists them. The window and the
// command-line tool run this very walk; what they do with what it finds is
// given as hooks, so the walk itself knows nothing of widgets or tables.
//
// What the walk promises:
// - `pump` runs once for every listed entry, before the entry is looked at,
//   so that a window stays responsive and can clear the keep-going flag.
// - Entries whose name begins with "." are passed over, a folder together
//   with everything below it.
// - An entry that is a directory, following symbolic links, is walked before
//   the next entry of its folder. The type comes from the listing itself; the
//   file is asked (fstatat) only when the listing does not know the type or
//   the entry is a link. A directory that is already on the way down from the
//   top (same device and inode, reached again through a link) is not walked
//   again, which would never end.
// - Every other entry is a file: `fileExamined` gets the folder prefix and
//   the name, then `participantFound` the same when the name is a participant
//   file name.
// - `keepGoing` is asked after each entry; when it says no, every level leaves
//   its loop at once.
// - `levelEnded` runs on every way out of a folder that was walked, also when
//   its listing could not be opened (it counts as empty) and when an exception
//   from a hook passes through.
// The folder prefix is AddFolderSlash of the folder text; an empty text walks
// the current directory and its files get the empty prefix.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zenor {

struct ScanHooks {
    std::function<void()> pump;
    std::function<bool()> keepGoing;
    std::function<void(const std::string& folder, std::string_view name)> fileExamined;
    std::function<void(const std::string& folder, std::string_view name)> participantFound;
    std::function<void()> levelEnded;
};

void FindAllOgg(std::string_view folder, const ScanHooks& hooks);

} // namespace zenor

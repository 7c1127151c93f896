// The folder the folder box starts with. In a build tree that is "Answer/"
// beside the program file, where the build puts the demo works. An installed
// program has no such folder beside it (/usr/bin/Answer/); it starts with the
// demo works installed under the data directory instead, found relative to the
// program's folder so that any installation prefix works alike.
#pragma once

#include <QString>

/// The start folder for a program file in `programFolder` (a folder text that
/// ends in "/"): `programFolder` + "Answer/" when that folder exists or when
/// `installedWorks`, a folder relative to `programFolder`, does not; otherwise
/// the installed works' folder without "." or ".." parts, ending in "/".
QString DefaultFolder(const QString& programFolder, const QString& installedWorks);

/// The same for the installed program's layout (bin/ → share/zenor/Answer/).
QString DefaultFolder(const QString& programFolder);

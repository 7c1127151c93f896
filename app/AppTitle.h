// The application title: the caption of the information and exception boxes.
// It is made from the program file's own name, so that a renamed copy of the
// program introduces itself under its new name.
#pragma once

#include <QString>

/// The title for a program file at `programPath`: the name without its folder,
/// cut before its first ".", the first character kept as it is and every later
/// one lower-cased by Unicode rules ("/x/Viewer.Main" gives "Viewer",
/// "REVIEW" gives "Review").
QString AppTitleFromPath(const QString& programPath);

/// The title of the running program, from the program file's path as the
/// system reports it (not from argv[0]).
QString AppTitle();

/// The running program file's full path as the system reports it; empty when
/// the system does not tell.
QString ProgramFilePath();

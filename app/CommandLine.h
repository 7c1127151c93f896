// The window program's command line. The program takes no arguments of its
// own; it answers only the two questions that every program on a Linux system
// answers, --help and --version, on standard output and before the application
// object exists, so that they open no window and need no display. Qt's own
// options (such as -platform) are left to Qt; anything else is ignored, and the
// window opens as ever.
#pragma once

#include <optional>
#include <ostream>

/// When an argument before a "--" asks for help (-h, --help) or for the
/// version (--version), writes the answer to the first such argument to `out`
/// and returns the exit status: 0, or 1 when `out` could not be written.
/// Otherwise writes nothing and returns nothing.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out);

// Recognises the files that a testing station writes for a work, and takes
// the work ID from such a name.
//
// A name takes part when it is exactly eleven characters long, its first five
// are anything at all, and its last six are one of "_0.ans", "_0.ogg",
// "_2.ogg", "_3.ogg" with ASCII letters compared without case. Characters are
// Unicode code points of the UTF-8 name; a byte that is not part of a
// well-formed UTF-8 sequence counts as one character of its own, so names
// that are not valid UTF-8 are judged too and their bytes are kept.
#pragma once

#include <cstddef>
#include <string_view>

#include "memtable/Utf8.h"

namespace zenor {

// Characters as the names are judged: each malformed byte is one of its own.
using utf8::CharacterLength;
using utf8::CountCharacters;

/// True when `name` is a participant file name (answer sheet or recording).
bool IsParticipantFileName(std::string_view name);

/// The work ID of a participant file name: its first five characters, bytes
/// as they are. Meaningful only for names that IsParticipantFileName accepts.
std::string_view WorkIdOf(std::string_view name);

} // namespace zenor

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

namespace zenor {

/// Length in bytes of the character at `pos`: its well-formed UTF-8
/// sequence, or 1 for a byte that starts none (a stray continuation, an
/// overlong form, a surrogate, a value past U+10FFFF, a sequence cut short).
std::size_t CharacterLength(std::string_view text, std::size_t pos);

/// Number of characters in `text`, each malformed byte counting as one.
std::size_t CountCharacters(std::string_view text);

/// True when `name` is a participant file name (answer sheet or recording).
bool IsParticipantFileName(std::string_view name);

/// The work ID of a participant file name: its first five characters, bytes
/// as they are. Meaningful only for names that IsParticipantFileName accepts.
std::string_view WorkIdOf(std::string_view name);

} // namespace zenor

// Files that a station or a hand copy meant as a pupil's file but that the
// name rule does not take (1234_2.ogg, "12345 _3.ogg", 12345_2.ogg.part,
// 12345_1.ogg): the window passes over them without a word, so their works
// look incomplete. The check names them.
#pragma once

#include <string_view>

/// True when `name` is no participant file name but looks like one: it holds
/// one of the endings _0.ans, _0.ogg, _2.ogg, _3.ogg, or it ends in .ogg or
/// .ans (ASCII letters without case).
bool LooksLikeMisnamedParticipantFile(std::string_view name);

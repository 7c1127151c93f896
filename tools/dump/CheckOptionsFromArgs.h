// The options that check and pack share: the recording thresholds and the
// number of decoding threads, read from the command line with their
// defaults, and the progress line that both show on a terminal; and the
// range of marks that marks and pack share.
#pragma once

#include "CommandLine.h"
#include "l10n/Translation.h"
#include "review/MarksCheck.h"
#include "review/TreeCheck.h"

#include <optional>

inline constexpr CommandOption kThresholdOptions[] = {
    {"min-seconds", 0, TrNoop("SECONDS"),
     TrNoop("a recording shorter than this is reported (default 1.0)")},
    {"silent-below", 0, TrNoop("LUFS"),
     TrNoop(
         "a recording none of whose 400 ms windows is louder than this is silent (default -70, the "
         "absolute gate of EBU R128)")},
    {"quiet-below", 0, TrNoop("LUFS"),
     TrNoop("a recording whose integrated loudness is below this is too quiet (default -35)")},
    {"clipped-above", 0, TrNoop("PERCENT"),
     TrNoop(
         "a recording with more of its samples at full scale than this is clipped (default 0.1)")},
    {"jobs", 'j', TrNoop("N"),
     TrNoop("decode N recordings at a time (default: one per processor core)")},
};

/// The check's options from `args`, or nothing after a usage error was
/// reported through `status`. Shows progress on standard error when that is
/// a terminal.
std::optional<CheckOptions> ReadCheckOptions(const CommandArgs& args, const DumpCommand& command,
                                             int& status);

/// --min-mark and --max-mark with their defaults, or nothing after a usage
/// error was reported through `status`.
std::optional<MarkRange> ReadMarkRange(const CommandArgs& args, const DumpCommand& command,
                                       int& status);

/// Clears the progress line, if one was shown.
void EndProgress();

#include "CheckOptionsFromArgs.h"

#include "l10n/Translation.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace {
bool g_progressShown = false;
}

std::optional<CheckOptions> ReadCheckOptions(const CommandArgs& args, const DumpCommand& command,
                                             int& status) {
    CheckOptions o;
    RecordingThresholds& t = o.thresholds;
    double jobs = 0;
    if (!NumberOption(args, command, "min-seconds", 0, 1e6, t.minSeconds, status) ||
        !NumberOption(args, command, "silent-below", -200, 0, t.silentBelowLufs, status) ||
        !NumberOption(args, command, "quiet-below", -200, 0, t.quietBelowLufs, status) ||
        !NumberOption(args, command, "clipped-above", 0, 100, t.clippedAbovePercent, status) ||
        !NumberOption(args, command, "jobs", 1, 256, jobs, status))
        return std::nullopt;
    if (jobs != std::floor(jobs)) {
        status = UsageError(command, Tr("--jobs wants a whole number"));
        return std::nullopt;
    }
    o.jobs = static_cast<unsigned>(jobs);
    if (isatty(STDERR_FILENO)) {
        o.progress = [name = std::string(command.name)](std::size_t done, std::size_t total) {
            const std::string line = Format(TrPlural("zenor-dump %s: %zu of %zu recording",
                                                     "zenor-dump %s: %zu of %zu recordings", total),
                                            name.c_str(), done, total);
            std::fprintf(stderr, "\r%s", line.c_str());
            g_progressShown = true;
        };
    }
    return o;
}

std::optional<MarkRange> ReadMarkRange(const CommandArgs& args, const DumpCommand& command,
                                       int& status) {
    MarkRange range;
    if (!NumberOption(args, command, "min-mark", -1e9, 1e9, range.low, status) ||
        !NumberOption(args, command, "max-mark", -1e9, 1e9, range.high, status))
        return std::nullopt;
    if (range.low > range.high) {
        status = UsageError(command, Tr("--min-mark is above --max-mark"));
        return std::nullopt;
    }
    return range;
}

void EndProgress() {
    if (g_progressShown) std::fputs("\r\033[K", stderr);
    g_progressShown = false;
}

#include "review/RecordingVerdict.h"

#include <cmath>
#include <cstdio>

std::string FormatValue(double value, int decimals) {
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::vector<Problem> RecordingProblems(const RecordingMeasure& m, const RecordingThresholds& t,
                                       const Problem& where) {
    std::vector<Problem> out;
    auto add = [&](const char* kind, std::string detail, std::string value) {
        Problem p = where;
        p.kind = kind;
        p.detail = std::move(detail);
        p.value = std::move(value);
        out.push_back(std::move(p));
    };
    using Status = RecordingMeasure::Status;
    switch (m.status) {
    case Status::Missing:
        add(kind::kRecordingMissing, "no such file", "");
        return out;
    case Status::Unreadable:
        add(kind::kRecordingUnreadable, m.reason, "");
        return out;
    case Status::Truncated:
        add(kind::kRecordingTruncated, m.reason, FormatValue(m.seconds, 3));
        break;
    case Status::Measured:
        break;
    }
    if (m.seconds < t.minSeconds)
        add(kind::kRecordingShort, "shorter than " + FormatValue(t.minSeconds, 1) + " s (seconds)",
            FormatValue(m.seconds, 3));
    const double percent = m.fullScaleShare * 100;
    if (percent > t.clippedAbovePercent)
        add(kind::kRecordingClipped,
            "more than " + FormatValue(t.clippedAbovePercent, 2) +
                " % of the samples at full scale, sample peak " + FormatValue(m.samplePeakDbfs, 1) +
                " dBFS (percent)",
            FormatValue(percent, 2));
    // Loudness is measured over 400 ms windows: a shorter recording has none.
    if (m.seconds < kLoudnessWindowSeconds) return out;
    if (m.loudestMomentaryLufs < t.silentBelowLufs) {
        add(kind::kRecordingSilent,
            "no 400 ms louder than " + FormatValue(t.silentBelowLufs, 1) + " LUFS (loudest, LUFS)",
            FormatValue(m.loudestMomentaryLufs, 1));
    } else if (m.integratedLufs < t.quietBelowLufs) {
        add(kind::kRecordingQuiet,
            "integrated loudness below " + FormatValue(t.quietBelowLufs, 1) + " LUFS (LUFS)",
            FormatValue(m.integratedLufs, 1));
    }
    return out;
}

// When a measured recording is a problem: the check's thresholds
// with their documented defaults, and the rule that turns a measure into
// problems. Kept apart from the measuring so that the rule can be tested on
// numbers.
#pragma once

#include "review/Problem.h"
#include "review/RecordingMeasure.h"

#include <vector>

/// The momentary loudness window of EBU R128.
inline constexpr double kLoudnessWindowSeconds = 0.4;

struct RecordingThresholds {
    double minSeconds = 1.0;      // shorter is recording-short
    double silentBelowLufs = -70; // loudest 400 ms below this (the absolute gate): recording-silent
    double quietBelowLufs = -35;  // integrated loudness below this: recording-quiet
    double clippedAbovePercent = 0.1; // more samples than this at full scale: recording-clipped
};

/// The problems of one recording, with `id`, `folder` and `file` filled in
/// from `where`. A silent recording is not also called quiet.
std::vector<Problem> RecordingProblems(const RecordingMeasure& m, const RecordingThresholds& t,
                                       const Problem& where);

/// A number as the value column gives it: fixed decimals, or "-inf".
std::string FormatValue(double value, int decimals);

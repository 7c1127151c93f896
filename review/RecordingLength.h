// What pack --no-measure learns from a recording without decoding it: its
// length from the Ogg stream's end and whether the file ends cleanly. No
// loudness and no level strip, so the check's loudness rules do not apply.
#pragma once

#include "review/RecordingMeasure.h"

#include <string>

/// The recording at `path` with its status and length; loudness fields and
/// strip left empty.
RecordingMeasure MeasureLengthOnly(const std::string& path);

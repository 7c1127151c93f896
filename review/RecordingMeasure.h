// What the check learns from one recording: whether it can be played
// to its end, how long it is, how loud (EBU R128 loudness, measured by
// libebur128 on the PCM that the player's own decoder gives) and how much of
// it sits at full scale; and a level strip, the recording cut into equal
// slices of time, from which the review page draws what an examiner should
// see before listening (silence, a late start, clipping). Reads the file,
// never changes it.
#pragma once

#include "audio/OggStreamEnd.h"

#include <cstddef>
#include <string>
#include <vector>

/// The most columns a level strip has, and the shortest slice a column
/// stands for: a short recording gets fewer columns, never slivers.
inline constexpr std::size_t kStripColumns = 200;
inline constexpr double kStripMinColumnSeconds = 0.1;

/// One slice of a recording: its RMS and its peak over every channel, in dB
/// to full scale; -inf for digital silence.
struct StripColumn {
    float rmsDbfs = 0;
    float peakDbfs = 0;
};

struct RecordingMeasure {
    enum class Status {
        Missing,    // no such file (a folder of that name counts as none)
        Unreadable, // not a regular file, not Ogg Vorbis, or decoding failed
        Truncated,  // decodes, but the file ends inside its stream
        Measured,
    };
    Status status = Status::Missing;
    std::string reason;              // for Unreadable and Truncated
    double seconds = 0;              // the length the player shows
    double integratedLufs = 0;       // -inf when nothing passes the absolute gate
    double loudestMomentaryLufs = 0; // the loudest 400 ms window; -inf for digital silence
    double fullScaleShare = 0;       // share of samples at full scale, 0..1
    double samplePeakDbfs = 0;       // the highest sample of any channel, dB to full scale
    std::vector<StripColumn> strip;  // in time order; empty unless measured or truncated
};

/// Sets `m` Measured when the file ends cleanly, else Truncated with the
/// reason the check gives, whichever way the recording was read.
void SetStatusByEnd(RecordingMeasure& m, OggEnd end);

/// How many strip columns a recording of `frames` frames at `rate` gets.
std::size_t StripColumnCount(long long frames, long rate);

/// Decodes and measures the recording at `path`.
RecordingMeasure MeasureRecording(const std::string& path);

/// Decodes the recording at `path` and throws the samples away; the number
/// of frames decoded, -1 when it cannot be opened. The plain decode that
/// the check's throughput is compared with.
long long DecodeOnly(const std::string& path);

// Loudness put together from a meter's 100 ms steps, as EBU R128 (ITU-R
// BS.1770) defines it: a window is 400 ms, windows start every 100 ms, and the
// same windows are the momentary loudness and the gating blocks of the
// integrated loudness. A window is four steps, so the meter is read once per
// step, over that step alone, and the windows, the loudest of them and the
// gated integrated loudness follow from those readings here: a quarter of
// the summing of reading every window whole, and none twice.
#pragma once

#include <array>
#include <cstddef>
#include <limits>
#include <vector>

class StepLoudness {
public:
    /// Adds the loudness of the step just measured (LUFS; -inf for silence).
    void AddStep(double lufs);

    /// Adds the loudness of a window that the meter read whole (the one that
    /// ends with a recording whose last step is short): a candidate for the
    /// loudest, not a block of the integrated loudness.
    void AddWindow(double lufs);

    /// The loudest window; before the fourth step, the steps not yet seen
    /// count as silence. -inf when every window is silent.
    double Loudest() const { return loudest_; }

    /// The integrated loudness: the mean of the whole windows louder than the
    /// absolute gate (-70 LUFS), and of those, the ones at most 10 LU below
    /// that mean. -inf when no window passes the absolute gate.
    double Integrated() const;

private:
    std::array<double, 4> steps_{}; // mean squares of the last four steps
    std::size_t seen_ = 0;
    std::vector<double> blocks_; // mean squares of the windows past the absolute gate
    double loudest_ = -std::numeric_limits<double>::infinity();
};

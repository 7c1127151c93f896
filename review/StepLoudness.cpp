#include "review/StepLoudness.h"

#include <algorithm>
#include <cmath>

namespace {

// BS.1770: loudness = −0.691 + 10·log10(weighted mean square).
constexpr double kOffset = 0.691;

double MeanSquare(double lufs) {
    return std::isinf(lufs) && lufs < 0 ? 0 : std::pow(10.0, (lufs + kOffset) / 10);
}

double Lufs(double meanSquare) {
    return meanSquare > 0 ? 10 * std::log10(meanSquare) - kOffset : -HUGE_VAL;
}

const double kAbsoluteGate = MeanSquare(-70);
constexpr double kRelativeGate = 0.1; // 10 LU below, as a factor of mean square

} // namespace

void StepLoudness::AddStep(double lufs) {
    steps_[seen_ % steps_.size()] = MeanSquare(lufs);
    ++seen_;
    const double window = (steps_[0] + steps_[1] + steps_[2] + steps_[3]) / 4;
    loudest_ = std::max(loudest_, Lufs(window));
    if (seen_ >= steps_.size() && window >= kAbsoluteGate) blocks_.push_back(window);
}

void StepLoudness::AddWindow(double lufs) {
    loudest_ = std::max(loudest_, lufs);
}

double StepLoudness::Integrated() const {
    if (blocks_.empty()) return -HUGE_VAL;
    double sum = 0;
    for (double b : blocks_) sum += b;
    const double gate = kRelativeGate * sum / static_cast<double>(blocks_.size());
    double gated = 0;
    std::size_t count = 0;
    for (double b : blocks_) {
        if (b < gate) continue;
        gated += b;
        ++count;
    }
    return Lufs(gated / static_cast<double>(count));
}

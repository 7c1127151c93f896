#include "review/RecordingVerdict.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct VerdictCase {
    const char* name;
    RecordingMeasure measure;
    std::vector<std::string> kinds;
};

RecordingMeasure Measured(double seconds, double integrated, double loudest, double share) {
    RecordingMeasure m;
    m.status = RecordingMeasure::Status::Measured;
    m.seconds = seconds;
    m.integratedLufs = integrated;
    m.loudestMomentaryLufs = loudest;
    m.fullScaleShare = share;
    return m;
}

RecordingMeasure WithStatus(RecordingMeasure m, RecordingMeasure::Status status) {
    m.status = status;
    return m;
}

class RecordingVerdictTest : public ::testing::TestWithParam<VerdictCase> {};

// The default thresholds: 1 s, -70 LUFS loudest window, -35 LUFS integrated,
// 0.1 % of samples at full scale.
TEST_P(RecordingVerdictTest, ReportsEachKindAtItsThreshold) {
    const Problem where{"12345", "a/", "12345_2.ogg", "", "", ""};
    std::vector<std::string> kinds;
    for (const Problem& p : RecordingProblems(GetParam().measure, RecordingThresholds{}, where)) {
        EXPECT_EQ(p.id, "12345");
        EXPECT_EQ(p.file, "12345_2.ogg");
        kinds.push_back(p.kind);
    }
    EXPECT_EQ(kinds, GetParam().kinds);
}

const double inf = HUGE_VAL;
INSTANTIATE_TEST_SUITE_P(
    Measures, RecordingVerdictTest,
    ::testing::Values(
        VerdictCase{"speech", Measured(7, -20, -15, 0), {}},
        VerdictCase{"missing", RecordingMeasure{}, {"recording-missing"}},
        VerdictCase{"unreadable",
                    WithStatus(Measured(0, 0, 0, 0), RecordingMeasure::Status::Unreadable),
                    {"recording-unreadable"}},
        VerdictCase{"truncated_is_measured_too",
                    WithStatus(Measured(0.5, -20, -15, 0), RecordingMeasure::Status::Truncated),
                    {"recording-truncated", "recording-short"}},
        VerdictCase{"at_the_length", Measured(1.0, -20, -15, 0), {}},
        VerdictCase{"short", Measured(0.999, -20, -15, 0), {"recording-short"}},
        VerdictCase{
            "shorter_than_a_loudness_window", Measured(0.3, -inf, -inf, 0), {"recording-short"}},
        VerdictCase{"digital_silence", Measured(3, -inf, -inf, 0), {"recording-silent"}},
        VerdictCase{"below_the_gate", Measured(3, -inf, -70.1, 0), {"recording-silent"}},
        VerdictCase{
            "above_the_gate_is_only_quiet", Measured(3, -69.9, -65, 0), {"recording-quiet"}},
        VerdictCase{"quiet", Measured(7, -59, -55, 0), {"recording-quiet"}},
        VerdictCase{"at_the_quiet_threshold", Measured(7, -35, -30, 0), {}},
        VerdictCase{"clipped", Measured(7, -10, -5, 0.0011), {"recording-clipped"}},
        VerdictCase{"at_the_clip_threshold", Measured(7, -10, -5, 0.001), {}},
        VerdictCase{"short_and_clipped",
                    Measured(0.2, -inf, -inf, 0.5),
                    {"recording-short", "recording-clipped"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

#include "review/RecordingMeasure.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

TEST(RecordingStrip, ColumnsStandForAtLeastATenthOfASecondUpToTheLimit) {
    struct Row {
        long long frames;
        long rate;
        std::size_t columns;
    };
    const Row rows[] = {
        {0, 44100, 0},
        {-5, 44100, 0},
        {44100, 0, 0},
        {1, 44100, 1},
        {4410, 44100, 1},
        {4411, 44100, 2},
        {44100, 44100, 10},
        {3 * 16000, 16000, 30},
        {20 * 44100, 44100, 200},
        {90LL * 48000, 48000, 200},
    };
    for (const Row& row : rows)
        EXPECT_EQ(StripColumnCount(row.frames, row.rate), row.columns)
            << row.frames << " frames at " << row.rate;
}

// A second of silence, then two seconds of a tone at half scale: the strip
// shows the late start where it is, and the tone at its level.
TEST(RecordingStrip, ShowsALateStartAndTheLevelOfWhatFollows) {
    zenor::test::TempTree tree;
    const std::string file = tree.Root() + "/late.ogg";
    const std::string make =
        "sox -n -r 16000 -c 1 '" + file + "' synth 2 sine 440 vol 0.5 pad 1 0 2>/dev/null";
    if (std::system(make.c_str()) != 0) GTEST_SKIP() << "sox cannot write Ogg Vorbis here";

    const RecordingMeasure m = MeasureRecording(file);
    ASSERT_EQ(m.status, RecordingMeasure::Status::Measured) << m.reason;
    ASSERT_EQ(m.strip.size(), 30u);
    for (std::size_t c = 0; c < 9; ++c) EXPECT_LT(m.strip[c].rmsDbfs, -60) << "column " << c;
    // A sine at half scale: RMS 20·log10(0.5/√2) ≈ -9 dB, peak ≈ -6 dB.
    for (std::size_t c = 11; c < 30; ++c) {
        EXPECT_NEAR(m.strip[c].rmsDbfs, -9.03, 1.0) << "column " << c;
        EXPECT_NEAR(m.strip[c].peakDbfs, -6.02, 1.0) << "column " << c;
    }
}

} // namespace

// The float read of the decoder, rounded to 16 bits, gives exactly the
// samples that the player's 16-bit read gives: what the check measures is
// what an examiner hears.
#include "AudioTestSupport.h"

#include "audio/VorbisFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace audiotest;

namespace {

TEST(Pcm16, RoundsToTheNearestTiesToEvenAndHoldsTheRange) {
    struct Row {
        float sample;
        std::int16_t pcm;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Row rows[] = {
        {0.f, 0},
        {0.4f / 32768, 0},
        {0.5f / 32768, 0},
        {1.5f / 32768, 2},
        {-0.5f / 32768, 0},
        {-1.5f / 32768, -2},
        {-2.5f / 32768, -2},
        {0.5f, 16384},
        {1.f, 32767},
        {32766.5f / 32768, 32766},
        {-1.f, -32768},
        {1.5f, 32767},
        {-1.5f, -32768},
        {3e9f, 32767},
        {-3e9f, -32768},
        {inf, 32767},
        {-inf, -32768},
        {nan, -32768},
    };
    for (const Row& row : rows) EXPECT_EQ(VorbisFile::Pcm16(row.sample), row.pcm) << row.sample;
}

struct Layout {
    int rate;
    int channels;
    double amplitude; // above 1 the tone is clipped, and decodes past full scale
};

class FloatReadTest : public ::testing::TestWithParam<Layout> {};

TEST_P(FloatReadTest, RoundedGivesTheSamplesOfThe16BitRead) {
    const Layout l = GetParam();
    TempDir dir;
    const auto path = dir / "tone.ogg";
    Samples tone = Tone(l.rate, l.channels, l.rate * 3 / 2 + 7, std::min(l.amplitude, 1.0));
    if (l.amplitude > 1)
        for (std::int16_t& s : tone) s = s > 0 ? INT16_MAX : INT16_MIN;
    WriteOgg(path, l.rate, l.channels, tone);
    const Samples want = DecodeOgg(path);

    const auto file = VorbisFile::Open(path.string());
    ASSERT_TRUE(file);
    Samples got;
    const float* const* planes = nullptr;
    // An odd request size, so that reads end inside the decoder's packets.
    while (const std::size_t frames = file->ReadFloat(planes, 777))
        for (std::size_t i = 0; i < frames; ++i)
            for (int c = 0; c < l.channels; ++c) got.push_back(VorbisFile::Pcm16(planes[c][i]));
    ASSERT_EQ(got.size(), want.size());
    EXPECT_TRUE(got == want);
    if (l.amplitude > 1) {
        const auto full = std::count(want.begin(), want.end(), INT16_MAX);
        EXPECT_GT(full, 0) << "the clipped tone reaches full scale";
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, FloatReadTest,
                         ::testing::Values(Layout{44100, 1, 0.5}, Layout{22050, 2, 0.3},
                                           Layout{48000, 2, 2.0}, Layout{11025, 1, 2.0}));

} // namespace

// Byte length and seconds of streams, asked without opening a device (the
// command-line tool does exactly that), and the answers for bad handles.
#include "AudioTestSupport.h"

#include "audio/Bass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace audiotest;

namespace {

class LengthTest : public ::testing::TestWithParam<Format> {
protected:
    void SetUp() override { BASS_Free(); } // no device: lengths must not need one
    TempDir dir_;
};

TEST_P(LengthTest, BytesAreFramesTimesChannelsTimesTwoAndSecondsFollow) {
    const Format f = GetParam();
    const auto path = dir_ / "tone.ogg";
    WriteOgg(path, f.rate, f.channels, Tone(f.rate, f.channels, f.frames));

    const HSTREAM h = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    const QWORD bytes = BASS_ChannelGetLength(h, BASS_LENGTH_BYTES);
    EXPECT_EQ(bytes, static_cast<QWORD>(f.frames) * static_cast<QWORD>(f.channels) * 2);
    // As the caller does it: the low 32 bits, widened by sign.
    const auto kept = static_cast<std::int32_t>(bytes & 0xffffffffu);
    const double seconds =
        BASS_ChannelBytes2Seconds(h, static_cast<QWORD>(static_cast<std::int64_t>(kept)));
    EXPECT_NEAR(seconds, static_cast<double>(f.frames) / f.rate, 1e-12);
    EXPECT_EQ(BASS_ChannelIsActive(h), 0u) << "a created stream is not playing";
    EXPECT_FALSE(BASS_ChannelPlay(h, TRUE)) << "playing needs the device";
    EXPECT_EQ(BASS_ChannelIsActive(h), 0u);
    BASS_ChannelStop(h);
}

INSTANTIATE_TEST_SUITE_P(Formats, LengthTest,
                         ::testing::Values(Format{22050, 1, 22050}, Format{22050, 2, 11025 + 7},
                                           Format{44100, 1, 44100 * 2 + 1}, Format{44100, 2, 44100},
                                           Format{48000, 1, 4800},
                                           Format{48000, 2, 48000 * 3 / 2 + 13}),
                         [](const auto& info) {
                             return std::to_string(info.param.rate) + "Hz_" +
                                    (info.param.channels == 1 ? "mono_" : "stereo_") +
                                    std::to_string(info.param.frames);
                         });

TEST(LengthOfBadHandles, AllBitsSetAndNegativeSeconds) {
    for (DWORD h : {0u, 0x7fffffffu, 0xffffffffu}) {
        EXPECT_EQ(BASS_ChannelGetLength(h, BASS_LENGTH_BYTES), std::numeric_limits<QWORD>::max())
            << h;
        EXPECT_LT(BASS_ChannelBytes2Seconds(h, 1000), 0.0) << h;
    }
}

TEST(LengthOfBadHandles, AllBitsSetKeptAsMinusOneGivesNegativeSecondsOnAGoodStream) {
    TempDir dir;
    MakeToneOgg(dir / "a.ogg", 44100, 2, 0.1);
    const HSTREAM h = BASS_StreamCreateFile(FALSE, (dir / "a.ogg").c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    EXPECT_LT(BASS_ChannelBytes2Seconds(h, ~QWORD{0}), 0.0);
    EXPECT_EQ(BASS_ChannelGetLength(h, 1), std::numeric_limits<QWORD>::max())
        << "only byte lengths exist";
    BASS_ChannelStop(h);
}

TEST(Version, HighWordIs0x0204) {
    EXPECT_EQ(BASS_GetVersion() >> 16, 0x0204u);
}

} // namespace

// What reaches the device, sample for sample: SDL's disk driver writes the
// device's input to a file, which is compared with the file's own decoding.
#include "AudioTestSupport.h"

#include "audio/Bass.h"

#include <gtest/gtest.h>

#include <thread>

using namespace audiotest;
using namespace std::chrono_literals;

namespace {

struct Case {
    int rate;
    int channels;
};

class ExactOutputTest : public ::testing::TestWithParam<Case> {};

// Shorter than what a stream decodes ahead before its first sample goes out,
// so the comparison does not depend on how the decoder thread is scheduled.
constexpr double kShort = 0.4;

Samples ExpectedOnDevice(const std::filesystem::path& ogg) {
    int channels = 0;
    Samples decoded = DecodeOgg(ogg, nullptr, &channels);
    return channels == 1 ? ToStereo(decoded) : decoded;
}

HSTREAM OpenFile(const std::filesystem::path& ogg) {
    return BASS_StreamCreateFile(FALSE, ogg.c_str(), 0, 0, 0);
}

// Plays `h` (from its start when `restart`) and waits until it has ended.
bool PlayToEnd(HSTREAM h, BOOL restart = TRUE, std::chrono::seconds timeout = 10s) {
    return BASS_ChannelPlay(h, restart) &&
           WaitFor([&] { return BASS_ChannelIsActive(h) == 0; }, timeout);
}

TEST_P(ExactOutputTest, DeviceGetsTheDecodedSamplesWithoutGaps) {
    const Case c = GetParam();
    TempDir dir;
    MakeToneOgg(dir / "a.ogg", c.rate, c.channels, kShort);
    const Samples expected = ExpectedOnDevice(dir / "a.ogg");

    DiskDevice device(dir / "out.raw", c.rate, 0);
    ASSERT_TRUE(device.Ok());
    const HSTREAM h = OpenFile(dir / "a.ogg");
    ASSERT_TRUE(PlayToEnd(h));
    // Same layout: bit for bit. Mono goes through SDL's channel conversion,
    // which works in floating point and may be off by one step.
    const Match m = MatchWithSilence(device.Finish(), expected, 2, c.channels == 2 ? 0 : 1);
    EXPECT_TRUE(m.ok) << m.why;
    EXPECT_EQ(m.gaps, 0) << m.gapFrames << " silent frames inside the sound";
}

INSTANTIATE_TEST_SUITE_P(Formats, ExactOutputTest,
                         ::testing::Values(Case{44100, 2}, Case{48000, 2}, Case{22050, 1},
                                           Case{44100, 1}),
                         [](const auto& info) {
                             return std::to_string(info.param.rate) +
                                    (info.param.channels == 1 ? "Hz_mono" : "Hz_stereo");
                         });

TEST(DiskOutputTest, LongSoundPassesThroughTheBufferIntact) {
    // Several times the stream's buffer. The disk driver at full speed drains
    // it faster than the decoder refills it, so the device runs dry again and
    // again: that must insert silence, never end the stream early, and every
    // sample must still come once and in order.
    TempDir dir;
    MakeToneOgg(dir / "a.ogg", 44100, 2, 2.5);
    const Samples expected = ExpectedOnDevice(dir / "a.ogg");
    DiskDevice device(dir / "out.raw", 44100, 0);
    ASSERT_TRUE(device.Ok());
    const HSTREAM h = OpenFile(dir / "a.ogg");
    ASSERT_TRUE(PlayToEnd(h, TRUE, 20s));
    const Match m = MatchWithSilence(device.Finish(), expected, 2);
    EXPECT_TRUE(m.ok) << m.why;
}

TEST(DiskOutputTest, PauseAndContinueLoseAndRepeatNothing) {
    TempDir dir;
    MakeToneOgg(dir / "a.ogg", 44100, 2, 0.45);
    const Samples expected = ExpectedOnDevice(dir / "a.ogg");

    // 5 ms per 1024-frame buffer: about 4.6 times real time, slow enough to
    // pause in the middle.
    DiskDevice device(dir / "out.raw", 44100, 5);
    ASSERT_TRUE(device.Ok());
    const HSTREAM h = OpenFile(dir / "a.ogg");
    ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
    std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(BASS_ChannelPause(h)) << "the stream ended before it could be paused";
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_STATE_PAUSED);
    ASSERT_TRUE(PlayToEnd(h, FALSE));
    const Match m = MatchWithSilence(device.Finish(), expected, 2);
    EXPECT_TRUE(m.ok) << m.why;
    EXPECT_GE(m.gaps, 1) << "the pause left no silence inside the sound";
    EXPECT_GE(m.gapFrames, 1024);
}

TEST(DiskOutputTest, RestartPlaysFromTheBeginningAgain) {
    TempDir dir;
    MakeToneOgg(dir / "a.ogg", 44100, 2, 0.3);
    const Samples once = ExpectedOnDevice(dir / "a.ogg");
    Samples twice = once;
    twice.insert(twice.end(), once.begin(), once.end());

    DiskDevice device(dir / "out.raw", 44100, 0);
    ASSERT_TRUE(device.Ok());
    const HSTREAM h = OpenFile(dir / "a.ogg");
    ASSERT_TRUE(PlayToEnd(h));
    ASSERT_TRUE(PlayToEnd(h));
    // An ended stream continued (restart FALSE) starts over as well.
    Samples thrice = twice;
    thrice.insert(thrice.end(), once.begin(), once.end());
    ASSERT_TRUE(PlayToEnd(h, FALSE));
    const Match m = MatchWithSilence(device.Finish(), thrice, 2);
    EXPECT_TRUE(m.ok) << m.why;
}

TEST(DiskOutputTest, RestartInTheMiddleStartsOver) {
    TempDir dir;
    MakeToneOgg(dir / "a.ogg", 44100, 2, 0.45);
    const Samples expected = ExpectedOnDevice(dir / "a.ogg");

    DiskDevice device(dir / "out.raw", 44100, 5);
    ASSERT_TRUE(device.Ok());
    const HSTREAM h = OpenFile(dir / "a.ogg");
    ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
    std::this_thread::sleep_for(20ms);
    ASSERT_EQ(BASS_ChannelIsActive(h), BASS_STATE_PLAYING);
    ASSERT_TRUE(PlayToEnd(h));
    Samples out = device.Finish();

    // The output is a beginning of the sound, then the whole sound: the last
    // non-silent frames are exactly the file, and before them its first part.
    std::size_t end = out.size() / 2;
    while (end > 0 && out[2 * end - 1] == 0 && out[2 * end - 2] == 0) {
        --end;
    }
    const std::size_t frames = expected.size() / 2;
    ASSERT_GT(end, frames);
    const Samples tail(out.begin() + static_cast<std::ptrdiff_t>(2 * (end - frames)),
                       out.begin() + static_cast<std::ptrdiff_t>(2 * end));
    EXPECT_TRUE(tail == expected) << "the restarted sound is not the whole file";
    const Samples head(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(2 * (end - frames)));
    std::size_t first = 0;
    while (first < head.size() / 2 && head[2 * first] == 0 && head[2 * first + 1] == 0) {
        ++first;
    }
    ASSERT_LT(first, head.size() / 2) << "nothing was played before the restart";
    std::size_t n = 0;
    while (first + n < head.size() / 2 && 2 * n + 1 < expected.size() &&
           head[2 * (first + n)] == expected[2 * n] &&
           head[2 * (first + n) + 1] == expected[2 * n + 1]) {
        ++n;
    }
    EXPECT_GT(n, 1024u) << "what played before the restart is not the file's beginning";
    EXPECT_LT(n, frames) << "the whole sound played before the restart";
}

TEST(DiskOutputTest, OnlyTheStartedStreamSounds) {
    TempDir dir;
    MakeToneOgg(dir / "a.ogg", 44100, 2, 0.3);
    WriteOgg(dir / "b.ogg", 44100, 2, Tone(44100, 2, 20000, 0.9));
    const Samples expected = ExpectedOnDevice(dir / "a.ogg");

    DiskDevice device(dir / "out.raw", 44100, 0);
    ASSERT_TRUE(device.Ok());
    const HSTREAM a = OpenFile(dir / "a.ogg");
    const HSTREAM b = OpenFile(dir / "b.ogg");
    ASSERT_TRUE(a != 0 && b != 0);
    ASSERT_TRUE(PlayToEnd(a));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(BASS_ChannelIsActive(b), 0u);
    // b sits decoded ahead in its buffer; none of it may reach the device.
    const Samples out = device.Finish();
    const Match m = MatchWithSilence(out, expected, 2);
    EXPECT_TRUE(m.ok) << m.why;
    EXPECT_EQ(m.gaps, 0);
}

TEST(DiskOutputTest, ConvertsAnotherRateToTheDevicesRate) {
    TempDir dir;
    const std::int64_t frames = MakeToneOgg(dir / "a.ogg", 22050, 1, 0.2);
    DiskDevice device(dir / "out.raw", 44100, 0);
    ASSERT_TRUE(device.Ok());
    const HSTREAM h = OpenFile(dir / "a.ogg");
    ASSERT_TRUE(PlayToEnd(h));
    const Samples out = device.Finish();
    std::size_t first = out.size() / 2;
    std::size_t last = 0;
    for (std::size_t f = 0; f < out.size() / 2; ++f) {
        if (std::abs(out[2 * f]) > 300) {
            first = std::min(first, f);
            last = f;
        }
    }
    ASSERT_LT(first, last);
    const double span = static_cast<double>(last - first + 1);
    EXPECT_NEAR(span, 2.0 * static_cast<double>(frames), 0.02 * static_cast<double>(frames))
        << "22050 Hz sound on a 44100 Hz device lasts twice as many frames";
}

TEST(DiskOutputTest, DamagedMiddleStillPlaysToAnEnd) {
    TempDir dir;
    MakeToneOgg(dir / "good.ogg", 44100, 2, 3.0);
    auto bytes = ReadBytes(dir / "good.ogg");
    // Well past the headers, inside the sound's pages.
    for (std::size_t i = bytes.size() * 6 / 10; i < bytes.size() * 6 / 10 + 300; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 7);
    }
    WriteBytes(dir / "bad.ogg", bytes);

    DiskDevice device(dir / "out.raw", 44100, 0);
    ASSERT_TRUE(device.Ok());
    const HSTREAM h = BASS_StreamCreateFile(FALSE, (dir / "bad.ogg").c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u) << "the headers are intact, so the file opens";
    ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
    EXPECT_TRUE(WaitFor([&] { return BASS_ChannelIsActive(h) == 0; }, 10s))
        << "a damaged page must not hang the stream";
    const Samples out = device.Finish();
    std::size_t loud = 0;
    for (std::int16_t s : out) {
        loud += std::abs(s) > 1000 ? 1 : 0;
    }
    EXPECT_GT(loud, 44100u) << "the undamaged parts are played";
}

} // namespace

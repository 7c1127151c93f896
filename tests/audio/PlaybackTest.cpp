// Playback states in real time on SDL's dummy driver (the suite's default),
// the device's opening, and the release of superseded streams.
#include "AudioTestSupport.h"

#include "audio/Bass.h"
#include "audio/BassTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <limits>
#include <set>
#include <thread>

using namespace audiotest;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double Since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        BASS_Free();
        ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
        ASSERT_TRUE(InitRunning());
    }
    void TearDown() override { BASS_Free(); }

    HSTREAM Open(const std::string& name, double seconds) {
        MakeToneOgg(dir_ / name, 44100, 2, seconds);
        return BASS_StreamCreateFile(FALSE, (dir_ / name).c_str(), 0, 0, 0);
    }

    TempDir dir_;
};

TEST_F(PlaybackTest, PlaysThenReportsZeroOnceItHasPlayedToItsEnd) {
    const HSTREAM h = Open("a.ogg", 0.5);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(BASS_ChannelIsActive(h), 0u);
    const auto start = Clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_STATE_PLAYING);
    ASSERT_TRUE(WaitFor([&] { return BASS_ChannelIsActive(h) == 0; }, 5s));
    // The dummy driver consumes in real time: the end comes after the sound's
    // length, not at once.
    EXPECT_GT(Since(start), 0.4);
    EXPECT_LT(Since(start), 2.0);
    EXPECT_EQ(BASS_ChannelIsActive(h), 0u);
    EXPECT_EQ(BASS_ChannelGetLength(h, BASS_LENGTH_BYTES), 22050u * 4)
        << "an ended stream keeps its length";
}

TEST_F(PlaybackTest, PauseKeepsItActiveAndContinueResumesWhereItWas) {
    const HSTREAM h = Open("a.ogg", 1.0);
    ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(BASS_ChannelPause(h));
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_STATE_PAUSED);
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_STATE_PAUSED)
        << "a paused stream does not run on or end";
    const auto resumed = Clock::now();
    ASSERT_TRUE(BASS_ChannelPlay(h, FALSE));
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_STATE_PLAYING);
    ASSERT_TRUE(WaitFor([&] { return BASS_ChannelIsActive(h) == 0; }, 5s));
    // About 0.7 s were left; a start from the beginning would take a full second.
    EXPECT_GT(Since(resumed), 0.35);
    EXPECT_LT(Since(resumed), 0.95);
}

TEST_F(PlaybackTest, StopGivesZeroAndTheStreamStaysStopped) {
    const HSTREAM h = Open("a.ogg", 1.0);
    ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(BASS_ChannelStop(h));
    EXPECT_EQ(BASS_ChannelIsActive(h), 0u);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(BASS_ChannelIsActive(h), 0u);
    EXPECT_FALSE(BASS_ChannelPause(h)) << "a stopped stream cannot be paused";
    EXPECT_EQ(BASS_ChannelIsActive(h), 0u);
}

TEST_F(PlaybackTest, PausedThenStoppedGivesZero) {
    const HSTREAM h = Open("a.ogg", 1.0);
    ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
    ASSERT_TRUE(BASS_ChannelPause(h));
    EXPECT_TRUE(BASS_ChannelStop(h));
    EXPECT_EQ(BASS_ChannelIsActive(h), 0u);
}

TEST_F(PlaybackTest, HandleZeroAnswersZeroAndDisturbsNothing) {
    const HSTREAM h = Open("a.ogg", 1.0);
    ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
    EXPECT_EQ(BASS_ChannelIsActive(0), 0u);
    EXPECT_FALSE(BASS_ChannelStop(0));
    EXPECT_FALSE(BASS_ChannelPause(0));
    EXPECT_FALSE(BASS_ChannelPlay(0, TRUE));
    EXPECT_FALSE(BASS_ChannelPlay(0, FALSE));
    EXPECT_EQ(BASS_ChannelIsActive(h), BASS_STATE_PLAYING);
    BASS_ChannelStop(h);
}

TEST_F(PlaybackTest, OnlyStartedStreamsRun) {
    const HSTREAM a = Open("a.ogg", 0.3);
    const HSTREAM b = Open("b.ogg", 0.3);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    ASSERT_NE(a, b);
    ASSERT_TRUE(BASS_ChannelPlay(a, TRUE));
    EXPECT_EQ(BASS_ChannelIsActive(b), 0u);
    ASSERT_TRUE(WaitFor([&] { return BASS_ChannelIsActive(a) == 0; }, 5s));
    // b was never started: it has not been played to its end behind our back.
    ASSERT_TRUE(BASS_ChannelPlay(b, FALSE));
    EXPECT_EQ(BASS_ChannelIsActive(b), BASS_STATE_PLAYING);
    const auto start = Clock::now();
    ASSERT_TRUE(WaitFor([&] { return BASS_ChannelIsActive(b) == 0; }, 5s));
    EXPECT_GT(Since(start), 0.2);
}

TEST_F(PlaybackTest, StoppedStreamsAreReleasedByTheNextCreationAndTheirHandlesStayInvalid) {
    const HSTREAM first = Open("a.ogg", 0.5);
    const HSTREAM kept = BASS_StreamCreateFile(FALSE, (dir_ / "a.ogg").c_str(), 0, 0, 0);
    ASSERT_NE(first, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(kept, TRUE));
    ASSERT_TRUE(BASS_ChannelPause(kept));
    const DWORD live = BASS_TestLiveStreams();
    BASS_ChannelStop(first);
    EXPECT_EQ(BASS_TestLiveStreams(), live) << "a stop alone releases nothing";
    EXPECT_NE(BASS_ChannelGetLength(first, BASS_LENGTH_BYTES), std::numeric_limits<QWORD>::max());

    const HSTREAM next = BASS_StreamCreateFile(FALSE, (dir_ / "a.ogg").c_str(), 0, 0, 0);
    ASSERT_NE(next, 0u);
    // The decoder thread may hold the released stream for a moment longer.
    EXPECT_TRUE(WaitFor([&] { return BASS_TestLiveStreams() == live; }, 2s))
        << "the stopped one went, the new one came: " << BASS_TestLiveStreams() << " live";
    EXPECT_EQ(BASS_ChannelGetLength(first, BASS_LENGTH_BYTES), std::numeric_limits<QWORD>::max());
    EXPECT_LT(BASS_ChannelBytes2Seconds(first, 100), 0.0);
    EXPECT_EQ(BASS_ChannelIsActive(first), 0u);
    EXPECT_FALSE(BASS_ChannelPlay(first, TRUE));
    EXPECT_EQ(BASS_ChannelIsActive(kept), BASS_STATE_PAUSED) << "a paused stream is not superseded";

    // The player's cycle: stop the current stream, create the next. Memory
    // stays flat and no handle value comes back.
    std::set<HSTREAM> seen{first, kept, next};
    HSTREAM current = next;
    for (int i = 0; i < 40; ++i) {
        BASS_ChannelStop(current);
        current = BASS_StreamCreateFile(FALSE, (dir_ / "a.ogg").c_str(), 0, 0, 0);
        ASSERT_NE(current, 0u);
        EXPECT_TRUE(seen.insert(current).second) << "handle " << current << " given out twice";
        ASSERT_TRUE(BASS_ChannelPlay(current, TRUE));
    }
    EXPECT_TRUE(WaitFor([&] { return BASS_TestLiveStreams() == live; }, 2s))
        << BASS_TestLiveStreams() << " live after the player's cycle";
}

TEST(DeviceTest, InitOpensTheDeviceOnceAndRefusesWhatItCannotOpen) {
    BASS_Free();
    {
        ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
        EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
        EXPECT_EQ(BASS_TestDeviceRate(), 0u);
        EXPECT_TRUE(BASS_Free());
    }
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    EXPECT_FALSE(BASS_Init(5, 44100, 0, nullptr, nullptr)) << "only the default device exists here";
    EXPECT_FALSE(BASS_Init(-1, 0, 0, nullptr, nullptr));
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_TestDeviceRate(), 44100u) << "the device runs at the asked rate";
    EXPECT_EQ(BASS_TestDeviceChannels(), 2u);
    EXPECT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr))
        << "a second call finds the device ready";
    BASS_Free();
    EXPECT_EQ(BASS_TestDeviceRate(), 0u);
}

// The program answers SIGINT and SIGTERM itself: opening the device must leave
// them alone, also when the environment asks SDL for its own handlers.
TEST(DeviceTest, InitLeavesSigintAndSigtermAlone) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    for (const char* sdlSetting : {"", "0"}) { // "" leaves SDL at its default
        BASS_Free();
        ScopedEnv hint("SDL_NO_SIGNAL_HANDLERS", sdlSetting);
        ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
        for (int sig : {SIGINT, SIGTERM}) {
            struct sigaction now {};
            sigaction(sig, nullptr, &now);
            EXPECT_EQ(now.sa_handler, SIG_DFL)
                << "signal " << sig << ", SDL asked for " << sdlSetting;
        }
    }
    BASS_Free();
}

TEST(DeviceTest, StreamsNeedTheDeviceToPlay) {
    BASS_Free();
    TempDir dir;
    MakeToneOgg(dir / "a.ogg", 44100, 2, 0.2);
    const HSTREAM h = BASS_StreamCreateFile(FALSE, (dir / "a.ogg").c_str(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    EXPECT_FALSE(BASS_ChannelPlay(h, TRUE));
    EXPECT_FALSE(BASS_ChannelPause(h));
    EXPECT_EQ(BASS_ChannelIsActive(h), 0u);
    // A stream made before the device opened plays once it is open.
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    ASSERT_TRUE(BASS_ChannelPlay(h, TRUE));
    EXPECT_NE(BASS_ChannelIsActive(h), 0u);
    EXPECT_TRUE(WaitFor([&] { return BASS_ChannelIsActive(h) == 0; }, 5s));
    BASS_Free();
    EXPECT_EQ(BASS_ChannelGetLength(h, BASS_LENGTH_BYTES), std::numeric_limits<QWORD>::max())
        << "closing the device releases every stream";
}

} // namespace

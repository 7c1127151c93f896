// Plays an Ogg Vorbis file through the audio layer while `parecord` records
// a PulseAudio monitor source, and reports how long the sound took to show up
// there (from the play call, and from the stream's creation just before it),
// over three rounds.
// Used by tests/e2e/audio_null_sink.sh, which then checks the
// recording itself.
//   audio_play_tone TONE.ogg RECORDING.raw
// The recording (of the first round) is raw s16le, 2 channels, 44100 Hz.
// Prints key=value figures, one line per round and a last line with the
// first round's and the median delay; exits non-zero when the layer refused,
// a stream did not end or nothing sounded.
// PULSE_MONITOR names the source to record (default zenor_null.monitor).
#include "audio/Bass.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr int kFrame = 4;   // s16le stereo
constexpr int kLoud = 1000; // a sample above this is not silence
constexpr int kRounds = 3;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The recorder's output, with the time each piece arrived.
struct Recording {
    std::mutex lock;
    std::vector<unsigned char> bytes;
    std::vector<std::pair<std::size_t, Clock::time_point>> arrivals; // end offset, time
    std::size_t Size() {
        std::lock_guard g(lock);
        return bytes.size();
    }
};

bool WaitFor(const auto& pred, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (!pred()) {
        if (Clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

int Fail(const char* what) {
    std::fprintf(stderr, "audio_play_tone: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TONE.ogg RECORDING.raw\n", argv[0]);
        return 2;
    }
    const char* monitorEnv = std::getenv("PULSE_MONITOR");
    std::string monitor = monitorEnv != nullptr ? monitorEnv : "zenor_null.monitor";

    int pipeFd[2];
    if (pipe(pipeFd) != 0) {
        return Fail("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFd[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFd[0]);
    std::string device = "--device=" + monitor;
    std::vector<std::string> args = {"parecord",     "--raw",        "--format=s16le",
                                     "--rate=44100", "--channels=2", "--latency-msec=10",
                                     device};
    std::vector<char*> argvRec;
    for (auto& a : args) {
        argvRec.push_back(a.data());
    }
    argvRec.push_back(nullptr);
    pid_t recorder = 0;
    if (posix_spawnp(&recorder, "parecord", &actions, nullptr, argvRec.data(), environ) != 0) {
        return Fail("cannot start parecord");
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFd[1]);

    Recording rec;
    std::thread reader([&] {
        unsigned char buf[4096];
        for (;;) {
            const ssize_t n = read(pipeFd[0], buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            const auto now = Clock::now();
            std::lock_guard g(rec.lock);
            rec.bytes.insert(rec.bytes.end(), buf, buf + n);
            rec.arrivals.emplace_back(rec.bytes.size(), now);
        }
    });
    auto stopRecorder = [&] {
        kill(recorder, SIGINT);
        int status = 0;
        waitpid(recorder, &status, 0);
        reader.join();
        close(pipeFd[0]);
    };

    const auto initStart = Clock::now();
    const BOOL ok = BASS_Init(-1, kRate, 0, nullptr, nullptr);
    const double initMs = Ms(Clock::now() - initStart);
    if (!ok) {
        stopRecorder();
        return Fail("BASS_Init failed");
    }
    // The recorder must be running, and the device past its start-up, before
    // the clock starts.
    if (!WaitFor([&] { return rec.Size() >= kRate * kFrame / 5; }, std::chrono::seconds(5))) {
        stopRecorder();
        return Fail("parecord delivers nothing");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    // As the player does it: stop the current stream, create the next, ask its
    // length, play at once. Several rounds: the first one also pays for the
    // decoder's first start in this process; the median is the usual case.
    struct Round {
        std::size_t offset; // recording size when the round began
        Clock::time_point created, played;
        double playCallMs, playedMs, seconds;
        bool ended;
    };
    std::vector<Round> rounds;
    HSTREAM h = 0;
    for (int r = 0; r < kRounds; ++r) {
        Round round{};
        round.offset = rec.Size();
        BASS_ChannelStop(h);
        round.created = Clock::now();
        h = BASS_StreamCreateFile(FALSE, argv[1], 0, 0, 0);
        if (h == 0) {
            stopRecorder();
            return Fail("cannot open the tone");
        }
        round.seconds = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetLength(h, BASS_LENGTH_BYTES));
        round.played = Clock::now();
        BASS_ChannelPlay(h, TRUE);
        round.playCallMs = Ms(Clock::now() - round.played);
        round.ended =
            WaitFor([&] { return BASS_ChannelIsActive(h) == 0; },
                    std::chrono::milliseconds(static_cast<int>(round.seconds * 1000) + 3000));
        round.playedMs = Ms(Clock::now() - round.played);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        rounds.push_back(round);
    }
    const std::size_t endOffset = rec.Size();
    stopRecorder();
    BASS_Free();

    // The recording of the first round alone, for the checks of the sound.
    const std::size_t firstEnd = rounds.size() > 1 ? rounds[1].offset : endOffset;
    std::ofstream(argv[2], std::ios::binary)
        .write(reinterpret_cast<const char*>(rec.bytes.data() + rounds[0].offset),
               static_cast<std::streamsize>(firstEnd - rounds[0].offset));

    // Each round's first loud sample, timed on the recording's own clock:
    // sample k was recorded at base + k / rate. Each piece's arrival gives
    // base <= arrival - end / rate, since nothing arrives before it is
    // recorded; delivery hiccups only make that larger, so the smallest value
    // over all pieces is taken. The recorder's own delay stays in, so the
    // figures are upper bounds of the playing delay.
    auto msOf = [](std::size_t bytes) {
        return static_cast<double>(bytes) / kFrame / kRate * 1000.0;
    };
    const auto origin = rounds[0].played;
    double baseMs = 1e300;
    for (const auto& [end, when] : rec.arrivals) {
        baseMs = std::min(baseMs, Ms(when - origin) - msOf(end));
    }
    std::vector<double> latencies;
    bool ended = true;
    for (std::size_t r = 0; r < rounds.size(); ++r) {
        const std::size_t from = rounds[r].offset - rounds[r].offset % kFrame;
        const std::size_t to = r + 1 < rounds.size() ? rounds[r + 1].offset : endOffset;
        std::size_t loud = to;
        for (std::size_t i = from; i + 1 < to; i += 2) {
            const auto v = static_cast<std::int16_t>(rec.bytes[i] | (rec.bytes[i + 1] << 8));
            if (std::abs(v) > kLoud) {
                loud = i - i % kFrame;
                break;
            }
        }
        if (loud == to) {
            return Fail("a round recorded nothing but silence");
        }
        const double latencyMs = baseMs + msOf(loud) - Ms(rounds[r].played - origin);
        latencies.push_back(latencyMs);
        ended = ended && rounds[r].ended;
        std::printf("round=%zu latency_ms=%.1f from_create_ms=%.1f play_call_ms=%.1f "
                    "played_ms=%.1f length_s=%.3f "
                    "ended=%d\n",
                    r + 1, latencyMs, latencyMs + Ms(rounds[r].played - rounds[r].created),
                    rounds[r].playCallMs, rounds[r].playedMs, rounds[r].seconds,
                    rounds[r].ended ? 1 : 0);
    }
    std::vector<double> sorted = latencies;
    std::sort(sorted.begin(), sorted.end());
    std::printf("init_ms=%.1f first_latency_ms=%.1f latency_ms=%.1f\n", initMs, latencies[0],
                sorted[sorted.size() / 2]);
    std::fflush(stdout);
    return ended ? 0 : Fail("the stream did not end");
}

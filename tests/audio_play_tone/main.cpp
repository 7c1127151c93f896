// Plays an Ogg Vorbis file through the audio layer while `parecord` records
// a PulseAudio monitor source, and reports how long the sound took to show up
// there (from the play call, and from the stream's creation just before it).
// Used by tests/e2e/audio_null_sink.sh, which then checks the
// recording itself.
//   audio_play_tone TONE.ogg RECORDING.raw
// The recording is raw s16le, 2 channels, 44100 Hz. Prints one line of
// key=value figures; exits non-zero when the layer refused or nothing sounded.
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

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr int kFrame = 4;  // s16le stereo
constexpr int kLoud = 1000;  // a sample above this is not silence

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The recorder's output, with the time each piece arrived.
struct Recording {
  std::mutex lock;
  std::vector<unsigned char> bytes;
  std::vector<std::pair<std::size_t, Clock::time_point>> arrivals;  // end offset, time
  std::size_t size() {
    std::lock_guard g(lock);
    return bytes.size();
  }
};

bool waitFor(const auto &pred, std::chrono::milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  while (!pred()) {
    if (Clock::now() > end) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

int fail(const char *what) {
  std::fprintf(stderr, "audio_play_tone: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s TONE.ogg RECORDING.raw\n", argv[0]);
    return 2;
  }
  const char *monitorEnv = std::getenv("PULSE_MONITOR");
  std::string monitor = monitorEnv != nullptr ? monitorEnv : "zenor_null.monitor";

  int pipeFd[2];
  if (pipe(pipeFd) != 0) {
    return fail("pipe failed");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFd[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFd[0]);
  std::string device = "--device=" + monitor;
  std::vector<std::string> args = {"parecord", "--raw", "--format=s16le", "--rate=44100", "--channels=2",
                                   "--latency-msec=10", device};
  std::vector<char *> argvRec;
  for (auto &a : args) {
    argvRec.push_back(a.data());
  }
  argvRec.push_back(nullptr);
  pid_t recorder = 0;
  if (posix_spawnp(&recorder, "parecord", &actions, nullptr, argvRec.data(), environ) != 0) {
    return fail("cannot start parecord");
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
  const double initMs = ms(Clock::now() - initStart);
  if (!ok) {
    stopRecorder();
    return fail("BASS_Init failed");
  }
  // The recorder must be running, and the device past its start-up, before
  // the clock starts.
  if (!waitFor([&] { return rec.size() >= kRate * kFrame / 5; }, std::chrono::seconds(5))) {
    stopRecorder();
    return fail("parecord delivers nothing");
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  // As the player does it: create the stream, ask its length, play at once.
  std::size_t startOffset = rec.size();
  const auto created = Clock::now();
  const HSTREAM h = BASS_StreamCreateFile(FALSE, argv[1], 0, 0, 0);
  if (h == 0) {
    stopRecorder();
    return fail("cannot open the tone");
  }
  const double seconds = BASS_ChannelBytes2Seconds(h, BASS_ChannelGetLength(h, BASS_LENGTH_BYTES));
  const auto t0 = Clock::now();
  BASS_ChannelPlay(h, TRUE);
  const double playCallMs = ms(Clock::now() - t0);
  const bool ended = waitFor([&] { return BASS_ChannelIsActive(h) == 0; },
                             std::chrono::milliseconds(static_cast<int>(seconds * 1000) + 3000));
  const double playedMs = ms(Clock::now() - t0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  stopRecorder();
  BASS_Free();

  std::ofstream(argv[2], std::ios::binary)
      .write(reinterpret_cast<const char *>(rec.bytes.data()), static_cast<std::streamsize>(rec.bytes.size()));

  // The first loud sample after the play call, timed on the recording's own
  // clock: sample k was recorded at base + k / rate. Each piece's arrival
  // gives base <= arrival - end / rate, since nothing arrives before it is
  // recorded; delivery hiccups only make that larger, so the smallest value
  // over all pieces is taken. The recorder's own delay stays in, so the
  // figure is an upper bound of the playing delay.
  startOffset -= startOffset % kFrame;
  std::size_t loud = rec.bytes.size();
  for (std::size_t i = startOffset; i + 1 < rec.bytes.size(); i += 2) {
    const auto v = static_cast<std::int16_t>(rec.bytes[i] | (rec.bytes[i + 1] << 8));
    if (std::abs(v) > kLoud) {
      loud = i - i % kFrame;
      break;
    }
  }
  if (loud == rec.bytes.size()) {
    return fail("nothing but silence was recorded");
  }
  auto secondsOf = [](std::size_t bytes) { return static_cast<double>(bytes) / kFrame / kRate * 1000.0; };
  double baseMs = 1e300;
  for (const auto &[end, when] : rec.arrivals) {
    baseMs = std::min(baseMs, ms(when - t0) - secondsOf(end));
  }
  const double latencyMs = baseMs + secondsOf(loud);
  std::printf("init_ms=%.1f latency_ms=%.1f from_create_ms=%.1f play_call_ms=%.1f played_ms=%.1f length_s=%.3f "
              "ended=%d\n",
              initMs, latencyMs, latencyMs + ms(t0 - created), playCallMs, playedMs, seconds, ended ? 1 : 0);
  std::fflush(stdout);
  return ended ? 0 : fail("the stream did not end");
}

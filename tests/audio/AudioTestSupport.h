// Helpers for the audio layer's tests: making Ogg Vorbis files (a WAV written
// here, encoded by oggenc), decoding them independently of the layer, steering
// SDL's drivers through the environment, and comparing what reached the
// device with what the file holds.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace audiotest {

using Samples = std::vector<std::int16_t>;

/// The shape of a test recording: the parameter of the tests that run over
/// several rates, channel counts and lengths.
struct Format {
    int rate;
    int channels;
    std::int64_t frames;
};

/// A folder under the system's temporary folder, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

/// Interleaved 16-bit samples of a tone (a different pitch per channel, no
/// silent frames), `frames` long.
Samples Tone(int rate, int channels, std::int64_t frames, double amplitude = 0.5);

void WriteWav(const std::filesystem::path& path, int rate, int channels, const Samples& samples);

/// Writes samples as WAV and encodes it with oggenc; fails the test if that fails.
void WriteOgg(const std::filesystem::path& path, int rate, int channels, const Samples& samples);

/// Makes a tone file; returns its frame count.
std::int64_t MakeToneOgg(const std::filesystem::path& path, int rate, int channels, double seconds);

/// The file's samples as libvorbisfile decodes them (16-bit, host order).
Samples DecodeOgg(const std::filesystem::path& path, int* rate = nullptr, int* channels = nullptr);

std::vector<unsigned char> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);

/// Sets an environment variable for the lifetime of the object, then puts
/// back what was there.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

/// Polls pred until it holds or timeout passes; true if it held.
bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout);

/// BASS_Init on the default device, then waits until the device has asked
/// for samples twice: tests that time what is heard from a play on need the
/// device going, which BASS_Init itself does not wait for.
bool InitRunning(int rate = 44100);

/// Opens the layer's device on SDL's disk driver, writing raw output to a
/// file; BASS_Free on destruction. delayMs is the driver's pause per buffer
/// (0: as fast as it can write).
class DiskDevice {
public:
    DiskDevice(const std::filesystem::path& out, int rate, int delayMs);
    ~DiskDevice();
    DiskDevice(const DiskDevice&) = delete;
    DiskDevice& operator=(const DiskDevice&) = delete;
    bool Ok() const { return ok_; }
    /// Closes the device and returns every sample it was given.
    Samples Finish();

private:
    std::filesystem::path out_;
    ScopedEnv driver_;
    ScopedEnv file_;
    ScopedEnv delay_;
    bool ok_ = false;
    bool open_ = false;
};

/// Mono samples turned into stereo by repeating each sample on both sides.
Samples ToStereo(const Samples& mono);

/// Result of matching device output against the decoded file: the output must
/// be the file's frames in order, with only silent frames put in between.
/// tolerance is the largest difference allowed per sample.
struct Match {
    bool ok = false;
    std::string why;
    std::int64_t gapFrames = 0; // silent frames inserted between the first and last frame
    int gaps = 0;               // number of such inserted runs
};
Match MatchWithSilence(const Samples& output, const Samples& expected, int channels,
                       int tolerance = 0);

} // namespace audiotest

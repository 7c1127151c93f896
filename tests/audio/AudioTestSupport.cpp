#include "AudioTestSupport.h"

#include "audio/Bass.h"
#include "audio/BassTestSupport.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <random>
#include <thread>

namespace audiotest {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::random_device rd;
    path_ = fs::temp_directory_path() /
            ("zenor-audio-test-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

Samples Tone(int rate, int channels, std::int64_t frames, double amplitude) {
    Samples out(static_cast<std::size_t>(frames * channels));
    const double pi = std::acos(-1.0);
    for (std::int64_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const double hz = 440.0 * (c + 1) + 30.0;
            // Starts at a peak (cosine) so that neither the first nor the last
            // frame decodes to silence; the small offset keeps zero crossings off
            // integer samples.
            const double v =
                amplitude * std::cos(2 * pi * hz * static_cast<double>(f) / rate) + 0.01;
            out[static_cast<std::size_t>(f * channels + c)] =
                static_cast<std::int16_t>(std::lround(v * 32767));
        }
    }
    return out;
}

namespace {
void Put16(std::ofstream& o, std::uint16_t v) {
    const char b[2] = {static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
    o.write(b, 2);
}
void Put32(std::ofstream& o, std::uint32_t v) {
    Put16(o, static_cast<std::uint16_t>(v & 0xffff));
    Put16(o, static_cast<std::uint16_t>(v >> 16));
}
} // namespace

void WriteWav(const fs::path& path, int rate, int channels, const Samples& samples) {
    std::ofstream o(path, std::ios::binary);
    const auto data = static_cast<std::uint32_t>(samples.size() * 2);
    o.write("RIFF", 4);
    Put32(o, 36 + data);
    o.write("WAVEfmt ", 8);
    Put32(o, 16);
    Put16(o, 1);
    Put16(o, static_cast<std::uint16_t>(channels));
    Put32(o, static_cast<std::uint32_t>(rate));
    Put32(o, static_cast<std::uint32_t>(rate * channels * 2));
    Put16(o, static_cast<std::uint16_t>(channels * 2));
    Put16(o, 16);
    o.write("data", 4);
    Put32(o, data);
    for (std::int16_t s : samples) {
        Put16(o, static_cast<std::uint16_t>(s));
    }
    ASSERT_TRUE(o.good()) << path;
}

void WriteOgg(const fs::path& path, int rate, int channels, const Samples& samples) {
    const fs::path wav = fs::path(path).replace_extension(".wav");
    WriteWav(wav, rate, channels, samples);
    const std::string cmd = "oggenc -Q -q 4 -o '" + path.string() + "' '" + wav.string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    fs::remove(wav);
}

std::int64_t MakeToneOgg(const fs::path& path, int rate, int channels, double seconds) {
    const auto frames = static_cast<std::int64_t>(std::llround(seconds * rate));
    WriteOgg(path, rate, channels, Tone(rate, channels, frames));
    return frames;
}

Samples DecodeOgg(const fs::path& path, int* rate, int* channels) {
    Samples out;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) {
        ADD_FAILURE() << "cannot decode " << path;
        return out;
    }
    const vorbis_info* info = ov_info(&vf, -1);
    if (rate != nullptr) {
        *rate = static_cast<int>(info->rate);
    }
    if (channels != nullptr) {
        *channels = info->channels;
    }
    char buf[8192];
    int section = 0;
    for (;;) {
        const long got = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section);
        if (got <= 0) {
            break;
        }
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(got) / 2);
        std::memcpy(out.data() + at, buf, static_cast<std::size_t>(got));
    }
    ov_clear(&vf);
    return out;
}

std::vector<unsigned char> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream o(path, std::ios::binary);
    o.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
        had_ = true;
        old_ = old;
    }
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (had_) {
        setenv(name_.c_str(), old_.c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool InitRunning(int rate) {
    using namespace std::chrono_literals;
    return BASS_Init(-1, static_cast<DWORD>(rate), 0, nullptr, nullptr) != FALSE &&
           WaitFor([] { return BASS_TestDeviceCallbacks() >= 2; }, 3000ms);
}

DiskDevice::DiskDevice(const fs::path& out, int rate, int delayMs)
    : out_(out), driver_("SDL_AUDIODRIVER", "disk"), file_("SDL_DISKAUDIOFILE", out.string()),
      delay_("SDL_DISKAUDIODELAY", std::to_string(delayMs)) {
    BASS_Free();
    ok_ = InitRunning(rate);
    open_ = ok_;
}

DiskDevice::~DiskDevice() {
    if (open_) {
        BASS_Free();
    }
}

Samples DiskDevice::Finish() {
    BASS_Free();
    open_ = false;
    const std::vector<unsigned char> bytes = ReadBytes(out_);
    Samples out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

Samples ToStereo(const Samples& mono) {
    Samples out;
    out.reserve(mono.size() * 2);
    for (std::int16_t s : mono) {
        out.push_back(s);
        out.push_back(s);
    }
    return out;
}

Match MatchWithSilence(const Samples& output, const Samples& expected, int channels,
                       int tolerance) {
    Match m;
    const auto ch = static_cast<std::size_t>(channels);
    const std::size_t outFrames = output.size() / ch;
    const std::size_t expFrames = expected.size() / ch;
    auto frameEq = [&](std::size_t i, std::size_t j) {
        for (std::size_t c = 0; c < ch; ++c) {
            if (std::abs(int{output[i * ch + c]} - int{expected[j * ch + c]}) > tolerance) {
                return false;
            }
        }
        return true;
    };
    auto silent = [&](const Samples& s, std::size_t i) {
        for (std::size_t c = 0; c < ch; ++c) {
            if (s[i * ch + c] != 0) {
                return false;
            }
        }
        return true;
    };
    if (expFrames == 0 || silent(expected, 0) || silent(expected, expFrames - 1)) {
        m.why =
            "the expected samples begin or end with a silent frame; the match would be ambiguous";
        return m;
    }
    std::size_t j = 0;
    bool inGap = false;
    for (std::size_t i = 0; i < outFrames; ++i) {
        if (j < expFrames && frameEq(i, j)) {
            ++j;
            inGap = false;
        } else if (silent(output, i)) {
            if (j > 0 && j < expFrames) {
                ++m.gapFrames;
                if (!inGap) {
                    ++m.gaps;
                }
                inGap = true;
            }
        } else {
            m.why = "output frame " + std::to_string(i) + " differs from expected frame " +
                    std::to_string(j) + " of " + std::to_string(expFrames);
            return m;
        }
    }
    if (j != expFrames) {
        m.why = "only " + std::to_string(j) + " of " + std::to_string(expFrames) +
                " frames reached the device";
        return m;
    }
    m.ok = true;
    return m;
}

} // namespace audiotest

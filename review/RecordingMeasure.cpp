#include "review/RecordingMeasure.h"

#include "review/StepLoudness.h"

#include "audio/OggStreamEnd.h"
#include "audio/VorbisFile.h"

#include <ebur128.h>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct Ebur128Deleter {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

// Only a regular file is opened: a FIFO or a device named like a recording
// would block the open or never end.
bool IsRegularFile(const std::string& path, bool& exists) {
    struct stat st {};
    exists = stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
    return exists && S_ISREG(st.st_mode);
}

float Dbfs(double level) {
    return level > 0 ? static_cast<float>(20 * std::log10(level)) : -HUGE_VALF;
}

// The sums of the level strip and of the whole recording while the samples
// go by, in whole numbers of 16-bit steps, so that they are exact. Column c
// holds the frames from ceil(c · total / columns) on; frames past the
// announced total (a decoder that gives more) go into the last one.
class LevelSums {
public:
    LevelSums(std::size_t columns, std::int64_t totalFrames, int channels)
        : columns_(std::max<std::size_t>(1, columns)), shown_(columns), total_(totalFrames),
          channels_(channels) {
        end_ = ColumnStart(1);
    }

    /// Adds `frames` interleaved frames.
    void Add(const std::int16_t* pcm, std::size_t frames) {
        while (frames > 0) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(frames), end_ - at_));
            Sum(pcm, n * static_cast<std::size_t>(channels_), columns_[column_]);
            pcm += n * static_cast<std::size_t>(channels_);
            frames -= n;
            at_ += static_cast<std::int64_t>(n);
            if (at_ == end_) end_ = ColumnStart(++column_ + 1);
        }
    }

    std::int64_t FullScale() const {
        std::int64_t n = 0;
        for (const Sums& c : columns_) n += c.fullScale;
        return n;
    }
    int Peak() const {
        int peak = 0;
        for (const Sums& c : columns_) peak = std::max(peak, c.peak);
        return peak;
    }
    std::vector<StripColumn> Strip() const {
        std::vector<StripColumn> strip;
        strip.reserve(shown_);
        for (std::size_t c = 0; c < shown_; ++c) {
            const Sums& s = columns_[c];
            const double meanSquare =
                s.samples > 0 ? static_cast<double>(s.squares) / static_cast<double>(s.samples) : 0;
            strip.push_back({Dbfs(std::sqrt(meanSquare) / 32768), Dbfs(s.peak / 32768.0)});
        }
        return strip;
    }

private:
    struct Sums {
        std::int64_t squares = 0;
        std::int64_t samples = 0;
        std::int64_t fullScale = 0; // samples at either end of the 16-bit range
        int peak = 0;               // the largest magnitude
    };

    // The first frame of column c; the last column never ends. The total is
    // what the file claims and may be anything up to 2^63, so c · total is
    // taken apart rather than formed.
    std::int64_t ColumnStart(std::size_t c) const {
        if (c >= columns_.size()) return INT64_MAX;
        const auto n = static_cast<std::int64_t>(columns_.size());
        const auto k = static_cast<std::int64_t>(c);
        return k * (total_ / n) + (k * (total_ % n) + n - 1) / n;
    }

    // The one loop over every sample: kept plain, so that it is vectorised.
    static void Sum(const std::int16_t* pcm, std::size_t samples, Sums& into) {
        std::int64_t squares = 0;
        std::int64_t fullScale = 0;
        int peak = into.peak;
        for (std::size_t i = 0; i < samples; ++i) {
            const int v = pcm[i];
            const int magnitude = v < 0 ? -v : v;
            squares += v * v;
            peak = std::max(peak, magnitude);
            fullScale += magnitude >= INT16_MAX;
        }
        into.squares += squares;
        into.samples += static_cast<std::int64_t>(samples);
        into.fullScale += fullScale;
        into.peak = peak;
    }

    std::vector<Sums> columns_; // at least one, which a recording without columns fills
    std::size_t shown_;
    std::int64_t total_;
    int channels_;
    std::size_t column_ = 0;
    std::int64_t at_ = 0;
    std::int64_t end_ = 0;
};

// Up to `frames` frames of the decoder's floats as the player's interleaved
// 16-bit samples; fewer only at the end.
std::size_t ReadPcm16(VorbisFile& file, std::int16_t* pcm, std::size_t frames) {
    const auto width = static_cast<std::size_t>(file.Channels());
    std::size_t done = 0;
    while (done < frames) {
        const float* const* planes = nullptr;
        const std::size_t got = file.ReadFloat(planes, frames - done);
        if (got == 0) break;
        std::int16_t* out = pcm + done * width;
        if (width == 1) {
            for (std::size_t i = 0; i < got; ++i) out[i] = VorbisFile::Pcm16(planes[0][i]);
        } else {
            for (std::size_t c = 0; c < width; ++c)
                for (std::size_t i = 0; i < got; ++i)
                    out[i * width + c] = VorbisFile::Pcm16(planes[c][i]);
        }
        done += got;
    }
    return done;
}

RecordingMeasure Unreadable(std::string reason) {
    RecordingMeasure m;
    m.status = RecordingMeasure::Status::Unreadable;
    m.reason = std::move(reason);
    return m;
}

} // namespace

void SetStatusByEnd(RecordingMeasure& m, OggEnd end) {
    if (end == OggEnd::Clean) {
        m.status = RecordingMeasure::Status::Measured;
    } else {
        m.status = RecordingMeasure::Status::Truncated;
        m.reason = "the file ends inside its stream, before its last page";
    }
}

std::size_t StripColumnCount(long long frames, long rate) {
    if (frames <= 0 || rate <= 0) return 0;
    const double seconds = static_cast<double>(frames) / static_cast<double>(rate);
    const auto bySlice = static_cast<std::size_t>(std::ceil(seconds / kStripMinColumnSeconds));
    return std::clamp<std::size_t>(bySlice, 1, kStripColumns);
}

RecordingMeasure MeasureRecording(const std::string& path) {
    bool exists = false;
    if (!IsRegularFile(path, exists))
        return exists ? Unreadable("not a regular file") : RecordingMeasure{};
    const std::unique_ptr<VorbisFile> file = VorbisFile::Open(path);
    if (!file) return Unreadable("not an Ogg Vorbis file that can be played");

    const int channels = file->Channels();
    const auto rate = static_cast<unsigned long>(file->Rate());
    // The meter is read once per tenth of a second, over that tenth, and the
    // windows and the integrated loudness are put together from those
    // readings (StepLoudness). That needs a tenth of a second to be a whole
    // number of frames; at a rate such as 11025 Hz the meter's own integrated
    // loudness is taken, and its momentary loudness read at every step. The
    // sample peak is taken with the strip, not by the meter a second time.
    const bool fromSteps = rate % 10 == 0;
    std::unique_ptr<ebur128_state, Ebur128Deleter> meter(ebur128_init(
        static_cast<unsigned>(channels), rate, fromSteps ? EBUR128_MODE_M : EBUR128_MODE_I));
    if (!meter) return Unreadable("the loudness meter refuses its layout");

    // The decoder's floats are rounded to the 16-bit samples that the player
    // plays, so that the meter measures what an examiner hears.
    const std::size_t stepFrames = std::max<std::size_t>(1, rate / 10);
    std::vector<std::int16_t> pcm(stepFrames * static_cast<std::size_t>(channels));
    const std::int64_t totalFrames = file->Frames();
    LevelSums levels(StripColumnCount(totalFrames, static_cast<long>(rate)), totalFrames, channels);
    StepLoudness loudness;
    std::int64_t decoded = 0;
    while (const std::size_t frames = ReadPcm16(*file, pcm.data(), stepFrames)) {
        levels.Add(pcm.data(), frames);
        ebur128_add_frames_short(meter.get(), pcm.data(), frames);
        double lufs = -HUGE_VAL;
        if (fromSteps && frames == stepFrames) {
            if (ebur128_loudness_window(meter.get(), 100, &lufs) == EBUR128_SUCCESS)
                loudness.AddStep(lufs);
        } else if (ebur128_loudness_momentary(meter.get(), &lufs) == EBUR128_SUCCESS) {
            loudness.AddWindow(lufs);
        }
        decoded += static_cast<std::int64_t>(frames);
    }

    RecordingMeasure m;
    m.seconds = static_cast<double>(totalFrames) / static_cast<double>(rate);
    if (decoded < totalFrames) {
        char text[96];
        std::snprintf(text, sizeof text, "decoding stops at %.3f s of %.3f s",
                      static_cast<double>(decoded) / static_cast<double>(rate), m.seconds);
        return Unreadable(text);
    }
    if (fromSteps)
        m.integratedLufs = loudness.Integrated();
    else
        ebur128_loudness_global(meter.get(), &m.integratedLufs);
    const int peak = levels.Peak();
    m.samplePeakDbfs = peak > 0 ? 20 * std::log10(peak / 32768.0) : -HUGE_VAL;
    m.loudestMomentaryLufs = loudness.Loudest();
    const std::int64_t samples = decoded * channels;
    m.fullScaleShare =
        samples > 0 ? static_cast<double>(levels.FullScale()) / static_cast<double>(samples) : 0;
    m.strip = levels.Strip();
    SetStatusByEnd(m, OggStreamEnd(path));
    return m;
}

long long DecodeOnly(const std::string& path) {
    bool exists = false;
    if (!IsRegularFile(path, exists)) return -1;
    const std::unique_ptr<VorbisFile> file = VorbisFile::Open(path);
    if (!file) return -1;
    std::vector<char> pcm(1 << 16);
    long long frames = 0;
    while (const std::size_t bytes = file->Read(pcm.data(), pcm.size()))
        frames += static_cast<long long>(bytes) / (2LL * file->Channels());
    return frames;
}

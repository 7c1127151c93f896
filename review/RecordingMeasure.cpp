#include "review/RecordingMeasure.h"

#include "audio/OggStreamEnd.h"
#include "audio/VorbisFile.h"

#include <ebur128.h>

#include <sys/stat.h>

#include <algorithm>
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

// Sums of one strip column while the samples go by.
struct ColumnSums {
    double squares = 0;
    double peak = 0;
    std::int64_t samples = 0;
};

float Dbfs(double level) {
    return level > 0 ? static_cast<float>(20 * std::log10(level)) : -HUGE_VALF;
}

RecordingMeasure Unreadable(std::string reason) {
    RecordingMeasure m;
    m.status = RecordingMeasure::Status::Unreadable;
    m.reason = std::move(reason);
    return m;
}

} // namespace

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
    std::unique_ptr<ebur128_state, Ebur128Deleter> meter(ebur128_init(
        static_cast<unsigned>(channels), rate, EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK));
    if (!meter) return Unreadable("the loudness meter refuses its layout");

    // Fed in tenths of a second, so that the momentary loudness can be read
    // after each step and the loudest 400 ms window is never skipped over.
    const std::size_t stepFrames = std::max<std::size_t>(1, rate / 10);
    std::vector<std::int16_t> pcm(stepFrames * static_cast<std::size_t>(channels));
    std::int64_t decoded = 0;
    std::int64_t fullScale = 0;
    const std::int64_t totalFrames = file->Frames();
    std::vector<ColumnSums> columns(StripColumnCount(totalFrames, static_cast<long>(rate)));
    double loudest = -HUGE_VAL;
    for (;;) {
        const std::size_t bytes = file->Read(pcm.data(), pcm.size() * sizeof(std::int16_t));
        if (bytes == 0) break;
        const std::size_t samples = bytes / sizeof(std::int16_t);
        const std::size_t frames = samples / static_cast<std::size_t>(channels);
        for (std::size_t i = 0; i < samples; ++i)
            if (pcm[i] >= INT16_MAX || pcm[i] <= -INT16_MAX) ++fullScale;
        // A frame belongs to column frame * columns / total; a decoder that
        // gives more frames than it announced puts them into the last one.
        for (std::size_t f = 0; f < frames && !columns.empty(); ++f) {
            const std::int64_t at = decoded + static_cast<std::int64_t>(f);
            const auto c = std::min<std::size_t>(
                columns.size() - 1,
                static_cast<std::size_t>(at * static_cast<std::int64_t>(columns.size()) /
                                         std::max<std::int64_t>(1, totalFrames)));
            ColumnSums& sums = columns[c];
            for (int ch = 0; ch < channels; ++ch) {
                const double v =
                    pcm[f * static_cast<std::size_t>(channels) + static_cast<std::size_t>(ch)] /
                    32768.0;
                sums.squares += v * v;
                sums.peak = std::max(sums.peak, std::abs(v));
            }
            sums.samples += channels;
        }
        ebur128_add_frames_short(meter.get(), pcm.data(), frames);
        double momentary = -HUGE_VAL;
        if (ebur128_loudness_momentary(meter.get(), &momentary) == EBUR128_SUCCESS)
            loudest = std::max(loudest, momentary);
        decoded += static_cast<std::int64_t>(frames);
    }

    RecordingMeasure m;
    m.seconds = static_cast<double>(file->Frames()) / static_cast<double>(rate);
    if (decoded < file->Frames()) {
        char text[96];
        std::snprintf(text, sizeof text, "decoding stops at %.3f s of %.3f s",
                      static_cast<double>(decoded) / static_cast<double>(rate), m.seconds);
        return Unreadable(text);
    }
    ebur128_loudness_global(meter.get(), &m.integratedLufs);
    double peak = 0;
    for (int c = 0; c < channels; ++c) {
        double channelPeak = 0;
        if (ebur128_sample_peak(meter.get(), static_cast<unsigned>(c), &channelPeak) ==
            EBUR128_SUCCESS)
            peak = std::max(peak, channelPeak);
    }
    m.samplePeakDbfs = peak > 0 ? 20 * std::log10(peak) : -HUGE_VAL;
    m.loudestMomentaryLufs = loudest;
    const std::int64_t samples = decoded * channels;
    m.fullScaleShare =
        samples > 0 ? static_cast<double>(fullScale) / static_cast<double>(samples) : 0;
    m.strip.reserve(columns.size());
    for (const ColumnSums& c : columns)
        m.strip.push_back(
            {Dbfs(c.samples > 0 ? std::sqrt(c.squares / static_cast<double>(c.samples)) : 0),
             Dbfs(c.peak)});
    if (OggStreamEnd(path) != OggEnd::Clean) {
        m.status = RecordingMeasure::Status::Truncated;
        m.reason = "the file ends inside its stream, before its last page";
    } else {
        m.status = RecordingMeasure::Status::Measured;
    }
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

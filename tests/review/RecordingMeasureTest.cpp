// The measuring against the plain way of asking libebur128 the same: the
// player's 16-bit samples fed a tenth of a second at a time, the momentary
// loudness read after every step, the meter's own integrated loudness and
// sample peak. The check's faster pass must give the same figures, so that it
// finds the same problems.
#include "review/RecordingMeasure.h"

#include "audio/VorbisFile.h"
#include "support/TempTree.h"

#include <ebur128.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Plain {
    double integrated = 0, loudest = -HUGE_VAL, peakDbfs = 0, fullScaleShare = 0;
};

Plain MeasurePlainly(const std::string& path) {
    const auto file = VorbisFile::Open(path);
    EXPECT_TRUE(file);
    Plain p;
    if (!file) return p;
    const int channels = file->Channels();
    ebur128_state* meter =
        ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(file->Rate()),
                     EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK);
    std::vector<std::int16_t> pcm(static_cast<std::size_t>(file->Rate() / 10 * channels));
    std::int64_t samples = 0, fullScale = 0;
    while (const std::size_t bytes = file->Read(pcm.data(), pcm.size() * 2)) {
        const std::size_t n = bytes / 2;
        for (std::size_t i = 0; i < n; ++i) fullScale += std::abs(pcm[i]) >= INT16_MAX;
        samples += static_cast<std::int64_t>(n);
        ebur128_add_frames_short(meter, pcm.data(), n / static_cast<std::size_t>(channels));
        double momentary = -HUGE_VAL;
        ebur128_loudness_momentary(meter, &momentary);
        p.loudest = std::max(p.loudest, momentary);
    }
    ebur128_loudness_global(meter, &p.integrated);
    double peak = 0;
    for (int c = 0; c < channels; ++c) {
        double channelPeak = 0;
        ebur128_sample_peak(meter, static_cast<unsigned>(c), &channelPeak);
        peak = std::max(peak, channelPeak);
    }
    ebur128_destroy(&meter);
    p.peakDbfs = peak > 0 ? 20 * std::log10(peak) : -HUGE_VAL;
    p.fullScaleShare = static_cast<double>(fullScale) / static_cast<double>(samples);
    return p;
}

TEST(MeasureRecording, GivesTheFiguresOfThePlainWay) {
    // sox's synth: a late start, an end off the tenth-second grid, bursts, a
    // stereo pair, a rate not divisible by ten, clipping, a fade, digital
    // silence.
    struct Row {
        const char* file;
        const char* format; // sox's options for the output file
        const char* effects;
    };
    const Row rows[] = {
        {"late.ogg", "-r 44100 -c 1", "synth 2.37 sine 440 vol 0.5 pad 1 0"},
        {"bursts.ogg", "-r 22050 -c 1", "synth 0.25 pinknoise vol 0.6 pad 2.2 1.35 repeat 2"},
        {"stereo.ogg", "-r 48000 -c 2", "synth 3.05 sine 300 sine 500 vol 0.4"},
        {"odd-rate.ogg", "-r 11025 -c 1", "synth 0.3 sine 700 pad 1.05 0.8 repeat 1"},
        {"clipped.ogg", "-r 16000 -c 1", "synth 2 sine 200 gain 12"},
        // Fading to nothing: its quiet end falls below the relative gate.
        {"fade.ogg", "-r 32000 -c 1", "synth 3 sine 440 vol 0.5 fade 0 3 2.5"},
        {"silence.ogg", "-r 22050 -c 1", "trim 0 2"},
    };
    zenor::test::TempTree tree;
    for (const Row& row : rows) {
        const std::string file = row.file;
        const std::string path = tree.Root() + "/" + file;
        const std::string make =
            std::string("sox -n ") + row.format + " '" + path + "' " + row.effects + " 2>/dev/null";
        if (std::system(make.c_str()) != 0) GTEST_SKIP() << "sox cannot write Ogg Vorbis here";

        const RecordingMeasure m = MeasureRecording(path);
        ASSERT_EQ(m.status, RecordingMeasure::Status::Measured) << file << ": " << m.reason;
        const Plain p = MeasurePlainly(path);
        // Put together from other sums, a loudness may differ in its last bits.
        const auto sameLoudness = [&](double got, double want) {
            if (std::isinf(want))
                EXPECT_EQ(got, want) << file;
            else
                EXPECT_NEAR(got, want, 1e-9) << file;
        };
        sameLoudness(m.integratedLufs, p.integrated);
        sameLoudness(m.loudestMomentaryLufs, p.loudest);
        EXPECT_EQ(m.samplePeakDbfs, p.peakDbfs) << file;
        EXPECT_EQ(m.fullScaleShare, p.fullScaleShare) << file;
    }
}

} // namespace

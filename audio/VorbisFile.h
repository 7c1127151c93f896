// One Ogg Vorbis file opened for decoding into interleaved signed 16-bit
// samples in host byte order, or into the decoder's own floats, one array per
// channel, for those who measure rather than play. Owns the libvorbisfile
// state and the open file. Not thread-safe: one thread at a time (the audio
// layer guards it).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct OggVorbis_File;

class VorbisFile {
public:
    /// Opens path; nullptr when it is not a readable, seekable Ogg Vorbis file.
    static std::unique_ptr<VorbisFile> Open(const std::string& path);
    ~VorbisFile();
    VorbisFile(const VorbisFile&) = delete;
    VorbisFile& operator=(const VorbisFile&) = delete;

    int Rate() const { return rate_; }
    int Channels() const { return channels_; }
    /// PCM frames in the whole file.
    std::int64_t Frames() const { return frames_; }

    /// Decodes up to `bytes` bytes (whole frames) into out. Returns the bytes
    /// written; 0 at the end of the file or after an error that decoding
    /// cannot get past. Damaged pages inside the file are skipped.
    std::size_t Read(void* out, std::size_t bytes);

    /// Decodes the next stretch of up to `maxFrames` frames as floats (full
    /// scale ±1), before they are rounded to 16 bits; `channels` points at one
    /// array per channel, valid until the next read. Returns the frames given,
    /// 0 where Read would end. Damaged pages are skipped as Read skips them.
    std::size_t ReadFloat(const float* const*& channels, std::size_t maxFrames);

    /// The 16-bit sample that Read gives for the float `sample` of ReadFloat:
    /// scaled by 32768, rounded to the nearest, held within the 16-bit range.
    /// Inline, so that a loop over a block of samples is vectorised.
    static std::int16_t Pcm16(float sample) {
        // Held first, so that the rounding never sees a value it cannot hold
        // (a damaged stream may decode to anything; NaN falls through min and
        // max to the lowest sample). Adding and taking away
        // 1.5 · 2^23 rounds a float of this size to the nearest whole number,
        // ties to even, as libvorbisfile's own rounding does.
        const float x = std::max(-32768.f, std::min(sample * 32768.f, 32767.f));
        constexpr float kRound = 12582912.f;
        return static_cast<std::int16_t>((x + kRound) - kRound);
    }

    /// Back to the first sample; false if the file refuses to seek.
    bool Rewind();

private:
    VorbisFile() = default;
    std::unique_ptr<OggVorbis_File> vf_;
    int rate_ = 0;
    int channels_ = 0;
    std::int64_t frames_ = 0;
    bool failed_ = false;
};

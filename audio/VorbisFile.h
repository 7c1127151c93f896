// One Ogg Vorbis file opened for decoding into interleaved signed 16-bit
// samples in host byte order. Owns the libvorbisfile state and the open file.
// Not thread-safe: one thread at a time (the audio layer guards it).
#pragma once

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

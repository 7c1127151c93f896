#include "audio/VorbisFile.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens a regular file for reading without ever waiting: a FIFO with no
// writer or a device named like a recording would otherwise hold the open
// (and the window) for ever, or decode without end.
FILE* OpenRegularFile(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    FILE* f = ::fdopen(fd, "rb");
    if (f == nullptr) ::close(fd);
    return f;
}

} // namespace

std::unique_ptr<VorbisFile> VorbisFile::Open(const std::string& path) {
    FILE* f = OpenRegularFile(path);
    if (f == nullptr) return nullptr;
    std::unique_ptr<VorbisFile> file(new VorbisFile);
    file->vf_ = std::make_unique<OggVorbis_File>();
    // On success the decoder owns the file and ov_clear closes it; on failure
    // it is still ours.
    if (ov_open(f, file->vf_.get(), nullptr, 0) != 0) {
        std::fclose(f);
        file->vf_.reset();
        return nullptr;
    }
    const vorbis_info* info = ov_info(file->vf_.get(), -1);
    const ogg_int64_t total = ov_pcm_total(file->vf_.get(), -1);
    // A length is promised for every stream, so an unseekable or headerless
    // file is refused here rather than played with an unknown length.
    if (info == nullptr || total < 0 || info->channels < 1 || info->channels > 8 ||
        info->rate < 1 || info->rate > 768000 || ov_seekable(file->vf_.get()) == 0) {
        return nullptr;
    }
    file->rate_ = static_cast<int>(info->rate);
    file->channels_ = info->channels;
    file->frames_ = total;
    return file;
}

VorbisFile::~VorbisFile() {
    if (vf_) {
        ov_clear(vf_.get());
    }
}

std::size_t VorbisFile::Read(void* out, std::size_t bytes) {
    const std::size_t frame = static_cast<std::size_t>(channels_) * 2;
    bytes -= bytes % frame;
    char* dst = static_cast<char*>(out);
    std::size_t done = 0;
    // A hole (a damaged or missing page) is reported once and decoding goes
    // on after it; other errors end the stream rather than loop forever.
    int holes = 0;
    while (!failed_ && done < bytes) {
        int section = 0;
        const long chunk = static_cast<long>(std::min<std::size_t>(bytes - done, 1 << 16));
        const long got = ov_read(vf_.get(), dst + done, static_cast<int>(chunk),
                                 std::endian::native == std::endian::big ? 1 : 0, 2, 1, &section);
        if (got == 0) {
            break;
        }
        if (got == OV_HOLE && ++holes < 64) {
            continue;
        }
        if (got < 0) {
            failed_ = true;
            break;
        }
        // A chained file whose later link has another layout cannot go through
        // the converter set up for the first one; it ends where the layout changes.
        const vorbis_info* info = ov_info(vf_.get(), section);
        if (info == nullptr || info->channels != channels_ || info->rate != rate_) {
            failed_ = true;
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done - done % frame;
}

std::size_t VorbisFile::ReadFloat(const float* const*& channels, std::size_t maxFrames) {
    int holes = 0;
    while (!failed_ && maxFrames > 0) {
        int section = 0;
        float** pcm = nullptr;
        const long got = ov_read_float(
            vf_.get(), &pcm, static_cast<int>(std::min<std::size_t>(maxFrames, 1 << 16)), &section);
        if (got == 0) return 0;
        if (got == OV_HOLE && ++holes < 64) continue;
        const vorbis_info* info = got < 0 ? nullptr : ov_info(vf_.get(), section);
        // As in Read: an error, or a later link of another layout, ends the stream.
        if (info == nullptr || info->channels != channels_ || info->rate != rate_) {
            failed_ = true;
            return 0;
        }
        channels = pcm;
        return static_cast<std::size_t>(got);
    }
    return 0;
}

bool VorbisFile::Rewind() {
    failed_ = false;
    return ov_pcm_seek(vf_.get(), 0) == 0;
}

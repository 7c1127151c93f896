#include "audio/OggVorbisLength.h"

#include "audio/OggPages.h"
#include "audio/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// The first page holds the identification header alone (58 bytes as
// encoders write it). The last page is most often a few KiB: a small tail is
// read first, and the largest, which holds the whole last page, only when
// it holds no whole page with a granule position. Reading no more than that
// keeps a hundred thousand works to seconds.
constexpr off_t kHeadBytes = 4 * 1024;
constexpr off_t kTailBytes[] = {16 * 1024, kTailHoldingLastPage};
// The identification header: type 1, "vorbis", version, channels, rate...
constexpr std::size_t kIdHeaderBytes = 30;

std::uint32_t Le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

OggVorbisLength Unreadable(std::string reason) {
    OggVorbisLength l;
    l.status = OggVorbisLength::Status::Unreadable;
    l.reason = std::move(reason);
    return l;
}

} // namespace

OggVorbisLength ReadOggVorbisLength(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return {};
    if (!S_ISREG(st.st_mode)) return Unreadable("not a regular file");
    const UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0 || fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Unreadable(std::string("cannot open: ") + std::strerror(errno));

    // The first page begins the stream and holds the identification header
    // as its first packet, alone.
    std::vector<unsigned char> head(static_cast<std::size_t>(std::min(st.st_size, kHeadBytes)));
    if (!ReadAt(fd.Get(), 0, head)) return Unreadable(std::strerror(errno));
    OggVorbisLength l;
    bool found = false;
    int serial = 0;
    ForEachPage(head, [&](ogg_page& page) {
        if (!ogg_page_bos(&page)) return false;
        ogg_stream_state stream;
        ogg_stream_init(&stream, ogg_page_serialno(&page));
        ogg_packet packet;
        if (ogg_stream_pagein(&stream, &page) == 0 && ogg_stream_packetout(&stream, &packet) == 1 &&
            packet.bytes >= static_cast<long>(kIdHeaderBytes) && packet.packet[0] == 1 &&
            std::memcmp(packet.packet + 1, "vorbis", 6) == 0 && Le32(packet.packet + 7) == 0) {
            l.channels = packet.packet[11];
            l.rate = static_cast<long>(Le32(packet.packet + 12));
            serial = ogg_page_serialno(&page);
            found = l.channels > 0 && l.rate > 0;
        }
        ogg_stream_clear(&stream);
        return false;
    });
    if (!found) return Unreadable("not an Ogg Vorbis file that can be played");

    ogg_int64_t granule = -1;
    for (const off_t tailBytes : kTailBytes) {
        const off_t start = std::max<off_t>(0, st.st_size - tailBytes);
        std::vector<unsigned char> tail(static_cast<std::size_t>(st.st_size - start));
        if (!ReadAt(fd.Get(), start, tail)) return Unreadable(std::strerror(errno));
        granule = -1;
        l.end = TailEnd(tail, [&](ogg_page& page) {
            if (ogg_page_serialno(&page) == serial && ogg_page_granulepos(&page) >= 0)
                granule = ogg_page_granulepos(&page);
        });
        if (granule >= 0 || start == 0) break;
    }
    if (granule < 0) return Unreadable("no page of the stream tells its length");
    l.status = OggVorbisLength::Status::Read;
    l.frames = granule;
    return l;
}

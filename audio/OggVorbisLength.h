// The length of an Ogg Vorbis recording without decoding it: the rate and
// channels from the identification header on the stream's first page, the
// frames from the granule position of the last whole page of that stream,
// and how the file ends (OggStreamEnd.h). For a page that lists tens of
// thousands of recordings, where decoding each would take minutes; a
// recording whose audio is damaged in the middle still gets its length.
#pragma once

#include "audio/OggStreamEnd.h"

#include <cstdint>
#include <string>

struct OggVorbisLength {
    enum class Status {
        Read,       // rate, channels and frames are set
        Missing,    // no such file (a folder of that name counts as none)
        Unreadable, // not a regular file, reading it failed, or no Vorbis stream
    };
    Status status = Status::Missing;
    std::string reason; // for Unreadable
    long rate = 0;
    int channels = 0;
    std::int64_t frames = 0; // the last whole page's granule position
    OggEnd end = OggEnd::NotOgg;
};

/// Reads the first and the last pages of the file at `path`; never blocks on
/// a file that is not a regular one.
OggVorbisLength ReadOggVorbisLength(const std::string& path);

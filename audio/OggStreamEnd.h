// Whether an Ogg file ends where its stream says it ends. A recording cut
// short by a failed copy still decodes up to the cut, and libvorbisfile
// takes its length from the last whole page, so nothing but the file's end
// tells it apart from a shorter answer: the last page must be whole and
// carry the end-of-stream flag.
#pragma once

#include <string>

enum class OggEnd {
    Clean,     // the last page is whole and ends the stream
    Cut,       // bytes of a page that never ends, or no end-of-stream page
    NotOgg,    // no Ogg page in the file's last 128 KiB
    Unreadable // not a regular file, or reading it failed
};

/// Looks at the last pages of the file at `path`; never blocks on a file
/// that is not a regular one.
OggEnd OggStreamEnd(const std::string& path);

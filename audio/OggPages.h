// An Ogg file's pages read without decoding them, for the readers that look
// only at a recording's first or last pages (OggStreamEnd, OggVorbisLength):
// bytes read at an offset, the checksummed pages among them, and how the
// last of them ends the file.
#pragma once

#include "audio/OggStreamEnd.h"

#include <ogg/ogg.h>

#include <sys/types.h>

#include <functional>
#include <vector>

/// An Ogg page is at most 65,307 bytes, so a tail this long holds the whole
/// of the last page and the start of the page before it.
inline constexpr off_t kTailHoldingLastPage = 128 * 1024;

/// Fills `bytes` from offset `at` of `fd`; fewer when the file has shrunk
/// meanwhile. False when reading fails (errno tells why).
bool ReadAt(int fd, off_t at, std::vector<unsigned char>& bytes);

/// Walks the checksummed pages of `bytes`, which may start inside a page:
/// `visit` gets each whole page and returns whether to go on. Returns
/// whether the bytes end on a page's end.
bool ForEachPage(const std::vector<unsigned char>& bytes,
                 const std::function<bool(ogg_page&)>& visit);

/// How the pages of a file's last bytes end it (never OggEnd::Unreadable);
/// `visit`, when given, sees each whole page on the way.
OggEnd TailEnd(const std::vector<unsigned char>& tail,
               const std::function<void(ogg_page&)>& visit = {});

#include "audio/OggPages.h"

#include <unistd.h>

#include <algorithm>

bool ReadAt(int fd, off_t at, std::vector<unsigned char>& bytes) {
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n =
            pread(fd, bytes.data() + got, bytes.size() - got, at + static_cast<off_t>(got));
        if (n < 0) return false;
        if (n == 0) break; // the file shrank while it was read
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return true;
}

bool ForEachPage(const std::vector<unsigned char>& bytes,
                 const std::function<bool(ogg_page&)>& visit) {
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, static_cast<long>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), buffer);
    ogg_sync_wrote(&sync, static_cast<long>(bytes.size()));
    // pageseek skips what is not a page (the bytes may start inside one) and
    // checks every page's checksum, so a stray "OggS" in the audio data does
    // not pass for a page.
    std::size_t consumed = 0;
    ogg_page page;
    for (;;) {
        const long n = ogg_sync_pageseek(&sync, &page);
        if (n == 0) break; // the rest is the start of a page that never ends
        consumed += static_cast<std::size_t>(n < 0 ? -n : n);
        if (n > 0 && !visit(page)) break;
    }
    ogg_sync_clear(&sync);
    return consumed == bytes.size();
}

OggEnd TailEnd(const std::vector<unsigned char>& tail,
               const std::function<void(ogg_page&)>& visit) {
    bool sawPage = false;
    bool lastEndsStream = false;
    const bool endsOnPage = ForEachPage(tail, [&](ogg_page& page) {
        sawPage = true;
        lastEndsStream = ogg_page_eos(&page) != 0;
        if (visit) visit(page);
        return true;
    });
    if (!sawPage) return OggEnd::NotOgg;
    return lastEndsStream && endsOnPage ? OggEnd::Clean : OggEnd::Cut;
}

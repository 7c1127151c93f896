#include "audio/OggStreamEnd.h"

#include "audio/UniqueFd.h"

#include <ogg/ogg.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

// An Ogg page is at most 65,307 bytes, so the tail holds the whole of the
// last page and the start of the page before it.
constexpr off_t kTailBytes = 128 * 1024;

} // namespace

OggEnd OggStreamEnd(const std::string& path) {
    const UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (fd.Get() < 0 || fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return OggEnd::Unreadable;
    const off_t start = std::max<off_t>(0, st.st_size - kTailBytes);
    std::vector<char> tail(static_cast<std::size_t>(st.st_size - start));
    std::size_t got = 0;
    while (got < tail.size()) {
        const ssize_t n =
            pread(fd.Get(), tail.data() + got, tail.size() - got, start + static_cast<off_t>(got));
        if (n < 0) return OggEnd::Unreadable;
        if (n == 0) break; // the file shrank while it was read
        got += static_cast<std::size_t>(n);
    }

    ogg_sync_state sync;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, static_cast<long>(got));
    std::copy_n(tail.data(), got, buffer);
    ogg_sync_wrote(&sync, static_cast<long>(got));
    // pageseek skips what is not a page (the tail may start inside one) and
    // checks every page's checksum, so a stray "OggS" in the audio data does
    // not pass for a page.
    bool sawPage = false;
    bool lastEndsStream = false;
    std::size_t consumed = 0;
    ogg_page page;
    for (;;) {
        const long n = ogg_sync_pageseek(&sync, &page);
        if (n == 0) break; // the rest is the start of a page that never ends
        consumed += static_cast<std::size_t>(n < 0 ? -n : n);
        if (n > 0) {
            sawPage = true;
            lastEndsStream = ogg_page_eos(&page) != 0;
        }
    }
    ogg_sync_clear(&sync);
    if (!sawPage) return OggEnd::NotOgg;
    return lastEndsStream && consumed == got ? OggEnd::Clean : OggEnd::Cut;
}

#include "audio/OggStreamEnd.h"

#include "audio/OggPages.h"
#include "audio/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

OggEnd OggStreamEnd(const std::string& path) {
    const UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (fd.Get() < 0 || fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return OggEnd::Unreadable;
    const off_t start = std::max<off_t>(0, st.st_size - kTailHoldingLastPage);
    std::vector<unsigned char> tail(static_cast<std::size_t>(st.st_size - start));
    if (!ReadAt(fd.Get(), start, tail)) return OggEnd::Unreadable;
    return TailEnd(tail);
}

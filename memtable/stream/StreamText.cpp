#include "memtable/stream/StreamText.h"

#include <array>
#include <unicode/ucnv.h>

namespace stream_text {

namespace {

// The upper half of code page 1251, asked of ICU once; a byte that ICU
// cannot map would become '?'.
const std::array<char32_t, 128>& Cp1251UpperHalf() {
    static const std::array<char32_t, 128> table = [] {
        std::array<char32_t, 128> t{};
        t.fill(U'?');
        UErrorCode status = U_ZERO_ERROR;
        UConverter* conv = ucnv_open("windows-1251", &status);
        if (U_FAILURE(status)) return t;
        for (int b = 0x80; b <= 0xFF; ++b) {
            const char in = static_cast<char>(b);
            UChar out[4]{};
            status = U_ZERO_ERROR;
            const int32_t n = ucnv_toUChars(conv, out, 4, &in, 1, &status);
            if (U_SUCCESS(status) && n == 1 && out[0] != 0xFFFD && out[0] != 0x1A &&
                (out[0] < 0xD800 || out[0] > 0xDFFF))
                t[static_cast<std::size_t>(b - 0x80)] = out[0];
        }
        ucnv_close(conv);
        return t;
    }();
    return table;
}

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

} // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string FromCp1251(const unsigned char* bytes, std::size_t count) {
    std::size_t i = 0;
    while (i < count && bytes[i] < 0x80) ++i;
    std::string out(reinterpret_cast<const char*>(bytes), i);
    if (i == count) return out;
    const auto& upper = Cp1251UpperHalf();
    out.reserve(count * 2);
    for (; i < count; ++i) {
        const unsigned char b = bytes[i];
        if (b < 0x80)
            out.push_back(static_cast<char>(b));
        else
            AppendUtf8(out, upper[b - 0x80]);
    }
    return out;
}

std::string ToCp1251(const std::string& utf8) {
    const auto& upper = Cp1251UpperHalf();
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            ++i;
            continue;
        }
        const std::size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t c = lead & (len == 4 ? 0x07 : len == 3 ? 0x0F : 0x1F);
        for (std::size_t k = 1; k < len && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += len;
        char byte = '?';
        for (std::size_t b = 0; b < upper.size(); ++b) {
            if (upper[b] == c && c != U'?') {
                byte = static_cast<char>(0x80 + b);
                break;
            }
        }
        out.push_back(byte);
    }
    return out;
}

std::string FromUtf16Le(const unsigned char* bytes, std::size_t units) {
    std::string out;
    out.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t u = static_cast<char32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const char32_t low = static_cast<char32_t>(bytes[2 * i + 2] | (bytes[2 * i + 3] << 8));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            out.push_back('?');
        else
            AppendUtf8(out, u);
    }
    return out;
}

std::string FromUtf8(const unsigned char* bytes, std::size_t count) {
    std::string out;
    out.reserve(count);
    std::size_t i = 0;
    while (i < count) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            ++i;
            continue;
        }
        std::size_t extra = 0;
        char32_t c = 0;
        char32_t least = 0;
        if (lead >= 0xC0 && lead <= 0xDF) {
            extra = 1;
            c = lead & 0x1F;
            least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            c = lead & 0x0F;
            least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            c = lead & 0x07;
            least = 0x10000;
        } else {
            // A continuation byte or a lead no valid text uses.
            out.push_back('?');
            ++i;
            continue;
        }
        if (count - i - 1 < extra) return std::string();
        for (std::size_t k = 1; k <= extra; ++k) {
            const unsigned char b = bytes[i + k];
            if (!IsContinuation(b)) return std::string();
            c = (c << 6) | (b & 0x3F);
        }
        i += extra + 1;
        if (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            out.push_back('?');
        else
            AppendUtf8(out, c);
    }
    return out;
}

} // namespace stream_text

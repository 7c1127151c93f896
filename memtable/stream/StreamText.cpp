#include "memtable/stream/StreamText.h"

#include <array>
#include <unicode/ucnv.h>

#include "memtable/Utf8.h"

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

} // namespace

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
            utf8::Append(out, upper[b - 0x80]);
    }
    return out;
}

std::string ToCp1251(const std::string& text) {
    const auto& upper = Cp1251UpperHalf();
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const utf8::Character ch = utf8::Decode(text, i);
        if (ch.form != utf8::Form::kValid) {
            // Only text this reader made comes here, which is valid; a stray byte
            // would be a character of no code page.
            out.push_back('?');
            ++i;
            continue;
        }
        i += ch.length;
        const char32_t c = ch.codePoint;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
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
                utf8::Append(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            out.push_back('?');
        else
            utf8::Append(out, u);
    }
    return out;
}

std::string FromUtf8(const unsigned char* bytes, std::size_t count) {
    std::string out;
    out.reserve(count);
    const std::string_view text(reinterpret_cast<const char*>(bytes), count);
    std::size_t i = 0;
    while (i < count) {
        const utf8::Character ch = utf8::Decode(text, i);
        switch (ch.form) {
        case utf8::Form::kValid:
            utf8::Append(out, ch.codePoint);
            break;
        case utf8::Form::kBadLead:
        case utf8::Form::kNotScalar:
            out.push_back('?');
            break;
        case utf8::Form::kCutShort:
        case utf8::Form::kBadContinuation:
            return std::string();
        }
        i += ch.length;
    }
    return out;
}

} // namespace stream_text

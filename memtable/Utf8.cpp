#include "memtable/Utf8.h"

#include <cassert>

namespace utf8 {

namespace {

bool IsScalar(char32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

} // namespace

Character Decode(std::string_view text, std::size_t pos) {
    // The caller walks inside the text; a position at its end has no character to read.
    assert(pos < text.size());
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) return {Form::kValid, 1, lead};
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0; // the smallest value that needs this many bytes
    if (lead >= 0xC0 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        least = 0x10000;
    } else {
        return {Form::kBadLead, 1, 0};
    }
    if (text.size() - pos < length) return {Form::kCutShort, length, 0};
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[pos + k]);
        if ((b & 0xC0) != 0x80) return {Form::kBadContinuation, length, 0};
        c = (c << 6) | (b & 0x3F);
    }
    if (c < least || !IsScalar(c)) return {Form::kNotScalar, length, c};
    return {Form::kValid, length, c};
}

std::size_t CharacterLength(std::string_view text, std::size_t pos) {
    const Character ch = Decode(text, pos);
    return ch.form == Form::kValid ? ch.length : 1;
}

std::size_t CountCharacters(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharacterLength(text, pos)) ++count;
    return count;
}

void Append(std::string& out, char32_t c) {
    // Callers hand over decoded or mapped characters; a surrogate or a value past
    // U+10FFFF here would write bytes no reader accepts.
    assert(IsScalar(c));
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

} // namespace utf8

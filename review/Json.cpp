#include "review/Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "memtable/Utf8.h"

std::string JsonString(std::string_view text, JsonReader reader) {
    const bool inScript = reader == JsonReader::kHtmlScript;
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('"');
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const utf8::Character ch = utf8::Decode(text, i);
        const std::size_t len = ch.length;
        if (ch.form != utf8::Form::kValid) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (inScript && (ch.codePoint == 0x2028 || ch.codePoint == 0x2029)) {
            out += ch.codePoint == 0x2028 ? "\\u2028" : "\\u2029";
            i += len;
            continue;
        }
        if (len > 1) {
            out.append(text.substr(i, len));
            i += len;
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F || (inScript && (c == '<' || c == '>' || c == '&'))) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
        ++i;
    }
    out.push_back('"');
    return out;
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

// JSON strings of pupils' text: valid characters pass, every byte that starts no
// well-formed character becomes one U+FFFD, controls are escaped.
#include <gtest/gtest.h>

#include "review/Json.h"

namespace {

struct JsonCase {
    std::string_view text;
    std::string_view json;
};

TEST(JsonString, EscapesControlsAndReplacesEachBadByte) {
    const JsonCase rows[] = {
        {"Жук \xE2\x82\xAC \xF0\x9F\x98\x80", "\"Жук \xE2\x82\xAC \xF0\x9F\x98\x80\""},
        {"a\"b\\c\n\r\t\x01\x7F", "\"a\\\"b\\\\c\\n\\r\\t\\u0001\\u007f\""},
        {"\xC0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                 // overlong
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}, // surrogate
        {"\xE2\x82", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                 // cut short
        {"\xD0"
         "A\xFF",
         "\"\xEF\xBF\xBD"
         "A\xEF\xBF\xBD\""}, // bad continuation
        {"\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}, // > U+10FFFF
    };
    for (const JsonCase& row : rows)
        EXPECT_EQ(JsonString(row.text), row.json) << testing::PrintToString(std::string(row.text));
}

} // namespace

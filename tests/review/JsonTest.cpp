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

// Inside a <script> element no sheet text may end the element, open a
// comment or end a line; everywhere else the text stays as it was.
TEST(JsonString, InAScriptElementNoTextEndsOrBendsIt) {
    const JsonCase rows[] = {
        {"</script><!--x-->", "\"\\u003c/script\\u003e\\u003c!--x--\\u003e\""},
        {"Tom & Jerry", "\"Tom \\u0026 Jerry\""},
        {"a\xE2\x80\xA8"
         "b\xE2\x80\xA9"
         "c\xE2\x80\xAA",
         "\"a\\u2028b\\u2029c\xE2\x80\xAA\""},
        {"\xFF<", "\"\xEF\xBF\xBD\\u003c\""},
    };
    for (const JsonCase& row : rows) {
        EXPECT_EQ(JsonString(row.text, JsonReader::kHtmlScript), row.json)
            << testing::PrintToString(std::string(row.text));
        EXPECT_EQ(JsonString(row.text).find("\\u003c"), std::string::npos);
    }
}

} // namespace

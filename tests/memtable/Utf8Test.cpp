// The UTF-8 walker: what it reports for each kind of byte run; the callers' own
// answers to bad bytes are tested with them.
#include <gtest/gtest.h>

#include "memtable/Utf8.h"

namespace {

struct DecodeRow {
    std::string_view bytes;
    utf8::Form form;
    std::size_t length;
    char32_t codePoint; // checked for kValid only
};

TEST(Utf8, DecodeTellsEachFormAndItsLength) {
    using utf8::Form;
    const DecodeRow rows[] = {
        {"A", Form::kValid, 1, U'A'},
        {"\xD0\x96", Form::kValid, 2, U'\u0416'},
        {"\xE2\x82\xAC", Form::kValid, 3, U'\u20AC'},
        {"\xF4\x8F\xBF\xBF", Form::kValid, 4, U'\U0010FFFF'},
        {"\x80", Form::kBadLead, 1, 0},
        {"\xF5\x80\x80\x80", Form::kBadLead, 1, 0},
        {"\xE2\x82", Form::kCutShort, 3, 0},
        {"\xD0"
         "A",
         Form::kBadContinuation, 2, 0},
        {"\xC0\x80", Form::kNotScalar, 2, 0},         // overlong
        {"\xED\xA0\x80", Form::kNotScalar, 3, 0},     // surrogate
        {"\xF4\x90\x80\x80", Form::kNotScalar, 4, 0}, // past U+10FFFF
    };
    for (const DecodeRow& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::string(row.bytes)));
        const utf8::Character ch = utf8::Decode(row.bytes, 0);
        EXPECT_EQ(ch.form, row.form);
        EXPECT_EQ(ch.length, row.length);
        if (row.form == Form::kValid) {
            EXPECT_EQ(ch.codePoint, row.codePoint);
        }
        EXPECT_EQ(utf8::CharacterLength(row.bytes, 0), row.form == Form::kValid ? row.length : 1);
    }
}

TEST(Utf8, AppendWritesWhatDecodeReads) {
    for (char32_t c :
         {U'\0', U'\x7F', U'\x80', U'\u07FF', U'\u0800', U'\uFFFF', U'\U00010000', U'\U0010FFFF'}) {
        std::string bytes;
        utf8::Append(bytes, c);
        const utf8::Character ch = utf8::Decode(bytes, 0);
        EXPECT_EQ(ch.form, utf8::Form::kValid);
        EXPECT_EQ(ch.length, bytes.size());
        EXPECT_EQ(ch.codePoint, c);
    }
}

} // namespace

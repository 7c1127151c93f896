// The three text encodings of table streams, decoded to UTF-8.
#include "memtable/stream/StreamText.h"

#include <gtest/gtest.h>

namespace {

std::string U8(const char8_t* s) {
    return reinterpret_cast<const char*>(s);
}

const unsigned char* B(const char* s) {
    return reinterpret_cast<const unsigned char*>(s);
}

struct Utf8Row {
    const char* name;
    std::string bytes;
    std::string expected;
};

class Utf8DecodeTest : public ::testing::TestWithParam<Utf8Row> {};

TEST_P(Utf8DecodeTest, Decodes) {
    const Utf8Row& row = GetParam();
    EXPECT_EQ(stream_text::FromUtf8(B(row.bytes.data()), row.bytes.size()), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Utf8DecodeTest,
    ::testing::Values(
        Utf8Row{"ascii", "abc", "abc"}, Utf8Row{"cyrillic", U8(u8"Ответ"), U8(u8"Ответ")},
        Utf8Row{"threeBytes", U8(u8"€5"), U8(u8"€5")}, Utf8Row{"fourBytes", U8(u8"a😀"), U8(u8"a😀")},
        // A cut sequence or a continuation out of form empties the whole value.
        Utf8Row{"cutTwoByte", "abc\xD0", ""}, Utf8Row{"cutThreeByte", "ab\xE2\x82", ""},
        Utf8Row{"badContinuation", "ab\xD0\x41z", ""},
        Utf8Row{"badSecondContinuation", "\xE2\x82\xC0", ""},
        // Leads that start nothing, overlong forms and surrogates become '?'.
        Utf8Row{"strayContinuation", "a\x80z", "a?z"}, Utf8Row{"leadF8", "a\xF8z", "a?z"},
        Utf8Row{"overlongSlash", "\xC0\xAF", "?"}, Utf8Row{"encodedSurrogate", "\xED\xA0\x80", "?"},
        Utf8Row{"beyondUnicode", "\xF4\x90\x80\x80", "?"}, Utf8Row{"empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StreamText, Cp1251DecodesTheUpperHalf) {
    // "Привет" in code page 1251, then ASCII, the euro sign, and 0x98, which
    // the code page leaves unassigned and ICU passes through as U+0098.
    const char bytes[] = "\xCF\xF0\xE8\xE2\xE5\xF2 1\x88\x98";
    EXPECT_EQ(stream_text::FromCp1251(B(bytes), sizeof bytes - 1), U8(u8"Привет 1€\u0098"));
    EXPECT_EQ(stream_text::FromCp1251(B("\xA8\xB8"), 2), U8(u8"Ёё"));
    EXPECT_EQ(stream_text::FromCp1251(B("plain"), 5), "plain");
}

TEST(StreamText, Cp1251RoundTripsThroughTheEncoder) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string text = stream_text::FromCp1251(B(all.data()), all.size());
    EXPECT_EQ(stream_text::ToCp1251(text), all);
    EXPECT_EQ(stream_text::ToCp1251(U8(u8"中")), "?");
}

TEST(StreamText, Utf16PairsSurrogatesAndMarksLoneOnes) {
    // "Жx", U+1F600 as a pair, a lone high surrogate, a lone low surrogate.
    const unsigned char units[] = {0x16, 0x04, 'x',  0,   0x3D, 0xD8, 0x00,
                                   0xDE, 0x3D, 0xD8, 'y', 0,    0x00, 0xDE};
    EXPECT_EQ(stream_text::FromUtf16Le(units, 7), U8(u8"Жx😀?y?"));
    // A high surrogate as the last unit has no partner.
    EXPECT_EQ(stream_text::FromUtf16Le(units + 4, 1), "?");
}

} // namespace

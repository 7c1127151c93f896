// The tagged values, read from contiguous memory, from streams that hand
// out a byte or a few at a time with small decoder buffers (so every value
// crosses a buffer refill), and cut short at every length.
#include "FaultStreams.h"

#include "ByteWriter.h"
#include "memtable/Exceptions.h"
#include "memtable/stream/TStreamDecoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <variant>

using sheetwriter::ByteWriter;

namespace {

using Bytes = std::vector<unsigned char>;
using Value = std::variant<std::int32_t, bool, double, std::string>;
enum class Read { Integer, Boolean, Float, String, ListBegin, ListEnd };

struct Row {
    const char* name;
    Bytes bytes;
    Read read;
    Value expected;
    /// Bytes the read consumes; the rest must still be there afterwards.
    std::size_t consumed;
};

struct ErrorRow {
    const char* name;
    Bytes bytes;
    Read read;
    const char* message;
};

Bytes Of(std::initializer_list<int> bytes) {
    Bytes b;
    for (int v : bytes) b.push_back(static_cast<unsigned char>(v));
    return b;
}

Bytes Of(const ByteWriter& w) {
    return Bytes(w.Bytes().begin(), w.Bytes().end());
}

Value ReadOne(TStreamDecoder& d, Read read) {
    switch (read) {
    case Read::Integer:
        return d.ReadInteger();
    case Read::Boolean:
        return d.ReadBoolean();
    case Read::Float:
        return d.ReadFloat().ToDouble();
    case Read::String:
        return d.ReadString();
    case Read::ListBegin:
        d.ReadListBegin();
        return true;
    case Read::ListEnd:
        d.ReadListEnd();
        return true;
    }
    return false;
}

// One stream shape: how bytes reach the decoder.
struct Shape {
    const char* name;
    std::size_t chunk;      // bytes per stream read (0: all)
    std::size_t bufferSize; // decoder buffer
};

const Shape kShapes[] = {
    {"whole", 0, 16384}, {"byteByByte", 1, 1}, {"threes", 3, 2}, {"sevens", 7, 5}};

std::unique_ptr<TStream> MakeStream(const Bytes& bytes, const Shape& shape) {
    if (shape.chunk == 0) return std::make_unique<TMemoryStream>(bytes);
    return std::make_unique<ChunkedStream>(bytes, shape.chunk);
}

std::string Utf8(const char8_t* s) {
    return reinterpret_cast<const char*>(s);
}

std::vector<Row> ValueRows() {
    const Bytes trailer = Of({0x2A});
    auto with = [&](Bytes b) {
        b.insert(b.end(), trailer.begin(), trailer.end());
        return b;
    };
    std::vector<Row> rows = {
        {"int8Negative", with(Of({2, 0xFE})), Read::Integer, std::int32_t{-2}, 2},
        {"int8Max", with(Of({2, 0x7F})), Read::Integer, std::int32_t{127}, 2},
        {"int16Negative", with(Of({3, 0x00, 0x80})), Read::Integer, std::int32_t{-32768}, 3},
        {"int16", with(Of({3, 0xFB, 0x00})), Read::Integer, std::int32_t{251}, 3},
        {"int32Min", with(Of({4, 0, 0, 0, 0x80})), Read::Integer, std::int32_t{INT32_MIN}, 5},
        {"int32", with(Of({4, 0x78, 0x56, 0x34, 0x12})), Read::Integer, std::int32_t{0x12345678},
         5},
        {"true", with(Of({9})), Read::Boolean, true, 1},
        {"false", with(Of({8})), Read::Boolean, false, 1},
        // Any byte other than 9 is false, and only that byte is consumed.
        {"booleanFromInt8Tag", with(Of({2, 5})), Read::Boolean, false, 1},
        {"booleanFromListEnd", with(Of({0})), Read::Boolean, false, 1},
        {"floatFromInt8", with(Of({2, 5})), Read::Float, 5.0, 2},
        {"floatFromInt16", with(Of({3, 0x00, 0x80})), Read::Float, -32768.0, 3},
        {"floatFromInt32", with(Of({4, 0xFF, 0xFF, 0xFF, 0xFF})), Read::Float, -1.0, 5},
        {"floatFromInt64", with(Of(ByteWriter().Int64(-(std::int64_t{1} << 40)))), Read::Float,
         -1099511627776.0, 9},
        {"floatOne", with(Of({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})), Read::Float, 1.0, 11},
        {"floatMinusTwoAndAHalf", with(Of({5, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0})), Read::Float,
         -2.5, 11},
        {"shortString", with(Of(ByteWriter().ShortString("abc"))), Read::String, std::string("abc"),
         5},
        {"emptyShortString", with(Of({6, 0})), Read::String, std::string(), 2},
        {"cp1251", with(Of({6, 3, 0xC0, 0xE1, 0xE2})), Read::String, Utf8(u8"Абв"), 5},
        {"longString", with(Of(ByteWriter().LongString("hello"))), Read::String,
         std::string("hello"), 10},
        {"utf16", with(Of(ByteWriter().Utf16String(u"Жx"))), Read::String, Utf8(u8"Жx"), 9},
        {"utf8Cyrillic", with(Of(ByteWriter().Utf8String(Utf8(u8"Ответ")))), Read::String,
         Utf8(u8"Ответ"), 15},
        {"utf8Cut", with(Of(ByteWriter().Utf8String("ab\xD0"))), Read::String, std::string(), 8},
        {"listBegin", with(Of({1})), Read::ListBegin, true, 1},
        {"listEnd", with(Of({0})), Read::ListEnd, true, 1},
    };
    std::string big(70000, 'z');
    rows.push_back({"longStringAcrossBuffers", with(Of(ByteWriter().LongString(big))), Read::String,
                    big, 70005});
    return rows;
}

class DecoderValueTest : public ::testing::TestWithParam<std::tuple<Row, Shape>> {};

TEST_P(DecoderValueTest, ReadsValueAndStopsAfterIt) {
    const auto& [row, shape] = GetParam();
    auto stream = MakeStream(row.bytes, shape);
    TStreamDecoder d(*stream, shape.bufferSize, static_cast<std::int64_t>(row.bytes.size()));
    const Value got = ReadOne(d, row.read);
    if (std::holds_alternative<double>(row.expected))
        EXPECT_EQ(std::get<double>(got), std::get<double>(row.expected));
    else
        EXPECT_EQ(got, row.expected);
    EXPECT_EQ(d.Consumed(), static_cast<std::int64_t>(row.consumed));
    EXPECT_EQ(d.ReadByte(), row.bytes[row.consumed]) << "the byte after the value must be next";
}

TEST_P(DecoderValueTest, CutAnywhereInsideFailsAsStreamReadError) {
    const auto& [row, shape] = GetParam();
    std::vector<std::size_t> cuts;
    for (std::size_t cut = 0; cut < row.consumed; ++cut) cuts.push_back(cut);
    if (row.consumed > 1000) // a long value: cut around the buffer's edges
        cuts = {0, 1, 5, 16383, 16384, 16385, row.consumed - 1};
    for (std::size_t cut : cuts) {
        for (auto mode : {FailAfterStream::Mode::Ends, FailAfterStream::Mode::Raises}) {
            FailAfterStream stream(row.bytes, cut, mode);
            TStreamDecoder d(stream, shape.bufferSize, static_cast<std::int64_t>(row.bytes.size()));
            try {
                ReadOne(d, row.read);
                ADD_FAILURE() << "cut at " << cut << " was read";
            } catch (const EReadError& e) {
                const std::string expected = mode == FailAfterStream::Mode::Ends
                                                 ? "Stream read error"
                                                 : "Input/output error";
                EXPECT_EQ(e.Message(), expected) << "cut at " << cut;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Values, DecoderValueTest,
                         ::testing::Combine(::testing::ValuesIn(ValueRows()),
                                            ::testing::ValuesIn(kShapes)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

std::vector<ErrorRow> ErrorRows() {
    return {
        {"integerFromString", Of({6, 1, 'x'}), Read::Integer, "Invalid property value"},
        {"integerFromInt64", Of(ByteWriter().Int64(1)), Read::Integer, "Invalid property value"},
        {"integerFromFloat", Of(ByteWriter().Float(1.0)), Read::Integer, "Invalid property value"},
        {"integerFromTrue", Of({9}), Read::Integer, "Invalid property value"},
        {"floatFromString", Of({6, 0}), Read::Float, "Invalid property value"},
        {"floatFromFalse", Of({8}), Read::Float, "Invalid property value"},
        {"stringFromInteger", Of({2, 1}), Read::String, "Invalid property value"},
        {"stringFromUnknownTag", Of({7, 1, 'a'}), Read::String, "Invalid property value"},
        {"listBeginFromString", Of({6, 1, 'a'}), Read::ListBegin, "Invalid property value"},
        {"listEndFromInteger", Of({2, 1}), Read::ListEnd, "Invalid property value"},
        {"listEndFromNestedList", Of({1, 2, 1, 1, 0, 0}), Read::ListEnd, "Invalid property value"},
        // A wrong tag is refused before its payload is read: where that payload would
        // run past the end, the error still names the wrong kind of value.
        {"integerFromCutList", Of({1}), Read::Integer, "Invalid property value"},
        {"integerFromCutLongString", Of(ByteWriter().LongStringClaiming(1000, "ab")), Read::Integer,
         "Invalid property value"},
        {"floatFromCutString", Of({6, 9, 'a'}), Read::Float, "Invalid property value"},
        {"stringFromCutList", Of({1, 2}), Read::String, "Invalid property value"},
        // A list start or end skips the wrong value first; the skip runs into the end.
        {"listEndFromCutString", Of({6, 9, 'a'}), Read::ListEnd, "Stream read error"},
        {"emptyStream", Of({}), Read::Integer, "Stream read error"},
        {"cutInteger", Of({4, 1, 2}), Read::Integer, "Stream read error"},
        {"negativeLongString", Of(ByteWriter().LongStringClaiming(-1, "abc")), Read::String,
         "Stream read error"},
        {"hugeLongString", Of(ByteWriter().LongStringClaiming(INT32_MAX, "abc")), Read::String,
         "Stream read error"},
        {"longStringOneTooLong", Of(ByteWriter().LongStringClaiming(4, "abc")), Read::String,
         "Stream read error"},
        {"negativeUtf8", Of(ByteWriter().Utf8StringClaiming(INT32_MIN, "a")), Read::String,
         "Stream read error"},
        {"hugeUtf16", Of(ByteWriter().Utf16StringClaiming(INT32_MAX, u"ab")), Read::String,
         "Stream read error"},
        {"utf16HalfUnitShort", Of(ByteWriter().Utf16StringClaiming(2, u"a").Byte(0x41)),
         Read::String, "Stream read error"},
        {"shortStringLongerThanRest", Of({6, 200, 'a'}), Read::String, "Stream read error"},
    };
}

class DecoderErrorTest : public ::testing::TestWithParam<std::tuple<ErrorRow, Shape>> {};

TEST_P(DecoderErrorTest, FailsWithReadError) {
    const auto& [row, shape] = GetParam();
    auto stream = MakeStream(row.bytes, shape);
    TStreamDecoder d(*stream, shape.bufferSize, static_cast<std::int64_t>(row.bytes.size()));
    try {
        ReadOne(d, row.read);
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), row.message);
        EXPECT_STREQ(e.ClassName(), "EReadError");
    }
}

INSTANTIATE_TEST_SUITE_P(Errors, DecoderErrorTest,
                         ::testing::Combine(::testing::ValuesIn(ErrorRows()),
                                            ::testing::ValuesIn(kShapes)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

TEST(Decoder, EndOfListLooksWithoutConsuming) {
    TMemoryStream s(Of({0, 2, 7}));
    TStreamDecoder d(s, 16384, 3);
    EXPECT_TRUE(d.EndOfList());
    EXPECT_TRUE(d.EndOfList());
    d.ReadListEnd();
    EXPECT_FALSE(d.EndOfList());
    EXPECT_EQ(d.ReadInteger(), 7);
}

TEST(Decoder, EndOfListAtTheEndOfTheStreamIsAReadError) {
    TMemoryStream s(Of({}));
    TStreamDecoder d(s, 16384, 0);
    EXPECT_THROW(d.EndOfList(), EReadError);
}

TEST(Decoder, ReadsFromTheStreamsPresentPositionAndCountsTheRestOnly) {
    // Four bytes of something else, then a long string claiming exactly
    // what is left after it: accepted; one more: refused.
    Bytes b = Of({9, 9, 9, 9});
    const Bytes tail = Of(ByteWriter().LongString("abcd"));
    b.insert(b.end(), tail.begin(), tail.end());
    TMemoryStream s(b);
    s.SetPosition(4);
    TStreamDecoder d(s, 16384, static_cast<std::int64_t>(b.size()));
    EXPECT_EQ(d.ReadString(), "abcd");
}

TEST(Decoder, BinaryStringKeepsBytesAndMapsUnicodeBackToTheCodePage) {
    Bytes b = Of({6, 3, 0x00, 0xFF, 0x98});
    const Bytes u = Of(ByteWriter().Utf8String(Utf8(u8"Я€")));
    b.insert(b.end(), u.begin(), u.end());
    TMemoryStream s(b);
    TStreamDecoder d(s, 16384, static_cast<std::int64_t>(b.size()));
    EXPECT_EQ(d.ReadBinaryString(), std::string("\x00\xFF\x98", 3));
    EXPECT_EQ(d.ReadBinaryString(), std::string("\xDF\x88"));
}

} // namespace

// The 80-bit extended float: exact narrowing to double (checked against the
// x87 itself where the host has one), exact widening, and the money and
// whole-number roundings done from the exact value.
#include "memtable/stream/TExtended80.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

TExtended80 Make(std::uint16_t signExponent, std::uint64_t significand) {
    TExtended80 x;
    x.signExponent = signExponent;
    x.significand = significand;
    return x;
}

constexpr std::uint64_t kOne = std::uint64_t{1} << 63;

struct DoubleRow {
    const char* name;
    TExtended80 value;
    double expected;
};

class ExtendedToDoubleTest : public ::testing::TestWithParam<DoubleRow> {};

TEST_P(ExtendedToDoubleTest, NarrowsExactly) {
    const DoubleRow& row = GetParam();
    const double got = row.value.ToDouble();
    EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(row.expected))
        << got << " vs " << row.expected;
}

const double kMinDenormal = std::numeric_limits<double>::denorm_min();

INSTANTIATE_TEST_SUITE_P(
    Rows, ExtendedToDoubleTest,
    ::testing::Values(
        DoubleRow{"one", Make(0x3FFF, kOne), 1.0}, DoubleRow{"minusZero", Make(0x8000, 0), -0.0},
        DoubleRow{"tenth", Make(0x3FFB, 0xCCCCCCCCCCCCCCCD), 0.1},
        // 1 + 2^-53 is halfway between 1 and the next double: ties to even.
        DoubleRow{"tieToEvenDown", Make(0x3FFF, kOne | (std::uint64_t{1} << 10)), 1.0},
        DoubleRow{"tieToEvenUp", Make(0x3FFF, kOne | (std::uint64_t{3} << 10)),
                  1.0 + 2 * DBL_EPSILON},
        DoubleRow{"aboveTieRoundsUp", Make(0x3FFF, kOne | (std::uint64_t{1} << 10) | 1),
                  1.0 + DBL_EPSILON},
        DoubleRow{"carryIntoExponent", Make(0x3FFF, ~std::uint64_t{0}), 2.0},
        DoubleRow{"largestDouble", Make(0x43FE, 0xFFFFFFFFFFFFF800), DBL_MAX},
        DoubleRow{"overflowsToInfinity", Make(0x43FF, kOne), HUGE_VAL},
        DoubleRow{"roundsUpToInfinity", Make(0x43FE, 0xFFFFFFFFFFFFFC00), HUGE_VAL},
        DoubleRow{"smallestNormal", Make(0x3C01, kOne), DBL_MIN},
        DoubleRow{"smallestDenormal", Make(0x3BCD, kOne), kMinDenormal},
        DoubleRow{"halfSmallestDenormalTiesToZero", Make(0x3BCC, kOne), 0.0},
        DoubleRow{"aboveHalfSmallestDenormal", Make(0x3BCC, kOne | 1), kMinDenormal},
        DoubleRow{"denormalRoundsIntoNormal", Make(0x3C00, 0xFFFFFFFFFFFFFFFF), DBL_MIN},
        DoubleRow{"extendedDenormalIsZero", Make(0x0000, 1), 0.0},
        DoubleRow{"pseudoDenormalHasItsValue", Make(0x8000, kOne), -0.0},
        DoubleRow{"infinity", Make(0x7FFF, kOne), HUGE_VAL},
        DoubleRow{"minusInfinity", Make(0xFFFF, kOne), -HUGE_VAL}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Extended80, NaNsAndUnsupportedEncodingsGiveNaN) {
    EXPECT_TRUE(std::isnan(Make(0x7FFF, kOne | 1).ToDouble()));  // NaN
    EXPECT_TRUE(std::isnan(Make(0x7FFF, 0).ToDouble()));         // pseudo-infinity
    EXPECT_TRUE(std::isnan(Make(0x3FFF, kOne >> 1).ToDouble())); // unnormal
    EXPECT_TRUE(std::signbit(Make(0xFFFF, kOne | 5).ToDouble()));
    EXPECT_FALSE(Make(0x3FFF, kOne >> 1).ToScaledInteger10000().has_value());
}

TEST(Extended80, BytesAreSignificandThenSignAndExponentLittleEndian) {
    const unsigned char one[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    const TExtended80 x = TExtended80::FromBytes(one);
    EXPECT_EQ(x.significand, kOne);
    EXPECT_EQ(x.signExponent, 0x3FFF);
    unsigned char back[10];
    x.ToBytes(back);
    EXPECT_EQ(0, std::memcmp(back, one, 10));
}

TEST(Extended80, EveryDoubleSurvivesTheRoundTrip) {
    std::mt19937_64 rng(1234);
    for (int i = 0; i < 200000; ++i) {
        const double d = std::bit_cast<double>(rng());
        const double back = TExtended80::FromDouble(d).ToDouble();
        if (std::isnan(d))
            EXPECT_TRUE(std::isnan(back));
        else
            ASSERT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(d)) << d;
    }
    for (double d : {kMinDenormal, -kMinDenormal, DBL_MIN, DBL_MAX, 0.0, -0.0})
        EXPECT_EQ(TExtended80::FromDouble(d).ToDouble(), d);
}

TEST(Extended80, EveryInt64IsExact) {
    for (std::int64_t v :
         {std::int64_t{1}, std::int64_t{-1}, INT64_MAX, INT64_MIN, std::int64_t{123456789012345}}) {
        const TExtended80 x = TExtended80::FromInt64(v);
        const int shift = 16383 + 63 - static_cast<int>(x.Exponent());
        const std::uint64_t magnitude =
            v < 0 ? ~static_cast<std::uint64_t>(v) + 1 : static_cast<std::uint64_t>(v);
        EXPECT_EQ(x.significand >> shift, magnitude) << v;
        if (shift > 0) {
            EXPECT_EQ(x.significand << (64 - shift), 0u) << v;
        }
        EXPECT_EQ(x.IsNegative(), v < 0);
    }
    EXPECT_EQ(TExtended80::FromInt64(0).ToDouble(), 0.0);
    EXPECT_EQ(TExtended80::FromInt64(INT64_MIN).ToDouble(), -9223372036854775808.0);
    EXPECT_EQ(TExtended80::FromInt64(-5).ToDouble(), -5.0);
}

#if (defined(__x86_64__) || defined(__i386__)) && LDBL_MANT_DIG == 64
// The host's long double is the same format: its hardware narrowing is the
// reference for random encodings of every class.
TEST(Extended80, AgreesWithTheX87OnRandomEncodings) {
    std::mt19937_64 rng(42);
    for (int i = 0; i < 300000; ++i) {
        TExtended80 x;
        x.significand = rng();
        // Concentrate on the exponents around the double's range and edges.
        const std::uint64_t r = rng();
        std::uint16_t exponent = static_cast<std::uint16_t>(r & 0x7FFF);
        if ((r >> 20) % 4 != 0)
            exponent = static_cast<std::uint16_t>(0x3C00 - 70 + (r >> 24) % 2200);
        if ((r >> 40) % 3 == 0) x.significand |= kOne;
        x.signExponent = static_cast<std::uint16_t>(exponent | ((r >> 50) & 1 ? 0x8000 : 0));
        const bool unsupported = (exponent != 0 && (x.significand & kOne) == 0);
        if (unsupported) continue; // the x87 refuses these; covered above
        long double hw = 0;
        unsigned char bytes[16]{};
        x.ToBytes(bytes);
        std::memcpy(&hw, bytes, 10);
        const double expected = static_cast<double>(hw);
        const double got = x.ToDouble();
        if (std::isnan(expected))
            ASSERT_TRUE(std::isnan(got));
        else
            ASSERT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(expected))
                << std::hex << x.signExponent << " " << x.significand;
    }
}
#endif

struct MoneyRow {
    const char* name;
    double value;
    std::int64_t expected;
};

class MoneyTest : public ::testing::TestWithParam<MoneyRow> {};

TEST_P(MoneyTest, ScalesByTenThousandAndRoundsTiesToEven) {
    const auto got = TExtended80::FromDouble(GetParam().value).ToScaledInteger10000();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MoneyTest,
    ::testing::Values(MoneyRow{"example", 1.23456, 12346}, MoneyRow{"negative", -1.23456, -12346},
                      // 1/32 and 3/32 are exact: x 10000 gives 312.5 and 937.5.
                      MoneyRow{"tieDownToEven", 0.03125, 312},
                      MoneyRow{"tieUpToEven", 0.09375, 938},
                      MoneyRow{"negativeTie", -0.03125, -312}, MoneyRow{"zero", 0.0, 0},
                      MoneyRow{"tiny", 1e-300, 0},
                      MoneyRow{"largest", 922337203685477.5, 9223372036854775000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Extended80, MoneyOutOfRangeIsRefused) {
    EXPECT_FALSE(TExtended80::FromDouble(1e15).ToScaledInteger10000().has_value());
    EXPECT_FALSE(TExtended80::FromDouble(-1e300).ToScaledInteger10000().has_value());
    EXPECT_FALSE(TExtended80::FromDouble(HUGE_VAL).ToScaledInteger10000().has_value());
    EXPECT_FALSE(TExtended80::FromDouble(std::nan("")).ToScaledInteger10000().has_value());
    EXPECT_EQ(TExtended80::FromInt64(INT64_MIN).ToScaledInteger10000(), std::nullopt);
    // -2^49 scales to -2^49 x 10000, inside the range.
    TExtended80 x = TExtended80::FromInt64(INT64_MIN);
    x.signExponent = static_cast<std::uint16_t>(x.signExponent - 14);
    EXPECT_EQ(x.ToScaledInteger10000(),
              -static_cast<std::int64_t>((std::uint64_t{1} << 49) * 10000));
}

} // namespace

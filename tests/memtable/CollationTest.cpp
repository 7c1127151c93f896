// Locale comparison with explicit locales: the root collation (C/POSIX or unset), the
// Russian tailoring, and en_US_POSIX; LocaleID and its parts; invalid locales.
#include <algorithm>

#include <gtest/gtest.h>

#include "TableTestSupport.h"

using namespace mtest;
using Ids_ = std::vector<std::string>;
using CollationTableTest = OpenWorkTableTest<>;

namespace {

Ids_ SortedWith(TqvrMemTable& t, const Ids_& ids) {
    DefineWorkTable(t);
    t.Open();
    for (const auto& id : ids) AddRow(t, id);
    t.ApplySort();
    return Ids(t);
}

// Russian puts Cyrillic before Latin; the root order has Latin first.
const std::string kLatinA = "a";
const std::string kCyrillicYa = "\xD1\x8F"; // "я"

} // namespace

TEST(CollationTest, RootForTheCLocale) {
    UseLocale("C.UTF-8");
    TqvrMemTable t("t");
    const std::string yo = "\xD1\x91\xD0\xB0",
                      ye = "\xD0\xB5\xD0\xB1"; // "ёа", "еб": ё is е with a mark
    EXPECT_EQ(SortedWith(t, {"B", "b", kCyrillicYa, "A", ye, "a", yo}),
              (Ids_{"a", "A", "b", "B", yo, ye, kCyrillicYa}));
}

TEST(CollationTest, RootWhenNothingIsSet) {
    unsetenv("LC_ALL");
    unsetenv("LC_COLLATE");
    unsetenv("LANG");
    TqvrMemTable t("t");
    std::string name = "x";
    ASSERT_TRUE(t.Common().CollationLocaleName(name));
    EXPECT_EQ(name, "");
    UseLocale("C");
}

TEST(CollationTest, RussianTailoringFromTheEnvironment) {
    UseLocale("ru_RU.UTF-8");
    TqvrMemTable t("t");
    EXPECT_EQ(SortedWith(t, {kLatinA, kCyrillicYa}), (Ids_{kCyrillicYa, kLatinA}));
    UseLocale("C");
}

TEST(CollationTest, EnvironmentPrecedence) {
    UseLocale("");
    setenv("LC_COLLATE", "ru_RU.UTF-8", 1);
    setenv("LANG", "en_US.UTF-8", 1);
    TqvrMemTable t("t");
    std::string name;
    ASSERT_TRUE(t.Common().CollationLocaleName(name));
    EXPECT_EQ(name, "ru_RU");
    unsetenv("LC_COLLATE");
    ASSERT_TRUE(t.Common().CollationLocaleName(name));
    EXPECT_EQ(name, "en_US");
    unsetenv("LANG");
    UseLocale("C");
}

TEST(CollationTest, ExplicitLocaleNumbers) {
    UseLocale("C");
    TqvrMemTable posix("t");
    posix.SetLocaleID(0x007F); // en_US_POSIX: plain ASCII order, upper case first
    EXPECT_EQ(SortedWith(posix, {"b", "a", "B", "A"}), (Ids_{"A", "B", "a", "b"}));
    TqvrMemTable ru("t");
    ru.SetLocaleID(0x0419);
    EXPECT_EQ(SortedWith(ru, {kLatinA, kCyrillicYa}), (Ids_{kCyrillicYa, kLatinA}));
}

TEST_F(CollationTableTest, CollatorIsOpenedOncePerTable) {
    AddRow(t, kLatinA);
    AddRow(t, kCyrillicYa);
    t.ApplySort();
    UseLocale("ru_RU.UTF-8"); // the table keeps the collator it opened
    t.ApplySort();
    EXPECT_EQ(Ids(t), (Ids_{kLatinA, kCyrillicYa}));
    t.SetLocaleID(1024); // setting the locale again opens it anew
    t.ApplySort();
    EXPECT_EQ(Ids(t), (Ids_{kCyrillicYa, kLatinA}));
    UseLocale("C");
}

TEST_F(CollationTableTest, CaseSensitiveKeysAreDistinct) {
    AddRow(t, "abcde", "lower");
    AddRow(t, "ABCDE", "upper");
    EXPECT_TRUE(t.SeekKey("ID", "abcde"));
    EXPECT_EQ(t.FieldNamed("pathWork").StringValue(), "lower");
    EXPECT_FALSE(t.SeekKey("ID", "AbCdE"));
    EXPECT_TRUE(t.SeekKey("ID", "AbCdE", soCaseInsensitive));
    t.ApplySort();
    EXPECT_EQ(Ids(t), (Ids_{"abcde", "ABCDE"}));
}

TEST(CollationTest, LocaleIdParts) {
    TqvrMemTable t("t");
    EXPECT_EQ(t.LocaleID(), 1024);
    EXPECT_EQ(t.LanguageID(), 0);
    EXPECT_EQ(t.SubLanguageID(), 1);
    EXPECT_EQ(t.SortID(), 0);
    t.SetLocaleID(0x00050419);
    EXPECT_EQ(t.SortID(), 5);
    EXPECT_EQ(t.SubLanguageID(), 1);
    EXPECT_EQ(t.LanguageID(), 0x19);
    t.SetSortID(0);
    EXPECT_EQ(t.LocaleID(), 0x0419);
    t.SetLanguageID(0x09);
    EXPECT_EQ(t.LocaleID(), 0x0409);
    t.SetSubLanguageID(2);
    EXPECT_EQ(t.LocaleID(), 0x0809);
}

TEST_F(CollationTableTest, InvalidLocaleFailsTheComparisonNotTheSetting) {
    AddRow(t, "a");
    t.SetLocaleID(0x0FFF);
    AddRow(t, "b"); // the row order compares nothing
    try {
        t.SeekKey("ID", "a");
        FAIL();
    } catch (const EMemTableInvalidLocale& e) {
        EXPECT_EQ(e.Message(), "Invalid locale. 4095");
    }
    EXPECT_EQ(t.RecordTotal(), 2);
}

// The collator maps every byte that is not UTF-8 to one replacement character and
// ignores control characters; its ties are told apart by the bytes (folded, under
// case-insensitive comparison), so two IDs are one key only when their bytes say so.
// Each row runs on a table small enough for plain scans and on one large enough for
// the binary search and the key hash, in the row order and sorted.
namespace {

struct TieRow {
    const char* name;
    std::string a, b;
    bool caseInsensitive;
    bool oneKey; // whether a and b are the same key under that comparison
};
void PrintTo(const TieRow& row, std::ostream* out) {
    *out << row.name;
}

class ByteTieTest : public OpenWorkTableTest<::testing::TestWithParam<std::tuple<TieRow, int>>> {};

// Cyrillic А and Б in code page 1251: names from an archive unpacked unconverted.
const std::string kCp1251A = std::string("\xC0") + "1234", kCp1251B = std::string("\xC1") + "1234";

} // namespace

TEST_P(ByteTieTest, IdsAreOneKeyOnlyWhenTheirBytesSaySo) {
    const auto& [row, fillers] = GetParam();
    for (int i = 0; i < fillers; ++i) AddRow(t, "f" + std::to_string(1000 + i), "filler");
    AddRow(t, row.a, "a");
    if (!row.oneKey) AddRow(t, row.b, "b");
    const TSeekOptions options = row.caseInsensitive ? TSeekOptions{soCaseInsensitive} : 0;
    for (bool sorted : {false, true}) {
        if (sorted) {
            t.SetSortOptions(row.caseInsensitive ? mtcoCaseInsensitive : 0);
            t.ApplySort();
            std::string why;
            EXPECT_TRUE(t.CurrentIndex().Verify(t, &why)) << why;
        }
        ASSERT_TRUE(t.SeekKey("ID", row.a, options)) << "sorted " << sorted;
        EXPECT_EQ(t.FieldNamed("pathWork").StringValue(), "a") << "sorted " << sorted;
        ASSERT_TRUE(t.SeekKey("ID", row.b, options)) << "sorted " << sorted;
        EXPECT_EQ(t.FieldNamed("pathWork").StringValue(), row.oneKey ? "a" : "b")
            << "sorted " << sorted;
    }
    // The collator's order stands; its ties follow the bytes.
    if (!row.oneKey) {
        const Ids_ ids = Ids(t);
        const auto a = std::find(ids.begin(), ids.end(), row.a) - ids.begin();
        const auto b = std::find(ids.begin(), ids.end(), row.b) - ids.begin();
        EXPECT_EQ(b, a + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ByteTieTest,
    ::testing::Combine(
        ::testing::Values(
            TieRow{"CodePageBytes", kCp1251A, kCp1251B, false, false},
            TieRow{"CodePageBytesIgnoringCase", kCp1251A, kCp1251B, true, false},
            TieRow{"ControlCharacters", "1234\x01", "1234\x02", false, false},
            TieRow{"ControlCharactersIgnoringCase", "1234\x01", "1234\x02", true, false},
            TieRow{"LetterCase", "abcde", "ABCDE", false, false},
            TieRow{"LetterCaseIgnoringCase", "abcde", "ABCDE", true, true},
            TieRow{"CyrillicCaseIgnoringCase", "\xD0\xB0\xD0\xB1", "\xD0\x90\xD0\x91", true, true}),
        ::testing::Values(0, 100)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) > 0 ? "_Large" : "_Small");
    });

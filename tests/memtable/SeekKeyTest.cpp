// SeekKey against a plain reference: the first position in the current order whose key
// compares equal. Runs on random data large enough for every search path (sequential,
// binary, hashed), in the row order and the sort order, after random changes.
#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "ReferenceCollator.h"
#include "TableTestSupport.h"

using namespace mtest;

namespace {

// Mixed-case keys, or (for partial keys in a sorted order, whose cut values must stand
// in order for the binary search to see them as a scan does) lower case and digits only.
bool caseless = false;

std::string RandomKey(std::mt19937& rng, int alphabet) {
    const char* letters = caseless ? "abc019abc" : "aAbBcC019";
    std::string s;
    int len = 1 + static_cast<int>(rng() % 3);
    for (int i = 0; i < len; ++i) s.push_back(letters[rng() % static_cast<unsigned>(alphabet)]);
    return s;
}

int Utf8Chars(const std::string& s) {
    int n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

// The first position whose value compares equal (partially: the value cut to the key's
// length) under the reference collator; -1 when none.
int ReferenceSeek(const TqvrMemTable& t, const char* field, const std::string& key,
                  const ReferenceCollator& ref, bool partial) {
    const TField& f = t.FieldNamed(field);
    for (int i = 0; i < t.RecordTotal(); ++i) {
        if (t.FieldIsNullAt(i, f)) continue;
        std::string v = t.FieldTextAt(i, f);
        if (partial && Utf8Chars(v) > Utf8Chars(key))
            v = v.substr(0, key.size()); // ASCII keys here
        if (ref.Compare(key, v) == 0) return i;
    }
    return -1;
}

struct SeekCase {
    int rows;
    bool sorted;
    TSeekOptions options;
    const char* field;
    bool caseless = false;
    // Letters the ID values and search keys are drawn from: fewer letters, more records
    // per key. With `allEqual` every stored ID is "a".
    int alphabet = 9;
    bool allEqual = false;
};

class SeekKeyTest : public ::testing::TestWithParam<SeekCase> {};

} // namespace

TEST_P(SeekKeyTest, FindsWhatAScanFinds) {
    UseLocale("C");
    const SeekCase& c = GetParam();
    caseless = c.caseless;
    std::mt19937 rng(
        static_cast<unsigned>(c.rows * 7 + static_cast<int>(c.options) + (c.sorted ? 1000 : 0)));
    ReferenceCollator ref("", (c.options & soCaseInsensitive) != 0);
    bool partial = (c.options & soPartialKey) != 0;
    TqvrMemTable t("tblWork");
    DefineWorkTable(t);
    t.Open();
    auto id = [&] { return c.allEqual ? std::string("a") : RandomKey(rng, c.alphabet); };
    auto path = [&] { return RandomKey(rng, std::min(c.alphabet, 4)); };
    for (int i = 0; i < c.rows; ++i) AddRow(t, id(), path());
    if (c.sorted) t.ApplySort();
    for (int round = 0; round < 300; ++round) {
        if (round % 10 == 0 && t.RecordTotal() > 0) {
            // Changes between searches keep the hashes and orders honest.
            t.SetRecordNumber(1 + static_cast<int>(rng() % static_cast<unsigned>(t.RecordTotal())));
            switch (rng() % 3) {
            case 0:
                t.Delete();
                break;
            case 1:
                t.Edit();
                t.FieldNamed(c.field).SetStringValue(std::string(c.field) == "ID" ? id() : path());
                t.Post();
                break;
            default:
                AddRow(t, id(), path());
            }
        }
        std::string key = RandomKey(rng, c.alphabet);
        int before = t.CurrentPosition();
        int expected = ReferenceSeek(t, c.field, key, ref, partial);
        bool found = t.SeekKey(c.field, key, c.options);
        ASSERT_EQ(found, expected >= 0) << "key " << key << " round " << round;
        ASSERT_EQ(t.CurrentPosition(), found ? expected : before)
            << "key " << key << " round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SeekKeyTest,
    ::testing::Values(
        SeekCase{15, false, 0, "ID"}, SeekCase{15, true, 0, "ID"}, SeekCase{40, true, 0, "ID"},
        SeekCase{40, false, 0, "ID"}, SeekCase{600, false, 0, "ID"}, SeekCase{600, true, 0, "ID"},
        SeekCase{600, true, soCaseInsensitive, "ID"}, SeekCase{600, false, soCaseInsensitive, "ID"},
        SeekCase{600, true, 0, "pathWork"}, SeekCase{600, false, 0, "pathWork"},
        SeekCase{600, false, soPartialKey, "ID"}, SeekCase{600, true, soPartialKey, "ID", true},
        SeekCase{30, true, soPartialKey | soCaseInsensitive, "ID", true},
        // Dozens of records per key, more than the hash hands out.
        SeekCase{600, false, 0, "ID", false, 2}, SeekCase{600, true, 0, "ID", false, 2},
        SeekCase{600, true, soCaseInsensitive, "ID", false, 2},
        SeekCase{600, false, soCaseInsensitive, "ID", false, 2},
        SeekCase{600, true, 0, "pathWork", false, 2}, SeekCase{600, false, 0, "pathWork", false, 1},
        // One key for every record.
        SeekCase{600, false, 0, "ID", false, 2, true}, SeekCase{600, true, 0, "ID", false, 2, true},
        SeekCase{600, true, soCaseInsensitive, "ID", false, 2, true}));

using SeekKeyRulesTest = OpenWorkTableTest<>;

TEST_F(SeekKeyRulesTest, NullAndEmptyKeysMatchNullValues) {
    AddRow(t, "a");
    t.Insert();
    t.FieldNamed("pathWork").SetStringValue("nullid");
    t.Post();
    AddRow(t, "b");
    t.GoLast();
    EXPECT_TRUE(t.SeekKey("ID", ""));
    EXPECT_EQ(t.FieldNamed("pathWork").StringValue(), "nullid");
    t.GoLast();
    EXPECT_TRUE(t.SeekKey("ID", TKeyValue::Null()));
    EXPECT_EQ(t.FieldNamed("pathWork").StringValue(), "nullid");
}

TEST(SeekKeyFieldSizeTest, KeyIsCutToTheFieldSize) {
    UseLocale("C");
    TqvrMemTable t("t");
    t.AddStringField("k", 3);
    t.Open();
    t.Insert();
    t.FieldNamed("k").SetStringValue("abc");
    t.Post();
    EXPECT_TRUE(t.SeekKey("k", "abcdef"));
}

TEST_F(SeekKeyRulesTest, SeveralKeyFieldsWithAnArray) {
    AddRow(t, "a", "1");
    AddRow(t, "a", "2");
    AddRow(t, "b", "2");
    t.GoFirst();
    EXPECT_TRUE(t.SeekKey(" ID ; pathWork ", TKeyValue::Array({"a", "1"})));
    EXPECT_EQ(t.FieldNamed("pathWork").StringValue(), "1");
    EXPECT_FALSE(t.SeekKey("ID;pathWork", TKeyValue::Array({"b", "1"})));
    EXPECT_EQ(t.FieldNamed("pathWork").StringValue(), "1");
}

TEST_F(SeekKeyRulesTest, ScanCountIsAlwaysTheFirstEqualInTheRowOrder) {
    // Two equal keys: the one nearer the start of the row order wins, also on the
    // hashed path of a large table.
    for (int i = 0; i < 200; ++i) AddRow(t, "k" + std::to_string(i), "x");
    t.GoLast();
    AddRow(t, "dup", "late"); // before the last record
    t.GoFirst();
    AddRow(t, "dup", "early"); // at the start
    t.GoLast();
    ASSERT_TRUE(t.SeekKey("ID", "dup"));
    EXPECT_EQ(t.FieldNamed("pathWork").StringValue(), "early");
    EXPECT_EQ(t.RecordNumber(), 1);
}

TEST_F(SeekKeyRulesTest, ManyRecordsOfOneKeyStayCheap) {
    // 200,000 records share one ID and one pathWork: building the key hash and searching
    // must not cost in proportion to the square of that number.
    const int rows = 200000;
    for (int i = 0; i < rows; ++i) AddRow(t, "same", "/srv/answers/");
    t.GoLast();
    AddRow(t, "other", "/srv/answers/other/"); // before the last row
    t.GoLast();
    ASSERT_TRUE(t.SeekKey("ID", "same"));
    EXPECT_EQ(t.RecordNumber(), 1);
    ASSERT_TRUE(t.SeekKey("pathWork", "/srv/answers/other/"));
    EXPECT_EQ(t.FieldNamed("ID").StringValue(), "other");
    EXPECT_EQ(t.RecordNumber(), rows);
    EXPECT_FALSE(t.SeekKey("pathWork", "/srv/"));
    EXPECT_EQ(t.RecordNumber(), rows);
    // Changes keep the hash right: the first row leaves the key, a new one joins it.
    t.GoFirst();
    t.Edit();
    t.FieldNamed("pathWork").SetStringValue("/first/");
    t.Post();
    t.GoLast();
    AddRow(t, "same", "/srv/answers/");
    ASSERT_TRUE(t.SeekKey("pathWork", "/srv/answers/"));
    EXPECT_EQ(t.RecordNumber(), 2);
    ASSERT_TRUE(t.SeekKey("pathWork", "/first/"));
    EXPECT_EQ(t.RecordNumber(), 1);
    t.Delete();
    EXPECT_FALSE(t.SeekKey("pathWork", "/first/"));

    t.ApplySort();
    t.GoLast();
    ASSERT_TRUE(t.SeekKey("ID", "same"));
    EXPECT_EQ(t.RecordNumber(), 2); // after "other"
    ASSERT_TRUE(t.SeekKey("ID", "SAME", soCaseInsensitive));
    EXPECT_EQ(t.RecordNumber(), 2);
    ASSERT_TRUE(t.SeekKey("ID", "other"));
    EXPECT_EQ(t.RecordNumber(), 1);
    t.GoLast();
    ASSERT_TRUE(t.SeekKey("pathWork", "/srv/answers/"));
    EXPECT_EQ(t.FieldNamed("ID").StringValue(), "same");
    EXPECT_EQ(t.RecordNumber(), 2);
    EXPECT_EQ(t.RecordTotal(), rows + 1);
}

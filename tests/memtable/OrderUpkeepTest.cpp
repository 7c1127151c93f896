// Differential tests of order upkeep: random inserts, edits and deletes run on the table
// and on a plain model (a vector for the row order, a re-sort for the sort order), and
// after every step the two must agree and every order must pass its own checks.
#include <algorithm>
#include <optional>
#include <random>

#include <gtest/gtest.h>

#include "ReferenceCollator.h"
#include "TableTestSupport.h"

using namespace mtest;

namespace {

using Value = std::optional<std::string>;

struct Row {
    Value id;
    std::string token; // pathWork: unique, names the record
};

std::vector<std::string> TokensOf(const TqvrIndex& index) {
    std::vector<std::string> out;
    for (int i = 0; i < index.Entries.Count(); ++i) {
        std::string_view v;
        index.Entries.At(i)->GetValue(1, v);
        out.emplace_back(v);
    }
    return out;
}

std::vector<Value> IdsOf(const TqvrIndex& index) {
    std::vector<Value> out;
    for (int i = 0; i < index.Entries.Count(); ++i) {
        std::string_view v;
        if (index.Entries.At(i)->GetValue(0, v))
            out.emplace_back(std::string(v));
        else
            out.emplace_back(std::nullopt);
    }
    return out;
}

Value RandomId(std::mt19937& rng) {
    static const char* pool[] = {"a",  "A",        "b",        "B",     "ab",    "aB",
                                 "Ab", "abc",      "10001",    "20003", "30002", "z",
                                 "",   "\xD0\xB5", "\xD1\x91", "a b",   "a-b"};
    if (rng() % 12 == 0) return std::nullopt;
    return std::string(pool[rng() % (sizeof pool / sizeof *pool)]);
}

void WriteId(TqvrMemTable& t, const Value& v) {
    if (v)
        t.FieldNamed("ID").SetStringValue(*v);
    else
        t.FieldNamed("ID").Clear();
}

void CheckAllOrders(const TqvrMemTable& t) {
    for (const auto& index : t.Indexes()) {
        std::string why;
        ASSERT_TRUE(index->Verify(t, &why)) << why;
    }
}

class OrderUpkeepTest : public OpenWorkTableTest<::testing::TestWithParam<unsigned>> {
protected:
    /// Posts a record with a random ID and a fresh token; returns the token.
    std::string InsertRandom(std::mt19937& rng) {
        std::string token = "r" + std::to_string(counter++);
        t.Insert();
        WriteId(t, RandomId(rng));
        t.FieldNamed("pathWork").SetStringValue(token);
        t.Post();
        return token;
    }

    ReferenceCollator ref{""};
    int counter = 0;
};

} // namespace

TEST_P(OrderUpkeepTest, RowOrderFollowsInsertPlaces) {
    std::mt19937 rng(GetParam());
    std::vector<std::string> model; // tokens in row order
    for (int step = 0; step < 400; ++step) {
        int op = static_cast<int>(rng() % 10);
        int n = static_cast<int>(model.size());
        if (n > 0 && rng() % 3 == 0)
            t.SetRecordNumber(1 + static_cast<int>(rng() % static_cast<unsigned>(n)));
        int pos = t.CurrentPosition();
        if (op < 5 || n == 0) {
            std::string token = InsertRandom(rng);
            model.insert(model.begin() + (pos < 0 ? 0 : pos), token);
            ASSERT_EQ(t.FieldNamed("pathWork").StringValue(), token);
        } else if (op < 8) {
            t.Edit();
            WriteId(t, RandomId(rng));
            t.Post();
        } else {
            t.Delete();
            model.erase(model.begin() + pos);
        }
        ASSERT_EQ(TokensOf(t.Indexes().RowOrder()), model) << "step " << step;
        CheckAllOrders(t);
    }
}

TEST_P(OrderUpkeepTest, SortOrderEqualsAReSortUnderRandomChanges) {
    std::mt19937 rng(GetParam());
    std::vector<std::string> rowModel;
    for (int i = 0; i < 30; ++i) {
        std::string token = InsertRandom(rng);
        rowModel.insert(rowModel.begin() + std::max(0, t.CurrentPosition()), token);
    }
    t.SetSortOptions(GetParam() % 2 ? mtcoDescending : 0);
    t.ApplySort();
    bool descending = GetParam() % 2;
    for (int step = 0; step < 500; ++step) {
        int n = t.RecordTotal();
        if (n > 0) t.SetRecordNumber(1 + static_cast<int>(rng() % static_cast<unsigned>(n)));
        int op = static_cast<int>(rng() % 10);
        if (op < 4 || n == 0) {
            rowModel.push_back(
                InsertRandom(rng)); // another order is current: the row order appends
        } else if (op < 8) {
            t.Edit();
            WriteId(t, RandomId(rng));
            t.Post();
        } else {
            std::string token = t.FieldNamed("pathWork").StringValue();
            t.Delete();
            rowModel.erase(std::find(rowModel.begin(), rowModel.end(), token));
        }
        ASSERT_EQ(TokensOf(t.Indexes().RowOrder()), rowModel) << "step " << step;
        std::vector<Value> ids = IdsOf(t.CurrentIndex());
        std::vector<Value> expected = IdsOf(t.Indexes().RowOrder());
        std::stable_sort(expected.begin(), expected.end(), [&](const Value& a, const Value& b) {
            if (!a || !b) return !a && b; // null first, also when descending
            int c = ref.Compare(*a, *b);
            return descending ? c > 0 : c < 0;
        });
        ASSERT_EQ(ids.size(), expected.size());
        for (size_t i = 0; i < ids.size(); ++i)
            ASSERT_EQ(ref.Compare(ids[i], expected[i]), 0) << "step " << step << " position " << i;
        CheckAllOrders(t);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, OrderUpkeepTest, ::testing::Values(1u, 2u, 3u, 4u));

TEST(OrderUpkeepSwitchTest, NonMaintainedOrderGoesStaleAndComesBackWithARebuild) {
    UseLocale("C");
    TqvrMemTable t("t");
    DefineWorkTable(t);
    t.IndexDefs().Add("byPath", "pathWork", ixNonMaintained);
    t.Open();
    AddRow(t, "b", "2");
    TqvrIndex* byPath = t.Indexes().Find("BYPATH");
    ASSERT_NE(byPath, nullptr);
    EXPECT_FALSE(byPath->InOrder);
    EXPECT_EQ(byPath->Entries.Count(), 0);
    t.RebuildOrders();
    EXPECT_TRUE(byPath->InOrder);
    EXPECT_EQ(byPath->Entries.Count(), 1);
    // Deletes reach every order, maintained or not.
    t.Delete();
    EXPECT_EQ(byPath->Entries.Count(), 0);
}

using OrderUpkeepSwitchTableTest = OpenWorkTableTest<>;

TEST_F(OrderUpkeepSwitchTableTest, EnableIndexesOffLeavesOrdersStale) {
    AddRow(t, "b");
    t.ApplySort();
    t.SetEnableIndexes(false);
    AddRow(t, "a");
    EXPECT_FALSE(t.CurrentIndex().InOrder);
    EXPECT_EQ(t.Indexes().RowOrder().Entries.Count(), 1);
    t.SetEnableIndexes(true);
    t.RebuildOrders();
    EXPECT_EQ(Ids(t), (std::vector<std::string>{"a", "b"}));
}

TEST(OrderUpkeepSwitchTest, DescendingIndexDefinitionWithCaseInsensitiveKeys) {
    UseLocale("C");
    TqvrMemTable t("t");
    DefineWorkTable(t);
    t.IndexDefs().Add("d", "ID", ixDescending | ixCaseInsensitive);
    t.Open();
    for (const char* id : {"b", "C", "a"}) AddRow(t, id);
    TqvrIndex* d = t.Indexes().Find("d");
    ASSERT_NE(d, nullptr);
    std::vector<Value> ids = IdsOf(*d);
    EXPECT_EQ(ids, (std::vector<Value>{"C", "b", "a"}));
    std::string why;
    EXPECT_TRUE(d->Verify(t, &why)) << why;
}

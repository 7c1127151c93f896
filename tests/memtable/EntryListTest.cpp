// The blocked entry list against a std::vector under random inserts and erases, with and
// without record tracking.
#include <random>

#include <gtest/gtest.h>

#include "memtable/TqvrEntryList.h"

namespace {

class EntryListTest : public ::testing::TestWithParam<bool> {};

} // namespace

TEST_P(EntryListTest, AgreesWithAVector) {
    bool tracks = GetParam();
    std::mt19937 rng(11);
    std::vector<TqvrRecord*> pool;
    for (int i = 0; i < 5000; ++i) pool.push_back(TqvrRecord::CreateEmpty(1));
    struct Release {
        std::vector<TqvrRecord*>& p;
        ~Release() {
            for (TqvrRecord* r : p) TqvrRecord::Destroy(r);
        }
    } release{pool};
    TqvrEntryList list(tracks ? TqvrEntryList::kTrackRow : TqvrEntryList::kNoTracking);
    std::vector<TqvrRecord*> model;
    size_t next = 0;
    for (int step = 0; step < 8000; ++step) {
        unsigned op = rng() % 10;
        if ((op < 6 && next < pool.size()) || model.empty()) {
            if (next == pool.size()) break;
            int pos = static_cast<int>(rng() % (model.size() + 1));
            if (rng() % 4 == 0) pos = static_cast<int>(model.size());
            list.Insert(pos, pool[next]);
            model.insert(model.begin() + pos, pool[next]);
            ++next;
        } else {
            int pos = static_cast<int>(rng() % model.size());
            list.Erase(pos);
            model.erase(model.begin() + pos);
        }
        ASSERT_EQ(list.Count(), static_cast<int>(model.size()));
        if (step % 97 == 0) {
            ASSERT_EQ(list.ToVector(), model);
            for (size_t i = 0; i < model.size(); i += 1 + rng() % 50) {
                EXPECT_EQ(list.At(static_cast<int>(i)), model[i]) << step;
                EXPECT_EQ(list.PositionOf(model[i]), static_cast<int>(i)) << step;
            }
        }
    }
    std::vector<TqvrRecord*> some(model.begin(),
                                  model.begin() + static_cast<std::ptrdiff_t>(model.size() / 2));
    list.Assign(some);
    EXPECT_EQ(list.ToVector(), some);
    ASSERT_FALSE(some.empty());
    EXPECT_EQ(list.PositionOf(some.back()), static_cast<int>(some.size()) - 1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Tracking, EntryListTest, ::testing::Bool());

// ApplySort and the default sort order: keeps the current record, raises no scroll
// event, falls back to the row order, orders nulls first, and keeps a second scan's
// inserts at their sorted places.
#include <gtest/gtest.h>

#include "TableTestSupport.h"

using namespace mtest;
using Ids_ = std::vector<std::string>;

using ApplySortTest = OpenWorkTableTest<>;

TEST_F(ApplySortTest, ScanOrderThenSortedList) {
    for (const char* id : {"30002", "10001", "20003"}) AddRow(t, id);
    EXPECT_EQ(Ids(t), (Ids_{"20003", "10001", "30002"})); // newest first before sorting
    t.ApplySort();
    EXPECT_EQ(t.Indexes().Find("__mt__defsort"), &t.CurrentIndex());
    t.GoFirst();
    EXPECT_EQ(Ids(t), (Ids_{"10001", "20003", "30002"}));
    EXPECT_EQ(CurrentId(t), "10001");
}

TEST_F(ApplySortTest, KeepsTheCurrentRecordAndRaisesNoScroll) {
    for (const char* id : {"c", "a", "b"}) AddRow(t, id);
    t.SetRecordNumber(3);
    ASSERT_EQ(CurrentId(t), "c");
    int scrolls = 0;
    t.BeforeScroll = [&](TDataSet&) { ++scrolls; };
    t.AfterScroll = [&](TDataSet&) { ++scrolls; };
    t.ApplySort();
    EXPECT_EQ(CurrentId(t), "c");
    EXPECT_EQ(t.RecordNumber(), 3);
    EXPECT_EQ(scrolls, 0);
    t.ApplySort(); // replaces the default sort order
    EXPECT_EQ(t.Indexes().Count(), 2);
    EXPECT_EQ(CurrentId(t), "c");
}

TEST_F(ApplySortTest, EmptySortFieldsSwitchToTheRowOrder) {
    for (const char* id : {"c", "a", "b"}) AddRow(t, id);
    t.ApplySort();
    t.SetRecordNumber(1);
    std::string shown = CurrentId(t);
    // Blank as the field-list reader trims: spaces and tabs.
    for (const char* blank : {"  ", "\t", " \t\t "}) {
        t.SetSortFields("ID");
        t.ApplySort();
        t.SetSortFields(blank);
        t.ApplySort();
        EXPECT_EQ(&t.CurrentIndex(), &t.Indexes().RowOrder()) << "'" << blank << "'";
        EXPECT_EQ(t.Indexes().Count(), 1);
        EXPECT_EQ(CurrentId(t), shown);
    }
}

TEST_F(ApplySortTest, ClosedTableDoesNothing) {
    t.Close();
    t.ApplySort();
    EXPECT_EQ(t.Indexes().Count(), 1);
}

TEST_F(ApplySortTest, ApplySortPostsAPendingEditFirst) {
    AddRow(t, "b");
    AddRow(t, "a");
    t.Edit();
    t.FieldNamed("ID").SetStringValue("z");
    t.ApplySort();
    EXPECT_EQ(t.State(), tsBrowse);
    EXPECT_EQ(Ids(t), (Ids_{"b", "z"}));
}

TEST_F(ApplySortTest, NullsFirstAlsoWhenDescending) {
    AddRow(t, "b");
    t.Insert();
    t.FieldNamed("pathWork").SetStringValue("null");
    t.Post();
    AddRow(t, "a");
    t.ApplySort();
    EXPECT_EQ(Ids(t), (Ids_{"", "a", "b"}));
    EXPECT_TRUE(t.FieldIsNullAt(0, t.FieldNamed("ID")));
    t.SetSortFields("ID:D");
    t.ApplySort();
    EXPECT_EQ(Ids(t), (Ids_{"", "b", "a"}));
    t.SetSortFields("ID");
    t.SetSortOptions(mtcoDescending);
    t.ApplySort();
    EXPECT_EQ(Ids(t), (Ids_{"", "b", "a"}));
    // New records keep that order.
    AddRow(t, "c");
    AddRow(t, "0");
    EXPECT_EQ(Ids(t), (Ids_{"", "c", "b", "a", "0"}));
}

TEST_F(ApplySortTest, SecondScanInsertsAtSortedPlacesAndFindsListedWorks) {
    for (int n : {5, 40}) {
        t.Close();
        t.Open();
        for (int i = 0; i < n; ++i) AddRow(t, std::to_string(10000 + 2 * i));
        t.ApplySort();
        t.GoFirst();
        // A second scan: a listed ID is found and updated, a new one lands in place,
        // also after every listed ID.
        for (const std::string& id :
             {std::to_string(10000 + 2 * (n - 1)), std::string("10001"), std::string("99999")}) {
            if (t.SeekKey("ID", id))
                t.Edit();
            else
                t.Insert();
            t.FieldNamed("ID").SetStringValue(id);
            t.FieldNamed("PathWork").SetStringValue("second");
            t.Post();
        }
        Ids_ ids = Ids(t);
        ASSERT_EQ(static_cast<int>(ids.size()), n + 2);
        EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end())) << n;
        EXPECT_EQ(ids[1], "10001");
        EXPECT_EQ(ids.back(), "99999");
        EXPECT_TRUE(t.SeekKey("ID", std::to_string(10000 + 2 * (n - 1))));
        EXPECT_EQ(t.FieldNamed("pathWork").StringValue(), "second");
    }
}

TEST_F(ApplySortTest, SortFieldOptionLettersAndSpaces) {
    for (const char* id : {"b", "A", "a", "B"}) AddRow(t, id);
    // The name before ":" is taken as it stands; a name without options is trimmed.
    t.SetSortFields(" ID:c");
    EXPECT_THROW(t.ApplySort(), EDatabaseError);
    t.SetSortFields("ID:c ; pathWork ");
    t.ApplySort();
    Ids_ ids = Ids(t);
    // Case-insensitive: the two a's come before the two b's.
    EXPECT_TRUE((ids[0] == "a" || ids[0] == "A") && (ids[1] == "a" || ids[1] == "A"))
        << ids[0] << ids[1];
    t.SetSortFields("ID:L"); // plain character codes: upper case first
    t.ApplySort();
    EXPECT_EQ(Ids(t), (Ids_{"A", "B", "a", "b"}));
    t.SetSortFields("ID:LC");
    t.ApplySort();
    ids = Ids(t);
    EXPECT_TRUE((ids[2] == "b" || ids[2] == "B") && (ids[3] == "b" || ids[3] == "B"));
}

TEST_F(ApplySortTest, LoadedRecordsTieByInsertionAheadOfPostedOnes) {
    // Equal keys: records never placed (stamp -1, as the loader stores them) come first
    // in slot order, then posted ones.
    t.BeginLoadInsert();
    for (const char* p : {"L0", "L1"}) {
        t.NewLoadRecord();
        t.FieldNamed("ID").SetStringValue("k");
        t.FieldNamed("pathWork").SetStringValue(p);
        t.AppendLoadedRecord();
    }
    t.EndLoadInsert();
    t.RebuildOrders();
    t.GoLast();
    AddRow(t, "k", "P");
    t.ApplySort();
    EXPECT_EQ(Ids(t, "pathWork"), (Ids_{"L0", "L1", "P"}));
    t.SetSortOptions(mtcoDescending);
    t.ApplySort();
    EXPECT_EQ(Ids(t, "pathWork"), (Ids_{"P", "L1", "L0"}));
}

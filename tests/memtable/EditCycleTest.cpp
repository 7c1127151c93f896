// Edit cycle and navigation: where inserts land in the row order, what is current after
// each operation, bookmarks across Close, and persistent versus created fields.
#include <gtest/gtest.h>

#include "TableTestSupport.h"

using namespace mtest;
using Ids_ = std::vector<std::string>;

using EditCycleTest = OpenWorkTableTest<>;

TEST_F(EditCycleTest, InsertIntoEmptyTableLeavesTheNewRecordCurrent) {
    AddRow(t, "10001");
    EXPECT_EQ(t.RecordNumber(), 1);
    EXPECT_EQ(CurrentId(t), "10001");
}

TEST_F(EditCycleTest, RowOrderInsertGoesBeforeTheCurrentRecord) {
    for (const char* id : {"e", "d", "c", "b", "a"}) AddRow(t, id);
    // Each new record went before the one just posted: newest first.
    EXPECT_EQ(Ids(t), (Ids_{"a", "b", "c", "d", "e"}));
    t.SetRecordNumber(3);
    EXPECT_EQ(CurrentId(t), "c");
    AddRow(t, "new");
    EXPECT_EQ(t.RecordNumber(), 3);
    EXPECT_EQ(CurrentId(t), "new");
    EXPECT_EQ(Ids(t), (Ids_{"a", "b", "new", "c", "d", "e"}));
    std::string why;
    EXPECT_TRUE(t.CurrentIndex().Verify(t, &why)) << why;
}

TEST_F(EditCycleTest, InsertWhileSortedGoesToItsSortedPlaceAndRowOrderEnd) {
    for (const char* id : {"30002", "10001", "20003"}) AddRow(t, id);
    t.ApplySort();
    t.GoFirst();
    EXPECT_EQ(Ids(t), (Ids_{"10001", "20003", "30002"}));
    EXPECT_EQ(CurrentId(t), "10001");
    AddRow(t, "15000");
    AddRow(t, "99999");
    EXPECT_EQ(Ids(t), (Ids_{"10001", "15000", "20003", "30002", "99999"}));
    // The record now at the old cursor position is current after the post.
    EXPECT_EQ(t.RecordNumber(), 1);
    const TqvrIndex& row = t.Indexes().RowOrder();
    ASSERT_EQ(row.Entries.Count(), 5);
    std::string why;
    EXPECT_TRUE(row.Verify(t, &why)) << why;
}

TEST_F(EditCycleTest, EditMovesTheRecordInTheSortOrderButNotInTheRowOrder) {
    for (const char* id : {"b", "a", "c"}) AddRow(t, id);
    t.ApplySort();
    t.GoFirst(); // "a"
    t.Edit();
    t.FieldNamed("ID").SetStringValue("d");
    t.Post();
    EXPECT_EQ(Ids(t), (Ids_{"b", "c", "d"}));
    EXPECT_EQ(CurrentId(t), "b"); // what now stands at the old cursor position
    std::string why;
    EXPECT_TRUE(t.CurrentIndex().Verify(t, &why)) << why;
    EXPECT_TRUE(t.Indexes().RowOrder().Verify(t, &why)) << why;
}

TEST_F(EditCycleTest, GrowingAValueKeepsTheRecordInEveryOrder) {
    AddRow(t, "a", "short");
    AddRow(t, "b", "short");
    t.ApplySort();
    TqvrBookmark mark = t.KeepBookmark();
    t.Edit();
    t.FieldNamed("pathWork").SetStringValue(std::string(3000, 'x'));
    t.Post();
    EXPECT_TRUE(t.IsBookmarkValid(mark));
    EXPECT_EQ(t.FieldNamed("pathWork").StringValue().size(), 3000u);
    std::string why;
    for (const auto& index : t.Indexes()) EXPECT_TRUE(index->Verify(t, &why)) << why;
}

TEST_F(EditCycleTest, DeleteMakesTheNextRecordCurrentOrTheNewLast) {
    for (const char* id : {"c", "b", "a"}) AddRow(t, id);
    t.GoFirst();
    t.Delete();
    EXPECT_EQ(CurrentId(t), "b");
    t.GoLast();
    t.Delete();
    EXPECT_EQ(CurrentId(t), "b");
    t.Delete();
    EXPECT_TRUE(t.NoCurrentRecord());
    EXPECT_EQ(t.RecordTotal(), 0);
    EXPECT_EQ(t.RecordNumber(), -1);
}

TEST_F(EditCycleTest, DeletedSlotIsReusedAndBookmarkOfTheDeletedRecordIsInvalid) {
    AddRow(t, "a");
    TqvrBookmark a = t.KeepBookmark();
    AddRow(t, "b");
    t.ReturnToBookmark(a);
    t.Delete();
    EXPECT_FALSE(t.IsBookmarkValid(a));
    AddRow(t, "c");
    EXPECT_EQ(t.StoredRecordCount(), 2);
    EXPECT_FALSE(t.IsBookmarkValid(a)); // same slot, another serial
}

TEST_F(EditCycleTest, BookmarksDoNotSurviveClose) {
    AddRow(t, "a");
    TqvrBookmark a = t.KeepBookmark();
    EXPECT_TRUE(t.IsBookmarkValid(a));
    t.Close();
    EXPECT_FALSE(t.IsBookmarkValid(a));
    t.Open();
    AddRow(t, "a");
    EXPECT_FALSE(t.IsBookmarkValid(a));
    EXPECT_TRUE(t.KeepBookmark() != a);
}

TEST_F(EditCycleTest, KeepBookmarkIsEmptyWithoutAStoredRecord) {
    EXPECT_TRUE(t.KeepBookmark().Empty());
    t.Insert();
    EXPECT_TRUE(t.KeepBookmark().Empty());
    t.Cancel();
}

TEST_F(EditCycleTest, CloseFreesRecordsAndKeepsPersistentFields) {
    AddRow(t, "a");
    t.ApplySort();
    t.Close();
    EXPECT_EQ(t.FieldCount(), 2);
    EXPECT_EQ(t.FieldNamed("ID").StringValue(), "");
    t.Open();
    EXPECT_EQ(t.RecordTotal(), 0);
    EXPECT_EQ(&t.CurrentIndex(), &t.Indexes().RowOrder());
    EXPECT_EQ(t.Indexes().Count(), 1);
}

TEST(MemTableFieldsTest, FieldsCreatedAtOpenAreFreedAtClose) {
    TqvrMemTable t("answers");
    t.FieldDefs().Add("a1", ftString, 20, false);
    t.FieldDefs().Add("n", ftInteger, 0, false);
    t.Open();
    ASSERT_EQ(t.FieldCount(), 2);
    EXPECT_EQ(t.FieldNamed("A1").Size(), 20);
    t.Insert();
    t.FieldNamed("n").SetAsInteger(-5);
    t.FieldNamed("a1").SetStringValue("x");
    t.Post();
    EXPECT_EQ(t.FieldNamed("n").AsInteger(), -5);
    EXPECT_EQ(t.FieldNamed("n").StringValue(), "-5");
    t.Close();
    EXPECT_EQ(t.FieldCount(), 0);
    EXPECT_EQ(t.FindField("a1"), nullptr);
}

TEST(MemTableFieldsTest, PersistentFieldsRebuildTheDefinitions) {
    TqvrMemTable t("answers");
    t.FieldDefs().Add("old", ftInteger, 0, false);
    t.AddStringField("VarNo", 0);
    t.AddStringField("a1", 20);
    t.Open();
    ASSERT_EQ(t.FieldDefs().Count(), 2);
    EXPECT_EQ(t.FieldDefs()[0].Name, "VarNo");
    EXPECT_EQ(t.FieldDefs()[1].Size, 20);
}

TEST_F(EditCycleTest, StepByCountsRecordsMovedAndStopsAtTheEnds) {
    for (int i = 9; i >= 0; --i) AddRow(t, std::to_string(i));
    t.GoFirst();
    EXPECT_EQ(t.StepBy(3), 3);
    EXPECT_EQ(CurrentId(t), "3");
    EXPECT_EQ(t.StepBy(100), 6);
    EXPECT_TRUE(t.AtEnd());
    EXPECT_EQ(CurrentId(t), "9");
    EXPECT_EQ(t.StepBy(-4), -4);
    EXPECT_FALSE(t.AtEnd());
    EXPECT_EQ(t.StepBy(-100), -5);
    EXPECT_TRUE(t.AtStart());
    EXPECT_EQ(t.StepBy(-1), 0);
    t.SetRecordNumber(7);
    EXPECT_EQ(CurrentId(t), "6");
    t.SetRecordNumber(0); // out of range: nothing
    EXPECT_EQ(t.RecordNumber(), 7);
}

TEST_F(EditCycleTest, PositionReadsMoveNothing) {
    for (const char* id : {"c", "b", "a"}) AddRow(t, id);
    Recorder r(t);
    const TField& id = t.FieldNamed("ID");
    EXPECT_EQ(t.FieldTextAt(2, id), "c");
    EXPECT_EQ(t.FieldTextAt(3, id), "");
    EXPECT_EQ(t.FieldTextAt(-1, id), "");
    EXPECT_FALSE(t.FieldIsNullAt(0, id));
    EXPECT_EQ(t.CurrentPosition(), 0);
    EXPECT_TRUE(r.Take().empty());
}

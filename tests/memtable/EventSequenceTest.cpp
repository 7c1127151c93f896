// The exact order of events and notifications of each operation, as bound controls and
// the window's handlers see it.
#include <gtest/gtest.h>

#include "TableTestSupport.h"

using namespace mtest;
using Seq = std::vector<std::string>;

class EventSequenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseLocale("C");
        DefineWorkTable(t);
    }
    TqvrMemTable t{"tblWork"};
};

TEST_F(EventSequenceTest, OpenAndCloseOfAnEmptyTable) {
    Recorder r(t);
    t.Open();
    EXPECT_EQ(r.Take(), (Seq{"E:BeforeOpen", "N:StateChange", "E:AfterOpen"}));
    EXPECT_TRUE(t.AtStart());
    EXPECT_TRUE(t.AtEnd());
    t.Close();
    EXPECT_EQ(r.Take(), (Seq{"E:BeforeClose", "N:StateChange", "E:AfterClose"}));
}

TEST_F(EventSequenceTest, InsertWriteAndPost) {
    t.Open();
    Recorder r(t);
    t.Insert();
    EXPECT_EQ(r.Take(),
              (Seq{"N:CheckBrowseMode", "E:BeforeInsert", "E:BeforeScroll", "N:StateChange",
                   "E:OnNewRecord", "N:TableChange", "E:AfterInsert", "E:AfterScroll"}));
    t.FieldNamed("ID").SetStringValue("10001");
    EXPECT_EQ(r.Take(), (Seq{"N:FieldChange:ID"}));
    t.Post();
    EXPECT_EQ(r.Take(), (Seq{"N:UpdateRecord", "N:CheckBrowseMode", "E:BeforePost", "N:StateChange",
                             "N:TableChange", "E:AfterPost"}));
    EXPECT_EQ(t.RecordNumber(), 1);
}

TEST_F(EventSequenceTest, EditThenPostRaisesNoScrollEvents) {
    t.Open();
    AddRow(t, "a");
    Recorder r(t);
    t.Edit();
    EXPECT_EQ(r.Take(), (Seq{"N:CheckBrowseMode", "E:BeforeEdit", "N:StateChange", "N:RecordChange",
                             "E:AfterEdit"}));
    t.Edit(); // already editing: nothing
    EXPECT_TRUE(r.Take().empty());
    t.Post();
    EXPECT_EQ(r.Take(), (Seq{"N:UpdateRecord", "N:CheckBrowseMode", "E:BeforePost", "N:StateChange",
                             "N:TableChange", "E:AfterPost"}));
}

TEST_F(EventSequenceTest, CancelAfterEditAndAfterInsert) {
    t.Open();
    AddRow(t, "a");
    Recorder r(t);
    t.Edit();
    r.Take();
    t.Cancel();
    EXPECT_EQ(r.Take(), (Seq{"N:CheckBrowseMode", "E:BeforeCancel", "N:StateChange",
                             "N:TableChange", "E:AfterCancel"}));
    t.Insert();
    r.Take();
    t.Cancel();
    EXPECT_EQ(r.Take(), (Seq{"N:CheckBrowseMode", "E:BeforeCancel", "E:BeforeScroll",
                             "N:StateChange", "N:TableChange", "E:AfterCancel", "E:AfterScroll"}));
    t.Cancel(); // in browse: nothing
    EXPECT_TRUE(r.Take().empty());
}

TEST_F(EventSequenceTest, DeleteAndDeleteDuringInsert) {
    t.Open();
    AddRow(t, "a");
    AddRow(t, "b");
    Recorder r(t);
    t.Delete();
    EXPECT_EQ(r.Take(), (Seq{"N:CheckBrowseMode", "E:BeforeDelete", "E:BeforeScroll",
                             "N:TableChange", "E:AfterDelete", "E:AfterScroll"}));
    t.Insert();
    r.Take();
    t.Delete(); // acts as Cancel
    EXPECT_EQ(r.Take(), (Seq{"N:CheckBrowseMode", "E:BeforeCancel", "E:BeforeScroll",
                             "N:StateChange", "N:TableChange", "E:AfterCancel", "E:AfterScroll"}));
}

TEST_F(EventSequenceTest, NavigationOnAnEmptyTable) {
    t.Open();
    Recorder r(t);
    t.GoFirst();
    EXPECT_EQ(r.Take(),
              (Seq{"N:CheckBrowseMode", "E:BeforeScroll", "N:TableChange", "E:AfterScroll"}));
    EXPECT_TRUE(t.AtStart() && t.AtEnd());
    EXPECT_TRUE(t.NoCurrentRecord());
    t.GoLast();
    EXPECT_EQ(r.Take(),
              (Seq{"N:CheckBrowseMode", "E:BeforeScroll", "N:TableChange", "E:AfterScroll"}));
    EXPECT_EQ(t.StepBy(1), 0);
    EXPECT_EQ(r.Take(), (Seq{"N:CheckBrowseMode", "E:BeforeScroll"}));
}

TEST_F(EventSequenceTest, StepByOverTheEnd) {
    t.Open();
    AddRow(t, "a");
    AddRow(t, "b");
    t.GoLast();
    Recorder r(t);
    // The last record is current but the end has not been met yet.
    t.GoFirst();
    r.Take();
    EXPECT_EQ(t.StepBy(1), 1);
    EXPECT_EQ(r.Take(), (Seq{"N:CheckBrowseMode", "E:BeforeScroll", "N:Scroll", "E:AfterScroll"}));
    EXPECT_EQ(t.StepBy(1), 0);
    EXPECT_TRUE(t.AtEnd());
    EXPECT_EQ(r.Take(), (Seq{"N:CheckBrowseMode", "E:BeforeScroll", "N:Scroll", "E:AfterScroll"}));
    EXPECT_EQ(t.StepBy(1), 0);
    EXPECT_EQ(r.Take(), (Seq{"N:CheckBrowseMode", "E:BeforeScroll"}));
    EXPECT_EQ(t.StepBy(0), 0);
    EXPECT_EQ(r.Take(), (Seq{"N:CheckBrowseMode", "E:BeforeScroll"}));
}

TEST_F(EventSequenceTest, SeekKeyFoundAndNotFound) {
    t.Open();
    AddRow(t, "a");
    AddRow(t, "b");
    Recorder r(t);
    EXPECT_FALSE(t.SeekKey("ID", "zz"));
    EXPECT_EQ(r.Take(), (Seq{"E:BeforeScroll", "N:CheckBrowseMode"}));
    EXPECT_TRUE(t.SeekKey("ID", "b")); // already current: both events all the same
    EXPECT_EQ(r.Take(),
              (Seq{"E:BeforeScroll", "N:CheckBrowseMode", "N:TableChange", "E:AfterScroll"}));
}

TEST_F(EventSequenceTest, NavigationPostsAPendingWrite) {
    t.Open();
    AddRow(t, "a");
    t.Edit();
    Recorder r(t);
    t.FieldNamed("ID").SetStringValue("b");
    t.GoFirst();
    EXPECT_EQ(r.Take(), (Seq{"N:FieldChange:ID", "N:CheckBrowseMode", "N:UpdateRecord",
                             "N:CheckBrowseMode", "E:BeforePost", "N:StateChange", "N:TableChange",
                             "E:AfterPost", "E:BeforeScroll", "N:TableChange", "E:AfterScroll"}));
    EXPECT_EQ(CurrentId(t), "b");
}

TEST_F(EventSequenceTest, NavigationCancelsAnUnwrittenInsert) {
    t.Open();
    AddRow(t, "a");
    t.Insert();
    Recorder r(t);
    t.GoLast();
    EXPECT_EQ(r.Take(), (Seq{"N:CheckBrowseMode", "N:CheckBrowseMode", "E:BeforeCancel",
                             "E:BeforeScroll", "N:StateChange", "N:TableChange", "E:AfterCancel",
                             "E:AfterScroll", "E:BeforeScroll", "N:TableChange", "E:AfterScroll"}));
    EXPECT_EQ(t.RecordTotal(), 1);
}

TEST_F(EventSequenceTest, CloseDuringEditCancelsFirst) {
    t.Open();
    AddRow(t, "a");
    t.Edit();
    Recorder r(t);
    t.Close();
    EXPECT_EQ(r.Take(),
              (Seq{"N:CheckBrowseMode", "E:BeforeCancel", "N:StateChange", "N:TableChange",
                   "E:AfterCancel", "E:BeforeClose", "N:StateChange", "E:AfterClose"}));
}

TEST_F(EventSequenceTest, ApplySortAndRefreshRaiseNoScrollEvents) {
    t.Open();
    AddRow(t, "b");
    AddRow(t, "a");
    Recorder r(t);
    t.ApplySort();
    EXPECT_EQ(r.Take(), (Seq{"N:CheckBrowseMode", "E:BeforeRefresh", "N:CheckBrowseMode",
                             "N:TableChange", "E:AfterRefresh"}));
    t.Refresh();
    EXPECT_EQ(r.Take(),
              (Seq{"E:BeforeRefresh", "N:CheckBrowseMode", "N:TableChange", "E:AfterRefresh"}));
}

TEST_F(EventSequenceTest, BookmarkReturn) {
    t.Open();
    AddRow(t, "a");
    TqvrBookmark b = t.KeepBookmark();
    AddRow(t, "b");
    Recorder r(t);
    t.ReturnToBookmark(b);
    EXPECT_EQ(r.Take(),
              (Seq{"N:CheckBrowseMode", "E:BeforeScroll", "N:TableChange", "E:AfterScroll"}));
    EXPECT_EQ(CurrentId(t), "a");
    t.ReturnToBookmark(TqvrBookmark{});
    EXPECT_TRUE(r.Take().empty());
}

TEST_F(EventSequenceTest, AHandlerExceptionStopsTheOperation) {
    t.Open();
    AddRow(t, "a");
    t.BeforeInsert = [](TDataSet&) { throw std::runtime_error("no"); };
    EXPECT_THROW(t.Insert(), std::runtime_error);
    EXPECT_EQ(t.State(), tsBrowse);
    EXPECT_EQ(t.RecordTotal(), 1);
}

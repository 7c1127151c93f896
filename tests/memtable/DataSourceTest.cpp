// How data sources pass notifications: only while the table is open as far as the data
// source knows (which follows nkStateChange alone), nkStateChange always; suspension
// and the report of ResumeNotifications.
#include <gtest/gtest.h>

#include "TableTestSupport.h"

using namespace mtest;
using Seq = std::vector<std::string>;

class DataSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseLocale("C");
        DefineWorkTable(t);
        link.SetDataSource(&source);
        source.SetDataSet(&t);
        log.clear();
    }
    TqvrMemTable t{"answers"};
    Seq log;
    RecordingLink link{log};
    TDataSource source;
};

TEST_F(DataSourceTest, AttachingTellsTheLinksTheState) {
    TDataSource other;
    Seq otherLog;
    RecordingLink l(otherLog);
    l.SetDataSource(&other);
    t.Open();
    other.SetDataSet(&t);
    EXPECT_EQ(otherLog, (Seq{"N:StateChange"}));
    EXPECT_TRUE(l.Active());
    EXPECT_EQ(l.DataSet(), &t);
    other.SetDataSet(nullptr);
    EXPECT_FALSE(l.Active());
}

TEST_F(DataSourceTest, NothingButStateChangePassesWhileClosed) {
    t.AddStringField("extra", 3); // field list change on a closed table
    EXPECT_TRUE(log.empty());
    t.Open();
    EXPECT_EQ(log, (Seq{"N:StateChange"}));
    EXPECT_TRUE(source.Active());
    t.Close();
    EXPECT_FALSE(source.Active());
}

TEST_F(DataSourceTest, LayoutChangeWhileOpen) {
    t.Open();
    log.clear();
    t.FieldNamed("ID").SetDisplayLabel("Код работы");
    t.FieldNamed("ID").SetDisplayWidth(10);
    EXPECT_EQ(log, (Seq{"N:LayoutChange", "N:LayoutChange"}));
}

TEST_F(DataSourceTest, ReloadOfAnOpenTableWhileSuspended) {
    t.Open();
    AddRow(t, "a");
    log.clear();
    t.SuspendNotifications();
    t.SuspendNotifications();
    t.Close();
    t.Open();
    AddRow(t, "b"); // inserts and posts: nothing but the suspended state changes
    t.ResumeNotifications();
    EXPECT_EQ(log, (Seq{"N:SuspendedStateChange:closed", "N:SuspendedStateChange:open",
                        "N:SuspendedStateChange:open", "N:SuspendedStateChange:open"}));
    log.clear();
    t.ResumeNotifications(); // back to zero: same state as at the first suspension
    EXPECT_EQ(log, (Seq{"N:TableChange"}));
    t.ResumeNotifications(); // unbalanced: ignored
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(DataSourceTest, LoadIntoAClosedTableIsReportedByTheResume) {
    t.SuspendNotifications();
    t.Open(); // the data source still counts the table as closed: nothing passes
    t.FieldNamed("ID").SetDisplayLabel("x");
    EXPECT_TRUE(log.empty());
    t.ResumeNotifications();
    EXPECT_EQ(log, (Seq{"N:StateChange"}));
}

TEST_F(DataSourceTest, HeldLayoutChangeReplacesTheTableChange) {
    t.Open();
    log.clear();
    t.SuspendNotifications();
    t.FieldNamed("ID").SetDisplayWidth(5);
    t.ResumeNotifications();
    EXPECT_EQ(log, (Seq{"N:LayoutChange"}));
}

TEST_F(DataSourceTest, ClosedAtTheEndOfASuspension) {
    t.Open();
    log.clear();
    t.SuspendNotifications();
    t.Close();
    t.ResumeNotifications();
    EXPECT_EQ(log, (Seq{"N:SuspendedStateChange:closed", "N:StateChange"}));
    EXPECT_FALSE(source.Active());
}

TEST_F(DataSourceTest, LinksInAttachmentOrderAndDetachOnDestruction) {
    Seq order;
    struct Named : TDataLink {
        Named(Seq& o, std::string n) : o_(o), n_(std::move(n)) {}
        void DataEvent(TNotifyKind, TField*, bool) override { o_.push_back(n_); }
        Seq& o_;
        std::string n_;
    };
    Named first(order, "1"), second(order, "2");
    first.SetDataSource(&source);
    second.SetDataSource(&source);
    {
        Named third(order, "3");
        third.SetDataSource(&source);
    }
    t.Open();
    EXPECT_EQ(order, (Seq{"1", "2"}));
    EXPECT_EQ(log, (Seq{"N:StateChange"}));
}

TEST_F(DataSourceTest, AutoEditStartsAnEdit) {
    t.Open();
    AddRow(t, "a");
    source.SetAutoEdit(false);
    EXPECT_FALSE(source.Edit());
    EXPECT_EQ(t.State(), tsBrowse);
    source.SetAutoEdit(true);
    EXPECT_TRUE(source.Edit());
    EXPECT_EQ(t.State(), tsEdit);
}

TEST_F(DataSourceTest, TableOutlivedByItsDataSource) {
    auto table = std::make_unique<TqvrMemTable>("gone");
    table->AddStringField("a", 1);
    TDataSource s(table.get());
    table.reset();
    EXPECT_EQ(s.DataSet(), nullptr);
    EXPECT_FALSE(s.Active());
}

// The access the table-stream loader uses: replacing fields, the temporary insert state,
// appended records with earlier versions, hidden deleted records, index definitions,
// and the rebuild with the final refresh.
#include <gtest/gtest.h>

#include "TableTestSupport.h"

using namespace mtest;
using Ids_ = std::vector<std::string>;

class LoaderAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseLocale("C");
        for (const char* n : {"a1", "a2", "a3", "a4", "a5", "a6"}) t.AddStringField(n, 20);
        t.AddStringField("VarNo", 0);
    }

    // The load sequence of a stream that defines VarNo, a1 and a2 with `rows` records.
    void Load(const std::vector<std::vector<std::string>>& rows,
              const std::vector<int>& status = {}) {
        t.SuspendNotifications();
        t.LockStore();
        t.SetEnableIndexes(false);
        t.SetLoading(true);
        t.Close();
        t.FieldDefs().Clear();
        t.DestroyFields();
        for (const char* n : {"VarNo", "a1", "a2"}) {
            t.FieldDefs().Add(n, ftString, 5, false);
            TField& f = t.CreateFieldFromDef(*t.FieldDefs().Find(n));
            f.SetReadOnly(true);
        }
        t.ClearOrders();
        t.IndexDefs().Clear();
        t.IndexDefs().Add("idx2", "a1", ixDescending);
        t.Open();
        t.BeginLoadInsert();
        t.ResetAutoInc();
        t.ReserveRecords(rows.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            t.NewLoadRecord();
            t.SetLoadRecordStatus(r < status.size() ? status[r] : 0);
            for (int f = 0; f < 3; ++f) t.Field(f).SetStringValue(rows[r][static_cast<size_t>(f)]);
            t.AppendLoadedRecord();
        }
        t.EndLoadInsert();
        t.RebuildOrdersFromIndexDefs();
        t.SetEnableIndexes(true);
        t.SetLoading(false);
        t.RebuildOrders();
        t.UnlockStore();
        t.ResumeNotifications();
        t.Refresh();
    }

    TqvrMemTable t{"answers"};
};

TEST_F(LoaderAccessTest, ReplacesFieldsAndRecords) {
    Load({{"7", "x", "y"}, {"7", "abcdefgh", "z"}});
    ASSERT_EQ(t.FieldCount(), 3);
    EXPECT_EQ(t.Field(0).FieldName(), "VarNo");
    EXPECT_EQ(t.FindField("a4"), nullptr);
    EXPECT_EQ(t.State(), tsBrowse);
    EXPECT_EQ(t.RecordTotal(), 2);
    EXPECT_EQ(t.RecordNumber(), 1);
    EXPECT_EQ(t.FieldNamed("a1").StringValue(), "x");
    t.StepBy(1);
    EXPECT_EQ(t.FieldNamed("a1").StringValue(), "abcde");
    EXPECT_EQ(t.RecordSize(), 3 * 7);
    EXPECT_EQ(t.StoredRecord(0)->stamp, -1);
    // Read-only fields refuse writes once the load is over.
    t.Edit();
    EXPECT_THROW(t.FieldNamed("a1").SetStringValue("q"), EDatabaseError);
    t.Cancel();
}

TEST_F(LoaderAccessTest, SecondLoadReplacesTheFirst) {
    Load({{"1", "a", "a"}, {"1", "b", "b"}, {"1", "c", "c"}});
    Load({{"2", "z", "z"}});
    EXPECT_EQ(t.RecordTotal(), 1);
    EXPECT_EQ(t.FieldNamed("VarNo").StringValue(), "2");
}

TEST_F(LoaderAccessTest, DeletedRecordsAreHidden) {
    Load({{"1", "a", "a"}, {"1", "gone", "b"}, {"1", "c", "c"}}, {0, 3, 2});
    EXPECT_EQ(t.StoredRecordCount(), 3);
    EXPECT_EQ(t.DeletedRecordCount(), 1);
    EXPECT_EQ(t.RecordTotal(), 2);
    EXPECT_EQ(Ids(t, "a1"), (Ids_{"a", "c"}));
    EXPECT_FALSE(t.SeekKey("a1", "gone"));
}

TEST_F(LoaderAccessTest, IndexDefinitionsBecomeOrders) {
    Load({{"1", "a", ""}, {"1", "c", ""}, {"1", "b", ""}});
    TqvrIndex* idx = t.Indexes().Find("idx2");
    ASSERT_NE(idx, nullptr);
    EXPECT_TRUE(idx->InOrder);
    ASSERT_EQ(idx->Entries.Count(), 3);
    std::string_view v;
    idx->Entries.At(0)->GetValue(1, v);
    EXPECT_EQ(v, "c");
    std::string why;
    EXPECT_TRUE(idx->Verify(t, &why)) << why;
}

TEST_F(LoaderAccessTest, EarlierVersionsAreLinked) {
    t.SuspendNotifications();
    t.Close();
    t.DestroyFields();
    t.FieldDefs().Clear();
    t.FieldDefs().Add("a1", ftString, 5);
    t.CreateFieldFromDef(t.FieldDefs()[0]);
    t.Open();
    t.BeginLoadInsert();
    t.NewLoadRecord();
    t.SetLoadRecordStatus(1);
    t.Field(0).SetStringValue("now");
    t.NewEarlierVersion();
    t.SetLoadRecordStatus(0);
    t.Field(0).SetStringValue("prev");
    t.AppendLoadedRecord();
    t.NewLoadRecord(); // an unfinished record is discarded
    t.Field(0).SetStringValue("lost");
    t.EndLoadInsert();
    t.RebuildOrders();
    t.ResumeNotifications();
    t.Refresh();
    EXPECT_EQ(t.RecordTotal(), 1);
    const TqvrRecord* r = t.StoredRecord(0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->status, 1);
    const TqvrRecord* e = t.EarlierVersionOf(r);
    ASSERT_NE(e, nullptr);
    std::string_view v;
    ASSERT_TRUE(e->GetValue(0, v));
    EXPECT_EQ(v, "prev");
    EXPECT_EQ(t.FieldNamed("a1").StringValue(), "now");
}

TEST_F(LoaderAccessTest, AutoIncCounter) {
    t.SetAutoIncMinValue(10);
    t.ResetAutoInc();
    EXPECT_EQ(t.AutoIncCounter(), 9);
    t.RaiseAutoInc(5);
    EXPECT_EQ(t.AutoIncCounter(), 9);
    t.RaiseAutoInc(42);
    EXPECT_EQ(t.AutoIncCounter(), 42);
}

TEST(AutoIncFieldTest, NewRecordsCountUp) {
    TqvrMemTable t("t");
    t.FieldDefs().Add("n", ftAutoInc);
    t.FieldDefs().Add("s", ftString, 3);
    t.Open();
    t.Insert();
    EXPECT_EQ(t.FieldNamed("n").AsInteger(), 1);
    t.FieldNamed("s").SetStringValue("a");
    t.Post();
    t.Insert();
    EXPECT_EQ(t.FieldNamed("n").AsInteger(), 2);
    t.FieldNamed("n").SetAsInteger(50);
    t.Post();
    t.Insert();
    EXPECT_EQ(t.FieldNamed("n").AsInteger(), 51);
    t.Cancel();
}

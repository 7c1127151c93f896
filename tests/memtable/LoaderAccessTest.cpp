// The access the table-stream loader uses: replacing fields, the temporary insert state,
// appended records with earlier versions, hidden deleted records, index definitions,
// and the rebuild with the final refresh.
#include <gtest/gtest.h>

#include "SheetWriter.h"
#include "TableTestSupport.h"
#include "memtable/stream/TMemoryStream.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

using namespace mtest;
using Ids_ = std::vector<std::string>;

class LoaderAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseLocale("C");
        for (const char* n : {"a1", "a2", "a3", "a4", "a5", "a6"}) t.AddStringField(n, 20);
        t.AddStringField("VarNo", 0);
    }

    // Loads, through the stream loader, a sheet that defines VarNo, a1 and a2 (size 5,
    // read-only) and an order "idx2" on a1, descending, with `rows` records.
    void Load(const std::vector<std::vector<std::string>>& rows,
              const std::vector<int>& status = {}) {
        sheetwriter::Sheet sheet;
        for (const char* n : {"VarNo", "a1", "a2"}) sheet.fields.push_back(TextField(n, true));
        sheetwriter::SheetIndex index;
        index.name = "idx2";
        index.fields = "a1";
        index.descending = true;
        sheet.indexes.push_back(index);
        for (size_t r = 0; r < rows.size(); ++r)
            sheet.records.push_back(sheetwriter::Record({rows[r][0], rows[r][1], rows[r][2]},
                                                        r < status.size() ? status[r] : 0));
        LoadSheet(sheet);
    }

    static sheetwriter::SheetField TextField(const char* name, bool readOnly) {
        sheetwriter::SheetField field;
        field.name = name;
        field.size = 5;
        field.readOnly = readOnly;
        return field;
    }

    void LoadSheet(const sheetwriter::Sheet& sheet) {
        const std::vector<std::uint8_t> bytes = sheetwriter::WriteSheet(sheet);
        TMemoryStream stream(bytes.data(), bytes.size());
        TqvrBinaryStreamFormat format;
        t.LoadFromStreamUsingFormat(stream, &format);
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
    EXPECT_EQ(t.StoredRecord(0)->stamp, TqvrRecord::kUnplaced);
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
    Load({{"1", "a", "a"}, {"1", "gone", "b"}, {"1", "c", "c"}},
         {rsUnchanged, rsDeleted, rsInserted});
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
    sheetwriter::Sheet sheet;
    sheet.fields.push_back(TextField("a1", false));
    sheet.records.push_back({{{.status = 1, .values = {std::string("now")}},
                              {.status = 0, .values = {std::string("prev")}}}});
    LoadSheet(sheet);
    // A record the loader began but did not append is discarded with the insert state.
    t.BeginLoadInsert();
    t.NewLoadRecord();
    t.Field(0).SetStringValue("lost");
    t.EndLoadInsert();
    t.Refresh();
    EXPECT_EQ(t.RecordTotal(), 1);
    EXPECT_EQ(t.StoredRecordCount(), 1);
    const TqvrRecord* r = t.StoredRecord(0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->status, rsModified);
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
    // An edit that stores a larger value raises the counter as an insert does.
    t.Edit();
    t.FieldNamed("n").SetAsInteger(70);
    t.Post();
    t.Insert();
    EXPECT_EQ(t.FieldNamed("n").AsInteger(), 71);
    t.Cancel();
}

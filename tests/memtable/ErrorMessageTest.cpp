// Every failure of the table with its exception class and exact text.
#include <functional>

#include <gtest/gtest.h>

#include "TableTestSupport.h"

using namespace mtest;

namespace {

struct ErrorCase {
    const char* name;
    std::function<void(TqvrMemTable&)> action; // runs on an open tblWork with rows a, b
    const char* className;
    const char* message;
};

void Prepare(TqvrMemTable& t) {
    DefineWorkTable(t);
    t.Open();
    AddRow(t, "a");
    AddRow(t, "b");
}

std::vector<ErrorCase> Cases() {
    return {
        {"ClosedStepBy",
         [](TqvrMemTable& t) {
             t.Close();
             t.StepBy(1);
         },
         "EDatabaseError", "tblWork: Cannot perform this operation on a closed dataset"},
        {"ClosedRecordTotal",
         [](TqvrMemTable& t) {
             t.Close();
             (void)t.RecordTotal();
         },
         "EDatabaseError", "tblWork: Cannot perform this operation on a closed dataset"},
        {"ClosedInsert",
         [](TqvrMemTable& t) {
             t.Close();
             t.Insert();
         },
         "EDatabaseError", "tblWork: Cannot perform this operation on a closed dataset"},
        {"ClosedDelete",
         [](TqvrMemTable& t) {
             t.Close();
             t.Delete();
         },
         "EDatabaseError", "tblWork: Cannot perform this operation on a closed dataset"},
        {"ClosedSetRecordNumber",
         [](TqvrMemTable& t) {
             t.Close();
             t.SetRecordNumber(1);
         },
         "EDatabaseError", "tblWork: Cannot perform this operation on a closed dataset"},
        {"FieldNotFound", [](TqvrMemTable& t) { t.FieldNamed("Path"); }, "EDatabaseError",
         "tblWork: Field 'Path' not found"},
        {"WriteInBrowse", [](TqvrMemTable& t) { t.FieldNamed("ID").SetStringValue("x"); },
         "EDatabaseError", "tblWork: Dataset is not in edit mode."},
        {"ReadOnlyField",
         [](TqvrMemTable& t) {
             t.FieldNamed("ID").SetDisplayLabel("Work");
             t.FieldNamed("ID").SetReadOnly(true);
             t.Edit();
             t.FieldNamed("ID").SetStringValue("x");
         },
         "EDatabaseError", "Field Work is read only"},
        {"ReadOnlyTableWrite",
         [](TqvrMemTable& t) {
             t.Edit();
             t.SetReadOnly(true);
             t.FieldNamed("pathWork").SetStringValue("x");
         },
         "EDatabaseError", "Field pathWork is read only"},
        {"ReadOnlyInsert",
         [](TqvrMemTable& t) {
             t.SetReadOnly(true);
             t.Insert();
         },
         "EDatabaseError", "tblWork: Cannot modify a read-only dataset"},
        {"ReadOnlyEdit",
         [](TqvrMemTable& t) {
             t.SetReadOnly(true);
             t.Edit();
         },
         "EDatabaseError", "tblWork: Cannot modify a read-only dataset"},
        {"PostInBrowse", [](TqvrMemTable& t) { t.Post(); }, "EDatabaseError",
         "tblWork: Dataset not in edit or insert mode"},
        {"RequiredField",
         [](TqvrMemTable& t) {
             t.FieldNamed("pathWork").SetRequired(true);
             t.Insert();
             t.FieldNamed("ID").SetStringValue("c");
             t.Post();
         },
         "EDatabaseError", "Field 'pathWork' must have a value"},
        {"DeleteEmpty",
         [](TqvrMemTable& t) {
             t.Delete();
             t.Delete();
             t.Delete();
         },
         "EDatabaseError", "tblWork: Cannot perform this operation on an empty dataset"},
        {"SeekDimensions", [](TqvrMemTable& t) { t.SeekKey("ID", TKeyValue::Array({"a"}, 2)); },
         "EMemTableError", "Values variant array has invalid dimension count"},
        {"SeekMoreFields", [](TqvrMemTable& t) { t.SeekKey("ID;pathWork", "a"); }, "EMemTableError",
         "More fields than values"},
        {"SeekNoFields", [](TqvrMemTable& t) { t.SeekKey(" ", "a"); }, "EMemTableError",
         "There must be at least one field"},
        {"SeekMissingField", [](TqvrMemTable& t) { t.SeekKey("Nope", "a"); }, "EDatabaseError",
         "tblWork: Field 'Nope' not found"},
        {"SortMissingField",
         [](TqvrMemTable& t) {
             t.SetSortFields("ID;Missing");
             t.ApplySort();
         },
         "EDatabaseError", "tblWork: Field 'Missing' not found"},
        {"DuplicateInUniqueSort",
         [](TqvrMemTable& t) {
             AddRow(t, "a");
             t.SetSortOptions(mtcoUnique);
             t.ApplySort();
         },
         "EMemTableDupKey", "Duplicate index value. Operation aborted."},
        // Fields change only while the table is closed: an open table's records have
        // no room for one more.
        {"FieldAddedToAnOpenTable", [](TqvrMemTable& t) { t.AddStringField("extra", 5); },
         "EDatabaseError", "tblWork: Cannot perform this operation on an open dataset"},
        {"InvalidLocale",
         [](TqvrMemTable& t) {
             t.SetLocaleID(0x7F7F);
             t.ApplySort();
         },
         "EMemTableInvalidLocale", "Invalid locale. 32639"},
    };
}

class ErrorMessageTest : public ::testing::TestWithParam<ErrorCase> {};

} // namespace

TEST_P(ErrorMessageTest, RaisesTheClassAndText) {
    UseLocale("C");
    TqvrMemTable t("tblWork");
    Prepare(t);
    const ErrorCase& c = GetParam();
    try {
        c.action(t);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.ClassName(), c.className);
        EXPECT_EQ(e.Message(), c.message);
        EXPECT_STREQ(e.what(), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(All, ErrorMessageTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<ErrorCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(OpenErrorTest, OpenWithoutDefinitions) {
    TqvrMemTable t("answers");
    try {
        t.Open();
        FAIL();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message(), "There must be at least one field");
    }
    EXPECT_FALSE(t.Active());
}

TEST(OpenErrorTest, OpenWithATypeNotAccepted) {
    TqvrMemTable t("answers");
    t.FieldDefs().Add("w", ftWideString, 10);
    try {
        t.Open();
        FAIL();
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message(), "Fielddef w (w) Datatype 24 not supported.");
    }
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(t.FieldCount(), 0);
}

TEST(OpenErrorTest, NoPrefixWithoutAName) {
    TqvrMemTable t;
    t.AddStringField("a", 1);
    t.Open();
    try {
        t.Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Dataset not in edit or insert mode");
    }
}

TEST(OpenErrorTest, CannotIndexOnAnAggregate) {
    TqvrMemTable t("t");
    t.AddStringField("a", 1).SetFieldKind(fkAggregate);
    t.AddStringField("b", 1);
    t.Open();
    t.SetSortFields("a");
    try {
        t.ApplySort();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Can't index on field a");
    }
    // The failed sort leaves the row order current and no default sort order.
    EXPECT_EQ(&t.CurrentIndex(), &t.Indexes().RowOrder());
    EXPECT_EQ(t.Indexes().Find("__MT__DEFSORT"), nullptr);
}

TEST(OpenErrorTest, FailedPostKeepsTheEditState) {
    TqvrMemTable t("t");
    t.AddStringField("a", 5).SetRequired(true);
    t.Open();
    t.Insert();
    EXPECT_THROW(t.Post(), EDatabaseError);
    EXPECT_EQ(t.State(), tsInsert);
    t.FieldNamed("a").SetStringValue("v");
    t.Post();
    EXPECT_EQ(t.RecordTotal(), 1);
}

TEST(OpenErrorTest, DuplicateRejectedByAUniqueIndexOnPost) {
    UseLocale("C");
    TqvrMemTable t("t");
    t.AddStringField("a", 5);
    t.IndexDefs().Add("u", "a", ixUnique);
    t.Open();
    t.Insert();
    t.FieldNamed("a").SetStringValue("x");
    t.Post();
    t.Insert();
    t.FieldNamed("a").SetStringValue("x");
    EXPECT_THROW(t.Post(), EMemTableDupKey);
    EXPECT_EQ(t.State(), tsInsert);
    t.Cancel();
    EXPECT_EQ(t.StoredRecordCount(), 1);
}

// Field values: the Size cut in characters, the cut at a zero character, null versus the
// empty text, reading a closed table, typed values, and names found ignoring case.
#include <gtest/gtest.h>

#include "TableTestSupport.h"

using namespace mtest;

class FieldValueTest : public ::testing::Test {
protected:
    void SetUp() override {
        DefineWorkTable(t);
        t.AddStringField("zero", 0);
        t.AddStringField("five", 5);
        t.Open();
        t.Insert();
    }
    TqvrMemTable t{"tblWork"};
};

struct CutCase {
    const char* field;
    std::string written;
    std::string stored;
};

class FieldCutTest : public FieldValueTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(FieldCutTest, StoresWhatTheFieldCanHold) {
    const CutCase& c = GetParam();
    t.FieldNamed(c.field).SetStringValue(c.written);
    t.Post();
    EXPECT_EQ(t.FieldNamed(c.field).StringValue(), c.stored);
    EXPECT_FALSE(t.FieldNamed(c.field).IsNull());
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, FieldCutTest,
    ::testing::Values(
        CutCase{"five", "abcdefgh", "abcde"}, CutCase{"five", "abc", "abc"},
        CutCase{"five", std::string("ab\0cd", 5), "ab"},
        CutCase{"five", "\xD0\x90\xD0\x91\xD0\x92\xD0\x93\xD0\x94\xD0\x95\xD0\x96",
                "\xD0\x90\xD0\x91\xD0\x92\xD0\x93\xD0\x94"}, // Cyrillic: 5 letters, 10 bytes
        CutCase{"five",
                "ab\xF0\x9F\x98\x80"
                "cdef",
                "ab\xF0\x9F\x98\x80"
                "cd"},
        CutCase{"zero", "anything", ""},
        CutCase{"ID", std::string(300, 'x'), std::string(255, 'x')},
        CutCase{"pathWork", std::string(5000, 'p'), std::string(4096, 'p')}));

TEST_F(FieldValueTest, EmptyTextIsAValueAndUnwrittenIsNull) {
    t.FieldNamed("ID").SetStringValue("");
    t.Post();
    EXPECT_FALSE(t.FieldNamed("ID").IsNull());
    EXPECT_TRUE(t.FieldNamed("pathWork").IsNull());
    EXPECT_EQ(t.FieldNamed("pathWork").StringValue(), "");
    t.Edit();
    t.FieldNamed("ID").Clear();
    t.Post();
    EXPECT_TRUE(t.FieldNamed("ID").IsNull());
}

TEST_F(FieldValueTest, ReadsOfAClosedTableGiveEmptyText) {
    t.FieldNamed("ID").SetStringValue("x");
    t.Post();
    t.Close();
    EXPECT_EQ(t.FieldNamed("ID").StringValue(), "");
    EXPECT_TRUE(t.FieldNamed("ID").IsNull());
    t.FieldNamed("ID").SetStringValue("ignored"); // a write to a closed table does nothing
    EXPECT_EQ(t.FieldNamed("ID").StringValue(), "");
}

TEST_F(FieldValueTest, EditCopyIsReadWhileEditing) {
    t.FieldNamed("ID").SetStringValue("old");
    t.Post();
    t.Edit();
    t.FieldNamed("ID").SetStringValue("new");
    EXPECT_EQ(t.FieldNamed("ID").StringValue(), "new");
    EXPECT_EQ(t.FieldTextAt(0, t.FieldNamed("ID")), "old");
    t.Cancel();
    EXPECT_EQ(t.FieldNamed("ID").StringValue(), "old");
}

TEST_F(FieldValueTest, FieldNamedIgnoresCaseByUnicodeRules) {
    EXPECT_EQ(&t.FieldNamed("PathWork"), &t.FieldNamed("pathWork"));
    EXPECT_EQ(&t.FieldNamed("PATHWORK"), &t.FieldNamed("pathwork"));
    t.Cancel();
    t.Close();
    t.AddStringField("\xD0\x9F\xD1\x83\xD1\x82\xD1\x8C", 10); // "Путь"
    t.Open();
    EXPECT_NE(t.FindField("\xD0\xBF\xD0\xA3\xD0\xA2\xD0\xAC"), nullptr); // "пУТЬ"
    EXPECT_EQ(t.FindField("Path"), nullptr);
}

TEST(TypedFieldTest, TypedValuesRoundTrip) {
    TqvrMemTable t("answers");
    t.FieldDefs().Add("i", ftInteger);
    t.FieldDefs().Add("s", ftSmallint);
    t.FieldDefs().Add("l", ftLargeint);
    t.FieldDefs().Add("b", ftBoolean);
    t.FieldDefs().Add("f", ftFloat);
    t.FieldDefs().Add("c", ftCurrency);
    t.FieldDefs().Add("d", ftDateTime);
    t.FieldDefs().Add("y", ftBytes, 3);
    t.FieldDefs().Add("m", ftMemo);
    t.Open();
    t.Insert();
    t.FieldNamed("i").SetAsInteger(-2147483647 - 1);
    t.FieldNamed("s").SetAsInteger(70000); // wraps as a 16-bit value would
    t.FieldNamed("l").SetAsLargeInt(1LL << 53);
    t.FieldNamed("b").SetAsBoolean(true);
    t.FieldNamed("f").SetAsFloat(2.5);
    t.FieldNamed("c").SetAsCurrency(12346);
    t.FieldNamed("d").SetAsDateTime(45000.75);
    t.FieldNamed("y").SetAsBytes(std::string("\x01\x00\x02\x03", 4));
    t.FieldNamed("m").SetAsBytes(std::string(100000, 'm'));
    t.Post();
    EXPECT_EQ(t.FieldNamed("i").AsInteger(), -2147483647 - 1);
    EXPECT_EQ(t.FieldNamed("s").AsInteger(), 4464);
    EXPECT_EQ(t.FieldNamed("l").AsLargeInt(), 1LL << 53);
    EXPECT_TRUE(t.FieldNamed("b").AsBoolean());
    EXPECT_EQ(t.FieldNamed("b").StringValue(), "True");
    EXPECT_DOUBLE_EQ(t.FieldNamed("f").AsFloat(), 2.5);
    EXPECT_EQ(t.FieldNamed("c").AsCurrency(), 12346);
    EXPECT_EQ(t.FieldNamed("c").StringValue(), "1.2346");
    EXPECT_DOUBLE_EQ(t.FieldNamed("d").AsDateTime(), 45000.75);
    EXPECT_EQ(t.FieldNamed("y").AsBytes(), std::string("\x01\x00\x02", 3));
    EXPECT_EQ(t.FieldNamed("m").AsBytes().size(), 100000u);
    t.Edit();
    t.FieldNamed("i").SetStringValue("");
    t.Post();
    EXPECT_TRUE(t.FieldNamed("i").IsNull());
    t.Edit();
    EXPECT_THROW(t.FieldNamed("i").SetStringValue("12x"), EDatabaseError);
}

TEST(TypedFieldTest, DefaultExpressionFillsNewRecords) {
    TqvrMemTable t("t");
    t.AddStringField("a", 10).SetDefaultExpression("dflt");
    t.Open();
    t.Insert();
    EXPECT_EQ(t.FieldNamed("a").StringValue(), "dflt");
    EXPECT_FALSE(t.Modified());
    t.Post();
    EXPECT_EQ(t.FieldNamed("a").StringValue(), "dflt");
}

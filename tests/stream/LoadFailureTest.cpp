// Every failure of a load, with its class and text, and what the table
// holds afterwards: unchanged before the first field definition; open with
// the fields defined so far inside the definitions; the complete records
// before a failure in the data list. The load's machinery is always put back.
#include "LabelLink.h"
#include "LoadSupport.h"

#include "memtable/Exceptions.h"

#include <gtest/gtest.h>

using namespace sheetwriter;

namespace {

using Rows = std::vector<std::vector<std::string>>;

Sheet ThreeRecords() {
    Sheet s;
    SheetField a, n;
    a.name = "a";
    n.name = "n";
    n.type = "Integer";
    s.fields = {a, n};
    s.records = {Record({std::string("r1"), std::int64_t{1}}),
                 Record({std::string("r2"), std::int64_t{2}}),
                 Record({std::string("r3"), std::int64_t{3}})};
    return s;
}

/// The bytes of a 251 header, then `rest`.
Bytes Header(const ByteWriter& rest) {
    ByteWriter w;
    w.Signature().Int(251);
    Bytes b = ToBytes(w.Bytes());
    b.insert(b.end(), rest.Bytes().begin(), rest.Bytes().end());
    return b;
}

/// One field-definition entry as the writer makes it, with a chosen name and type.
ByteWriter& FieldEntry(ByteWriter& w, const std::string& name, const std::string& type) {
    return w.String(name)
        .String(type)
        .Int(20)
        .String(name)
        .String("")
        .Int(20)
        .Bool(false)
        .Bool(false)
        .String("Data")
        .String("");
}

enum class Start { OldOpenTable, FreshClosedTable };

struct FailureRow {
    const char* name;
    Bytes bytes;
    Start start;
    const char* className;
    std::string message;
    bool activeAfter;
    std::vector<std::string> fieldsAfter;
    Rows shownAfter;
};

std::vector<FailureRow> FailureRows() {
    const Bytes three = SheetBytes(ThreeRecords());
    // The offset of the third record: write two records and drop the list end.
    Sheet two = ThreeRecords();
    two.records.pop_back();
    const std::size_t thirdStart = SheetBytes(two).size() - 1;
    const Bytes cutInThird(three.begin(),
                           three.begin() + static_cast<std::ptrdiff_t>(thirdStart + 5));
    const Bytes cutBeforeListEnd(three.begin(), three.end() - 1);

    ByteWriter twoFieldsThenWide;
    twoFieldsThenWide.ListBegin();
    FieldEntry(twoFieldsThenWide, "a1", "String");
    FieldEntry(twoFieldsThenWide, "a2", "String");
    FieldEntry(twoFieldsThenWide, "w", "WideString");
    ByteWriter lowerCaseType;
    FieldEntry(lowerCaseType.ListBegin(), "a1", "string");
    ByteWriter emptyName;
    FieldEntry(FieldEntry(emptyName.ListBegin(), "a1", "String"), "", "String");
    ByteWriter duplicate;
    FieldEntry(FieldEntry(duplicate.ListBegin(), "a1", "String"), "A1", "String");
    ByteWriter cutInEntry;
    FieldEntry(cutInEntry.ListBegin(), "a1", "String").String("a2").String("String");
    ByteWriter noList;
    noList.String("a1");
    ByteWriter integerAsName;
    FieldEntry(integerAsName.ListBegin(), "a1", "String").Int(5);
    ByteWriter noFields;
    noFields.ListBegin().ListEnd().ListBegin().ListEnd().ListBegin().ListEnd();

    Sheet s = ThreeRecords();
    ByteWriter badValue;
    badValue.ListBegin();
    badValue.ListBegin().Int(0).Bool(false).String("r1").Bool(false).Int(1).ListEnd();
    badValue.ListBegin().Int(0).Bool(false).String("r2").Bool(false).String("two").ListEnd();
    badValue.ListEnd();
    ByteWriter negativeLength;
    negativeLength.ListBegin();
    negativeLength.ListBegin().Int(0).Bool(false).String("r1").Bool(false).Int(1).ListEnd();
    negativeLength.ListBegin().Int(0).Bool(false).LongStringClaiming(-5, "").ListEnd();
    negativeLength.ListEnd();
    ByteWriter hugeLength;
    hugeLength.ListBegin();
    hugeLength.ListBegin().Int(0).Bool(false).Utf8StringClaiming(0x7FFFFFF0, "abc").ListEnd();
    hugeLength.ListEnd();
    ByteWriter statusNotInteger;
    statusNotInteger.ListBegin().ListBegin().String("0").ListEnd().ListEnd();

    Sheet repeatedKey = ThreeRecords();
    repeatedKey.records[1] = Record({std::string("r1"), std::int64_t{2}});
    SheetIndex unique;
    unique.name = "u";
    unique.fields = "a";
    unique.unique = true;
    repeatedKey.indexes = {unique};

    const std::vector<std::string> old = {"old"};
    const Rows oldRows = {{"x"}};
    const std::vector<std::string> none;
    return {
        {"emptyStream",
         {},
         Start::OldOpenTable,
         "EReadError",
         "Stream read error",
         true,
         old,
         oldRows},
        {"emptyStreamClosedTable",
         {},
         Start::FreshClosedTable,
         "EReadError",
         "Stream read error",
         false,
         none,
         {}},
        {"wrongSignature",
         {'T', 'P', 'F', '1', 1, 0},
         Start::OldOpenTable,
         "EReadError",
         "Invalid stream format",
         true,
         old,
         oldRows},
        {"shortSignature",
         {'T', 'P', 'F'},
         Start::OldOpenTable,
         "EReadError",
         "Stream read error",
         true,
         old,
         oldRows},
        {"cutInVersion",
         {'T', 'P', 'F', '0', 3, 0xFB},
         Start::OldOpenTable,
         "EReadError",
         "Stream read error",
         true,
         old,
         oldRows},
        {"versionNotInteger",
         {'T', 'P', 'F', '0', 6, 0, 1, 0},
         Start::OldOpenTable,
         "EReadError",
         "Invalid property value",
         true,
         old,
         oldRows},
        {"missingListStart", Header(noList), Start::OldOpenTable, "EReadError",
         "Invalid property value", true, old, oldRows},
        {"lowerCaseStringType",
         Header(lowerCaseType),
         Start::OldOpenTable,
         "EMemTableError",
         "Unknown field type (string)",
         false,
         none,
         {}},
        {"wideStringAfterTwoFields",
         Header(twoFieldsThenWide),
         Start::OldOpenTable,
         "EMemTableError",
         "Unknown field type (WideString)",
         true,
         {"a1", "a2"},
         {}},
        {"emptyFieldName",
         Header(emptyName),
         Start::OldOpenTable,
         "EDatabaseError",
         "answers: Field name missing",
         true,
         {"a1"},
         {}},
        {"duplicateFieldName",
         Header(duplicate),
         Start::OldOpenTable,
         "EDatabaseError",
         "A component named A1 already exists",
         true,
         {"a1"},
         {}},
        {"cutInSecondEntry",
         Header(cutInEntry),
         Start::OldOpenTable,
         "EReadError",
         "Stream read error",
         true,
         {"a1"},
         {}},
        {"integerWhereNameStands",
         Header(integerAsName),
         Start::OldOpenTable,
         "EReadError",
         "Invalid property value",
         true,
         {"a1"},
         {}},
        {"noFieldAnywhere",
         Header(noFields),
         Start::FreshClosedTable,
         "EMemTableError",
         "Couldnt determine field count for load.",
         false,
         none,
         {}},
        {"cutInThirdRecord",
         cutInThird,
         Start::OldOpenTable,
         "EReadError",
         "Stream read error",
         true,
         {"a", "n"},
         {{"r1", "1"}, {"r2", "2"}}},
        {"cutBeforeDataListEnd",
         cutBeforeListEnd,
         Start::OldOpenTable,
         "EReadError",
         "Stream read error",
         true,
         {"a", "n"},
         {{"r1", "1"}, {"r2", "2"}, {"r3", "3"}}},
        {"stringWhereIntegerStands",
         WithData(s, badValue),
         Start::OldOpenTable,
         "EReadError",
         "Invalid property value",
         true,
         {"a", "n"},
         {{"r1", "1"}}},
        {"negativeStringLength",
         WithData(s, negativeLength),
         Start::OldOpenTable,
         "EReadError",
         "Stream read error",
         true,
         {"a", "n"},
         {{"r1", "1"}}},
        {"stringLongerThanTheStream",
         WithData(s, hugeLength),
         Start::OldOpenTable,
         "EReadError",
         "Stream read error",
         true,
         {"a", "n"},
         {}},
        {"statusNotInteger",
         WithData(s, statusNotInteger),
         Start::OldOpenTable,
         "EReadError",
         "Invalid property value",
         true,
         {"a", "n"},
         {}},
        {"uniqueIndexOverRepeatedKeys",
         SheetBytes(repeatedKey),
         Start::OldOpenTable,
         "EMemTableDupKey",
         "Duplicate index value. Operation aborted.",
         true,
         {"a", "n"},
         {{"r1", "1"}, {"r1", "2"}, {"r3", "3"}}},
    };
}

class LoadFailureTest : public ::testing::TestWithParam<FailureRow> {};

TEST_P(LoadFailureTest, FailsAndLeavesTheTableAsDescribed) {
    const FailureRow& row = GetParam();
    TqvrMemTable table("answers");
    if (row.start == Start::OldOpenTable) MakeOldTable(table);
    // Bound as the answer labels are, by name, to fields of the old table
    // and of the new ones.
    TDataSource source(&table);
    LabelLink labels[] = {LabelLink("old"), LabelLink("a"), LabelLink("n"), LabelLink("a1")};
    for (LabelLink& label : labels) label.BindTo(&source);
    try {
        Load(table, row.bytes);
        FAIL() << "the load succeeded";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.ClassName(), row.className);
        EXPECT_EQ(e.Message(), row.message);
    }
    ExpectRestored(table);
    for (const LabelLink& label : labels) EXPECT_EQ(label.Mismatch(), "");
    EXPECT_EQ(table.Active(), row.activeAfter);
    EXPECT_EQ(FieldNames(table), row.fieldsAfter);
    EXPECT_EQ(Shown(table), row.shownAfter);
    if (table.Active()) {
        EXPECT_EQ(table.State(), tsBrowse);
        EXPECT_EQ(table.RecordNumber(), row.shownAfter.empty() ? -1 : 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, LoadFailureTest, ::testing::ValuesIn(FailureRows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LoadFailure, NotificationsWorkAgainAfterAFailedBeginLoad) {
    TqvrMemTable table("answers");
    MakeOldTable(table);
    TDataSource source(&table);
    CountingLink link;
    link.SetDataSource(&source);
    EXPECT_THROW(Load(table, Bytes{}), EReadError);
    link.events.clear();
    table.Edit();
    table.FieldNamed("old").SetStringValue("y");
    table.Post();
    EXPECT_FALSE(link.events.empty());
    link.SetDataSource(nullptr);
}

TEST(LoadFailure, TheTableCanLoadAgainAfterAFailure) {
    TqvrMemTable table("answers");
    TqvrBinaryStreamFormat format;
    const Bytes good = SheetBytes(ThreeRecords());
    EXPECT_THROW(Load(table, Bytes(good.begin(), good.begin() + 20), &format), EReadError);
    Load(table, good, &format);
    EXPECT_EQ(Shown(table).size(), 3u);
}

// Every prefix of a valid sheet is a stream cut short somewhere: each must
// fail as a read error, and the table must come back usable.
TEST(LoadFailure, EveryPrefixOfAValidSheetFailsCleanly) {
    Sheet s = ThreeRecords();
    s.version = 251;
    SheetIndex ix;
    ix.name = "i";
    ix.fields = "a";
    s.indexes = {ix};
    const Bytes full = SheetBytes(s);
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        TqvrMemTable table("answers");
        MakeOldTable(table);
        try {
            Load(table, Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut)));
            ADD_FAILURE() << "prefix of " << cut << " bytes loaded";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), "Stream read error") << "cut " << cut;
        }
        ExpectRestored(table);
        if (table.Active()) {
            EXPECT_LE(Shown(table).size(), 3u);
        }
    }
}

} // namespace

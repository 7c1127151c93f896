// Loading table streams into a memory table: the layouts of every version,
// the values by field type, definitions and index definitions, record
// versions and statuses, the format's switches, and what the table holds
// after each kind of failure.
#include "LoadSupport.h"

#include "memtable/Exceptions.h"
#include "memtable/stream/TFileStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <unistd.h>
#include <variant>

using namespace sheetwriter;

namespace {

Sheet TwoFieldSheet(int version) {
    Sheet s;
    s.version = version;
    SheetField a1;
    a1.name = "a1";
    a1.size = 20;
    a1.label = "Answer 1";
    a1.editMask = "!aaa";
    a1.displayWidth = 12;
    a1.readOnly = true;
    a1.defaultExpression = "dflt";
    SheetField n;
    n.name = "n";
    n.type = "Integer";
    n.size = 0;
    n.required = true;
    s.fields = {a1, n};
    SheetIndex ix;
    ix.name = "byA1";
    ix.fields = "a1";
    s.indexes = {ix};
    SheetRecord r = Record({std::string("first"), Null{}});
    r.versions.push_back(SheetVersion{1, {std::string("older"), std::int64_t{3}}});
    s.records = {r, Record({std::string("second"), std::int64_t{-7}})};
    return s;
}

class VersionTest : public ::testing::TestWithParam<int> {};

TEST_P(VersionTest, ReadsTheLayoutOfItsVersion) {
    const int version = GetParam();
    const int effective = version > 251 ? 251 : version;
    TqvrMemTable table("answers");
    TqvrBinaryStreamFormat format;
    Load(table, SheetBytes(TwoFieldSheet(version)), &format);

    EXPECT_EQ(format.StreamVersion(), version);
    EXPECT_EQ(table.State(), tsBrowse);
    ASSERT_EQ(FieldNames(table), (std::vector<std::string>{"a1", "n"}));
    const TField& a1 = table.Field(0);
    EXPECT_EQ(a1.DataType(), ftString);
    EXPECT_EQ(a1.Size(), 20);
    EXPECT_EQ(a1.DisplayLabel(), "Answer 1");
    EXPECT_EQ(a1.EditMask(), "!aaa");
    EXPECT_EQ(a1.DisplayWidth(), 12);
    EXPECT_TRUE(a1.ReadOnly());
    EXPECT_EQ(a1.FieldKind(), fkData);
    EXPECT_EQ(a1.DefaultExpression(), effective >= 251 ? "dflt" : "");
    EXPECT_EQ(table.Field(1).DataType(), ftInteger);
    EXPECT_TRUE(table.FieldDefs()[1].Required);
    EXPECT_EQ(table.IndexDefs().Count(), effective >= 200 ? 1 : 0);

    // Null markers exist from 249; before that the writer put the type's
    // empty value in the slot.
    const std::string firstN = effective >= 249 ? "<null>" : "0";
    EXPECT_EQ(Shown(table),
              (std::vector<std::vector<std::string>>{{"first", firstN}, {"second", "-7"}}));
    EXPECT_EQ(table.RecordNumber(), 1);

    // Record versions exist from 230.
    ASSERT_EQ(table.StoredRecordCount(), 2);
    const TqvrRecord* earlier = table.EarlierVersionOf(table.StoredRecord(0));
    if (effective >= 230) {
        ASSERT_NE(earlier, nullptr);
        EXPECT_EQ(earlier->status, 1);
    } else {
        EXPECT_EQ(earlier, nullptr);
    }
    ExpectRestored(table);
}

INSTANTIATE_TEST_SUITE_P(Thresholds, VersionTest,
                         ::testing::Values(100, 199, 200, 229, 230, 248, 249, 250, 251, 300));

TEST(Load, TheExampleStream) {
    const Bytes bytes = {0x54, 0x50, 0x46, 0x30, 0x03, 0xFB, 0x00, 0x01, 0x06, 0x02, 0x61,
                         0x31, 0x06, 0x06, 0x53, 0x74, 0x72, 0x69, 0x6E, 0x67, 0x02, 0x14,
                         0x06, 0x02, 0x61, 0x31, 0x06, 0x00, 0x02, 0x14, 0x08, 0x08, 0x06,
                         0x04, 0x44, 0x61, 0x74, 0x61, 0x06, 0x00, 0x00, 0x01, 0x00, 0x01,
                         0x01, 0x02, 0x00, 0x08, 0x06, 0x03, 0x61, 0x62, 0x63, 0x00, 0x00};
    TqvrMemTable table("answers");
    Load(table, bytes);
    EXPECT_EQ(FieldNames(table), std::vector<std::string>{"a1"});
    EXPECT_EQ(table.Field(0).Size(), 20);
    EXPECT_EQ(Shown(table), (std::vector<std::vector<std::string>>{{"abc"}}));
    // The writer produces the same bytes from the same content.
    Sheet s;
    SheetField f;
    f.name = "a1";
    s.fields = {f};
    s.records = {Record({std::string("abc")})};
    EXPECT_EQ(SheetBytes(s), bytes);
}

TEST(Load, FieldKindsAndUnknownKindName) {
    Sheet s;
    int n = 0;
    for (const char* kind :
         {"Data", "Calculated", "Lookup", "InternalCalc", "Aggregate", "Foo", "data"}) {
        SheetField f;
        f.name = "f" + std::to_string(n++);
        f.kind = kind;
        s.fields.push_back(f);
    }
    TqvrMemTable table("answers");
    Load(table, SheetBytes(s));
    std::vector<TFieldKind> kinds;
    for (int i = 0; i < table.FieldCount(); ++i) kinds.push_back(table.Field(i).FieldKind());
    EXPECT_EQ(kinds, (std::vector<TFieldKind>{fkData, fkCalculated, fkLookup, fkInternalCalc,
                                              fkAggregate, fkData, fkData}));
}

TEST(Load, IndexDefinitionTakesTheDisplayNameAndTheFourOptions) {
    Sheet s;
    SheetField id;
    id.name = "ID";
    s.fields = {id};
    SheetIndex ix;
    ix.name = "idx";
    ix.fields = "ID";
    ix.displayName = "idx2";
    ix.descending = true;
    ix.unique = true;
    SheetIndex other;
    other.name = "second";
    other.fields = "ID";
    other.caseInsensitive = true;
    other.nonMaintained = true;
    s.indexes = {ix, other};
    s.records = {Record({std::string("b")}), Record({std::string("a")})};
    TqvrMemTable table("answers");
    Load(table, SheetBytes(s));
    ASSERT_EQ(table.IndexDefs().Count(), 2);
    EXPECT_EQ(table.IndexDefs()[0].Name, "idx2");
    EXPECT_EQ(table.IndexDefs()[0].Fields, "ID");
    EXPECT_EQ(table.IndexDefs()[0].Options, ixDescending | ixUnique);
    EXPECT_EQ(table.IndexDefs()[1].Name, "second");
    EXPECT_EQ(table.IndexDefs()[1].Options, ixCaseInsensitive | ixNonMaintained);
    // The records stay in stream order: the row order is current.
    EXPECT_EQ(Shown(table), (std::vector<std::vector<std::string>>{{"b"}, {"a"}}));
}

// ---- Values by field type ----

using Expected = std::variant<std::int64_t, double, bool, std::string>;

struct ValueRow {
    const char* name;
    const char* type;
    int size;
    ByteWriter value; // one value slot after the null marker
    Expected expected;
    bool expectNull = false;
};

ByteWriter W() {
    return ByteWriter();
}

// Each type is read back through the getter of its own kind, so the check
// does not depend on how a value is shown as text.
Expected ReadBack(const TField& f, const Expected& like) {
    if (std::holds_alternative<std::string>(like)) return f.StringValue();
    if (std::holds_alternative<bool>(like)) return f.AsBoolean();
    if (std::holds_alternative<double>(like))
        return f.DataType() == ftDate || f.DataType() == ftTime || f.DataType() == ftDateTime
                   ? f.AsDateTime()
                   : f.AsFloat();
    switch (f.DataType()) {
    case ftCurrency:
    case ftBCD:
        return f.AsCurrency();
    case ftLargeint:
        return f.AsLargeInt();
    default:
        return static_cast<std::int64_t>(f.AsInteger());
    }
}

class ValueTest : public ::testing::TestWithParam<ValueRow> {};

TEST_P(ValueTest, StoresTheValueAsItsTypeSays) {
    const ValueRow& row = GetParam();
    Sheet s;
    SheetField f;
    f.name = "v";
    f.type = row.type;
    f.size = row.size;
    s.fields = {f};
    ByteWriter data;
    data.ListBegin().ListBegin().Int(0).Bool(false).Raw(
        std::string(row.value.Bytes().begin(), row.value.Bytes().end()));
    data.ListEnd().ListEnd();
    TqvrMemTable table("answers");
    Load(table, WithData(s, data));
    ASSERT_EQ(table.RecordTotal(), 1);
    const TField& v = table.Field(0);
    EXPECT_EQ(v.IsNull(), row.expectNull);
    if (!row.expectNull) {
        EXPECT_EQ(ReadBack(v, row.expected), row.expected);
    }
}

using I = std::int64_t;
using S = std::string;

INSTANTIATE_TEST_SUITE_P(
    Types, ValueTest,
    ::testing::Values(
        ValueRow{"smallInt", "SmallInt", 0, W().Int(-300), I{-300}},
        ValueRow{"integer", "Integer", 0, W().Int32(INT32_MIN), I{INT32_MIN}},
        ValueRow{"word", "Word", 0, W().Int(65535), I{65535}},
        ValueRow{"booleanTrue", "Boolean", 0, W().Bool(true), true},
        ValueRow{"booleanFalse", "Boolean", 0, W().Bool(false), false},
        ValueRow{"float", "Float", 0, W().Float(2.5), 2.5},
        ValueRow{"floatFromInt8", "Float", 0, W().Int8(5), 5.0},
        ValueRow{"floatFromInt64", "Float", 0, W().Int64(-12), -12.0},
        ValueRow{"currencyRounds", "Currency", 0, W().Float(1.23456), I{12346}},
        ValueRow{"bcdRounds", "BCD", 0, W().Float(-1.23456), I{-12346}},
        ValueRow{"currencyTieToEven", "Currency", 0, W().Float(0.03125), I{312}},
        ValueRow{"currencyFromInteger", "Currency", 0, W().Int(7), I{70000}},
        ValueRow{"dateZeroIsNull", "Date", 0, W().Float(0.0), 0.0, true},
        ValueRow{"timeZeroIsNull", "Time", 0, W().Int8(0), 0.0, true},
        ValueRow{"dateTimeZeroIsNull", "DateTime", 0, W().Float(-0.0), 0.0, true},
        ValueRow{"dateTime", "DateTime", 0, W().Float(43831.75), 43831.75},
        ValueRow{"largeIntTieDown", "LargeInt", 0, W().Float(2.5), I{2}},
        ValueRow{"largeIntTieUp", "LargeInt", 0, W().Float(3.5), I{4}},
        ValueRow{"largeIntThroughADouble", "LargeInt", 0, W().Int64(9007199254740993),
                 I{9007199254740992}},
        ValueRow{"stringCutToSize", "String", 5, W().String("abcdefgh"), S("abcde")},
        ValueRow{"stringEndsAtZero", "String", 10, W().ShortString(std::string("ab\0cd", 5)),
                 S("ab")},
        ValueRow{"stringCp1251", "String", 20, W().ShortString("\xCF\xF0\xE8"),
                 S("\xD0\x9F\xD1\x80\xD0\xB8")},
        ValueRow{"stringUtf8", "String", 20, W().Utf8String("\xD0\x9E\xD1\x82"),
                 S("\xD0\x9E\xD1\x82")},
        ValueRow{"stringUtf8Cut", "String", 20, W().Utf8String("ab\xD0"), S("")},
        ValueRow{"stringUtf16", "String", 20, W().Utf16String(u"\u0416z"), S("\xD0\x96z")},
        ValueRow{"memoLong", "Memo", 0, W().LongString(std::string(300, 'm')), S(300, 'm')},
        ValueRow{"fixedChar", "FixedChar", 3, W().String("xyz!"), S("xyz")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Load, CurrencyAndLargeIntKeepTheirExactValues) {
    Sheet s;
    SheetField c, l, d, b;
    c.name = "c";
    c.type = "Currency";
    l.name = "l";
    l.type = "LargeInt";
    d.name = "d";
    d.type = "DateTime";
    b.name = "b";
    b.type = "Blob";
    s.fields = {c, l, d, b};
    ByteWriter data;
    data.ListBegin().ListBegin().Int(0);
    data.Bool(false).Float(1.23456);
    data.Bool(false).Float(-4611686018427387904.0);
    data.Bool(false).Float(43831.75);
    data.Bool(false).ShortString(std::string("\x00\xFF\x80z", 4));
    data.ListEnd().ListEnd();
    TqvrMemTable table("answers");
    Load(table, WithData(s, data));
    EXPECT_EQ(table.Field(0).AsCurrency(), 12346);
    EXPECT_EQ(table.Field(1).AsLargeInt(), -4611686018427387904LL);
    EXPECT_EQ(table.Field(2).AsDateTime(), 43831.75);
    // Binary values keep their bytes: no code page applies to them.
    EXPECT_EQ(table.Field(3).AsBytes(), std::string("\x00\xFF\x80z", 4));
}

TEST(Load, BooleanSlotHoldingAnIntegerTagReadsFalseAndConsumesOneByte) {
    // The slot of `flag` holds 02 and the next slot starts with the byte that
    // follows: 08 (null marker false) then the string.
    Sheet s;
    SheetField flag, t;
    flag.name = "flag";
    flag.type = "Boolean";
    t.name = "t";
    s.fields = {flag, t};
    ByteWriter data;
    data.ListBegin()
        .ListBegin()
        .Int(0)
        .Bool(false)
        .Byte(2)
        .Bool(false)
        .String("after")
        .ListEnd()
        .ListEnd();
    TqvrMemTable table("answers");
    Load(table, WithData(s, data));
    EXPECT_FALSE(table.Field(0).AsBoolean());
    EXPECT_FALSE(table.Field(0).IsNull());
    EXPECT_EQ(table.Field(1).StringValue(), "after");
}

TEST(Load, AutoIncCounterRisesToTheLargestLoadedValue) {
    Sheet s;
    SheetField id;
    id.name = "id";
    id.type = "AutoInc";
    id.size = 0;
    s.fields = {id};
    s.records = {Record({std::int64_t{5}}), Record({std::int64_t{42}}), Record({std::int64_t{7}})};
    TqvrMemTable table("answers");
    Load(table, SheetBytes(s));
    EXPECT_EQ(Shown(table), (std::vector<std::vector<std::string>>{{"5"}, {"42"}, {"7"}}));
    EXPECT_EQ(table.AutoIncCounter(), 42);
}

TEST(Load, MoneyOutOfRangeFailsInAnOrderlyWay) {
    Sheet s;
    SheetField c;
    c.name = "c";
    c.type = "Currency";
    s.fields = {c};
    s.records = {Record({1.0}), Record({1e300})};
    TqvrMemTable table("answers");
    try {
        Load(table, SheetBytes(s));
        FAIL() << "loaded";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Invalid property value");
    }
    EXPECT_EQ(Shown(table).size(), 1u);
}

// ---- Records: versions, statuses, deleted ones ----

TEST(Load, DeletedRecordsAreLoadedButNotShown) {
    Sheet s;
    SheetField f;
    f.name = "a";
    s.fields = {f};
    s.records = {Record({std::string("kept")}), Record({std::string("gone")}, 3),
                 Record({std::string("changed")}, 1), Record({std::string("new")}, 0x102)};
    TqvrMemTable table("answers");
    Load(table, SheetBytes(s));
    EXPECT_EQ(table.StoredRecordCount(), 4);
    EXPECT_EQ(table.DeletedRecordCount(), 1);
    EXPECT_EQ(table.RecordTotal(), 3);
    EXPECT_EQ(Shown(table),
              (std::vector<std::vector<std::string>>{{"kept"}, {"changed"}, {"new"}}));
    // Only the low 8 bits of the status count.
    EXPECT_EQ(table.StoredRecord(3)->status, 2);
}

TEST(Load, SeveralVersionsMakeOneRecordWithItsEarlierStates) {
    Sheet s;
    SheetField f;
    f.name = "a";
    s.fields = {f};
    SheetRecord r = Record({std::string("now")}, 1);
    r.versions.push_back(SheetVersion{1, {std::string("before")}});
    r.versions.push_back(SheetVersion{2, {std::string("first")}});
    s.records = {r};
    TqvrMemTable table("answers");
    Load(table, SheetBytes(s));
    EXPECT_EQ(table.RecordTotal(), 1);
    EXPECT_EQ(Shown(table), (std::vector<std::vector<std::string>>{{"now"}}));
    const TqvrRecord* v1 = table.EarlierVersionOf(table.StoredRecord(0));
    ASSERT_NE(v1, nullptr);
    const TqvrRecord* v2 = table.EarlierVersionOf(v1);
    ASSERT_NE(v2, nullptr);
    EXPECT_EQ(v2->status, 2);
    EXPECT_EQ(table.EarlierVersionOf(v2), nullptr);
}

// ---- Replacing what the table had ----

TEST(Load, PersistentFieldsAreReplacedByTheStreamsFields) {
    TqvrMemTable table("answers");
    table.DefineStringFields(
        {{"a1", 20}, {"a2", 20}, {"a3", 20}, {"a4", 20}, {"a5", 20}, {"a6", 20}, {"VarNo", 0}});
    Sheet s;
    SheetField varNo, a1, a2;
    varNo.name = "VarNo";
    varNo.type = "Integer";
    varNo.size = 0;
    a1.name = "a1";
    a1.size = 40;
    a2.name = "a2";
    a2.size = 3;
    s.fields = {varNo, a1, a2};
    s.records = {Record({std::int64_t{2}, std::string("yes"), std::string("no!")})};
    Load(table, SheetBytes(s));
    EXPECT_EQ(FieldNames(table), (std::vector<std::string>{"VarNo", "a1", "a2"}));
    EXPECT_EQ(table.Field(0).DataType(), ftInteger);
    EXPECT_EQ(table.Field(1).Size(), 40);
    EXPECT_EQ(table.Field(2).Size(), 3);
    EXPECT_EQ(Shown(table), (std::vector<std::vector<std::string>>{{"2", "yes", "no!"}}));
}

TEST(Load, SecondLoadReplacesTheFirstEntirely) {
    TqvrMemTable table("answers");
    Sheet first = TwoFieldSheet(251);
    Load(table, SheetBytes(first));
    Sheet second;
    SheetField z;
    z.name = "z";
    second.fields = {z};
    second.records = {Record({std::string("only")})};
    Load(table, SheetBytes(second));
    EXPECT_EQ(FieldNames(table), std::vector<std::string>{"z"});
    EXPECT_EQ(table.IndexDefs().Count(), 0);
    EXPECT_EQ(Shown(table), (std::vector<std::vector<std::string>>{{"only"}}));
    EXPECT_EQ(table.StoredRecordCount(), 1);
}

TEST(Load, WithoutLoadDefRecordsAreAddedByPositionToTheTablesFields) {
    TqvrMemTable table("answers");
    MakeOldTable(table);
    table.Close();
    TqvrBinaryStreamFormat format;
    format.SetSfDef({sfSaveDef});
    Sheet s;
    SheetField other;
    other.name = "other";
    s.fields = {other};
    s.records = {Record({std::string("y")})};
    Load(table, SheetBytes(s), &format);
    EXPECT_EQ(FieldNames(table), std::vector<std::string>{"old"});
    EXPECT_EQ(Shown(table), (std::vector<std::vector<std::string>>{{"y"}}));
    ExpectRestored(table);
}

TEST(Load, EmptyFieldListAppendsToTheOpenTable) {
    TqvrMemTable table("answers");
    MakeOldTable(table);
    Sheet s;
    s.records = {Record({std::string("y")})};
    s.fields = {};
    // No fields in the stream: the writer writes no value slots, so build
    // the one slot by hand.
    ByteWriter data;
    data.ListBegin().ListBegin().Int(0).Bool(false).String("y").ListEnd().ListEnd();
    Load(table, WithData(s, data));
    EXPECT_EQ(FieldNames(table), std::vector<std::string>{"old"});
    EXPECT_EQ(Shown(table), (std::vector<std::vector<std::string>>{{"x"}, {"y"}}));
}

TEST(Load, EmptyFieldListIntoAClosedTableIsRefused) {
    TqvrMemTable table("answers");
    MakeOldTable(table);
    table.Close();
    Sheet s;
    try {
        Load(table, SheetBytes(s));
        FAIL() << "loaded";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "answers: Cannot perform this operation on a closed dataset");
    }
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(FieldNames(table), std::vector<std::string>{"old"});
    ExpectRestored(table);
}

// ---- The format's switches and properties ----

TEST(Format, PropertiesAndDefaults) {
    TqvrBinaryStreamFormat f;
    EXPECT_EQ(f.Version(), "3.00");
    f.SetVersion("9.99");
    EXPECT_EQ(f.Version(), "3.00");
    TqvrCustomStreamFormat& base = f;
    EXPECT_EQ(base.Version(), "3.00");
    EXPECT_EQ(f.BufferSize(), 16384);
    f.SetBufferSize(100);
    EXPECT_EQ(f.BufferSize(), 16384);
    f.SetBufferSize(-5);
    EXPECT_EQ(f.BufferSize(), 16384);
    f.SetBufferSize(65536);
    EXPECT_EQ(f.BufferSize(), 65536);
    EXPECT_EQ(f.sfUsingIndex(), TqvrUsingIndexFlags({sfSaveUsingIndex}));
    EXPECT_EQ(f.sfData(), TqvrDataFlags({sfSaveData, sfLoadData}));
    EXPECT_TRUE(f.sfCalculated().Empty());
    EXPECT_TRUE(f.sfLookup().Empty());
    EXPECT_EQ(f.sfNonVisible(), TqvrNonVisibleFlags({sfSaveNonVisible, sfLoadNonVisible}));
    EXPECT_EQ(f.sfBlobs(), TqvrBlobsFlags({sfSaveBlobs, sfLoadBlobs}));
    EXPECT_EQ(f.sfDef(), TqvrDefFlags({sfSaveDef, sfLoadDef}));
    EXPECT_EQ(f.sfIndexDef(), TqvrIndexDefFlags({sfSaveIndexDef, sfLoadIndexDef}));
    EXPECT_EQ(f.sfFiltered(), TqvrFilteredFlags({sfSaveFiltered}));
    EXPECT_EQ(f.sfIgnoreRange(), TqvrIgnoreRangeFlags({sfSaveIgnoreRange}));
    EXPECT_EQ(f.sfIgnoreMasterDetail(), TqvrIgnoreMasterDetailFlags({sfSaveIgnoreMasterDetail}));
    EXPECT_TRUE(f.sfDeltas().Empty());
    EXPECT_TRUE(f.sfDontFilterDeltas().Empty());
    EXPECT_TRUE(f.sfAppend().Empty());
    EXPECT_EQ(f.sfFieldKind(), TqvrFieldKindFlags({sfSaveFieldKind}));
    EXPECT_EQ(f.sfFromStart(), TqvrFromStartFlags({sfLoadFromStart}));
}

TEST(Format, AbstractFormatIsVersionOneAndReadsNothing) {
    TqvrCustomStreamFormat abstract;
    EXPECT_EQ(abstract.Version(), "1.00");
    TqvrMemTable table("answers");
    MakeOldTable(table);
    TMemoryStream stream(Bytes{1, 2, 3});
    // Nothing is read, and the table has its field: the load succeeds and
    // leaves everything as it was.
    table.LoadFromStreamUsingFormat(stream, &abstract);
    EXPECT_EQ(Shown(table), (std::vector<std::vector<std::string>>{{"x"}}));
    ExpectRestored(table);
}

TEST(Format, LoadFromStartDecidesWhereReadingBegins) {
    Sheet s;
    SheetField f;
    f.name = "a";
    s.fields = {f};
    s.records = {Record({std::string("v")})};
    Bytes bytes = {0xEE, 0xEE, 0xEE};
    const Bytes sheet = SheetBytes(s);
    bytes.insert(bytes.end(), sheet.begin(), sheet.end());

    TqvrMemTable table("answers");
    TqvrBinaryStreamFormat fromStart;
    TMemoryStream a(bytes);
    a.SetPosition(3);
    EXPECT_THROW(table.LoadFromStreamUsingFormat(a, &fromStart), EReadError);

    TqvrBinaryStreamFormat here;
    here.SetSfFromStart({});
    TMemoryStream b(bytes);
    b.SetPosition(3);
    table.LoadFromStreamUsingFormat(b, &here);
    EXPECT_EQ(Shown(table), (std::vector<std::vector<std::string>>{{"v"}}));
}

TEST(Format, SmallAndLargeBuffersReadTheSame) {
    Sheet s;
    SheetField f;
    f.name = "a";
    f.size = 100000;
    s.fields = {f};
    for (int i = 0; i < 50; ++i)
        s.records.push_back(Record({std::string(static_cast<std::size_t>(1000 + i * 997),
                                                static_cast<char>('a' + i % 26))}));
    const Bytes bytes = SheetBytes(s);
    TqvrMemTable small("answers"), large("answers");
    TqvrBinaryStreamFormat f1, f2;
    f2.SetBufferSize(1 << 20);
    Load(small, bytes, &f1);
    Load(large, bytes, &f2);
    EXPECT_EQ(Shown(small), Shown(large));
    EXPECT_EQ(Shown(small).size(), 50u);
}

TEST(Format, BoundControlsHearNothingUntilTheLoadEnds) {
    TqvrMemTable table("answers");
    MakeOldTable(table);
    TDataSource source(&table);
    CountingLink link;
    link.SetDataSource(&source);
    link.events.clear();
    Load(table, SheetBytes(TwoFieldSheet(251)));
    // While the load runs only the suspended form of a state change gets
    // through; the resume then tells the controls that the table changed
    // (open before and after: a table or layout change, no state change).
    for (TNotifyKind k : link.whileSuspended) EXPECT_EQ(k, nkSuspendedStateChange);
    EXPECT_FALSE(link.whileSuspended.empty());
    const bool told = std::any_of(link.events.begin(), link.events.end(), [](TNotifyKind k) {
        return k == nkTableChange || k == nkLayoutChange;
    });
    EXPECT_TRUE(told);
    EXPECT_TRUE(source.Active());
    link.SetDataSource(nullptr);
}

// ---- Files ----

TEST(File, LoadsFromAFileAndClosesIt) {
    char path[] = "/tmp/zenor-sheet-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const Bytes bytes = SheetBytes(AnswerSheet({"3", "one", "two"}));
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
    TqvrMemTable table("answers");
    TqvrBinaryStreamFormat format;
    table.LoadFromFileUsingFormat(path, &format);
    EXPECT_EQ(Shown(table),
              (std::vector<std::vector<std::string>>{{"3", "one", "two", "", "", "", ""}}));
    unlink(path);
}

TEST(File, MissingFileIsAnOpenErrorWithTheFullPath) {
    TqvrMemTable table("answers");
    MakeOldTable(table);
    TqvrBinaryStreamFormat format;
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    try {
        table.LoadFromFileUsingFormat("no/such/./sheet_0.ans", &format);
        FAIL() << "loaded";
    } catch (const EFOpenError& e) {
        EXPECT_STREQ(e.ClassName(), "EFOpenError");
        EXPECT_EQ(e.Message(), std::string("Cannot open file \"") + cwd +
                                   "/no/such/sheet_0.ans\". No such file or directory");
    }
    EXPECT_EQ(Shown(table), (std::vector<std::vector<std::string>>{{"x"}}));
    ExpectRestored(table);
}

TEST(File, NoFormatIsRefused) {
    TqvrMemTable table("answers");
    TMemoryStream stream(Bytes{});
    try {
        table.LoadFromStreamUsingFormat(stream, nullptr);
        FAIL() << "loaded";
    } catch (const EMemTableError& e) {
        EXPECT_EQ(e.Message(), "No format specified.");
        EXPECT_STREQ(e.ClassName(), "EMemTableError");
    }
}

TEST(File, FileStreamReadsSeeksAndSizes) {
    char path[] = "/tmp/zenor-stream-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "0123456789", 10), 10);
    close(fd);
    TFileStream f(path);
    EXPECT_EQ(f.Size(), 10);
    char buf[4]{};
    EXPECT_EQ(f.Read(buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "012");
    EXPECT_EQ(f.Position(), 3);
    EXPECT_EQ(f.Seek(-2, TSeekOrigin::soEnd), 8);
    EXPECT_EQ(f.Read(buf, 4), 2u);
    EXPECT_EQ(f.Position(), 10);
    EXPECT_EQ(f.Read(buf, 4), 0u);
    f.SetPosition(1);
    EXPECT_EQ(f.Read(buf, 1), 1u);
    EXPECT_EQ(buf[0], '1');
    EXPECT_THROW(f.Seek(-1, TSeekOrigin::soBeginning), EReadError);
    unlink(path);

    // A pipe has no size and no position to ask for.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    {
        TFileStream p("/proc/self/fd/" + std::to_string(ends[0]));
        EXPECT_EQ(p.Size(), 0);
        EXPECT_THROW(p.Position(), EReadError);
    }
    close(ends[0]);
    close(ends[1]);
}

} // namespace

#include "memtable/stream/StreamFieldTypes.h"

#include <array>

namespace {

// Indexed by the type's ordinal.
constexpr std::array<TStreamFieldType, 38> kTypes{{
    {"Unknown", ftUnknown, false},
    {"String", ftString, true},
    {"SmallInt", ftSmallint, true},
    {"Integer", ftInteger, true},
    {"Word", ftWord, true},
    {"Boolean", ftBoolean, true},
    {"Float", ftFloat, true},
    {"Currency", ftCurrency, true},
    {"BCD", ftBCD, true},
    {"Date", ftDate, true},
    {"Time", ftTime, true},
    {"DateTime", ftDateTime, true},
    {"Bytes", ftBytes, true},
    {"VarBytes", ftVarBytes, true},
    {"AutoInc", ftAutoInc, true},
    {"Blob", ftBlob, true},
    {"Memo", ftMemo, true},
    {"Graphic", ftGraphic, true},
    {"FmtMemo", ftFmtMemo, true},
    {"ParadoxOle", ftParadoxOle, true},
    {"dBaseOle", ftDBaseOle, true},
    {"TypedBinary", ftTypedBinary, true},
    {"Cursor", ftCursor, false},
    {"FixedChar", ftFixedChar, true},
    {"WideString", ftWideString, false},
    {"LargeInt", ftLargeint, true},
    {"ADT", ftADT, true},
    {"Array", ftArray, true},
    {"Reference", ftReference, false},
    {"DataSet", ftDataSet, false},
    {"HugeBlob", ftOraBlob, true},
    {"HugeClob", ftOraClob, true},
    {"Variant", ftVariant, false},
    {"Interface", ftInterface, false},
    {"Dispatch", ftIDispatch, false},
    {"Guid", ftGuid, false},
    {"SQLTimeStamp", ftTimeStamp, true},
    {"FMTBcdField", ftFMTBcd, true},
}};

static_assert(kTypes[ftFMTBcd].type == ftFMTBcd && kTypes[ftWideString].type == ftWideString,
              "the table follows the ordinals of TFieldType");

} // namespace

const TStreamFieldType* FindStreamFieldType(std::string_view name) {
    for (const TStreamFieldType& t : kTypes)
        if (t.name == name) return &t;
    return nullptr;
}

std::string_view StreamFieldTypeName(TFieldType type) {
    const auto i = static_cast<std::size_t>(type);
    return i < kTypes.size() ? kTypes[i].name : std::string_view("Unknown");
}

bool IsBinaryStreamFieldType(TFieldType type) {
    switch (type) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
        return true;
    default:
        return false;
    }
}

// Field data types and field kinds. The ordinal of a TFieldType is part of the table's
// behaviour: it appears in the "Datatype %d not supported." message, so the order of the
// enumerators must never change.
#pragma once

enum TFieldType {
    ftUnknown,     // 0
    ftString,      // 1
    ftSmallint,    // 2
    ftInteger,     // 3
    ftWord,        // 4
    ftBoolean,     // 5
    ftFloat,       // 6
    ftCurrency,    // 7
    ftBCD,         // 8
    ftDate,        // 9
    ftTime,        // 10
    ftDateTime,    // 11
    ftBytes,       // 12
    ftVarBytes,    // 13
    ftAutoInc,     // 14
    ftBlob,        // 15
    ftMemo,        // 16
    ftGraphic,     // 17
    ftFmtMemo,     // 18
    ftParadoxOle,  // 19
    ftDBaseOle,    // 20
    ftTypedBinary, // 21
    ftCursor,      // 22
    ftFixedChar,   // 23
    ftWideString,  // 24
    ftLargeint,    // 25
    ftADT,         // 26
    ftArray,       // 27
    ftReference,   // 28
    ftDataSet,     // 29
    ftOraBlob,     // 30
    ftOraClob,     // 31
    ftVariant,     // 32
    ftInterface,   // 33
    ftIDispatch,   // 34
    ftGuid,        // 35
    ftTimeStamp,   // 36
    ftFMTBcd       // 37
};

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };

/// ftCurrency and ftBCD values are kept as whole numbers of this fraction of a unit.
constexpr int kCurrencyScale = 10000;

/// Whether the memory table can store fields of this type.
bool IsAcceptedFieldType(TFieldType type);
/// Whether values of this type are text (compared by collation, cut at Size characters).
inline bool IsTextFieldType(TFieldType type) {
    return type == ftString || type == ftFixedChar;
}
/// Types whose value is a run of bytes of any length (bytes, blobs, memos and the like).
bool IsByteRunFieldType(TFieldType type);

#include "memtable/TFieldType.h"

bool IsAcceptedFieldType(TFieldType type) {
    switch (type) {
    case ftUnknown:
    case ftCursor:
    case ftWideString:
    case ftReference:
    case ftDataSet:
    case ftVariant:
    case ftInterface:
    case ftIDispatch:
    case ftGuid:
        return false;
    default:
        return type >= ftUnknown && type <= ftFMTBcd;
    }
}

bool IsByteRunFieldType(TFieldType type) {
    switch (type) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftADT:
    case ftArray:
    case ftOraBlob:
    case ftOraClob:
    case ftTimeStamp:
    case ftFMTBcd:
        return true;
    default:
        return false;
    }
}

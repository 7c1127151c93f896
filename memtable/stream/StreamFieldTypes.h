// The field-type names of table streams and the types they stand for.
// Names are matched exactly and case-sensitively; a name may stand for a
// type the reader does not accept.
#pragma once

#include "memtable/TFieldType.h"

#include <string_view>

struct TStreamFieldType {
    std::string_view name;
    TFieldType type;
    /// Whether a stream may define a field of this type.
    bool accepted;
};

/// The entry of a type name, or nullptr for a name not in the table.
const TStreamFieldType* FindStreamFieldType(std::string_view name);

/// The stream's name of a field type ("String" for ftString).
std::string_view StreamFieldTypeName(TFieldType type);

/// Whether a field of this type holds a run of bytes rather than text: its
/// short and long strings are taken byte for byte, not through the code page.
bool IsBinaryStreamFieldType(TFieldType type);

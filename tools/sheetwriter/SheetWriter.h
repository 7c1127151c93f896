// Builds whole table streams the way the saving side writes them: the
// signature, the stream version, the field and index definitions and the
// records, each value in the form its field type takes. Any version from
// 100 upwards can be written, so that streams of the older layouts can be
// produced for tests and seed corpora; the default is 251, as written today.
#pragma once

#include "ByteWriter.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace sheetwriter {

struct SheetField {
    std::string name;
    std::string type = "String";
    int size = 20;
    /// Empty: the saving side writes the name as the label.
    std::string label;
    std::string editMask;
    int displayWidth = 20;
    bool required = false;
    bool readOnly = false;
    std::string kind = "Data";
    std::string defaultExpression;
};

struct SheetIndex {
    std::string name;
    std::string fields;
    /// Empty: the saving side writes the name again.
    std::string displayName;
    bool descending = false;
    bool caseInsensitive = false;
    bool nonMaintained = false;
    bool unique = false;
};

struct Null {};
/// A value slot: null, a whole number, a boolean, a float or text (UTF-8).
using SheetValue = std::variant<Null, std::int64_t, bool, double, std::string>;

struct SheetVersion {
    int status = 0;
    std::vector<SheetValue> values;
};

struct SheetRecord {
    /// The record as it is, then each earlier state of it.
    std::vector<SheetVersion> versions;
};

struct Sheet {
    int version = 251;
    std::vector<SheetField> fields;
    bool writeIndexDefs = true;
    std::vector<SheetIndex> indexes;
    std::vector<SheetRecord> records;
};

/// A record with a single unchanged version.
SheetRecord Record(std::vector<SheetValue> values, int status = 0);

/// Writes the stream. Layout elements the version lacks are left out: no
/// version number at 100, no index list below 200, bare records below 230,
/// no null markers below 249 (a null is then written as its type's empty
/// value), no kind below 250, no default expression below 251.
std::vector<std::uint8_t> WriteSheet(const Sheet& sheet);

/// Appends one value in the form its field type takes.
void WriteValue(ByteWriter& out, const std::string& typeName, const SheetValue& value);

/// The typical answer sheet: VarNo and a1..a6, text fields of size 20, and
/// one record holding the given values (missing ones empty).
Sheet AnswerSheet(const std::vector<std::string>& values);

} // namespace sheetwriter

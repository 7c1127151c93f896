#include "SheetWriter.h"

#include "l10n/Translation.h"

#include <stdexcept>

namespace sheetwriter {

namespace {

enum class ValueForm { Integer, Boolean, Float, Text };

ValueForm FormOf(const std::string& type) {
    if (type == "SmallInt" || type == "Integer" || type == "Word" || type == "AutoInc")
        return ValueForm::Integer;
    if (type == "Boolean") return ValueForm::Boolean;
    if (type == "Float" || type == "Currency" || type == "BCD" || type == "Date" ||
        type == "Time" || type == "DateTime" || type == "LargeInt")
        return ValueForm::Float;
    return ValueForm::Text;
}

double AsDouble(const SheetValue& v) {
    if (const auto* d = std::get_if<double>(&v)) return *d;
    if (const auto* i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
    if (const auto* b = std::get_if<bool>(&v)) return *b ? 1.0 : 0.0;
    return 0.0;
}

} // namespace

SheetRecord Record(std::vector<SheetValue> values, int status) {
    SheetRecord r;
    r.versions.push_back(SheetVersion{status, std::move(values)});
    return r;
}

void WriteValue(ByteWriter& out, const std::string& typeName, const SheetValue& value) {
    switch (FormOf(typeName)) {
    case ValueForm::Integer: {
        std::int64_t i = 0;
        if (const auto* p = std::get_if<std::int64_t>(&value))
            i = *p;
        else
            i = static_cast<std::int64_t>(AsDouble(value));
        if (i < INT32_MIN || i > INT32_MAX)
            throw std::out_of_range(Tr("integer field value out of the 32-bit range"));
        out.Int(static_cast<std::int32_t>(i));
        return;
    }
    case ValueForm::Boolean: {
        const auto* b = std::get_if<bool>(&value);
        out.Bool(b ? *b : AsDouble(value) != 0.0);
        return;
    }
    case ValueForm::Float:
        out.Float(AsDouble(value));
        return;
    case ValueForm::Text:
        if (const auto* s = std::get_if<std::string>(&value))
            out.String(*s);
        else if (const auto* i = std::get_if<std::int64_t>(&value))
            out.String(std::to_string(*i));
        else
            out.String("");
        return;
    }
}

std::vector<std::uint8_t> WriteSheet(const Sheet& sheet) {
    ByteWriter out;
    out.Signature();
    if (sheet.version != 100) out.Int(sheet.version);

    out.ListBegin();
    for (const SheetField& f : sheet.fields) {
        out.String(f.name).String(f.type).Int(f.size).String(f.label.empty() ? f.name : f.label);
        out.String(f.editMask).Int(f.displayWidth).Bool(f.required).Bool(f.readOnly);
        if (sheet.version >= 250) out.String(f.kind);
        if (sheet.version >= 251) out.String(f.defaultExpression);
    }
    out.ListEnd();

    if (sheet.version >= 200) {
        out.ListBegin();
        if (sheet.writeIndexDefs) {
            for (const SheetIndex& ix : sheet.indexes) {
                out.String(ix.name).String(ix.fields).String(
                    ix.displayName.empty() ? ix.name : ix.displayName);
                out.Bool(ix.descending)
                    .Bool(ix.caseInsensitive)
                    .Bool(ix.nonMaintained)
                    .Bool(ix.unique);
            }
        }
        out.ListEnd();
    }

    out.ListBegin();
    for (const SheetRecord& r : sheet.records) {
        const bool lists = sheet.version >= 230;
        const std::size_t versions =
            lists ? r.versions.size() : std::min<std::size_t>(1, r.versions.size());
        if (lists) out.ListBegin();
        for (std::size_t v = 0; v < versions; ++v) {
            const SheetVersion& ver = r.versions[v];
            if (lists) out.Int(ver.status);
            for (std::size_t i = 0; i < sheet.fields.size(); ++i) {
                const SheetValue value = i < ver.values.size() ? ver.values[i] : SheetValue{Null{}};
                const bool isNull = std::holds_alternative<Null>(value);
                if (sheet.version >= 249) {
                    out.Bool(isNull);
                    if (isNull) continue;
                }
                WriteValue(out, sheet.fields[i].type, value);
            }
        }
        if (lists) out.ListEnd();
    }
    out.ListEnd();
    return out.Bytes();
}

Sheet AnswerSheet(const std::vector<std::string>& values) {
    Sheet s;
    std::vector<SheetValue> row;
    const char* names[] = {"VarNo", "a1", "a2", "a3", "a4", "a5", "a6"};
    for (std::size_t i = 0; i < 7; ++i) {
        SheetField field;
        field.name = names[i];
        s.fields.push_back(field);
        row.emplace_back(i < values.size() ? values[i] : std::string());
    }
    s.records.push_back(Record(std::move(row)));
    return s;
}

} // namespace sheetwriter

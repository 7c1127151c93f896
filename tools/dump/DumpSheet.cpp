// zenor-dump sheet FILE: loads FILE into a closed memory table named
// `answers` with a binary stream format of default settings, and prints
// the table's fields, index definitions and shown records as one JSON
// object, with the load's error, if any. Everything is read through the
// table's public operations.
#include "Commands.h"
#include "l10n/Translation.h"
#include "review/Json.h"

#include "memtable/Exceptions.h"
#include "memtable/TqvrMemTable.h"
#include "memtable/stream/StreamFieldTypes.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

#include <cinttypes>
#include <cstdio>
#include <iostream>
#include <new>
#include <sstream>

namespace {

const char* KindName(TFieldKind kind) {
    switch (kind) {
    case fkData:
        return "Data";
    case fkCalculated:
        return "Calculated";
    case fkLookup:
        return "Lookup";
    case fkInternalCalc:
        return "InternalCalc";
    case fkAggregate:
        return "Aggregate";
    }
    return "Data";
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

// Currency is held in ten-thousandths: print it with exactly four decimals,
// from the integer, so nothing is lost to a double.
std::string Currency(std::int64_t tenThousandths) {
    const bool negative = tenThousandths < 0;
    const std::uint64_t magnitude = negative ? ~static_cast<std::uint64_t>(tenThousandths) + 1
                                             : static_cast<std::uint64_t>(tenThousandths);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%s%" PRIu64 ".%04" PRIu64, negative ? "-" : "",
                  magnitude / 10000, magnitude % 10000);
    return buf;
}

std::string Value(const TField& field) {
    if (field.IsNull()) return "null";
    switch (field.DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return std::to_string(field.AsInteger());
    case ftLargeint:
        return std::to_string(field.AsLargeInt());
    case ftBoolean:
        return field.AsBoolean() ? "true" : "false";
    case ftFloat:
        return JsonNumber(field.AsFloat());
    case ftCurrency:
    case ftBCD:
        return Currency(field.AsCurrency());
    case ftDate:
    case ftTime:
    case ftDateTime:
        return JsonNumber(field.AsDateTime());
    default:
        if (IsBinaryStreamFieldType(field.DataType()))
            return "{\"hex\":" + JsonString(Hex(field.AsBytes())) + "}";
        return JsonString(field.StringValue());
    }
}

std::string Fields(const TqvrMemTable& table) {
    std::ostringstream out;
    out << "[";
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TField& f = table.Field(i);
        if (i > 0) out << ",";
        out << "{\"name\":" << JsonString(f.FieldName())
            << ",\"type\":" << JsonString(StreamFieldTypeName(f.DataType()))
            << ",\"size\":" << f.Size() << ",\"kind\":" << JsonString(KindName(f.FieldKind()))
            << ",\"label\":" << JsonString(f.DisplayLabel())
            << ",\"editMask\":" << JsonString(f.EditMask())
            << ",\"displayWidth\":" << f.DisplayWidth()
            << ",\"required\":" << (f.Required() ? "true" : "false")
            << ",\"readOnly\":" << (f.ReadOnly() ? "true" : "false")
            << ",\"defaultExpression\":" << JsonString(f.DefaultExpression()) << "}";
    }
    out << "]";
    return out.str();
}

std::string Indexes(const TqvrMemTable& table) {
    static constexpr std::pair<TIndexOption, const char*> kOptions[] = {
        {ixDescending, "ixDescending"},
        {ixCaseInsensitive, "ixCaseInsensitive"},
        {ixNonMaintained, "ixNonMaintained"},
        {ixUnique, "ixUnique"},
    };
    std::ostringstream out;
    out << "[";
    for (int i = 0; i < table.IndexDefs().Count(); ++i) {
        const TIndexDef& d = table.IndexDefs()[i];
        if (i > 0) out << ",";
        out << "{\"name\":" << JsonString(d.Name) << ",\"fields\":" << JsonString(d.Fields)
            << ",\"options\":[";
        bool first = true;
        for (const auto& [option, name] : kOptions) {
            if ((d.Options & option) == 0) continue;
            out << (first ? "" : ",") << JsonString(name);
            first = false;
        }
        out << "]}";
    }
    out << "]";
    return out.str();
}

std::string Records(TqvrMemTable& table) {
    std::ostringstream out;
    out << "[";
    if (table.Active()) {
        table.GoFirst();
        const int total = table.RecordTotal();
        for (int r = 0; r < total; ++r) {
            if (r > 0) out << ",";
            out << "{";
            for (int i = 0; i < table.FieldCount(); ++i) {
                const TField& f = table.Field(i);
                out << (i > 0 ? "," : "") << JsonString(f.FieldName()) << ":" << Value(f);
            }
            out << "}";
            table.StepBy(1);
        }
    }
    out << "]";
    return out.str();
}

} // namespace

int RunSheet(const CommandArgs& args) {
    const std::string& file = args.Operands()[0];
    if (file.empty()) return UsageError(CommandNamed("sheet"), Tr("FILE is empty"));
    TqvrMemTable answers("answers");
    TqvrBinaryStreamFormat format;
    std::string error = "null";
    try {
        answers.LoadFromFileUsingFormat(file, &format);
    } catch (const Exception& e) {
        error = "{\"class\":" + JsonString(e.ClassName()) +
                ",\"message\":" + JsonString(e.Message()) + "}";
    } catch (const std::bad_alloc&) {
        error = "{\"class\":\"EOutOfMemory\",\"message\":\"Out of memory\"}";
    }
    // What the table holds is printed whether or not the load failed; a
    // table left in a state that cannot be read is reported, not hidden.
    std::string body;
    try {
        body = "{\"fields\":" + Fields(answers) + ",\"indexes\":" + Indexes(answers) +
               ",\"records\":" + Records(answers) + ",\"error\":" + error + "}";
    } catch (const Exception& e) {
        return Failure(Format(Tr("the table cannot be read after the load: %s: %s"), e.ClassName(),
                              e.Message().c_str()));
    }
    std::cout << body << "\n";
    std::cout.flush();
    return error == "null" && std::cout ? 0 : 1;
}

#include "memtable/stream/TqvrCustomBinaryStreamFormat.h"

#include "memtable/stream/StreamErrors.h"
#include "memtable/stream/StreamFieldTypes.h"

#include "memtable/Exceptions.h"
#include "memtable/TqvrCustomMemTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <string_view>

namespace {

// The stream versions at which the layout grew.
constexpr int kVersionWithoutHeader = 100;
constexpr int kIndexListSince = 200;
constexpr int kRecordListsSince = 230;
constexpr int kNullMarkersSince = 249;
constexpr int kFieldKindSince = 250;
constexpr int kDefaultExpressionSince = 251;

// The slot list is reserved for the estimated record count plus one in this many.
constexpr std::int64_t kSlotSlackDivisor = 50;
TFieldKind KindFromName(const std::string& name) {
    static constexpr std::pair<std::string_view, TFieldKind> kinds[] = {
        {"Data", fkData},           {"Calculated", fkCalculated},
        {"Lookup", fkLookup},       {"InternalCalc", fkInternalCalc},
        {"Aggregate", fkAggregate},
    };
    for (const auto& [text, kind] : kinds)
        if (text == name) return kind;
    return fkData;
}

// A double within the int64 range, rounded to nearest with ties to even.
bool RoundToInt64(double value, std::int64_t& out) {
    if (!std::isfinite(value)) return false;
    const double rounded = std::nearbyint(value);
    // 2^63 is exact as a double; the range is [-2^63, 2^63).
    if (rounded < -9223372036854775808.0 || rounded >= 9223372036854775808.0) return false;
    out = static_cast<std::int64_t>(rounded);
    return true;
}

} // namespace

void TqvrCustomBinaryStreamFormat::BeginLoad(TqvrCustomMemTable& table) {
    TqvrCustomStreamFormat::BeginLoad(table);
    TStream& stream = *WorkStream();
    streamSize_ = stream.Size();
    decoder_ = std::make_unique<TStreamDecoder>(stream, static_cast<std::size_t>(bufferSize_),
                                                streamSize_);
    char signature[4];
    decoder_->ReadBytes(signature, sizeof signature);
    if (std::memcmp(signature, "TPF0", 4) != 0) stream_errors::RaiseInvalidStreamFormat();
    if (decoder_->PeekByte() == static_cast<unsigned char>(TValueTag::vtList))
        streamVersion_ = kVersionWithoutHeader;
    else
        streamVersion_ = decoder_->ReadInteger();
    indexDefsApplied_ = false;
}

void TqvrCustomBinaryStreamFormat::UndoBeginLoad(TqvrCustomMemTable& table) {
    decoder_.reset();
    TqvrCustomStreamFormat::UndoBeginLoad(table);
}

void TqvrCustomBinaryStreamFormat::ReadFieldDefinition(TqvrCustomMemTable& table, bool applied) {
    TStreamDecoder& in = *decoder_;
    std::string name = in.ReadString();
    const std::string typeName = in.ReadString();
    const int size = in.ReadInteger();
    std::string label = in.ReadString();
    std::string editMask = in.ReadString();
    const int displayWidth = in.ReadInteger();
    const bool required = in.ReadBoolean();
    const bool readOnly = in.ReadBoolean();
    const std::string kindName =
        streamVersion_ >= kFieldKindSince ? in.ReadString() : std::string("Data");
    std::string defaultExpression =
        streamVersion_ >= kDefaultExpressionSince ? in.ReadString() : std::string();

    const TStreamFieldType* type = FindStreamFieldType(typeName);
    if (type == nullptr || !type->accepted) stream_errors::RaiseUnknownFieldType(typeName);
    const TFieldKind kind = KindFromName(kindName);
    if (!applied) return;

    // Checked before anything is added, so that a failing entry leaves the
    // definitions made so far intact and no half-made field behind.
    if (name.empty()) RaiseDatabaseErrorFor(table.Name(), "Field name missing");
    if (table.FieldDefs().Find(name) != nullptr || table.FindField(name) != nullptr)
        RaiseDatabaseError("A component named " + name + " already exists");

    table.FieldDefs().Add(name, type->type, size, required);
    const TFieldDef* def = table.FieldDefs().Find(name);
    TField& field = table.CreateFieldFromDef(*def);
    field.SetFieldKind(kind);
    field.SetDisplayLabel(std::move(label));
    field.SetEditMask(std::move(editMask));
    field.SetReadOnly(readOnly);
    field.SetDisplayWidth(displayWidth);
    field.SetDefaultExpression(std::move(defaultExpression));
}

void TqvrCustomBinaryStreamFormat::ReadIndexDefinitions(TqvrCustomMemTable& table, bool applied) {
    TStreamDecoder& in = *decoder_;
    in.ReadListBegin();
    bool first = true;
    while (!in.EndOfList()) {
        if (first) {
            if (applied) {
                table.ClearOrders();
                table.IndexDefs().Clear();
            }
            indexDefsApplied_ = true;
            first = false;
        }
        std::string name = in.ReadString();
        std::string fields = in.ReadString();
        std::string displayName = in.ReadString();
        TIndexOptions options = 0;
        if (in.ReadBoolean()) options |= ixDescending;
        if (in.ReadBoolean()) options |= ixCaseInsensitive;
        if (in.ReadBoolean()) options |= ixNonMaintained;
        if (in.ReadBoolean()) options |= ixUnique;
        if (applied) {
            TIndexDef& def = table.IndexDefs().Add();
            def.Name = std::move(name);
            def.Fields = std::move(fields);
            def.Options = options;
            def.Name = std::move(displayName);
        }
    }
    in.ReadListEnd();
}

void TqvrCustomBinaryStreamFormat::ReadDefinitions(TqvrCustomMemTable& table) {
    TStreamDecoder& in = *decoder_;
    const bool applied = sfDef().Contains(sfLoadDef);
    int entries = 0;
    try {
        in.ReadListBegin();
        while (!in.EndOfList()) {
            if (entries == 0 && applied) {
                table.Close();
                table.FieldDefs().Clear();
                table.DestroyFields();
                // The earlier index definitions go with the earlier fields:
                // a stream without index entries must not leave orders over
                // fields that no longer exist.
                table.IndexDefs().Clear();
            }
            ReadFieldDefinition(table, applied);
            ++entries;
        }
        in.ReadListEnd();
        if (streamVersion_ >= kIndexListSince) ReadIndexDefinitions(table, applied);
    } catch (...) {
        if (entries > 0) {
            // The table is left open with the fields defined so far; should
            // that open fail too, the first error is the one to report.
            try {
                table.Open();
            } catch (const std::exception&) {
            }
        }
        if (!applied) indexDefsApplied_ = false;
        throw;
    }
    if (entries > 0) table.Open();
    if (!applied) indexDefsApplied_ = false;
}

void TqvrCustomBinaryStreamFormat::ReadValue(TqvrCustomMemTable& table, TField& field) {
    TStreamDecoder& in = *decoder_;
    switch (field.DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
        field.SetAsInteger(in.ReadInteger());
        return;
    case ftAutoInc: {
        const std::int32_t value = in.ReadInteger();
        field.SetAsInteger(value);
        table.RaiseAutoInc(value);
        return;
    }
    case ftBoolean:
        field.SetAsBoolean(in.ReadBoolean());
        return;
    case ftFloat:
        field.SetAsFloat(in.ReadFloat().ToDouble());
        return;
    case ftCurrency:
    case ftBCD: {
        const auto amount = in.ReadFloat().ToScaledInteger10000();
        if (!amount) stream_errors::RaiseInvalidPropertyValue();
        field.SetAsCurrency(*amount);
        return;
    }
    case ftDate:
    case ftTime:
    case ftDateTime: {
        const double value = in.ReadFloat().ToDouble();
        if (value == 0.0)
            field.Clear();
        else
            field.SetAsDateTime(value);
        return;
    }
    case ftLargeint: {
        std::int64_t value = 0;
        if (!RoundToInt64(in.ReadFloat().ToDouble(), value))
            stream_errors::RaiseInvalidPropertyValue();
        field.SetAsLargeInt(value);
        return;
    }
    default:
        if (IsBinaryStreamFieldType(field.DataType()))
            field.SetAsBytes(in.ReadBinaryString());
        else
            field.SetStringValue(in.ReadString());
        return;
    }
}

void TqvrCustomBinaryStreamFormat::ReadVersion(TqvrCustomMemTable& table) {
    TStreamDecoder& in = *decoder_;
    if (streamVersion_ >= kRecordListsSince) table.SetLoadRecordStatus(in.ReadInteger() & 0xFF);
    const int count = table.FieldCount();
    for (int i = 0; i < count; ++i) {
        TField& field = table.Field(i);
        if (streamVersion_ >= kNullMarkersSince && in.ReadBoolean()) {
            field.Clear();
            continue;
        }
        ReadValue(table, field);
    }
}

void TqvrCustomBinaryStreamFormat::ReadData(TqvrCustomMemTable& table) {
    TStreamDecoder& in = *decoder_;
    // A closed table has no record layout to append to; this happens only
    // with an empty field list, which then adds to the table by position.
    if (!table.Active())
        RaiseDatabaseErrorFor(table.Name(), "Cannot perform this operation on a closed dataset");
    table.BeginLoadInsert();
    try {
        table.ResetAutoInc();
        const std::int64_t recordSize = table.RecordSize();
        if (recordSize > 0 && streamSize_ > 0) {
            // The estimate trusts the stream's field sizes; a stream of tiny fields
            // must not make the slot list larger than the stream itself.
            const std::int64_t estimate = streamSize_ / recordSize;
            const std::int64_t wanted = estimate + estimate / kSlotSlackDivisor;
            const std::int64_t most = streamSize_ / static_cast<std::int64_t>(sizeof(TqvrRecord*));
            table.ReserveRecords(static_cast<std::size_t>(std::min(wanted, most)));
        }
        const bool lists = streamVersion_ >= kRecordListsSince;
        in.ReadListBegin();
        while (!in.EndOfList()) {
            table.NewLoadRecord();
            if (lists) in.ReadListBegin();
            ReadVersion(table);
            if (lists) {
                while (!in.EndOfList()) {
                    table.NewEarlierVersion();
                    ReadVersion(table);
                }
                in.ReadListEnd();
            }
            table.AppendLoadedRecord();
        }
        in.ReadListEnd();
    } catch (...) {
        table.EndLoadInsert();
        throw;
    }
    table.EndLoadInsert();
}

void TqvrCustomBinaryStreamFormat::EndLoad(TqvrCustomMemTable& table) {
    if (!Prepared()) return;
    decoder_.reset();
    // The table must get its lock, switches and notifications back even when
    // its orders cannot be built from the definitions (a field list naming a
    // field the stream does not define); that error is then passed on.
    std::exception_ptr ordersError;
    if (indexDefsApplied_) {
        indexDefsApplied_ = false;
        try {
            table.RebuildOrdersFromIndexDefs();
        } catch (...) {
            ordersError = std::current_exception();
        }
    }
    try {
        TqvrCustomStreamFormat::EndLoad(table);
    } catch (...) {
        // The first error is the one to report.
        if (!ordersError) throw;
    }
    if (ordersError) std::rethrow_exception(ordersError);
}

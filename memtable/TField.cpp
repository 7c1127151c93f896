#include "memtable/TField.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "memtable/Exceptions.h"
#include "memtable/TDataSet.h"
#include "memtable/TextRules.h"

namespace {

// How each type keeps its value bytes in a record.
enum class Form { Text, Int, Bool, Float, Currency, Bytes };

Form FormOf(TFieldType t) {
    switch (t) {
    case ftString:
    case ftFixedChar:
        return Form::Text;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return Form::Int;
    case ftBoolean:
        return Form::Bool;
    case ftFloat:
    case ftDate:
    case ftTime:
    case ftDateTime:
        return Form::Float;
    case ftCurrency:
    case ftBCD:
        return Form::Currency;
    default:
        return Form::Bytes;
    }
}

std::string Pack64(uint64_t v) {
    std::string s(8, '\0');
    for (int i = 0; i < 8; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

uint64_t Unpack64(const std::string& s) {
    uint64_t v = 0;
    for (size_t i = 0; i < 8 && i < s.size(); ++i)
        v |= static_cast<uint64_t>(static_cast<unsigned char>(s[i])) << (8 * i);
    return v;
}

std::string PackDouble(double d) {
    uint64_t u;
    std::memcpy(&u, &d, 8);
    return Pack64(u);
}

double UnpackDouble(const std::string& s) {
    uint64_t u = Unpack64(s);
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}

int64_t ClampToType(TFieldType t, int64_t v) {
    switch (t) {
    case ftSmallint:
        return static_cast<int16_t>(v);
    case ftWord:
        return static_cast<uint16_t>(v);
    case ftInteger:
    case ftAutoInc:
        return static_cast<int32_t>(v);
    default:
        return v;
    }
}

std::string FormatDouble(double d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", d);
    return buf;
}

std::string FormatCurrency(int64_t c) {
    bool neg = c < 0;
    uint64_t u = neg ? 0 - static_cast<uint64_t>(c) : static_cast<uint64_t>(c);
    std::string s = std::to_string(u / kCurrencyScale);
    uint64_t frac = u % kCurrencyScale;
    if (frac) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04llu", static_cast<unsigned long long>(frac));
        std::string f = buf;
        while (!f.empty() && f.back() == '0') f.pop_back();
        s += "." + f;
    }
    return neg ? "-" + s : s;
}

[[noreturn]] void NotValid(std::string_view text, const char* what) {
    std::string message(1, '\'');
    message.append(text).append("' is not a valid ").append(what);
    RaiseDatabaseError(message);
}

} // namespace

TField::TField(TFieldType type, int size) : dataType_(type), size_(size < 0 ? 0 : size) {}

TField::~TField() = default;

void TField::SetDisplayLabel(std::string label) {
    displayLabel_ = std::move(label);
    if (dataSet_) dataSet_->NotifyLayoutChange();
}

void TField::SetDisplayWidth(int width) {
    displayWidth_ = width;
    if (dataSet_) dataSet_->NotifyLayoutChange();
}

bool TField::ReadRaw(std::string& out) const {
    out.clear();
    return dataSet_ && dataSet_->GetFieldData(*this, out);
}

void TField::WriteRaw(const std::string* bytes) {
    if (!bytes) {
        WriteRaw(static_cast<const std::string_view*>(nullptr));
        return;
    }
    const std::string_view view(*bytes);
    WriteRaw(&view);
}

void TField::WriteRaw(const std::string_view* bytes) {
    if (!dataSet_) return;
    dataSet_->SetFieldData(*this, bytes);
}

bool TField::IsNull() const {
    std::string s;
    return !ReadRaw(s);
}

void TField::Clear() {
    WriteRaw(static_cast<const std::string*>(nullptr));
}

std::string TField::StringValue() const {
    std::string raw;
    if (!ReadRaw(raw)) return {};
    switch (FormOf(dataType_)) {
    case Form::Text:
    case Form::Bytes:
        return raw;
    case Form::Int:
        return std::to_string(static_cast<int64_t>(Unpack64(raw)));
    case Form::Bool:
        return !raw.empty() && raw[0] ? "True" : "False";
    case Form::Float:
        return FormatDouble(UnpackDouble(raw));
    case Form::Currency:
        return FormatCurrency(static_cast<int64_t>(Unpack64(raw)));
    }
    return raw;
}

void TField::SetStringValue(std::string_view text) {
    switch (FormOf(dataType_)) {
    case Form::Text: {
        const std::string_view cut = textrules::CutText(text, size_);
        WriteRaw(&cut);
        return;
    }
    case Form::Bytes:
        SetAsBytes(text);
        return;
    default:
        break;
    }
    if (text.empty()) {
        Clear();
        return;
    }
    std::string t(text);
    char* end = nullptr;
    errno = 0;
    switch (FormOf(dataType_)) {
    case Form::Int: {
        long long v = std::strtoll(t.c_str(), &end, 10);
        if (end == t.c_str() || *end || errno) NotValid(text, "integer value");
        SetAsLargeInt(v);
        return;
    }
    case Form::Bool:
        if (textrules::EqualIgnoringCase(text, "True"))
            SetAsBoolean(true);
        else if (textrules::EqualIgnoringCase(text, "False"))
            SetAsBoolean(false);
        else
            NotValid(text, "boolean value");
        return;
    case Form::Float:
    case Form::Currency: {
        double v = std::strtod(t.c_str(), &end);
        if (end == t.c_str() || *end || !std::isfinite(v)) NotValid(text, "floating point value");
        if (FormOf(dataType_) == Form::Currency)
            SetAsCurrency(static_cast<int64_t>(std::nearbyint(v * kCurrencyScale)));
        else
            SetAsFloat(v);
        return;
    }
    default:
        return;
    }
}

int64_t TField::AsLargeInt() const {
    std::string raw;
    if (!ReadRaw(raw)) return 0;
    switch (FormOf(dataType_)) {
    case Form::Int:
        return static_cast<int64_t>(Unpack64(raw));
    case Form::Bool:
        return !raw.empty() && raw[0] ? 1 : 0;
    case Form::Float:
        return static_cast<int64_t>(UnpackDouble(raw));
    case Form::Currency:
        return static_cast<int64_t>(Unpack64(raw)) / kCurrencyScale;
    default: {
        char* end = nullptr;
        long long v = std::strtoll(raw.c_str(), &end, 10);
        if (end == raw.c_str() || *end) NotValid(raw, "integer value");
        return v;
    }
    }
}

int32_t TField::AsInteger() const {
    return static_cast<int32_t>(AsLargeInt());
}

void TField::SetAsInteger(int32_t v) {
    SetAsLargeInt(v);
}

void TField::SetAsLargeInt(int64_t v) {
    switch (FormOf(dataType_)) {
    case Form::Int: {
        std::string b = Pack64(static_cast<uint64_t>(ClampToType(dataType_, v)));
        WriteRaw(&b);
        return;
    }
    case Form::Bool:
        SetAsBoolean(v != 0);
        return;
    case Form::Float:
        SetAsFloat(static_cast<double>(v));
        return;
    case Form::Currency:
        SetAsCurrency(v * kCurrencyScale);
        return;
    default:
        SetStringValue(std::to_string(v));
        return;
    }
}

bool TField::AsBoolean() const {
    std::string raw;
    if (!ReadRaw(raw)) return false;
    if (FormOf(dataType_) == Form::Bool) return !raw.empty() && raw[0];
    return AsLargeInt() != 0;
}

void TField::SetAsBoolean(bool v) {
    if (FormOf(dataType_) == Form::Bool) {
        std::string b(1, v ? '\1' : '\0');
        WriteRaw(&b);
    } else if (FormOf(dataType_) == Form::Text || FormOf(dataType_) == Form::Bytes) {
        SetStringValue(v ? "True" : "False");
    } else {
        SetAsLargeInt(v ? 1 : 0);
    }
}

double TField::AsFloat() const {
    std::string raw;
    if (!ReadRaw(raw)) return 0.0;
    switch (FormOf(dataType_)) {
    case Form::Float:
        return UnpackDouble(raw);
    case Form::Currency:
        return static_cast<double>(static_cast<int64_t>(Unpack64(raw))) / kCurrencyScale;
    case Form::Int:
    case Form::Bool:
        return static_cast<double>(AsLargeInt());
    default: {
        char* end = nullptr;
        double v = std::strtod(raw.c_str(), &end);
        if (end == raw.c_str() || *end) NotValid(raw, "floating point value");
        return v;
    }
    }
}

void TField::SetAsFloat(double v) {
    switch (FormOf(dataType_)) {
    case Form::Float: {
        std::string b = PackDouble(v);
        WriteRaw(&b);
        return;
    }
    case Form::Currency:
        SetAsCurrency(static_cast<int64_t>(std::nearbyint(v * kCurrencyScale)));
        return;
    case Form::Int:
        SetAsLargeInt(static_cast<int64_t>(std::nearbyint(v)));
        return;
    default:
        SetStringValue(FormatDouble(v));
        return;
    }
}

int64_t TField::AsCurrency() const {
    std::string raw;
    if (!ReadRaw(raw)) return 0;
    if (FormOf(dataType_) == Form::Currency) return static_cast<int64_t>(Unpack64(raw));
    return static_cast<int64_t>(std::nearbyint(AsFloat() * kCurrencyScale));
}

void TField::SetAsCurrency(int64_t c) {
    if (FormOf(dataType_) == Form::Currency) {
        std::string b = Pack64(static_cast<uint64_t>(c));
        WriteRaw(&b);
    } else if (FormOf(dataType_) == Form::Text || FormOf(dataType_) == Form::Bytes) {
        SetStringValue(FormatCurrency(c));
    } else {
        SetAsFloat(static_cast<double>(c) / kCurrencyScale);
    }
}

double TField::AsDateTime() const {
    return AsFloat();
}

void TField::SetAsDateTime(double v) {
    SetAsFloat(v);
}

std::string TField::AsBytes() const {
    std::string raw;
    if (!ReadRaw(raw)) return {};
    return raw;
}

void TField::SetAsBytes(std::string_view bytes) {
    switch (FormOf(dataType_)) {
    case Form::Text:
        SetStringValue(bytes);
        return;
    case Form::Bytes: {
        // Fixed and variable byte fields hold at most Size bytes; blobs have no limit.
        std::string b(bytes);
        if ((dataType_ == ftBytes || dataType_ == ftVarBytes) &&
            b.size() > static_cast<size_t>(size_))
            b.resize(static_cast<size_t>(size_));
        WriteRaw(&b);
        return;
    }
    default:
        SetStringValue(bytes);
        return;
    }
}

// The key value of a key search: one value, or an array with one value per key field.
// A value is text (converted to the key field's type) or null. An array may claim more
// than one dimension; the search rejects it.
#pragma once

#include <optional>
#include <string>
#include <vector>

class TKeyValue {
public:
    TKeyValue() = default; // a single null value
    TKeyValue(const char* text) : values_{std::string(text)} {}
    TKeyValue(std::string text) : values_{std::move(text)} {}
    TKeyValue(std::string_view text) : values_{std::string(text)} {}
    static TKeyValue Null() { return TKeyValue(); }
    static TKeyValue Array(std::vector<std::optional<std::string>> values, int dimensions = 1) {
        TKeyValue v;
        v.values_ = std::move(values);
        v.isArray_ = true;
        v.dimensions_ = dimensions;
        return v;
    }

    bool IsArray() const { return isArray_; }
    int Dimensions() const { return isArray_ ? dimensions_ : 0; }
    const std::vector<std::optional<std::string>>& Values() const { return values_; }

private:
    std::vector<std::optional<std::string>> values_{std::nullopt};
    bool isArray_ = false;
    int dimensions_ = 0;
};

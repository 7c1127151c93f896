// A field list: ordered (field object, compare options) pairs, read from the text form
// "Name[:opts];Name2..." that SortFields, index definitions and key searches use.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

class TField;
class TqvrCustomMemTable;

enum TqvrMemTableCompareOption : uint8_t {
    mtcoDescending = 1,
    mtcoCaseInsensitive = 2,
    mtcoPartialKey = 4,
    mtcoIgnoreNullKey = 8,
    mtcoIgnoreLocale = 16,
    mtcoUnique = 32,
    mtcoNonMaintained = 64
};
using TqvrMemTableCompareOptions = uint8_t;

class TqvrFieldList {
public:
    struct Item {
        TField* field;
        TqvrMemTableCompareOptions options;
    };

    /// Reads the text form against the table's fields. A missing field fails with
    /// "Field '%s' not found" (table name in front); an aggregate field or a field of a
    /// type the table does not accept with "Can't index on field %s" (display name).
    void Build(const TqvrCustomMemTable& table, std::string_view text);
    /// Whether the text is empty once trimmed of the blanks Build trims around names
    /// (spaces and tabs): such a text gives an empty list.
    static bool IsBlank(std::string_view text);
    void Clear() { items_.clear(); }
    void Add(TField* field, TqvrMemTableCompareOptions options) {
        items_.push_back({field, options});
    }
    /// OR-s the options into every pair.
    void AddOptions(TqvrMemTableCompareOptions options);
    int Count() const { return static_cast<int>(items_.size()); }
    const Item& operator[](int i) const { return items_[static_cast<size_t>(i)]; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    /// Same field objects in the same order and number (options not compared).
    bool SameFields(const TqvrFieldList& other) const;

private:
    std::vector<Item> items_;
};

// The ordered list of a table's field definitions. A field's number is its 1-based
// position here. Names are found ignoring letter case by Unicode rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "memtable/TFieldDef.h"

class TFieldDefs {
public:
    void Clear() { defs_.clear(); }
    TFieldDef& Add(const std::string& name, TFieldType type, int size = 0, bool required = false);
    /// The first definition whose name equals `name` ignoring case, or nullptr.
    TFieldDef* Find(std::string_view name);
    const TFieldDef* Find(std::string_view name) const;
    int Count() const { return static_cast<int>(defs_.size()); }
    TFieldDef& operator[](int i) { return defs_.at(static_cast<size_t>(i)); }
    const TFieldDef& operator[](int i) const { return defs_.at(static_cast<size_t>(i)); }
    auto begin() const { return defs_.begin(); }
    auto end() const { return defs_.end(); }

private:
    std::vector<TFieldDef> defs_;
};

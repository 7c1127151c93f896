// The table's list of index definitions.
#pragma once

#include <vector>

#include "memtable/TIndexDef.h"

class TIndexDefs {
public:
    void Clear() { defs_.clear(); }
    TIndexDef& Add() { return defs_.emplace_back(); }
    TIndexDef& Add(std::string name, std::string fields, TIndexOptions options) {
        return defs_.emplace_back(TIndexDef{std::move(name), std::move(fields), options});
    }
    int Count() const { return static_cast<int>(defs_.size()); }
    TIndexDef& operator[](int i) { return defs_.at(static_cast<size_t>(i)); }
    const TIndexDef& operator[](int i) const { return defs_.at(static_cast<size_t>(i)); }
    auto begin() const { return defs_.begin(); }
    auto end() const { return defs_.end(); }

private:
    std::vector<TIndexDef> defs_;
};

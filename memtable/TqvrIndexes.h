// The order collection of a table: the row order, always first, and the other orders by
// name (names compared ignoring case).
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "memtable/TqvrIndex.h"

class TqvrIndexes {
public:
    static constexpr const char* kRowOrderName = "__MT__ROWORDER";
    static constexpr const char* kDefaultSortName = "__MT__DEFSORT";

    TqvrIndexes();
    TqvrIndex& RowOrder() const { return *list_.front(); }
    int Count() const { return static_cast<int>(list_.size()); }
    TqvrIndex& operator[](int i) const { return *list_.at(static_cast<size_t>(i)); }
    TqvrIndex* Find(std::string_view name) const;
    TqvrIndex& Add(std::unique_ptr<TqvrIndex> index);
    /// Removes and frees an order other than the row order.
    void Remove(TqvrIndex* index);
    /// Drops every order but the row order.
    void DropAllButRowOrder();
    auto begin() const { return list_.begin(); }
    auto end() const { return list_.end(); }

private:
    std::vector<std::unique_ptr<TqvrIndex>> list_;
};

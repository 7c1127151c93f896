// Hash tables that make equality key searches cheap on large orders. For a field list
// of text fields compared whole, two records compare equal exactly when their collation
// sort keys (or their plain bytes, when the locale is ignored) are equal, so a hash of
// those keys gives every candidate at once; the caller still confirms each candidate
// with the ordinary comparison and picks the first position in the order, so results
// are exactly those of a scan. One table per (fields, case, locale) signature, built on
// first use and kept up to date by the table's Post and Delete.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "memtable/TqvrFieldList.h"
#include "memtable/TqvrRecord.h"

class TqvrCommon;

class TqvrKeyCache {
public:
    /// Whether a search with this list can use a hash: text fields only, no partial keys
    /// and no skipped null keys.
    static bool Applicable(const TqvrFieldList& list);

    explicit TqvrKeyCache(TqvrCommon& common) : common_(common) {}
    /// Stored records whose key under `list` hashes like `key` (unconfirmed candidates).
    /// Builds the table for the list's signature from the store on first use.
    void Candidates(const TqvrFieldList& list, const TqvrRecord& key, std::vector<TqvrRecord*>& out);
    void Add(const TqvrRecord* record);
    void Remove(const TqvrRecord* record);

private:
    struct Part {
        int index;
        bool caseInsensitive;
        bool ignoreLocale;
        bool operator==(const Part&) const = default;
    };
    struct Table {
        std::vector<Part> parts;
        std::vector<uint64_t> cells;  // hash (high 32 bits) and slot + 1 (low 32 bits); 0 empty
        size_t used = 0;              // live entries and tombstones
        size_t live = 0;
    };
    static constexpr uint64_t kTombstone = ~static_cast<uint64_t>(0);

    uint32_t Hash(const std::vector<Part>& parts, const TqvrRecord& record);
    void Insert(Table& t, uint32_t hash, int32_t slot);
    void Grow(Table& t);

    TqvrCommon& common_;
    std::vector<std::unique_ptr<Table>> tables_;
    std::string buffer_;
};

// Hash tables that make equality key searches cheap on large orders. For a field list
// of text fields compared whole, two records compare equal exactly when their sort keys
// (the collation's with the bytes that break its ties, or the plain bytes when the
// locale is ignored) are equal, so a hash of those keys gives every candidate at once;
// the caller still confirms each candidate with the ordinary comparison and picks the
// first position in the order, so results are exactly those of a scan. One table per
// (fields, case, locale) signature, built on first use and kept up to date by the
// table's Post and Delete.
//
// Records whose keys hash alike hang in one list per hash, so adding and removing a
// record costs the same however many records share its key. A lookup hands back its
// candidates only while they are few; when more share the hash it says so, and the
// caller searches the order instead, which then finds an equal entry early.
//
// A collation sort key is the dear part of a hash. Byte-equal values have equal keys,
// so each table remembers, in a small cache indexed by the values' bytes, the hashes it
// worked out lately: a folder scan that seeks, inserts and edits the same work ID for
// each of the work's files, with other works' files in between, builds one sort key
// per work instead of one per call.
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
    /// Orders up to this many entries are searched as they stand; above it, a hash
    /// pays for the sort keys it costs.
    static constexpr int kUsefulAbove = 64;

    /// Whether a search with this list can use a hash: text fields only, no partial keys
    /// and no skipped null keys.
    static bool Applicable(const TqvrFieldList& list);

    explicit TqvrKeyCache(TqvrCommon& common) : common_(common) {}
    /// Stored records whose key under `list` hashes like `key` (unconfirmed candidates),
    /// or nullptr when more than `limit` records share that hash. The vector is reused
    /// by the next call. Builds the table for the list's signature on first use.
    const std::vector<TqvrRecord*>* Candidates(const TqvrFieldList& list, const TqvrRecord& key,
                                               size_t limit);
    void Add(const TqvrRecord* record);
    void Remove(const TqvrRecord* record);
    /// Whether `a` and `b` have byte-equal values in every field that a table hashes;
    /// an edit that keeps them so leaves the tables as they are.
    bool SameKeys(const TqvrRecord& a, const TqvrRecord& b);

private:
    struct Part {
        int index;
        bool caseInsensitive;
        bool ignoreLocale;
        bool operator==(const Part&) const = default;
    };
    struct Known {
        std::string bytes;
        uint32_t hash = 0;
        bool used = false;
    };
    static constexpr size_t kKnownSize = 1024; // a power of two
    struct Table {
        std::vector<Part> parts;
        // One cell per distinct hash: the hash (high 32 bits) and the first slot of its
        // list + 1 (low 32 bits); 0 empty, kTombstone for a hash whose list emptied.
        std::vector<uint64_t> cells;
        size_t used = 0; // live cells and tombstones
        size_t live = 0;
        // The lists, by slot: the neighbours of each record among those of its hash;
        // -1 at an end or when the slot is not in the table.
        std::vector<int32_t> next, prev;
        // Hashes worked out lately, by the bytes of the values (see KeyBytes); made on
        // first use.
        std::vector<Known> known;
    };
    static constexpr uint64_t kTombstone = ~static_cast<uint64_t>(0);

    uint32_t Hash(Table& t, const TqvrRecord& record);
    /// The values of `record` under `parts`, each with its null flag and length, so
    /// that two records give the same bytes exactly when their values are byte-equal.
    static void KeyBytes(const std::vector<Part>& parts, const TqvrRecord& record,
                         std::string& out);
    /// The cell holding `hash`, or the size of the cell list when there is none.
    static size_t Find(const Table& t, uint32_t hash);
    void Insert(Table& t, uint32_t hash, int32_t slot);
    static void Place(Table& t, uint32_t hash, int32_t head);
    static void Grow(Table& t);

    TqvrCommon& common_;
    std::vector<std::unique_ptr<Table>> tables_;
    std::string buffer_;
    std::string bytes_;
    std::string otherBytes_;
    std::vector<Part> parts_;
    std::vector<TqvrRecord*> found_;
};

// The entries of one order: references to records in a sequence that supports access by
// position, insertion and removal anywhere in O(sqrt-ish) time. Entries live in blocks
// of a few hundred; a list that tracks its records writes the block id into each record
// (TqvrRecord::rowBlock), so the position of a record is found without scanning the whole
// order. Two lists per record may track: the row order (rowBlock) and the default sort
// order (sortBlock).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "memtable/TqvrRecord.h"

class TqvrEntryList {
public:
    enum Tracking { kNoTracking, kTrackRow, kTrackSort };
    explicit TqvrEntryList(Tracking tracking = kNoTracking)
        : tracking_(tracking), tracks_(tracking != kNoTracking) {}
    ~TqvrEntryList();
    TqvrEntryList(const TqvrEntryList&) = delete;
    TqvrEntryList& operator=(const TqvrEntryList&) = delete;

    int Count() const { return static_cast<int>(count_); }
    bool Empty() const { return count_ == 0; }
    TqvrRecord* At(int position) const;
    void Set(int position, TqvrRecord* record);
    void Insert(int position, TqvrRecord* record);
    void Append(TqvrRecord* record) { Insert(Count(), record); }
    void Erase(int position);
    void Clear();
    /// Replaces the whole content (used by builds).
    void Assign(const std::vector<TqvrRecord*>& records);
    std::vector<TqvrRecord*> ToVector() const;
    /// Position of the record by identity: fast for a tracking list, a scan otherwise.
    /// -1 when absent.
    int PositionOf(const TqvrRecord* record) const;
    bool Tracks() const { return tracks_; }

private:
    struct Block {
        std::vector<TqvrRecord*> items;
        uint32_t id = 0;
        size_t index = 0; // index in blocks_
    };
    static constexpr size_t kMaxBlock = 512;

    size_t StartOf(size_t blockIndex) const;
    uint32_t& Mark(TqvrRecord* r) const {
        return tracking_ == kTrackRow ? r->rowBlock : r->sortBlock;
    }
    uint32_t Mark(const TqvrRecord* r) const {
        return tracking_ == kTrackRow ? r->rowBlock : r->sortBlock;
    }
    size_t Locate(size_t position, size_t& local) const;
    void Touch(size_t fromBlock) const;
    void Adopt(Block& block, size_t from);
    Block& NewBlockAt(size_t index);
    void RemoveBlock(size_t index);

    Tracking tracking_;
    bool tracks_;
    size_t count_ = 0;
    std::vector<std::unique_ptr<Block>> blocks_;
    std::vector<Block*> byId_;
    std::vector<uint32_t> freeIds_;
    mutable std::vector<size_t> starts_;
    mutable size_t startsValid_ = 0;
};

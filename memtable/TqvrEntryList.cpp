#include "memtable/TqvrEntryList.h"

#include <algorithm>
#include <cassert>

TqvrEntryList::~TqvrEntryList() = default;

void TqvrEntryList::Touch(size_t fromBlock) const {
    startsValid_ = std::min(startsValid_, fromBlock);
}

size_t TqvrEntryList::StartOf(size_t blockIndex) const {
    if (startsValid_ <= blockIndex || starts_.size() != blocks_.size()) {
        if (starts_.size() != blocks_.size()) {
            starts_.resize(blocks_.size());
            startsValid_ = std::min(startsValid_, blocks_.size());
        }
        // Starts stay valid for the blocks before the first change.
        size_t i = startsValid_;
        size_t s = i == 0 ? 0 : starts_[i - 1] + blocks_[i - 1]->items.size();
        for (; i < blocks_.size(); ++i) {
            starts_[i] = s;
            s += blocks_[i]->items.size();
        }
        startsValid_ = blocks_.size();
    }
    return starts_[blockIndex];
}

size_t TqvrEntryList::Locate(size_t position, size_t& local) const {
    StartOf(blocks_.size() - 1);
    // The last block whose start is at or before the position.
    auto it = std::upper_bound(starts_.begin(), starts_.end(), position);
    size_t b = static_cast<size_t>(it - starts_.begin()) - 1;
    // Empty blocks share a start with the next one; skip to the block that holds it.
    while (b + 1 < blocks_.size() && position - starts_[b] >= blocks_[b]->items.size()) ++b;
    local = position - starts_[b];
    return b;
}

TqvrRecord* TqvrEntryList::At(int position) const {
    if (position < 0 || static_cast<size_t>(position) >= count_) return nullptr;
    size_t local;
    size_t b = Locate(static_cast<size_t>(position), local);
    return blocks_[b]->items[local];
}

void TqvrEntryList::Set(int position, TqvrRecord* record) {
    // Replaces an entry that exists; callers found it first.
    assert(position >= 0 && position < Count());
    size_t local;
    size_t b = Locate(static_cast<size_t>(position), local);
    blocks_[b]->items[local] = record;
    if (tracks_) Mark(record) = blocks_[b]->id;
}

TqvrEntryList::Block& TqvrEntryList::NewBlockAt(size_t index) {
    auto block = std::make_unique<Block>();
    if (!freeIds_.empty()) {
        block->id = freeIds_.back();
        freeIds_.pop_back();
    } else {
        block->id = static_cast<uint32_t>(byId_.size());
        byId_.push_back(nullptr);
    }
    byId_[block->id] = block.get();
    block->items.reserve(kMaxBlock);
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(index), std::move(block));
    for (size_t i = index; i < blocks_.size(); ++i) blocks_[i]->index = i;
    Touch(index);
    return *blocks_[index];
}

void TqvrEntryList::RemoveBlock(size_t index) {
    byId_[blocks_[index]->id] = nullptr;
    freeIds_.push_back(blocks_[index]->id);
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(index));
    for (size_t i = index; i < blocks_.size(); ++i) blocks_[i]->index = i;
    Touch(index);
}

void TqvrEntryList::Adopt(Block& block, size_t from) {
    if (!tracks_) return;
    for (size_t i = from; i < block.items.size(); ++i) Mark(block.items[i]) = block.id;
}

void TqvrEntryList::Insert(int position, TqvrRecord* record) {
    size_t pos = static_cast<size_t>(std::clamp(position, 0, Count()));
    if (blocks_.empty()) NewBlockAt(0);
    size_t b, local;
    if (pos == count_) {
        b = blocks_.size() - 1;
        local = blocks_[b]->items.size();
    } else {
        b = Locate(pos, local);
    }
    Block* block = blocks_[b].get();
    block->items.insert(block->items.begin() + static_cast<std::ptrdiff_t>(local), record);
    if (tracks_) Mark(record) = block->id;
    ++count_;
    Touch(b + 1);
    if (block->items.size() >= kMaxBlock) {
        // Split in halves so that later inserts nearby stay cheap.
        Block& next = NewBlockAt(b + 1);
        block = blocks_[b].get();
        size_t half = block->items.size() / 2;
        next.items.assign(block->items.begin() + static_cast<std::ptrdiff_t>(half),
                          block->items.end());
        block->items.resize(half);
        Adopt(next, 0);
        Touch(b + 1);
    }
}

void TqvrEntryList::Erase(int position) {
    // Removes an entry that exists; callers found it first.
    assert(position >= 0 && position < Count());
    size_t local;
    size_t b = Locate(static_cast<size_t>(position), local);
    Block* block = blocks_[b].get();
    if (tracks_) Mark(block->items[local]) = TqvrRecord::kNoBlock;
    block->items.erase(block->items.begin() + static_cast<std::ptrdiff_t>(local));
    --count_;
    Touch(b + 1);
    if (block->items.empty() && blocks_.size() > 1) RemoveBlock(b);
}

void TqvrEntryList::Clear() {
    if (tracks_)
        for (auto& b : blocks_)
            for (TqvrRecord* r : b->items) Mark(r) = TqvrRecord::kNoBlock;
    blocks_.clear();
    byId_.clear();
    freeIds_.clear();
    starts_.clear();
    startsValid_ = 0;
    count_ = 0;
}

void TqvrEntryList::Assign(const std::vector<TqvrRecord*>& records) {
    Clear();
    const size_t fill = kMaxBlock * 3 / 4;
    for (size_t i = 0; i < records.size(); i += fill) {
        Block& b = NewBlockAt(blocks_.size());
        size_t e = std::min(records.size(), i + fill);
        b.items.assign(records.begin() + static_cast<std::ptrdiff_t>(i),
                       records.begin() + static_cast<std::ptrdiff_t>(e));
        Adopt(b, 0);
    }
    count_ = records.size();
    Touch(0);
}

std::vector<TqvrRecord*> TqvrEntryList::ToVector() const {
    std::vector<TqvrRecord*> v;
    v.reserve(count_);
    for (auto& b : blocks_) v.insert(v.end(), b->items.begin(), b->items.end());
    return v;
}

int TqvrEntryList::PositionOf(const TqvrRecord* record) const {
    if (tracks_) {
        uint32_t id = Mark(record);
        if (id == TqvrRecord::kNoBlock || id >= byId_.size()) return -1;
        const Block* b = byId_[id];
        if (!b) return -1;
        auto it = std::find(b->items.begin(), b->items.end(), record);
        if (it == b->items.end()) return -1;
        return static_cast<int>(StartOf(b->index) + static_cast<size_t>(it - b->items.begin()));
    }
    size_t base = 0;
    for (auto& b : blocks_) {
        auto it = std::find(b->items.begin(), b->items.end(), record);
        if (it != b->items.end())
            return static_cast<int>(base + static_cast<size_t>(it - b->items.begin()));
        base += b->items.size();
    }
    return -1;
}

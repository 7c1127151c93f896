#include "memtable/TqvrKeyCache.h"

#include <algorithm>
#include <string_view>

#include "memtable/TField.h"
#include "memtable/TqvrCommon.h"

namespace {

uint64_t Cell(uint32_t hash, int32_t head) {
    return (static_cast<uint64_t>(hash) << 32) | static_cast<uint32_t>(head + 1);
}
uint32_t HashOf(uint64_t cell) {
    return static_cast<uint32_t>(cell >> 32);
}
int32_t HeadOf(uint64_t cell) {
    return static_cast<int32_t>(static_cast<uint32_t>(cell)) - 1;
}

// 64-bit FNV-1a: cheap, and spreads the short keys of work IDs well enough.
uint64_t Fnv1a(std::string_view bytes) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

// The cell list starts this long and doubles; it grows before it is 60% used, so that
// probe paths stay short.
constexpr size_t kInitialCells = 64;
constexpr size_t kMaxLoadPercent = 60;

} // namespace

bool TqvrKeyCache::Applicable(const TqvrFieldList& list) {
    if (list.Count() == 0) return false;
    for (const auto& item : list) {
        if (!IsTextFieldType(item.field->DataType())) return false;
        if (item.options & (mtcoPartialKey | mtcoIgnoreNullKey)) return false;
    }
    return true;
}

void TqvrKeyCache::KeyBytes(const std::vector<Part>& parts, const TqvrRecord& record,
                            std::string& out) {
    out.clear();
    for (const Part& p : parts) {
        std::string_view v;
        if (!record.GetValue(p.index, v)) {
            out.push_back('\x00');
            continue;
        }
        const auto size = static_cast<uint32_t>(v.size());
        out.push_back('\x01');
        out.append(reinterpret_cast<const char*>(&size), sizeof size);
        out.append(v);
    }
}

uint32_t TqvrKeyCache::Hash(Table& t, const TqvrRecord& record) {
    KeyBytes(t.parts, record, bytes_);
    const uint64_t b = Fnv1a(bytes_);
    if (t.known.empty()) t.known.resize(kKnownSize);
    Known& known = t.known[(b ^ (b >> 32)) & (kKnownSize - 1)];
    if (known.used && known.bytes == bytes_) return known.hash;

    buffer_.clear();
    for (const Part& p : t.parts) {
        std::string_view v;
        if (!record.GetValue(p.index, v)) {
            buffer_.push_back('\x00');
            continue;
        }
        buffer_.push_back('\x01');
        if (p.ignoreLocale) {
            for (char c : v)
                buffer_.push_back(
                    p.caseInsensitive && c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
            buffer_.push_back('\x00');
        } else {
            common_.AppendSortKey(v, p.caseInsensitive, buffer_);
        }
    }
    const uint64_t h = Fnv1a(buffer_);
    const auto hash = static_cast<uint32_t>(h ^ (h >> 32));
    known.bytes.swap(bytes_);
    known.hash = hash;
    known.used = true;
    return hash;
}

size_t TqvrKeyCache::Find(const Table& t, uint32_t hash) {
    size_t mask = t.cells.size() - 1;
    for (size_t i = hash & mask; t.cells[i] != 0; i = (i + 1) & mask)
        if (t.cells[i] != kTombstone && HashOf(t.cells[i]) == hash) return i;
    return t.cells.size();
}

void TqvrKeyCache::Place(Table& t, uint32_t hash, int32_t head) {
    size_t mask = t.cells.size() - 1;
    size_t i = hash & mask;
    while (t.cells[i] != 0 && t.cells[i] != kTombstone) i = (i + 1) & mask;
    if (t.cells[i] == 0) ++t.used;
    t.cells[i] = Cell(hash, head);
    ++t.live;
}

void TqvrKeyCache::Grow(Table& t) {
    std::vector<uint64_t> old;
    old.swap(t.cells);
    size_t cap = kInitialCells;
    while (cap < (t.live + 1) * 2) cap *= 2;
    t.cells.assign(cap, 0);
    t.used = t.live = 0;
    for (uint64_t c : old)
        if (c != 0 && c != kTombstone) Place(t, HashOf(c), HeadOf(c));
}

void TqvrKeyCache::Insert(Table& t, uint32_t hash, int32_t slot) {
    if (t.next.size() <= static_cast<size_t>(slot)) {
        size_t size = std::max<size_t>(static_cast<size_t>(slot) + 1, t.next.size() * 3 / 2);
        t.next.resize(size, -1);
        t.prev.resize(size, -1);
    }
    size_t i = Find(t, hash);
    if (i < t.cells.size()) {
        int32_t head = HeadOf(t.cells[i]);
        t.next[slot] = head;
        t.prev[slot] = -1;
        t.prev[head] = slot;
        t.cells[i] = Cell(hash, slot);
        return;
    }
    // A new hash takes the first free or emptied cell on its probe path, which Find
    // has just walked to its end.
    if ((t.used + 1) * 100 > t.cells.size() * kMaxLoadPercent) Grow(t);
    t.next[slot] = t.prev[slot] = -1;
    Place(t, hash, slot);
}

const std::vector<TqvrRecord*>* TqvrKeyCache::Candidates(const TqvrFieldList& list,
                                                         const TqvrRecord& key, size_t limit) {
    found_.clear();
    parts_.clear();
    for (const auto& item : list)
        parts_.push_back({item.field->FieldNo() - 1, (item.options & mtcoCaseInsensitive) != 0,
                          (item.options & mtcoIgnoreLocale) != 0});
    Table* table = nullptr;
    for (auto& t : tables_)
        if (t->parts == parts_) table = t.get();
    if (!table) {
        auto t = std::make_unique<Table>();
        t->parts = parts_;
        t->cells.assign(kInitialCells, 0);
        for (int s = 0; s < common_.SlotCount(); ++s)
            if (const TqvrRecord* r = common_.Slot(s)) Insert(*t, Hash(*t, *r), s);
        tables_.push_back(std::move(t));
        table = tables_.back().get();
    }
    size_t i = Find(*table, Hash(*table, key));
    if (i == table->cells.size()) return &found_;
    for (int32_t s = HeadOf(table->cells[i]); s >= 0; s = table->next[s]) {
        if (found_.size() == limit) {
            found_.clear();
            return nullptr;
        }
        if (TqvrRecord* r = common_.Slot(s)) found_.push_back(r);
    }
    return &found_;
}

void TqvrKeyCache::Add(const TqvrRecord* record) {
    for (auto& t : tables_) Insert(*t, Hash(*t, *record), record->slot);
}

void TqvrKeyCache::Remove(const TqvrRecord* record) {
    int32_t slot = record->slot;
    for (auto& t : tables_) {
        if (slot < 0 || static_cast<size_t>(slot) >= t->next.size()) continue;
        int32_t before = t->prev[slot], after = t->next[slot];
        if (before >= 0) {
            t->next[before] = after;
            if (after >= 0) t->prev[after] = before;
        } else {
            // The record heads its list, or is not in the table at all.
            uint32_t h = Hash(*t, *record);
            size_t i = Find(*t, h);
            if (i == t->cells.size() || HeadOf(t->cells[i]) != slot) continue;
            if (after >= 0) {
                t->prev[after] = -1;
                t->cells[i] = Cell(h, after);
            } else {
                t->cells[i] = kTombstone;
                --t->live;
            }
        }
        t->next[slot] = t->prev[slot] = -1;
    }
}

bool TqvrKeyCache::SameKeys(const TqvrRecord& a, const TqvrRecord& b) {
    for (auto& t : tables_) {
        KeyBytes(t->parts, a, bytes_);
        KeyBytes(t->parts, b, otherBytes_);
        if (bytes_ != otherBytes_) return false;
    }
    return true;
}

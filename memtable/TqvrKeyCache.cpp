#include "memtable/TqvrKeyCache.h"

#include "memtable/TField.h"
#include "memtable/TqvrCommon.h"

bool TqvrKeyCache::Applicable(const TqvrFieldList& list) {
    if (list.Count() == 0) return false;
    for (const auto& item : list) {
        if (!IsTextFieldType(item.field->DataType())) return false;
        if (item.options & (mtcoPartialKey | mtcoIgnoreNullKey)) return false;
    }
    return true;
}

uint32_t TqvrKeyCache::Hash(const std::vector<Part>& parts, const TqvrRecord& record) {
    buffer_.clear();
    for (const Part& p : parts) {
        std::string_view v;
        if (!record.GetValue(p.index, v)) {
            buffer_.push_back('\x00');
            continue;
        }
        buffer_.push_back('\x01');
        if (p.ignoreLocale) {
            for (char c : v) buffer_.push_back(p.caseInsensitive && c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
            buffer_.push_back('\x00');
        } else {
            common_.AppendSortKey(v, p.caseInsensitive, buffer_);
        }
    }
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : buffer_) h = (h ^ c) * 1099511628211ull;
    return static_cast<uint32_t>(h ^ (h >> 32));
}

void TqvrKeyCache::Insert(Table& t, uint32_t hash, int32_t slot) {
    if ((t.used + 1) * 10 > t.cells.size() * 6) Grow(t);
    size_t mask = t.cells.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        if (t.cells[i] == 0) {
            t.cells[i] = (static_cast<uint64_t>(hash) << 32) | static_cast<uint32_t>(slot + 1);
            ++t.used;
            ++t.live;
            return;
        }
    }
}

void TqvrKeyCache::Grow(Table& t) {
    std::vector<uint64_t> old;
    old.swap(t.cells);
    size_t cap = 64;
    while (cap * 6 < (t.live + 1) * 15) cap *= 2;
    t.cells.assign(cap, 0);
    t.used = t.live = 0;
    for (uint64_t c : old)
        if (c != 0 && c != kTombstone) Insert(t, static_cast<uint32_t>(c >> 32), static_cast<int32_t>(static_cast<uint32_t>(c)) - 1);
}

void TqvrKeyCache::Candidates(const TqvrFieldList& list, const TqvrRecord& key, std::vector<TqvrRecord*>& out) {
    out.clear();
    std::vector<Part> parts;
    for (const auto& item : list)
        parts.push_back({item.field->FieldNo() - 1, (item.options & mtcoCaseInsensitive) != 0,
                         (item.options & mtcoIgnoreLocale) != 0});
    Table* table = nullptr;
    for (auto& t : tables_)
        if (t->parts == parts) table = t.get();
    if (!table) {
        auto t = std::make_unique<Table>();
        t->parts = parts;
        t->cells.assign(64, 0);
        for (int s = 0; s < common_.SlotCount(); ++s)
            if (const TqvrRecord* r = common_.Slot(s)) Insert(*t, Hash(parts, *r), s);
        tables_.push_back(std::move(t));
        table = tables_.back().get();
    }
    uint32_t h = Hash(parts, key);
    size_t mask = table->cells.size() - 1;
    for (size_t i = h & mask; table->cells[i] != 0; i = (i + 1) & mask) {
        uint64_t c = table->cells[i];
        if (c == kTombstone || static_cast<uint32_t>(c >> 32) != h) continue;
        if (TqvrRecord* r = common_.Slot(static_cast<int32_t>(static_cast<uint32_t>(c)) - 1)) out.push_back(r);
    }
}

void TqvrKeyCache::Add(const TqvrRecord* record) {
    for (auto& t : tables_) Insert(*t, Hash(t->parts, *record), record->slot);
}

void TqvrKeyCache::Remove(const TqvrRecord* record) {
    uint64_t low = static_cast<uint32_t>(record->slot + 1);
    for (auto& t : tables_) {
        uint32_t h = Hash(t->parts, *record);
        uint64_t want = (static_cast<uint64_t>(h) << 32) | low;
        size_t mask = t->cells.size() - 1;
        for (size_t i = h & mask; t->cells[i] != 0; i = (i + 1) & mask)
            if (t->cells[i] == want) {
                t->cells[i] = kTombstone;
                --t->live;
                break;
            }
    }
}

// Record order and key lookup of the memory table: value and record comparison, the
// builds, the searches, ApplySort and the upkeep of every order on Post and Delete.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "memtable/Exceptions.h"
#include "memtable/TextRules.h"
#include "memtable/TqvrCustomMemTable.h"
#include "memtable/TqvrKeyCache.h"

namespace {

int Sign(long long v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

uint64_t Unpack64(std::string_view s) {
    uint64_t v = 0;
    for (size_t i = 0; i < 8 && i < s.size(); ++i)
        v |= static_cast<uint64_t>(static_cast<unsigned char>(s[i])) << (8 * i);
    return v;
}

double UnpackDouble(std::string_view s) {
    uint64_t u = Unpack64(s);
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}

int CompareDoubles(double a, double b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

bool ToCurrency(std::string_view text, double& out) {
    std::string t(text);
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (t.empty() || end == t.c_str() || *end || !std::isfinite(v)) return false;
    out = std::nearbyint(v * kCurrencyScale);
    return true;
}

size_t CodePoints(std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

int ComparePlain(std::string_view a, std::string_view b, bool foldLatin) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (foldLatin) {
            if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
            if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        }
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The build's sort: a median-of-three quicksort that leaves ranges of at most five
// entries alone, then one insertion sort over the whole list.
constexpr long kLeftToInsertionSort = 5;

template <class T, class Cmp> void QuickSort(std::vector<T>& a, long lo, long hi, Cmp& cmp) {
    while (hi - lo + 1 > kLeftToInsertionSort) {
        long mid = (lo + hi) / 2;
        if (cmp(a[mid], a[lo]) < 0) std::swap(a[lo], a[mid]);
        if (cmp(a[hi], a[lo]) < 0) std::swap(a[lo], a[hi]);
        if (cmp(a[hi], a[mid]) < 0) std::swap(a[mid], a[hi]);
        std::swap(a[mid], a[hi - 1]);
        T pivot = a[hi - 1];
        long i = lo, j = hi - 1;
        for (;;) {
            // A field list can ask for a one-sided comparison (partial keys, skipped
            // null keys), for which neither end of the range is sure to stop a scan;
            // the bounds keep both inside it. A consistent comparison stops at the
            // same places without them.
            do {
                ++i;
            } while (i < hi - 1 && cmp(a[i], pivot) < 0);
            do {
                --j;
            } while (j > lo && cmp(a[j], pivot) > 0);
            if (i >= j) break;
            std::swap(a[i], a[j]);
        }
        std::swap(a[i], a[hi - 1]);
        // Recurse into the smaller part so the stack stays logarithmic.
        if (i - lo < hi - i) {
            QuickSort(a, lo, i - 1, cmp);
            lo = i + 1;
        } else {
            QuickSort(a, i + 1, hi, cmp);
            hi = i - 1;
        }
    }
}

template <class T, class Cmp> void BuildSort(std::vector<T>& a, Cmp cmp) {
    if (a.size() < 2) return;
    QuickSort(a, 0, static_cast<long>(a.size()) - 1, cmp);
    for (size_t i = 1; i < a.size(); ++i) {
        T v = a[i];
        size_t j = i;
        while (j > 0 && cmp(v, a[j - 1]) < 0) {
            a[j] = a[j - 1];
            --j;
        }
        a[j] = v;
    }
}

} // namespace

// ---------------------------------------------------------------- comparison

int TqvrCustomMemTable::CompareFields(const TField& field, std::string_view key,
                                      std::string_view value, TqvrMemTableCompareOptions options,
                                      bool& fullCompare) const {
    fullCompare = true;
    int r = 0;
    TFieldType type = field.DataType();
    if (IsTextFieldType(type)) {
        if (options & mtcoPartialKey) {
            size_t keyChars = CodePoints(key);
            fullCompare = keyChars == CodePoints(value);
            value = textrules::CutText(value, static_cast<int>(std::min<size_t>(
                                                  keyChars, std::numeric_limits<int>::max())));
        }
        bool ci = (options & mtcoCaseInsensitive) != 0;
        if (options & mtcoIgnoreLocale)
            r = ComparePlain(key, value, ci);
        else
            r = common_.Collate(key, value, ci);
    } else {
        switch (type) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc:
        case ftLargeint: {
            auto a = static_cast<int64_t>(Unpack64(key)), b = static_cast<int64_t>(Unpack64(value));
            r = a < b ? -1 : a > b ? 1 : 0;
            break;
        }
        case ftBoolean:
            r = Sign(static_cast<long long>(!key.empty() && key[0]) -
                     static_cast<long long>(!value.empty() && value[0]));
            break;
        case ftFloat:
        case ftDate:
        case ftTime:
        case ftDateTime:
            r = CompareDoubles(UnpackDouble(key), UnpackDouble(value));
            break;
        case ftCurrency:
        case ftBCD: {
            auto a = static_cast<int64_t>(Unpack64(key)), b = static_cast<int64_t>(Unpack64(value));
            r = a < b ? -1 : a > b ? 1 : 0;
            break;
        }
        case ftFMTBcd: {
            double a, b;
            r = ToCurrency(key, a) && ToCurrency(value, b) ? CompareDoubles(a, b) : 0;
            break;
        }
        case ftTimeStamp:
            // Kept as its text "YYYY-MM-DD hh:mm:ss.fff", whose plain order is the order
            // of year, month, day, hour, minute, second and fraction.
            r = ComparePlain(key, value, false);
            break;
        default:
            r = 0;
            break;
        }
    }
    return (options & mtcoDescending) ? -r : r;
}

int TqvrCustomMemTable::CompareKeys(const TqvrFieldList& list, const TqvrRecord& key,
                                    const TqvrRecord& record, TqvrKeyCompareOptions options) const {
    int r = 0;
    for (const auto& item : list) {
        TqvrMemTableCompareOptions o =
            item.options | ((options & kcPartialKey) ? mtcoPartialKey : 0);
        int index = item.field->FieldNo() - 1;
        std::string_view kv, rv;
        bool kn = key.GetValue(index, kv);
        bool rn = record.GetValue(index, rv);
        if ((o & mtcoIgnoreNullKey) && !kn) continue;
        bool full = true;
        if (kn && rn)
            r = CompareFields(*item.field, kv, rv, o, full);
        else
            r = kn ? 1 : rn ? -1 : 0;
        if (r != 0 || !full) break;
    }
    if ((options & kcTieBreak) && r == 0) {
        const bool keyPlaced = key.stamp != TqvrRecord::kUnplaced;
        const bool recordPlaced = record.stamp != TqvrRecord::kUnplaced;
        if (!keyPlaced && !recordPlaced)
            r = Sign(static_cast<long long>(key.slot) - record.slot);
        else if (!keyPlaced)
            r = -1;
        else if (!recordPlaced)
            r = 1;
        if (list.Count() > 0 && (list[0].options & mtcoDescending)) r = -r;
    }
    return r;
}

// ---------------------------------------------------------------- searches

TqvrCustomMemTable::SearchResult TqvrCustomMemTable::Search(TqvrIndex& index,
                                                            const TqvrFieldList& list,
                                                            const TqvrRecord& key,
                                                            SearchFor wanted) {
    const bool nearest = wanted == kPlaceForKey;
    TqvrEntryList& e = index.Entries;
    int n = e.Count();
    if (index.InOrder && index.Sorts && n > TqvrIndex::kBinarySearchAbove) {
        int first = 0, last = n - 1;
        while (first <= last) {
            int mid = (first + last) / 2;
            int c = CompareKeys(list, key, *e.At(mid));
            if (c == 0) {
                while (mid > 0 && CompareKeys(list, key, *e.At(mid - 1)) == 0) --mid;
                return {mid, true};
            }
            if (c < 0)
                last = mid - 1;
            else
                first = mid + 1;
        }
        return {first, false};
    }
    // A nearest search places records; it compares whole values. Comparing cut values
    // here would put "A" after "ab" (cut to "a", which sorts before "A") and break the
    // order it is meant to keep.
    for (int i = 0; i < n; ++i) {
        int c = CompareKeys(list, key, *e.At(i));
        if (c == 0) return {i, true};
        if (nearest && c < 0) return {i, false};
    }
    return {-1, false};
}

int TqvrCustomMemTable::SeekPosition(const TqvrFieldList& list, const TqvrRecord& key) {
    TqvrIndex& index = *current_;
    int n = index.Entries.Count();
    bool same = index.Fields.SameFields(list);
    bool binary = same && index.InOrder && index.Sorts && n > TqvrIndex::kBinarySearchAbove;
    // When the search compares exactly as the order was sorted, the binary search finds
    // the first entry equal to the key, which is what the hash below finds too.
    bool sameComparison = binary && index.Entries.Tracks();
    for (int i = 0; sameComparison && i < list.Count(); ++i)
        sameComparison = (list[i].options & ~(mtcoUnique | mtcoNonMaintained)) ==
                         (index.Fields[i].options & ~(mtcoUnique | mtcoNonMaintained));
    if (binary && !sameComparison) {
        SearchResult r = Search(index, list, key, kEqualEntry);
        return r.found ? r.position : -1;
    }
    // Every other case is "the first entry that compares equal". On a large order the
    // hash of collation keys gives all equal records at once; the first of them in the
    // order is the answer the scan would give.
    if (n > TqvrKeyCache::kUsefulAbove && TqvrKeyCache::Applicable(list)) {
        if (!keyCache_) keyCache_ = std::make_unique<TqvrKeyCache>(common_);
        // Beyond this many records of one key, placing each in the order costs more
        // than the searches below, which then meet an equal entry early.
        constexpr size_t kMaxCandidates = 16;
        if (const std::vector<TqvrRecord*>* candidates =
                keyCache_->Candidates(list, key, kMaxCandidates)) {
            TqvrEntryList& e = index.Entries;
            int best = -1;
            if (e.Tracks()) {
                for (TqvrRecord* c : *candidates) {
                    if (CompareKeys(list, key, *c) != 0) continue;
                    int p = e.PositionOf(c);
                    if (p >= 0 && (best < 0 || p < best)) best = p;
                }
                return best;
            }
            // An order that does not track its records is walked once, by identity,
            // rather than once per candidate.
            TqvrRecord* equal[kMaxCandidates];
            size_t count = 0;
            for (TqvrRecord* c : *candidates)
                if (CompareKeys(list, key, *c) == 0) equal[count++] = c;
            for (int i = 0; count > 0 && i < n; ++i)
                if (std::find(equal, equal + count, e.At(i)) != equal + count) return i;
            return -1;
        }
        if (sameComparison) {
            // Sorted by this very comparison, the equal entries stand together; the
            // first of them is the lower bound, found without walking back over them.
            int first = LowerBound(index.Entries, list, key);
            return first < n && CompareKeys(list, key, *index.Entries.At(first)) == 0 ? first : -1;
        }
    }
    if (same || binary) {
        SearchResult r = Search(index, list, key, kEqualEntry);
        return r.found ? r.position : -1;
    }
    for (int i = 0; i < n; ++i)
        if (CompareKeys(list, key, *index.Entries.At(i)) == 0) return i;
    return -1;
}

int TqvrCustomMemTable::LowerBound(const TqvrEntryList& entries, const TqvrFieldList& list,
                                   const TqvrRecord& key) const {
    int first = 0, last = entries.Count();
    while (first < last) {
        int mid = (first + last) / 2;
        if (CompareKeys(list, key, *entries.At(mid)) > 0)
            first = mid + 1;
        else
            last = mid;
    }
    return first;
}

int TqvrCustomMemTable::FindEntry(TqvrIndex& index, const TqvrRecord* record) {
    if (!record) return -1;
    TqvrEntryList& e = index.Entries;
    if (e.Tracks()) return e.PositionOf(record);
    if (index.Sorts && index.InOrder && index.Fields.Count() > 0) {
        // The record stands among the entries equal to it.
        for (int i = LowerBound(e, index.Fields, *record); i < e.Count(); ++i) {
            if (e.At(i) == record) return i;
            if (CompareKeys(index.Fields, *record, *e.At(i)) != 0) break;
        }
    }
    return e.PositionOf(record);
}

// ---------------------------------------------------------------- upkeep

void TqvrCustomMemTable::CheckUnique(const TqvrRecord& record, const TqvrRecord* self) {
    for (auto& ptr : indexes_) {
        TqvrIndex& index = *ptr;
        if (!index.Unique() || !index.Maintained()) continue;
        TqvrEntryList& e = index.Entries;
        if (index.InOrder && index.Sorts) {
            SearchResult r = Search(index, index.Fields, record, kEqualEntry);
            if (r.found)
                for (int i = r.position; i < e.Count(); ++i) {
                    const TqvrRecord* other = e.At(i);
                    if (CompareKeys(index.Fields, record, *other) != 0) break;
                    if (other != self) RaiseMemTableDupKey();
                }
        } else {
            for (int i = 0; i < e.Count(); ++i) {
                const TqvrRecord* other = e.At(i);
                if (other != self && CompareKeys(index.Fields, record, *other) == 0)
                    RaiseMemTableDupKey();
            }
        }
    }
}

void TqvrCustomMemTable::UpkeepInsert(TqvrRecord* stored) {
    // The record is in the store already and in no order yet.
    assert(common_.Slot(stored->slot) == stored);
    // Sorted orders first: they compare, and a failing comparison must leave the row
    // order untouched too.
    std::vector<TqvrIndex*> order;
    for (auto& i : indexes_)
        if (i->Sorts) order.push_back(i.get());
    order.push_back(&indexes_.RowOrder());
    for (TqvrIndex* index : order) {
        if (!index->Maintained() || !enableIndexes_) {
            index->InOrder = false;
            continue;
        }
        TqvrEntryList& e = index->Entries;
        int p;
        if (!index->Sorts) {
            if (index == current_)
                p = insertPlace_ == -1 ? e.Count() : std::max(insertPlace_ - 1, 0);
            else
                p = e.Count();
        } else if (e.Empty()) {
            p = 0;
        } else {
            SearchResult r = Search(*index, index->Fields, *stored, kPlaceForKey);
            p = r.position < 0 ? e.Count() : r.position;
        }
        p = std::min(p, e.Count());
        e.Insert(p, stored);
        index->InOrder = true;
        if (index == current_) stored->stamp = p;
    }
}

TqvrRecord* TqvrCustomMemTable::PostEdit(TqvrRecord* stored) {
    // Post calls this in tsEdit: the edit copy exists and `stored` is the record it
    // was copied from, still in its slot.
    assert(editCopy_ && stored && stored->slot == editCopy_->slot);
    struct Plan {
        TqvrIndex* index;
        int position;
        bool move;
    };
    bool sameSize = stored->length == editCopy_->length;
    std::vector<Plan> plans;
    // Every comparison first, so that a failure changes nothing.
    for (auto& ptr : indexes_) {
        TqvrIndex* index = ptr.get();
        bool upkeep = index->Maintained() && enableIndexes_;
        bool move = upkeep && index->Sorts && CompareKeys(index->Fields, *stored, *editCopy_) != 0;
        int position = -1;
        if (move || !sameSize || index == current_)
            position = index == current_ && InRange(cursor_) && StoredAt(cursor_) == stored
                           ? cursor_
                           : FindEntry(*index, stored);
        plans.push_back({index, position, move});
    }
    // The hash tables go by slot, which an edit keeps; only a changed key moves them.
    const bool rehash = keyCache_ && !keyCache_->SameKeys(*stored, *editCopy_);
    if (rehash) keyCache_->Remove(stored);
    TqvrRecord* now = stored;
    if (sameSize) {
        std::memcpy(stored->Data(), editCopy_->Data(), stored->length);
        stored->status = editCopy_->status;
    } else {
        now = TqvrRecord::Clone(*editCopy_);
        now->slot = stored->slot;
        now->serial = stored->serial;
        now->flags = stored->flags;
        now->rowBlock = now->sortBlock = TqvrRecord::kNoBlock;
        common_.Replace(stored, now);
        for (Plan& p : plans)
            if (p.position >= 0) p.index->Entries.Set(p.position, now);
        TqvrRecord::Destroy(stored);
    }
    now->stamp = editCopy_->stamp;
    for (Plan& p : plans) {
        TqvrIndex* index = p.index;
        if (!index->Maintained() || !enableIndexes_) {
            index->InOrder = false;
            continue;
        }
        index->InOrder = true;
        int position = p.position;
        if (p.move && position >= 0) {
            index->Entries.Erase(position);
            if (index->Entries.Empty()) {
                position = 0;
            } else {
                SearchResult r = Search(*index, index->Fields, *now, kPlaceForKey);
                position = r.position < 0 ? index->Entries.Count() : r.position;
            }
            index->Entries.Insert(position, now);
        }
        if (index == current_ && position >= 0) now->stamp = position;
    }
    if (rehash) keyCache_->Add(now);
    return now;
}

void TqvrCustomMemTable::UpkeepDelete(TqvrRecord* stored) {
    for (auto& ptr : indexes_) {
        TqvrIndex& index = *ptr;
        int p = &index == current_ && InRange(cursor_) && StoredAt(cursor_) == stored
                    ? cursor_
                    : FindEntry(index, stored);
        if (p >= 0) index.Entries.Erase(p);
    }
}

// ---------------------------------------------------------------- builds

void TqvrCustomMemTable::SortOrder(TqvrIndex& index, std::vector<TqvrRecord*>& entries) {
    const TqvrFieldList& list = index.Fields;
    bool fast = list.Count() > 0;
    for (const auto& item : list)
        if (!IsTextFieldType(item.field->DataType()) ||
            (item.options & (mtcoPartialKey | mtcoIgnoreNullKey)))
            fast = false;
    if (!fast) {
        auto cmp = [&](const TqvrRecord* a, const TqvrRecord* b) {
            return CompareKeys(list, *a, *b, kcTieBreak);
        };
        BuildSort(entries, cmp);
        return;
    }
    // Text keys: compare sort keys (bytes) instead of collating each pair. Each field
    // contributes a null marker (null sorts first, also when descending) and its key,
    // which compares as Collate does, inverted for a descending field; the tie-break of
    // the stamps and slot numbers follows as the last criterion.
    bool firstDescending = (list[0].options & mtcoDescending) != 0;
    struct Item {
        uint64_t prefix; // the key's first eight bytes, big-endian: most pairs differ there
        uint32_t offset;
        uint32_t length;
        int64_t tie;
        TqvrRecord* record;
    };
    std::string arena;
    std::vector<Item> items;
    items.reserve(entries.size());
    std::string key;
    for (TqvrRecord* r : entries) {
        key.clear();
        for (const auto& item : list) {
            std::string_view v;
            if (!r->GetValue(item.field->FieldNo() - 1, v)) {
                key.push_back('\x00');
                continue;
            }
            key.push_back('\x01');
            size_t from = key.size();
            bool ci = (item.options & mtcoCaseInsensitive) != 0;
            if (item.options & mtcoIgnoreLocale) {
                for (char c : v)
                    key.push_back(ci && c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
                key.push_back('\x00');
            } else {
                common_.AppendSortKey(v, ci, key);
            }
            if (item.options & mtcoDescending)
                for (size_t i = from; i < key.size(); ++i)
                    key[i] = static_cast<char>(0xFF - static_cast<unsigned char>(key[i]));
        }
        // Records never placed come first, by slot number; placed ones after.
        constexpr int64_t kPlacedAfter = int64_t{1} << 40; // above every slot number
        int64_t tie = r->stamp == TqvrRecord::kUnplaced ? r->slot : kPlacedAfter + r->slot;
        if (firstDescending) tie = -tie;
        uint64_t prefix = 0;
        for (size_t i = 0; i < 8; ++i)
            prefix = (prefix << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
        items.push_back({prefix, static_cast<uint32_t>(arena.size()),
                         static_cast<uint32_t>(key.size()), tie, r});
        arena += key;
    }
    const char* base = arena.data();
    auto cmp = [base](const Item& a, const Item& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
        int c = std::memcmp(base + a.offset, base + b.offset, std::min(a.length, b.length));
        if (c != 0) return c < 0 ? -1 : 1;
        if (a.length != b.length) return a.length < b.length ? -1 : 1;
        return a.tie < b.tie ? -1 : a.tie > b.tie ? 1 : 0;
    };
    BuildSort(items, cmp);
    for (size_t i = 0; i < items.size(); ++i) entries[i] = items[i].record;
}

void TqvrCustomMemTable::BuildIndex(TqvrIndex& index) {
    std::lock_guard lock(common_.Lock());
    if (Active()) {
        std::vector<TqvrRecord*> entries;
        entries.reserve(static_cast<size_t>(common_.RecordCount()));
        bool hideDeleted = common_.DeletedCount() > 0;
        for (int s = 0; s < common_.SlotCount(); ++s) {
            TqvrRecord* r = common_.Slot(s);
            if (r && !(hideDeleted && r->status == rsDeleted)) entries.push_back(r);
        }
        index.InOrder = false;
        if (index.Sorts && !entries.empty()) SortOrder(index, entries);
        if (index.Unique())
            for (size_t i = 1; i < entries.size(); ++i)
                if (CompareKeys(index.Fields, *entries[i - 1], *entries[i]) == 0)
                    RaiseMemTableDupKey();
        index.Entries.Assign(entries);
    }
    index.InOrder = true;
    if (&index == current_ && cursor_ >= index.Entries.Count()) cursor_ = index.Entries.Count() - 1;
}

std::unique_ptr<TqvrIndex> TqvrCustomMemTable::MakeIndexFromDef(const TIndexDef& def) {
    TqvrMemTableCompareOptions o = 0;
    if (def.Options & ixUnique) o |= mtcoUnique;
    if (def.Options & ixDescending) o |= mtcoDescending;
    if (def.Options & ixCaseInsensitive) o |= mtcoCaseInsensitive;
    if (def.Options & ixNonMaintained) o |= mtcoNonMaintained;
    auto index = std::make_unique<TqvrIndex>(def.Name, def.Fields, o, TqvrIndex::kDefined);
    index->Fields.Build(*this, def.Fields);
    index->Fields.AddOptions(o);
    return index;
}

void TqvrCustomMemTable::ClearOrders() {
    std::lock_guard lock(common_.Lock());
    for (auto& index : indexes_) index->Entries.Clear();
    indexes_.DropAllButRowOrder();
    current_ = &indexes_.RowOrder();
    current_->InOrder = false;
    indexName_.clear();
    indexFieldNames_.clear();
    cursor_ = -1;
}

void TqvrCustomMemTable::RebuildOrdersFromIndexDefs() {
    std::lock_guard lock(common_.Lock());
    std::vector<TqvrIndex*> old;
    for (auto& i : indexes_)
        if (!i->Internal) old.push_back(i.get());
    for (TqvrIndex* i : old) {
        if (current_ == i) {
            current_ = &indexes_.RowOrder();
            indexName_.clear();
            indexFieldNames_.clear();
        }
        DropOrder(i);
    }
    for (const TIndexDef& def : indexDefs_) AddBuiltOrder(MakeIndexFromDef(def));
}

void TqvrCustomMemTable::DropOrder(TqvrIndex* index) {
    index->Entries.Clear();
    indexes_.Remove(index);
}

TqvrIndex& TqvrCustomMemTable::AddBuiltOrder(std::unique_ptr<TqvrIndex> made) {
    TqvrIndex& index = indexes_.Add(std::move(made));
    try {
        BuildIndex(index);
    } catch (...) {
        // An order that could not be built is not kept half made: it would list only
        // some records, or none, and later builds would fail again.
        DropOrder(&index);
        throw;
    }
    return index;
}

void TqvrCustomMemTable::RebuildOrders() {
    std::lock_guard lock(common_.Lock());
    for (auto& i : indexes_) i->InOrder = false;
    for (auto& i : indexes_) BuildIndex(*i);
}

// ---------------------------------------------------------------- sorting and switching

void TqvrCustomMemTable::ApplySort() {
    if (!Active()) return;
    CheckBrowseMode();
    std::lock_guard lock(common_.Lock());
    if (TqvrIndex* old = indexes_.Find(TqvrIndexes::kDefaultSortName)) {
        if (current_ == old) {
            TqvrRecord* shown = InRange(cursor_) ? StoredAt(cursor_) : nullptr;
            current_ = &indexes_.RowOrder();
            cursor_ = shown ? FindEntry(*current_, shown) : -1;
        }
        DropOrder(old);
    }
    if (TqvrFieldList::IsBlank(sortFields_)) {
        SwitchToIndex(&indexes_.RowOrder(), false);
        return;
    }
    auto made =
        std::make_unique<TqvrIndex>(TqvrIndexes::kDefaultSortName, sortFields_, sortOptions_,
                                    TqvrIndex::kDefaultSort, TqvrEntryList::kTrackSort);
    made->Fields.Build(*this, sortFields_);
    made->Fields.AddOptions(sortOptions_);
    SwitchToIndex(&AddBuiltOrder(std::move(made)), false);
}

void TqvrCustomMemTable::SwitchToIndex(TqvrIndex* index, bool leaveEditState) {
    if (index == current_) return;
    try {
        if (leaveEditState) CheckBrowseMode();
        TqvrRecord* shown = InRange(cursor_) ? StoredAt(cursor_) : nullptr;
        current_ = index;
        if (index->Internal) {
            indexName_.clear();
            indexFieldNames_.clear();
        } else {
            indexName_ = index->Name;
            indexFieldNames_ = index->FieldsText;
        }
        int n = index->Entries.Count();
        if (cursor_ >= n) cursor_ = n - 1;
        if (Active() && cursor_ >= 0) {
            int p = FindEntry(*index, shown);
            if (p >= 0) {
                cursor_ = p;
                Refresh();
            } else {
                GoFirst();
                Refresh();
            }
        } else if (Active()) {
            Refresh();
        }
    } catch (...) {
        Close();
        throw;
    }
}

// ---------------------------------------------------------------- verification

bool TqvrIndex::Verify(const TqvrCustomMemTable& table, std::string* why) const {
    auto fail = [why](std::string text) {
        if (why) *why = std::move(text);
        return false;
    };
    std::vector<TqvrRecord*> v = Entries.ToVector();
    std::vector<const TqvrRecord*> seen(v.begin(), v.end());
    std::sort(seen.begin(), seen.end());
    if (std::adjacent_find(seen.begin(), seen.end()) != seen.end())
        return fail(Name + ": a record is listed twice");
    for (size_t i = 0; i < v.size(); ++i) {
        const TqvrRecord* r = v[i];
        if (!(r->flags & TqvrRecord::kStored) || table.StoredRecord(r->slot) != r)
            return fail(Name + ": entry " + std::to_string(i) + " is not a stored record");
        if (Entries.Tracks() && Entries.PositionOf(r) != static_cast<int>(i))
            return fail(Name + ": entry " + std::to_string(i) + " is not found at its position");
    }
    if (Sorts && InOrder) {
        for (size_t i = 1; i < v.size(); ++i) {
            int c = table.CompareKeys(Fields, *v[i - 1], *v[i]);
            // A one-sided comparison (partial keys, skipped null keys) can call each of
            // two records greater than the other; no order satisfies both, so a pair is
            // out of order only when the comparison agrees both ways. For any other
            // comparison the second call only confirms the first.
            if (c > 0 && table.CompareKeys(Fields, *v[i], *v[i - 1]) < 0)
                return fail(Name + ": entries " + std::to_string(i - 1) + " and " +
                            std::to_string(i) + " are out of order");
            if (c == 0 && Unique()) return fail(Name + ": equal keys in a unique order");
        }
    }
    return true;
}

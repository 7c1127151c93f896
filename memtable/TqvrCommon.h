// The record store of one table: the slot list (a deleted record leaves an empty slot),
// the stack of freed slot numbers, the slot and serial counters, the data identifier
// that invalidates old bookmarks when the store is emptied, the auto-increment counter,
// the compare locale with its collators (opened once per locale and strength), and the
// re-entrant lock. The store keeps records in no order of its own.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "memtable/TqvrRecord.h"

struct UCollator;

class TqvrCommon {
public:
    static constexpr uint32_t kSerialLimit = 2147483599u;
    /// The locale numbers that stand for "whatever the user's (or system's) locale is";
    /// both take the locale from the environment.
    static constexpr int kUserDefaultLocale = 1024;
    static constexpr int kSystemDefaultLocale = 2048;

    TqvrCommon();
    ~TqvrCommon();
    TqvrCommon(const TqvrCommon&) = delete;
    TqvrCommon& operator=(const TqvrCommon&) = delete;

    // Records.
    int SlotCount() const { return static_cast<int>(slots_.size()); }
    TqvrRecord* Slot(int slot) const {
        return slot >= 0 && static_cast<size_t>(slot) < slots_.size()
                   ? slots_[static_cast<size_t>(slot)]
                   : nullptr;
    }
    int RecordCount() const { return recordCount_; }
    /// Stores `record` (taking ownership) in a freed slot when `reuseFreed` and one exists,
    /// else in the next slot; gives it the next serial. Returns whether a new slot was used.
    bool Store(TqvrRecord* record, bool reuseFreed);
    /// Puts a different object in the record's slot (the record was reallocated).
    void Replace(TqvrRecord* old, TqvrRecord* now);
    /// Removes the record from its slot, frees it, and pushes its slot number.
    void Free(TqvrRecord* record);
    /// Frees every record, resets the counters and draws a new data identifier.
    void Empty();
    void Reserve(size_t records) { slots_.reserve(records); }
    size_t SlotCapacity() const { return slots_.capacity(); }
    uint32_t NextSerial() const { return nextSerial_; }
    int32_t DataId() const { return dataId_; }

    // Earlier versions of loaded records (record versioning is otherwise off).
    void LinkEarlierVersion(TqvrRecord* record, TqvrRecord* earlier);
    TqvrRecord* EarlierVersion(const TqvrRecord* record) const;
    int DeletedCount() const { return deletedCount_; }
    void CountDeleted() { ++deletedCount_; }

    // Auto-increment counter.
    int64_t AutoInc() const { return autoInc_; }
    void SetAutoInc(int64_t v) { autoInc_ = v; }

    // Locale. Setting any part recomputes the others.
    int LocaleID() const { return localeId_; }
    void SetLocaleID(int id);
    int LanguageID() const { return languageId_; }
    void SetLanguageID(int v);
    int SubLanguageID() const { return subLanguageId_; }
    void SetSubLanguageID(int v);
    int SortID() const { return sortId_; }
    void SetSortID(int v);
    /// The ICU locale name LocaleID stands for (the default locales: the one from the
    /// environment; "" for the root collation). False when not mappable.
    bool CollationLocaleName(std::string& out) const;
    /// Collates two UTF-8 texts: -1, 0, 1. Tertiary strength, or secondary when
    /// caseInsensitive; the collator's ties go by the bytes (folded when
    /// caseInsensitive), so only byte-equal texts, or under caseInsensitive texts
    /// equal after case folding, are equal. EMemTableInvalidLocale when the locale
    /// cannot be opened.
    int Collate(std::string_view a, std::string_view b, bool caseInsensitive) const;
    /// Appends a key of the text whose bytes compare as Collate compares texts: the
    /// collation sort key, then the bytes that break its ties, each ending in a zero
    /// byte.
    void AppendSortKey(std::string_view text, bool caseInsensitive, std::string& out);

    std::recursive_mutex& Lock() { return lock_; }

private:
    UCollator* Collator(bool caseInsensitive) const;
    void DropCollators();
    void NewDataId();

    std::vector<TqvrRecord*> slots_;
    std::vector<int32_t> freeSlots_;
    int recordCount_ = 0;
    uint32_t nextSerial_ = 0;
    int32_t dataId_ = 0;
    int64_t autoInc_ = -1;
    int deletedCount_ = 0;
    std::unordered_map<const TqvrRecord*, TqvrRecord*> earlier_;
    int localeId_ = kUserDefaultLocale;
    int languageId_ = 0;
    int subLanguageId_ = 1;
    int sortId_ = 0;
    // Opened on first use and kept: a cache, so comparing texts changes nothing a
    // caller can see.
    mutable UCollator* collators_[2] = {nullptr, nullptr};
    std::u16string scratchText_; // AppendSortKey's UTF-16 copy of the text, reused
    std::recursive_mutex lock_;
};

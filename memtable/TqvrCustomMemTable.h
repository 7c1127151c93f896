// The memory table: a table of named, typed fields kept wholly in memory, with a cursor
// over its current order, the edit cycle (Insert, Edit, Post, Cancel, Delete), navigation,
// before/after events, notifications to bound controls, key search, sorting, and the
// access the table-stream loader needs. Records live from the Post or load that stores
// them to the Delete or Close that frees them.
//
// What the cursor sees is the current order: the row order (insertion places) after
// Open, the default sort order after ApplySort. Every Post keeps every maintained order
// in key order in place; only builds sort. Key searches give exactly the position the
// order's own search rules give (sequential in the row order, binary over 20 entries in
// a sorted order); a hash of collation keys only makes them fast.
//
// Cursor: an index into the current order; -1 before the first record, the record count
// after the last. All calls come from one thread; the store lock is re-entrant.
#pragma once

#include <cassert>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "memtable/TDataSet.h"
#include "memtable/TIndexDefs.h"
#include "memtable/TKeyValue.h"
#include "memtable/TqvrBookmark.h"
#include "memtable/TqvrCommon.h"
#include "memtable/TqvrIndexes.h"

class TStream;
class TqvrCustomStreamFormat;
class TqvrKeyCache;

enum TSeekOption : unsigned { soCaseInsensitive = 1, soPartialKey = 2 };
using TSeekOptions = unsigned;

/// How CompareKeys compares two records. With neither option it compares whole values
/// and calls records with equal keys equal.
enum TqvrKeyCompareOption : unsigned {
    kcPartialKey = 1, // every field compares as with mtcoPartialKey
    kcTieBreak = 2,   // equal keys are told apart by the records' stamps and slots
};
using TqvrKeyCompareOptions = unsigned;

class TqvrCustomMemTable : public TDataSet {
public:
    explicit TqvrCustomMemTable(std::string name = {});
    ~TqvrCustomMemTable() override;

    // ---- Opening and closing ----
    void Open() override;
    void Close() override;

    // ---- Edit cycle ----
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();

    // ---- Navigation ----
    void GoFirst();
    void GoLast();
    /// Moves by `distance` records; returns the signed number moved.
    int StepBy(int distance);
    /// 1-based position of the current record in the current order; -1 when none.
    int RecordNumber() const;
    void SetRecordNumber(int n);
    /// Records in the current order. EDatabaseError on a closed table.
    int RecordTotal() const;
    bool AtStart() const { return atStart_; }
    bool AtEnd() const { return atEnd_; }
    bool NoCurrentRecord() const;
    bool Modifiable() const { return !readOnly_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }

    // ---- Bookmarks ----
    TqvrBookmark KeepBookmark() const;
    void ReturnToBookmark(const TqvrBookmark& bookmark);
    bool IsBookmarkValid(const TqvrBookmark& bookmark) const;

    // ---- Key search and sorting ----
    /// Makes the first record whose key fields equal the key current; false (cursor
    /// unchanged) when there is none.
    bool SeekKey(std::string_view keyFields, const TKeyValue& value, TSeekOptions options = 0);
    void ApplySort();
    const std::string& SortFields() const { return sortFields_; }
    void SetSortFields(std::string text) { sortFields_ = std::move(text); }
    TqvrMemTableCompareOptions SortOptions() const { return sortOptions_; }
    void SetSortOptions(TqvrMemTableCompareOptions o) { sortOptions_ = o; }
    void Refresh();

    // ---- Locale ----
    int LocaleID() const { return common_.LocaleID(); }
    void SetLocaleID(int id);
    int LanguageID() const { return common_.LanguageID(); }
    void SetLanguageID(int v);
    int SubLanguageID() const { return common_.SubLanguageID(); }
    void SetSubLanguageID(int v);
    int SortID() const { return common_.SortID(); }
    void SetSortID(int v);

    // ---- Orders ----
    TIndexDefs& IndexDefs() { return indexDefs_; }
    const TIndexDefs& IndexDefs() const { return indexDefs_; }
    const TqvrIndexes& Indexes() const { return indexes_; }
    TqvrIndex& CurrentIndex() const { return *current_; }
    /// Name and field list of the current order when it is not internal; else empty.
    const std::string& IndexName() const { return indexName_; }
    const std::string& IndexFieldNames() const { return indexFieldNames_; }
    /// Compares two records over a field list: -1, 0 or 1, a null before any value.
    int CompareKeys(const TqvrFieldList& list, const TqvrRecord& key, const TqvrRecord& record,
                    TqvrKeyCompareOptions options = 0) const;
    /// Compares two non-null values of one field; sets fullCompare (partial keys).
    int CompareFields(const TField& field, std::string_view key, std::string_view value,
                      TqvrMemTableCompareOptions options, bool& fullCompare) const;

    // ---- Read access by position (moves neither the cursor nor any event) ----
    /// Text of `field` in the record at 0-based `position` of the current order; empty
    /// when closed, out of range or null.
    std::string FieldTextAt(int position, const TField& field) const;
    bool FieldIsNullAt(int position, const TField& field) const;
    /// 0-based cursor position of the current record; -1 when none is shown.
    int CurrentPosition() const;

    // ---- Loading from a table stream (implemented with the stream format) ----
    void LoadFromStreamUsingFormat(TStream& stream, TqvrCustomStreamFormat* format);
    void LoadFromFileUsingFormat(const std::string& path, TqvrCustomStreamFormat* format);

    // ---- Loader access: used by the stream loader only ----
    // A load runs: SuspendNotifications, LockStore, SetPersistent(false),
    // SetEnableIndexes(false), SetLoading(true); Close / FieldDefs().Clear() /
    // DestroyFields() / FieldDefs().Add / CreateFieldFromDef for each definition;
    // ClearOrders, IndexDefs().Clear()/Add; Open; BeginLoadInsert, ResetAutoInc,
    // ReserveRecords; per record NewLoadRecord (write target; field writes go into it),
    // SetLoadRecordStatus, NewEarlierVersion for each older version, AppendLoadedRecord;
    // EndLoadInsert; RebuildOrdersFromIndexDefs; restore switches; RebuildOrders;
    // UnlockStore; ResumeNotifications; Refresh.
    void LockStore() {
        common_.Lock().lock();
        ++storeLocks_;
    }
    void UnlockStore() {
        // Each UnlockStore ends a LockStore of the same thread.
        assert(storeLocks_ > 0);
        --storeLocks_;
        common_.Lock().unlock();
    }
    /// Whether a LockStore is still waiting for its UnlockStore.
    bool StoreLocked() const { return storeLocks_ > 0; }
    /// While set, field writes skip the read-only checks and auto-increment fields are
    /// not filled in.
    void SetLoading(bool v) { loading_ = v; }
    bool Loading() const { return loading_; }
    bool Persistent() const { return persistent_; }
    void SetPersistent(bool v) { persistent_ = v; }
    /// False stops order upkeep on inserts and edits (orders are only marked stale).
    bool EnableIndexes() const { return enableIndexes_; }
    void SetEnableIndexes(bool v) { enableIndexes_ = v; }
    int64_t AutoIncMinValue() const { return autoIncMinValue_; }
    void SetAutoIncMinValue(int64_t v) { autoIncMinValue_ = v; }
    /// Counter := AutoIncMinValue - 1.
    void ResetAutoInc() { common_.SetAutoInc(autoIncMinValue_ - 1); }
    /// Counter := max(counter, value).
    void RaiseAutoInc(int64_t value);
    int64_t AutoIncCounter() const { return common_.AutoInc(); }
    /// Frees every field object, persistent ones included. Table closed.
    void DestroyFields();
    /// Makes a field object of the type's class for the definition, owned by the table.
    TField& CreateFieldFromDef(const TFieldDef& def);
    /// Drops every order but the row order (which becomes current) and empties it.
    void ClearOrders();
    /// Replaces the non-internal orders by one order per index definition (built).
    void RebuildOrdersFromIndexDefs();
    /// Marks every order stale and rebuilds it from the store.
    void RebuildOrders();
    /// Enters the temporary insert state without events or notifications.
    void BeginLoadInsert();
    /// Leaves it (discarding an unfinished record) and returns to tsBrowse.
    void EndLoadInsert();
    /// Takes a fresh record (every value null) and makes it the write target.
    void NewLoadRecord();
    /// Status of the current write target (a TqvrRecordStatus, or any byte a stream gave).
    void SetLoadRecordStatus(int status);
    /// Takes another fresh record, links it as the earlier version of the write target
    /// and makes it the write target.
    void NewEarlierVersion();
    /// Stores the record taken by NewLoadRecord: next slot and serial, stamp kUnplaced,
    /// no events, no notifications, no order upkeep. A record of status rsDeleted counts
    /// as deleted.
    void AppendLoadedRecord();
    /// Room in the slot list for `n` more records.
    void ReserveRecords(size_t n) { common_.Reserve(static_cast<size_t>(common_.SlotCount()) + n); }
    /// Room the slot list has, in records, without growing.
    size_t ReservedRecords() const { return common_.SlotCapacity(); }
    /// Bytes of one record's value slots as laid out by the classic fixed layout (null
    /// byte plus value bytes per field), at most 2^62; 0 when closed. Only an estimate
    /// for sizing.
    int64_t RecordSize() const;
    /// Stored records, hidden deleted ones included.
    int StoredRecordCount() const { return common_.RecordCount(); }
    int DeletedRecordCount() const { return common_.DeletedCount(); }
    const TqvrCommon& Common() const { return common_; }
    TqvrCommon& Common() { return common_; }
    /// The stored record at a slot (tests and the loader's checks); nullptr when empty.
    const TqvrRecord* StoredRecord(int slot) const { return common_.Slot(slot); }
    /// The earlier version linked to a stored record, if any.
    const TqvrRecord* EarlierVersionOf(const TqvrRecord* record) const {
        return common_.EarlierVersion(record);
    }

    // ---- Dataset value access ----
    bool GetFieldData(const TField& field, std::string& out) const override;
    void SetFieldData(TField& field, const std::string_view* bytes) override;

private:
    // helpers implemented in the .cpp files
    friend class TqvrKeyCache;
    void CheckActive() const;
    void CheckBrowseMode();
    void RaiseBeforeScroll() { Fire(BeforeScroll); }
    void RaiseAfterScroll() { Fire(AfterScroll); }
    const TqvrRecord* ActiveRecord() const;
    void Resync();
    void ResyncExact();
    void InternalCancel();
    /// Raises the auto-increment counter to the edit copy's value in the table's first
    /// ftAutoInc field, when that value is larger.
    void RaiseAutoIncToEditCopy();
    void BuildIndex(TqvrIndex& index);
    /// Adds the order and builds it; an order whose build fails is dropped again.
    TqvrIndex& AddBuiltOrder(std::unique_ptr<TqvrIndex> made);
    /// Empties an order other than the row order (its records forget their places in
    /// it) and frees it.
    void DropOrder(TqvrIndex* index);
    void SwitchToIndex(TqvrIndex* index, bool leaveEditState = true);
    int SeekPosition(const TqvrFieldList& list, const TqvrRecord& key);
    int FindEntry(TqvrIndex& index, const TqvrRecord* record);
    /// First position in `entries`, sorted by `list`, whose entry does not sort before
    /// `key`; the count when every entry does.
    int LowerBound(const TqvrEntryList& entries, const TqvrFieldList& list,
                   const TqvrRecord& key) const;
    void UpkeepInsert(TqvrRecord* stored);
    TqvrRecord* PostEdit(TqvrRecord* stored);
    void UpkeepDelete(TqvrRecord* stored);
    void CheckUnique(const TqvrRecord& record, const TqvrRecord* self);
    void SortOrder(TqvrIndex& index, std::vector<TqvrRecord*>& entries);
    void EmptyStore();
    void DropEditCopy();
    void DropLoadRecords();
    void SetWriteTarget(TqvrRecord* r);
    TqvrRecord* StoredAt(int position) const {
        // Callers ask for a position they checked with InRange.
        assert(InRange(position));
        return current_->Entries.At(position);
    }
    bool InRange(int position) const {
        return position >= 0 && position < current_->Entries.Count();
    }
    struct SearchResult {
        int position;
        bool found;
    };
    /// What a search of an order looks for: an entry equal to the key, or the place
    /// where a record with that key goes (the first entry that sorts after it).
    enum SearchFor { kEqualEntry, kPlaceForKey };
    SearchResult Search(TqvrIndex& index, const TqvrFieldList& list, const TqvrRecord& key,
                        SearchFor wanted);
    std::unique_ptr<TqvrIndex> MakeIndexFromDef(const TIndexDef& def);

    TqvrCommon common_;
    TqvrIndexes indexes_;
    TqvrIndex* current_ = nullptr;
    TIndexDefs indexDefs_;
    std::unique_ptr<TqvrKeyCache> keyCache_;
    int cursor_ = -1;
    bool atStart_ = true;
    bool atEnd_ = true;
    TqvrRecord* editCopy_ = nullptr;     // tsEdit / tsInsert
    TqvrRecord* writeTarget_ = nullptr;  // load insert state, or a scratch key record
    std::vector<TqvrRecord*> loadChain_; // the loaded record and its earlier versions
    bool scratchWrite_ = false;
    mutable const TqvrRecord* readOverride_ = nullptr;
    int layoutCount_ = 0;
    int insertPlace_ = -1;
    bool readOnly_ = false;
    bool loading_ = false;
    int storeLocks_ = 0; // LockStore calls not yet matched by UnlockStore
    bool persistent_ = false;
    bool enableIndexes_ = true;
    int64_t autoIncMinValue_ = 1;
    std::string sortFields_;
    TqvrMemTableCompareOptions sortOptions_ = 0;
    std::string indexName_;
    std::string indexFieldNames_;
};

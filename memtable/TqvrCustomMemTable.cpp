#include "memtable/TqvrCustomMemTable.h"

#include <algorithm>
#include <cassert>

#include "memtable/Exceptions.h"
#include "memtable/TStringField.h"
#include "memtable/TqvrKeyCache.h"

namespace {

struct RecordDeleter {
    void operator()(TqvrRecord* r) const { TqvrRecord::Destroy(r); }
};
using RecordPtr = std::unique_ptr<TqvrRecord, RecordDeleter>;

// Value bytes of each type in the classic fixed record layout; only used to estimate
// how many records a stream of a given size holds. A size comes from the stream and may
// be anything an int holds: the sum is taken wide, and a negative size counts as none.
int64_t ClassicValueBytes(const TField& f) {
    const int64_t size = std::max(f.Size(), 0);
    switch (f.DataType()) {
    case ftString:
    case ftFixedChar:
        return size + 1;
    case ftSmallint:
    case ftWord:
    case ftBoolean:
        return 2;
    case ftInteger:
    case ftAutoInc:
    case ftDate:
    case ftTime:
        return 4;
    case ftFloat:
    case ftCurrency:
    case ftDateTime:
    case ftLargeint:
        return 8;
    case ftTimeStamp:
        return 16;
    case ftBCD:
    case ftFMTBcd:
        return 34;
    case ftBytes:
        return size;
    case ftVarBytes:
        return size + 2;
    default:
        return 8; // a reference to an out-of-line copy
    }
}

} // namespace

TqvrCustomMemTable::TqvrCustomMemTable(std::string name) : TDataSet(std::move(name)) {
    current_ = &indexes_.RowOrder();
}

TqvrCustomMemTable::~TqvrCustomMemTable() {
    DropEditCopy();
    DropLoadRecords();
    for (auto& index : indexes_) index->Entries.Clear();
    keyCache_.reset();
    common_.Empty();
}

void TqvrCustomMemTable::SetLocaleID(int id) {
    common_.SetLocaleID(id);
    keyCache_.reset();
}
void TqvrCustomMemTable::SetLanguageID(int v) {
    common_.SetLanguageID(v);
    keyCache_.reset();
}
void TqvrCustomMemTable::SetSubLanguageID(int v) {
    common_.SetSubLanguageID(v);
    keyCache_.reset();
}
void TqvrCustomMemTable::SetSortID(int v) {
    common_.SetSortID(v);
    keyCache_.reset();
}

// ---------------------------------------------------------------- open / close

void TqvrCustomMemTable::Open() {
    if (Active()) return;
    Fire(BeforeOpen);
    bool created = false;
    if (fields_.empty()) {
        if (FieldDefs().Count() == 0) RaiseMemTableError("There must be at least one field");
    } else {
        FieldDefs().Clear();
        for (const auto& f : fields_)
            if (f->FieldKind() == fkData || f->FieldKind() == fkInternalCalc)
                FieldDefs().Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
    }
    for (const TFieldDef& def : FieldDefs())
        if (!IsAcceptedFieldType(def.DataType))
            RaiseMemTableError("Fielddef " + def.Name + " (" + def.Name + ")" + " Datatype " +
                               std::to_string(static_cast<int>(def.DataType)) + " not supported.");
    if (fields_.empty()) {
        for (const TFieldDef& def : FieldDefs()) {
            std::unique_ptr<TField> f = IsTextFieldType(def.DataType)
                                            ? std::make_unique<TStringField>(def.Size)
                                            : std::make_unique<TField>(def.DataType, def.Size);
            if (def.DataType == ftFixedChar) f = std::make_unique<TField>(ftFixedChar, def.Size);
            f->SetFieldName(def.Name);
            f->SetRequired(def.Required);
            AdoptField(std::move(f), true);
        }
        created = true;
    }
    try {
        std::lock_guard lock(common_.Lock());
        layoutCount_ = FieldCount();
        cursor_ = -1;
        ClearOrders();
        RebuildOrdersFromIndexDefs();
    } catch (...) {
        if (created) FreeFields(false);
        throw;
    }
    keyCache_.reset();
    ResetAutoInc();
    SetState(tsBrowse);
    atStart_ = true;
    atEnd_ = true;
    if (current_->Entries.Count() > 0) {
        cursor_ = 0;
        atEnd_ = false;
    }
    Fire(AfterOpen);
    if (!NoCurrentRecord()) Fire(AfterScroll);
}

void TqvrCustomMemTable::Close() {
    if (!Active()) return;
    if (State() == tsEdit || State() == tsInsert) Cancel();
    Fire(BeforeClose);
    SetState(tsInactive);
    EmptyStore();
    FreeFields(false);
    layoutCount_ = 0;
    Fire(AfterClose);
}

void TqvrCustomMemTable::EmptyStore() {
    std::lock_guard lock(common_.Lock());
    DropEditCopy();
    DropLoadRecords();
    ClearOrders();
    keyCache_.reset();
    common_.Empty();
    atStart_ = atEnd_ = true;
}

void TqvrCustomMemTable::DropEditCopy() {
    TqvrRecord::Destroy(editCopy_);
    editCopy_ = nullptr;
}

void TqvrCustomMemTable::DropLoadRecords() {
    for (TqvrRecord* r : loadChain_) TqvrRecord::Destroy(r);
    loadChain_.clear();
    writeTarget_ = nullptr;
}

// ---------------------------------------------------------------- field values

const TqvrRecord* TqvrCustomMemTable::ActiveRecord() const {
    if (readOverride_) return readOverride_;
    if (!Active()) return nullptr;
    if (writeTarget_) return writeTarget_;
    if (State() == tsEdit || State() == tsInsert) return editCopy_;
    return InRange(cursor_) ? StoredAt(cursor_) : nullptr;
}

bool TqvrCustomMemTable::GetFieldData(const TField& field, std::string& out) const {
    const TqvrRecord* r = ActiveRecord();
    int index = field.FieldNo() - 1;
    if (!r || index < 0 || index >= layoutCount_) return false;
    std::string_view v;
    if (!r->GetValue(index, v)) return false;
    out.assign(v);
    return true;
}

void TqvrCustomMemTable::SetWriteTarget(TqvrRecord* r) {
    if (!loadChain_.empty() && loadChain_.back() == writeTarget_) loadChain_.back() = r;
    writeTarget_ = r;
}

void TqvrCustomMemTable::SetFieldData(TField& field, const std::string_view* bytes) {
    int index = field.FieldNo() - 1;
    if (scratchWrite_) {
        if (index >= 0 && index < layoutCount_)
            writeTarget_ = TqvrRecord::SetValue(writeTarget_, index, bytes);
        return;
    }
    if (!Active()) return;
    if (State() != tsEdit && State() != tsInsert) DatabaseError("Dataset is not in edit mode.");
    if (!loading_ && (readOnly_ || field.ReadOnly()))
        RaiseDatabaseError("Field " + field.DisplayName() + " is read only");
    if (index < 0 || index >= layoutCount_) return;
    if (writeTarget_) {
        SetWriteTarget(TqvrRecord::SetValue(writeTarget_, index, bytes));
    } else if (editCopy_) {
        editCopy_ = TqvrRecord::SetValue(editCopy_, index, bytes);
    } else {
        return; // the loader's insert state between records: nothing to write into
    }
    SetModified(true);
    DataEvent(nkFieldChange, &field);
}

std::string TqvrCustomMemTable::FieldTextAt(int position, const TField& field) const {
    if (!Active() || !InRange(position) || field.DataSet() != this) return {};
    readOverride_ = StoredAt(position);
    std::string text;
    try {
        text = field.StringValue();
    } catch (...) {
        readOverride_ = nullptr;
        throw;
    }
    readOverride_ = nullptr;
    return text;
}

bool TqvrCustomMemTable::FieldIsNullAt(int position, const TField& field) const {
    if (!Active() || !InRange(position) || field.DataSet() != this) return true;
    int index = field.FieldNo() - 1;
    std::string_view v;
    return index < 0 || index >= layoutCount_ || !StoredAt(position)->GetValue(index, v);
}

int TqvrCustomMemTable::CurrentPosition() const {
    return Active() && InRange(cursor_) ? cursor_ : -1;
}

// ---------------------------------------------------------------- edit cycle

void TqvrCustomMemTable::CheckActive() const {
    if (!Active()) DatabaseError("Cannot perform this operation on a closed dataset");
}

void TqvrCustomMemTable::CheckBrowseMode() {
    CheckActive();
    DataEvent(nkCheckBrowseMode);
    if (State() == tsEdit || State() == tsInsert) {
        if (Modified())
            Post();
        else
            Cancel();
    }
}

void TqvrCustomMemTable::Insert() {
    CheckBrowseMode();
    if (readOnly_) DatabaseError("Cannot modify a read-only dataset");
    insertPlace_ = RecordNumber();
    Fire(BeforeInsert);
    Fire(BeforeScroll);
    DropEditCopy();
    editCopy_ = TqvrRecord::CreateEmpty(layoutCount_);
    SetState(tsInsert);
    for (auto& f : fields_)
        if (!f->DefaultExpression().empty()) f->SetStringValue(f->DefaultExpression());
    if (!loading_)
        for (auto& f : fields_)
            if (f->DataType() == ftAutoInc) {
                f->SetAsLargeInt(common_.AutoInc() + 1);
                break;
            }
    Fire(OnNewRecord);
    SetModified(false);
    DataEvent(nkTableChange);
    Fire(AfterInsert);
    Fire(AfterScroll);
}

void TqvrCustomMemTable::Edit() {
    if (State() == tsEdit || State() == tsInsert) return;
    if (NoCurrentRecord()) {
        Insert();
        return;
    }
    CheckBrowseMode();
    if (readOnly_) DatabaseError("Cannot modify a read-only dataset");
    Fire(BeforeEdit);
    DropEditCopy();
    editCopy_ = TqvrRecord::Clone(*StoredAt(cursor_));
    editCopy_->flags &= static_cast<uint8_t>(~TqvrRecord::kStored);
    editCopy_->rowBlock = editCopy_->sortBlock = TqvrRecord::kNoBlock;
    editCopy_->stamp = cursor_;
    SetState(tsEdit);
    DataEvent(nkRecordChange);
    Fire(AfterEdit);
}

void TqvrCustomMemTable::Post() {
    DataEvent(nkUpdateRecord);
    if (State() != tsEdit && State() != tsInsert)
        DatabaseError("Dataset not in edit or insert mode");
    // Insert and Edit made the edit copy when they entered these states.
    assert(editCopy_);
    DataEvent(nkCheckBrowseMode);
    Fire(BeforePost);
    for (auto& f : fields_)
        if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->IsNull())
            RaiseDatabaseError("Field '" + f->DisplayName() + "' must have a value");
    {
        std::lock_guard lock(common_.Lock());
        if (State() == tsInsert) {
            if (enableIndexes_) CheckUnique(*editCopy_, nullptr);
            RecordPtr record(TqvrRecord::Clone(*editCopy_));
            record->rowBlock = record->sortBlock = TqvrRecord::kNoBlock;
            bool reuses = common_.SlotCount() > common_.RecordCount();
            if (!reuses && common_.NextSerial() + 1 > TqvrCommon::kSerialLimit)
                RaiseMemTableFatalError(
                    "Bookmark counter is out of range. Please close and reopen table.");
            RaiseAutoIncToEditCopy();
            TqvrRecord* stored = record.release();
            common_.Store(stored, true);
            try {
                UpkeepInsert(stored);
            } catch (...) {
                for (auto& index : indexes_) {
                    int p = index->Entries.PositionOf(stored);
                    if (p >= 0) index->Entries.Erase(p);
                }
                common_.Free(stored);
                throw;
            }
            if (keyCache_) keyCache_->Add(stored);
        } else {
            TqvrRecord* stored = common_.Slot(editCopy_->slot);
            if (enableIndexes_) CheckUnique(*editCopy_, stored);
            PostEdit(stored);
            RaiseAutoIncToEditCopy();
        }
    }
    DropEditCopy();
    SetState(tsBrowse);
    Resync();
    Fire(AfterPost);
}

void TqvrCustomMemTable::Cancel() {
    if (State() != tsEdit && State() != tsInsert) return;
    DataEvent(nkCheckBrowseMode);
    Fire(BeforeCancel);
    bool wasInsert = State() == tsInsert;
    if (wasInsert) Fire(BeforeScroll);
    DropEditCopy();
    SetState(tsBrowse);
    Resync();
    Fire(AfterCancel);
    if (wasInsert) Fire(AfterScroll);
}

void TqvrCustomMemTable::Delete() {
    CheckActive();
    if (State() == tsInsert) {
        Cancel();
        return;
    }
    if (NoCurrentRecord()) DatabaseError("Cannot perform this operation on an empty dataset");
    DataEvent(nkCheckBrowseMode);
    Fire(BeforeDelete);
    Fire(BeforeScroll);
    {
        std::lock_guard lock(common_.Lock());
        TqvrRecord* record = StoredAt(cursor_);
        DropEditCopy();
        UpkeepDelete(record);
        if (keyCache_) keyCache_->Remove(record);
        common_.Free(record);
    }
    SetState(tsBrowse);
    Resync();
    Fire(AfterDelete);
    Fire(AfterScroll);
}

void TqvrCustomMemTable::Resync() {
    int n = current_->Entries.Count();
    if (!InRange(cursor_)) {
        if (InRange(cursor_ + 1))
            ++cursor_;
        else if (InRange(cursor_ - 1))
            --cursor_;
        else
            cursor_ = n > 0 ? std::clamp(cursor_, 0, n - 1) : -1;
    }
    // A shown record is neither before the start nor after the end.
    atStart_ = atEnd_ = cursor_ < 0;
    DataEvent(nkTableChange);
}

void TqvrCustomMemTable::Refresh() {
    Fire(BeforeRefresh);
    CheckBrowseMode();
    Resync();
    Fire(AfterRefresh);
}

// ---------------------------------------------------------------- navigation

bool TqvrCustomMemTable::NoCurrentRecord() const {
    if (!Active()) return true;
    if (State() == tsInsert) return false;
    return !InRange(cursor_);
}

int TqvrCustomMemTable::RecordNumber() const {
    if (!Active() || State() == tsInsert || !InRange(cursor_)) return -1;
    return cursor_ + 1;
}

int TqvrCustomMemTable::RecordTotal() const {
    CheckActive();
    return current_->Entries.Count();
}

void TqvrCustomMemTable::GoFirst() {
    CheckBrowseMode();
    Fire(BeforeScroll);
    int n = current_->Entries.Count();
    cursor_ = n > 0 ? 0 : -1;
    atStart_ = true;
    atEnd_ = n == 0;
    DataEvent(nkTableChange);
    Fire(AfterScroll);
}

void TqvrCustomMemTable::GoLast() {
    CheckBrowseMode();
    Fire(BeforeScroll);
    int n = current_->Entries.Count();
    cursor_ = n - 1;
    atEnd_ = true;
    atStart_ = n == 0;
    DataEvent(nkTableChange);
    Fire(AfterScroll);
}

int TqvrCustomMemTable::StepBy(int distance) {
    CheckBrowseMode();
    Fire(BeforeScroll);
    if (distance == 0 || (distance > 0 && atEnd_) || (distance < 0 && atStart_)) return 0;
    atStart_ = atEnd_ = false;
    int n = current_->Entries.Count();
    int moved;
    if (distance > 0) {
        int room = std::max(0, n - 1 - cursor_);
        if (cursor_ < 0 && n > 0) room = n - 1, cursor_ = 0;
        moved = std::min(distance, room);
        if (distance > room) atEnd_ = true;
    } else {
        int room = std::max(0, cursor_);
        moved = -std::min(-static_cast<long long>(distance), static_cast<long long>(room));
        if (-static_cast<long long>(distance) > room) atStart_ = true;
    }
    cursor_ += moved;
    DataEvent(nkScroll);
    Fire(AfterScroll);
    return moved;
}

void TqvrCustomMemTable::SetRecordNumber(int n) {
    CheckActive();
    int now = RecordNumber();
    if (n >= 1 && n <= RecordTotal() && n != now) StepBy(n - now);
}

// ---------------------------------------------------------------- bookmarks

TqvrBookmark TqvrCustomMemTable::KeepBookmark() const {
    if (!Active() || State() == tsInsert || !InRange(cursor_)) return {};
    const TqvrRecord* r = StoredAt(cursor_);
    return {r->slot, r->serial, common_.DataId()};
}

bool TqvrCustomMemTable::IsBookmarkValid(const TqvrBookmark& bookmark) const {
    if (bookmark.Empty() || bookmark.dataId != common_.DataId()) return false;
    const TqvrRecord* r = common_.Slot(bookmark.slot);
    return r && r->serial == bookmark.serial;
}

void TqvrCustomMemTable::ReturnToBookmark(const TqvrBookmark& bookmark) {
    if (bookmark.Empty()) return;
    CheckBrowseMode();
    Fire(BeforeScroll);
    if (IsBookmarkValid(bookmark)) {
        std::lock_guard lock(common_.Lock());
        int p = FindEntry(*current_, common_.Slot(bookmark.slot));
        if (p >= 0) cursor_ = p;
    }
    if (!InRange(cursor_)) DatabaseError("Record not found");
    atStart_ = atEnd_ = false;
    DataEvent(nkTableChange);
    Fire(AfterScroll);
}

// ---------------------------------------------------------------- key search

bool TqvrCustomMemTable::SeekKey(std::string_view keyFields, const TKeyValue& value,
                                 TSeekOptions options) {
    Fire(BeforeScroll);
    if (value.IsArray() && value.Dimensions() > 1)
        RaiseMemTableError("Values variant array has invalid dimension count");
    CheckBrowseMode();
    TqvrFieldList list;
    list.Build(*this, keyFields);
    TqvrMemTableCompareOptions added = 0;
    if (options & soCaseInsensitive) added |= mtcoCaseInsensitive;
    if (options & soPartialKey) added |= mtcoPartialKey;
    list.AddOptions(added);
    if (list.Count() == 0) RaiseMemTableError("There must be at least one field");
    if (!value.IsArray() && list.Count() > 1) RaiseMemTableError("More fields than values");

    RecordPtr key(TqvrRecord::CreateEmpty(layoutCount_));
    {
        TqvrRecord* saved = writeTarget_;
        writeTarget_ = key.release();
        scratchWrite_ = true;
        try {
            const auto& values = value.Values();
            for (int i = 0; i < list.Count(); ++i) {
                size_t vi = value.IsArray() ? static_cast<size_t>(i) : 0;
                if (vi < values.size() && values[vi] && !values[vi]->empty())
                    list[i].field->SetStringValue(*values[vi]);
            }
        } catch (...) {
            key.reset(writeTarget_);
            writeTarget_ = saved;
            scratchWrite_ = false;
            throw;
        }
        key.reset(writeTarget_);
        writeTarget_ = saved;
        scratchWrite_ = false;
    }
    int position;
    {
        std::lock_guard lock(common_.Lock());
        position = SeekPosition(list, *key);
    }
    if (position < 0) return false;
    cursor_ = position;
    if (!InRange(cursor_)) DatabaseError("Record not found");
    atStart_ = atEnd_ = false;
    DataEvent(nkTableChange);
    Fire(AfterScroll);
    return true;
}

// ---------------------------------------------------------------- loader access

void TqvrCustomMemTable::RaiseAutoIncToEditCopy() {
    // The counter follows the first ftAutoInc field, whichever way its value was
    // stored, so that a later insert never repeats a value an edit put there.
    for (auto& f : fields_)
        if (f->DataType() == ftAutoInc && f->FieldNo() <= layoutCount_) {
            std::string_view v;
            if (editCopy_->GetValue(f->FieldNo() - 1, v)) RaiseAutoInc(f->AsLargeInt());
            return;
        }
}

void TqvrCustomMemTable::RaiseAutoInc(int64_t value) {
    if (value > common_.AutoInc()) common_.SetAutoInc(value);
}

void TqvrCustomMemTable::DestroyFields() {
    if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
    FreeFields(true);
}

TField& TqvrCustomMemTable::CreateFieldFromDef(const TFieldDef& def) {
    if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
    std::unique_ptr<TField> f;
    if (def.DataType == ftString)
        f = std::make_unique<TStringField>(def.Size);
    else
        f = std::make_unique<TField>(def.DataType, def.Size);
    f->SetFieldName(def.Name);
    f->SetRequired(def.Required);
    return AdoptField(std::move(f), false);
}

void TqvrCustomMemTable::BeginLoadInsert() {
    CheckActive();
    DropEditCopy();
    SetStateSilently(tsInsert);
}

void TqvrCustomMemTable::EndLoadInsert() {
    DropLoadRecords();
    if (Active()) SetStateSilently(tsBrowse);
}

void TqvrCustomMemTable::NewLoadRecord() {
    CheckActive();
    DropLoadRecords();
    loadChain_.push_back(TqvrRecord::CreateEmpty(layoutCount_));
    writeTarget_ = loadChain_.back();
}

void TqvrCustomMemTable::SetLoadRecordStatus(int status) {
    if (writeTarget_) writeTarget_->status = static_cast<uint8_t>(status & 0xFF);
}

void TqvrCustomMemTable::NewEarlierVersion() {
    CheckActive();
    if (loadChain_.empty()) return;
    loadChain_.push_back(TqvrRecord::CreateEmpty(layoutCount_));
    writeTarget_ = loadChain_.back();
}

void TqvrCustomMemTable::AppendLoadedRecord() {
    if (loadChain_.empty()) return;
    std::lock_guard lock(common_.Lock());
    TqvrRecord* head = loadChain_.front();
    head->stamp = TqvrRecord::kUnplaced;
    common_.Store(head, false);
    for (size_t i = 1; i < loadChain_.size(); ++i)
        common_.LinkEarlierVersion(loadChain_[i - 1], loadChain_[i]);
    if (head->status == rsDeleted) common_.CountDeleted();
    loadChain_.clear();
    writeTarget_ = nullptr;
    keyCache_.reset();
}

int64_t TqvrCustomMemTable::RecordSize() const {
    if (!Active()) return 0;
    // Each term is below 2^32, so the sum cannot overflow before it passes the cap.
    constexpr int64_t kCap = int64_t{1} << 62;
    int64_t size = 0;
    for (int i = 0; i < layoutCount_ && size < kCap; ++i) size += 1 + ClassicValueBytes(Field(i));
    return std::min(size, kCap);
}

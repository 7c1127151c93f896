#include "memtable/TDataSet.h"

#include <algorithm>

#include "memtable/PointerSnapshot.h"
#include "memtable/Exceptions.h"
#include "memtable/TDataSource.h"
#include "memtable/TStringField.h"
#include "memtable/TextRules.h"

TDataSet::TDataSet(std::string name) : name_(std::move(name)) {}

TDataSet::~TDataSet() {
    for (TDataSource* source : PointerSnapshot<TDataSource>(dataSources_))
        source->dataSet_ = nullptr, source->active_ = false;
}

TField& TDataSet::FieldNamed(std::string_view name) const {
    if (TField* f = FindField(name)) return *f;
    DatabaseError("Field '" + std::string(name) + "' not found");
}

TField* TDataSet::FindField(std::string_view name) const {
    for (const auto& f : fields_)
        if (textrules::EqualIgnoringCase(f->FieldName(), name)) return f.get();
    return nullptr;
}

TField& TDataSet::AddField(std::unique_ptr<TField> field) {
    return AdoptField(std::move(field), false);
}

TField& TDataSet::AddStringField(const std::string& fieldName, int size) {
    return AddField(std::make_unique<TStringField>(fieldName, size));
}

TField& TDataSet::AdoptField(std::unique_ptr<TField> field, bool createdByTable) {
    // An open table's records are laid out for the fields it had when it opened;
    // a field added now would read and write past them.
    if (Active()) DatabaseError("Cannot perform this operation on an open dataset");
    field->dataSet_ = this;
    field->createdByTable_ = createdByTable;
    fields_.push_back(std::move(field));
    RenumberFields();
    DataEvent(nkFieldListChange);
    return *fields_.back();
}

void TDataSet::RenumberFields() {
    int n = 0;
    for (auto& f : fields_) f->fieldNo_ = ++n;
}

void TDataSet::FreeFields(bool all) {
    size_t before = fields_.size();
    std::erase_if(fields_,
                  [all](const std::unique_ptr<TField>& f) { return all || f->createdByTable_; });
    RenumberFields();
    if (fields_.size() != before) DataEvent(nkFieldListChange);
}

void TDataSet::DatabaseError(const std::string& text) const {
    RaiseDatabaseErrorFor(name_, text);
}

void TDataSet::SetState(TDataSetState state) {
    if (state == state_) return;
    state_ = state;
    modified_ = false;
    if (suspendCount_ > 0) {
        for (TDataSource* s : PointerSnapshot<TDataSource>(dataSources_))
            s->Notify(nkSuspendedStateChange, nullptr, state_ != tsInactive);
    } else {
        DataEvent(nkStateChange);
    }
}

void TDataSet::DataEvent(TNotifyKind kind, TField* field) {
    if (suspendCount_ > 0) {
        if (kind == nkLayoutChange) layoutHeld_ = true;
        return;
    }
    for (TDataSource* s : PointerSnapshot<TDataSource>(dataSources_))
        s->Notify(kind, field, state_ != tsInactive);
}

void TDataSet::NotifyLayoutChange() {
    if (state_ != tsInactive) DataEvent(nkLayoutChange);
}

void TDataSet::SuspendNotifications() {
    if (suspendCount_++ == 0) {
        stateAtSuspend_ = state_;
        layoutHeld_ = false;
    }
}

void TDataSet::ResumeNotifications() {
    if (suspendCount_ == 0) return;
    if (--suspendCount_ > 0) return;
    bool layout = layoutHeld_;
    layoutHeld_ = false;
    if (state_ != stateAtSuspend_) DataEvent(nkStateChange);
    if (stateAtSuspend_ != tsInactive && state_ != tsInactive)
        DataEvent(layout ? nkLayoutChange : nkTableChange);
}

void TDataSet::Attach(TDataSource* source) {
    dataSources_.push_back(source);
}

void TDataSet::Detach(TDataSource* source) {
    std::erase(dataSources_, source);
}

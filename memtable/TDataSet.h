// The generic dataset: state, field objects, events, and notifications to the data
// sources attached to it. It keeps no records; a concrete table (TqvrCustomMemTable)
// supplies the record access and the operations. The state is one of:
//   tsInactive  closed: no record layout, no records shown;
//   tsBrowse    open, nothing pending; the current record is the one at the cursor;
//   tsEdit      the current record is being changed in an edit copy;
//   tsInsert    a new record is being filled in an edit copy.
// Notifications go to every attached data source in the order of attachment. While
// notifications are suspended, only nkSuspendedStateChange is delivered; a layout change
// is remembered and reported by the resume that ends the suspension.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "memtable/TField.h"
#include "memtable/TFieldDefs.h"

class TDataSource;

enum TDataSetState { tsInactive, tsBrowse, tsEdit, tsInsert };

enum TNotifyKind {
    nkStateChange,
    nkCheckBrowseMode,
    nkUpdateRecord,
    nkFieldChange,
    nkRecordChange,
    nkTableChange,
    nkScroll,
    nkFieldListChange,
    nkLayoutChange,
    nkSuspendedStateChange
};

class TDataSet {
public:
    using TDataSetNotifyEvent = std::function<void(TDataSet&)>;

    explicit TDataSet(std::string name = {});
    virtual ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    /// The component name that prefixes "%s: %s" messages.
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    TDataSetState State() const { return state_; }
    bool Active() const { return state_ != tsInactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    virtual void Open() = 0;
    virtual void Close() = 0;

    // Field objects. The dataset owns every field object in its list.
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField& Field(int index) const { return *fields_.at(static_cast<size_t>(index)); }
    /// The first field whose FieldName equals `name` ignoring case (Unicode rules);
    /// EDatabaseError "Field '%s' not found" with the table name in front otherwise.
    TField& FieldNamed(std::string_view name) const;
    /// As FieldNamed, but nullptr when there is no such field.
    TField* FindField(std::string_view name) const;
    /// Adds a field object made by the caller (a persistent field: it survives Close and
    /// Open). Only while the dataset is closed: on an open one, EDatabaseError "Cannot
    /// perform this operation on an open dataset" with the table name in front.
    TField& AddField(std::unique_ptr<TField> field);
    /// Convenience for the common case: a persistent TStringField.
    TField& AddStringField(const std::string& fieldName, int size);

    TFieldDefs& FieldDefs() { return fieldDefs_; }
    const TFieldDefs& FieldDefs() const { return fieldDefs_; }

    /// Whether a field was written since the edit began (cleared by every state change).
    bool Modified() const { return modified_; }

    // Notification suppression, counted.
    void SuspendNotifications();
    void ResumeNotifications();
    bool NotificationsSuspended() const { return suspendCount_ > 0; }

    // Events; each gets the dataset as its only argument.
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh, OnNewRecord;

    // Raw value access for field objects: the bytes of the current record's value.
    // GetFieldData returns false for null. SetFieldData with nullptr stores null.
    virtual bool GetFieldData(const TField& field, std::string& out) const = 0;
    virtual void SetFieldData(TField& field, const std::string_view* bytes) = 0;

    /// Delivers a notification to the data sources (subject to suspension).
    void DataEvent(TNotifyKind kind, TField* field = nullptr);

protected:
    void SetState(TDataSetState state);
    /// Changes the state without notifications (the loader's temporary insert state).
    void SetStateSilently(TDataSetState state) { state_ = state; }
    void Fire(const TDataSetNotifyEvent& event) {
        if (event) event(*this);
    }
    void SetModified(bool v) { modified_ = v; }
    /// Frees the field objects the table made at Open (all of them with `all`).
    void FreeFields(bool all);
    TField& AdoptField(std::unique_ptr<TField> field, bool createdByTable);
    void RenumberFields();
    /// Raises EDatabaseError "%s: %s" with this dataset's name.
    [[noreturn]] void DatabaseError(const std::string& text) const;

    std::vector<std::unique_ptr<TField>> fields_;

private:
    friend class TDataSource;
    friend class TField;
    void Attach(TDataSource* source);
    void Detach(TDataSource* source);
    void NotifyLayoutChange();

    std::string name_;
    TDataSetState state_ = tsInactive;
    bool modified_ = false;
    TFieldDefs fieldDefs_;
    std::vector<TDataSource*> dataSources_;
    int suspendCount_ = 0;
    TDataSetState stateAtSuspend_ = tsInactive;
    bool layoutHeld_ = false;
};

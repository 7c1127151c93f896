// A data link that follows one field by name the way the window's answer
// labels do: it takes the field when the table opens or its field objects
// change, lets go of it when the table closes, and reads the field's text in
// the current record whenever the table says the record may have changed. A
// field object freed under it is read all the same, so the sanitizers catch
// a load that leaves a label holding one.
#pragma once

#include "memtable/Exceptions.h"
#include "memtable/TDataLink.h"
#include "memtable/TDataSource.h"
#include "memtable/TField.h"

#include <string>

class LabelLink : public TDataLink {
public:
    /// Raise: a name the table lacks is the binding error the window's labels raise.
    enum class Missing { Ignore, Raise };

    explicit LabelLink(std::string name, Missing missing = Missing::Ignore)
        : name_(std::move(name)), missing_(missing) {}
    ~LabelLink() override { SetDataSource(nullptr); }

    /// Connects to `source` and, as a label does, takes its field at once.
    void BindTo(TDataSource* source) {
        SetDataSource(source);
        field_ = nullptr;
        if (Active()) TakeField();
        Refresh();
    }

    const std::string& Text() const { return text_; }

    void DataEvent(TNotifyKind kind, TField* field, bool open) override {
        switch (kind) {
        case nkStateChange:
            if (Active()) {
                TakeField();
                Refresh();
            } else {
                field_ = nullptr;
                text_.clear();
            }
            break;
        case nkSuspendedStateChange:
            if (!open)
                field_ = nullptr;
            else if (Active())
                TakeField();
            break;
        case nkLayoutChange:
        case nkFieldListChange:
            TakeField();
            Refresh();
            break;
        case nkTableChange:
        case nkScroll:
        case nkRecordChange:
            Refresh();
            break;
        case nkFieldChange:
            if (field == field_) Refresh();
            break;
        case nkCheckBrowseMode:
        case nkUpdateRecord:
            break;
        }
    }

    /// Empty when the link agrees with its table: no field and no text while
    /// the table is closed or lacks the name, else that very field object and
    /// its text in the current record. Otherwise says what is wrong.
    std::string Mismatch() const {
        TDataSet* table = DataSet();
        TField* now = table != nullptr && table->Active() ? table->FindField(name_) : nullptr;
        if (field_ != now) return name_ + ": bound to another field object than the table's";
        const std::string expected = now != nullptr ? now->StringValue() : std::string();
        if (text_ != expected)
            return name_ + ": shows \"" + text_ + "\", the table holds \"" + expected + "\"";
        return {};
    }

private:
    void TakeField() {
        field_ = nullptr;
        TDataSet* table = DataSet();
        if (table == nullptr) return;
        field_ = table->FindField(name_);
        if (field_ == nullptr) {
            text_.clear();
            if (missing_ == Missing::Raise)
                RaiseDatabaseErrorFor("DBText", "Field '" + name_ + "' not found");
        }
    }
    void Refresh() {
        TDataSet* table = DataSet();
        text_ = field_ != nullptr && table != nullptr && table->Active() ? field_->StringValue()
                                                                         : std::string();
    }

    std::string name_;
    Missing missing_;
    TField* field_ = nullptr;
    std::string text_;
};

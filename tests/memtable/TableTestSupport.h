// Helpers shared by the memory-table tests: a table shaped like the work list, row
// helpers, and a recorder that logs events and notifications in one sequence.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "catalogue/WorkList.h"
#include "memtable/Exceptions.h"
#include "memtable/TDataLink.h"
#include "memtable/TDataSource.h"
#include "memtable/TqvrMemTable.h"

namespace mtest {

/// Collation follows the environment; tests that depend on an order pin it.
inline void UseLocale(const char* name) {
    setenv("LC_ALL", name, 1);
}

/// A closed table like tblWork: persistent ID and pathWork of the window's sizes, sorted by ID.
inline void DefineWorkTable(TqvrMemTable& t) {
    t.DefineStringFields({{"ID", zenor::kWorkIdSize}, {"pathWork", zenor::kWorkFolderSize}});
    t.SetSortFields("ID");
}

/// Starts each test with an open, empty work table under the "C" collation. `Base` is
/// the GoogleTest class to derive from (TestWithParam<...> for a parameterised suite).
template <class Base = ::testing::Test> class OpenWorkTableTest : public Base {
protected:
    void SetUp() override {
        UseLocale("C");
        DefineWorkTable(t);
        t.Open();
    }
    TqvrMemTable t{"tblWork"};
};

inline void AddRow(TqvrMemTable& t, const std::string& id, const std::string& path = "p") {
    t.Insert();
    t.FieldNamed("ID").SetStringValue(id);
    t.FieldNamed("pathWork").SetStringValue(path);
    t.Post();
}

/// IDs in the current order, read by position.
inline std::vector<std::string> Ids(const TqvrMemTable& t, const char* field = "ID") {
    std::vector<std::string> out;
    const TField& f = t.FieldNamed(field);
    for (int i = 0; i < t.RecordTotal(); ++i) out.push_back(t.FieldTextAt(i, f));
    return out;
}

inline std::string CurrentId(const TqvrMemTable& t) {
    return t.FieldNamed("ID").StringValue();
}

inline const char* KindName(TNotifyKind k) {
    switch (k) {
    case nkStateChange:
        return "StateChange";
    case nkCheckBrowseMode:
        return "CheckBrowseMode";
    case nkUpdateRecord:
        return "UpdateRecord";
    case nkFieldChange:
        return "FieldChange";
    case nkRecordChange:
        return "RecordChange";
    case nkTableChange:
        return "TableChange";
    case nkScroll:
        return "Scroll";
    case nkFieldListChange:
        return "FieldListChange";
    case nkLayoutChange:
        return "LayoutChange";
    case nkSuspendedStateChange:
        return "SuspendedStateChange";
    }
    return "?";
}

/// Logs notifications as "N:Kind" (with ":field" or ":open"/":closed" where given).
class RecordingLink : public TDataLink {
public:
    explicit RecordingLink(std::vector<std::string>& log) : log_(log) {}
    void DataEvent(TNotifyKind kind, TField* field, bool open) override {
        std::string s = std::string("N:") + KindName(kind);
        if (kind == nkFieldChange && field) s += ":" + field->FieldName();
        if (kind == nkSuspendedStateChange) s += open ? ":open" : ":closed";
        log_.push_back(s);
    }

private:
    std::vector<std::string>& log_;
};

/// Attaches to every event of a table ("E:Name") and, through a data source, to its
/// notifications.
class Recorder {
public:
    explicit Recorder(TqvrMemTable& t) : link(log), source(&t) {
        link.SetDataSource(&source);
        auto hook = [this](TDataSet::TDataSetNotifyEvent& e, const char* name) {
            e = [this, name](TDataSet&) { log.push_back(std::string("E:") + name); };
        };
        hook(t.BeforeOpen, "BeforeOpen");
        hook(t.AfterOpen, "AfterOpen");
        hook(t.BeforeClose, "BeforeClose");
        hook(t.AfterClose, "AfterClose");
        hook(t.BeforeInsert, "BeforeInsert");
        hook(t.AfterInsert, "AfterInsert");
        hook(t.BeforeEdit, "BeforeEdit");
        hook(t.AfterEdit, "AfterEdit");
        hook(t.BeforePost, "BeforePost");
        hook(t.AfterPost, "AfterPost");
        hook(t.BeforeCancel, "BeforeCancel");
        hook(t.AfterCancel, "AfterCancel");
        hook(t.BeforeDelete, "BeforeDelete");
        hook(t.AfterDelete, "AfterDelete");
        hook(t.BeforeScroll, "BeforeScroll");
        hook(t.AfterScroll, "AfterScroll");
        hook(t.BeforeRefresh, "BeforeRefresh");
        hook(t.AfterRefresh, "AfterRefresh");
        hook(t.OnNewRecord, "OnNewRecord");
        log.clear();
    }
    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(log);
        return out;
    }

    std::vector<std::string> log;
    RecordingLink link;
    TDataSource source;
};

} // namespace mtest

// The link between one dataset and the controls bound to it. It passes the dataset's
// notifications to its links in the order they were attached, but only while the
// dataset is open as far as the data source knows; that knowledge follows nkStateChange
// alone, and nkStateChange itself always passes.
#pragma once

#include <vector>

#include "memtable/TDataSet.h"

class TDataLink;

class TDataSource {
public:
    TDataSource() = default;
    explicit TDataSource(TDataSet* dataSet) { SetDataSet(dataSet); }
    ~TDataSource();
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    TDataSet* DataSet() const { return dataSet_; }
    /// Detaches from the old dataset, attaches to the new one; links are told through
    /// nkStateChange so that they bind or unbind.
    void SetDataSet(TDataSet* dataSet);
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool v) { autoEdit_ = v; }
    /// Whether the dataset is open as far as this data source knows.
    bool Active() const { return active_; }
    /// Edit when allowed by AutoEdit; whether the dataset is now in an edit state.
    bool Edit();

    const std::vector<TDataLink*>& Links() const { return links_; }

private:
    friend class TDataSet;
    friend class TDataLink;
    void Notify(TNotifyKind kind, TField* field, bool openArgument);
    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);

    TDataSet* dataSet_ = nullptr;
    bool autoEdit_ = true;
    bool active_ = false;
    std::vector<TDataLink*> links_;
};

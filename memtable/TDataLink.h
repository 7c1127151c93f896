// A control's connection to a data source. Subclasses (the grid, the labels) override
// DataEvent to follow the dataset; the base class only keeps the connection.
#pragma once

#include "memtable/TDataSet.h"

class TDataSource;

class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;
    /// Whether the dataset is open as far as the data source knows.
    bool Active() const;

    /// A notification passed on by the data source. `field` is set for nkFieldChange;
    /// `open` is the argument of nkSuspendedStateChange (whether the table is open).
    virtual void DataEvent(TNotifyKind kind, TField* field, bool open);

private:
    friend class TDataSource;
    TDataSource* dataSource_ = nullptr;
};

#include "memtable/TDataLink.h"

#include "memtable/TDataSource.h"

TDataLink::~TDataLink() {
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (source == dataSource_) return;
    if (dataSource_) dataSource_->RemoveLink(this);
    dataSource_ = source;
    if (dataSource_) dataSource_->AddLink(this);
}

TDataSet* TDataLink::DataSet() const {
    return dataSource_ ? dataSource_->DataSet() : nullptr;
}

bool TDataLink::Active() const {
    return dataSource_ && dataSource_->Active();
}

void TDataLink::DataEvent(TNotifyKind, TField*, bool) {}

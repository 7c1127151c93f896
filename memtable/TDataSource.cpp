#include "memtable/TDataSource.h"

#include <algorithm>

#include "memtable/PointerSnapshot.h"
#include "memtable/TDataLink.h"
#include "memtable/TqvrCustomMemTable.h"

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    for (TDataLink* link : links_) link->dataSource_ = nullptr;
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_) return;
    if (dataSet_) dataSet_->Detach(this);
    dataSet_ = dataSet;
    if (dataSet_) dataSet_->Attach(this);
    bool active = dataSet_ && dataSet_->Active();
    if (active != active_ || dataSet) Notify(nkStateChange, nullptr, active);
}

bool TDataSource::Edit() {
    if (!dataSet_) return false;
    TDataSetState s = dataSet_->State();
    if (s == tsEdit || s == tsInsert) return true;
    if (!autoEdit_ || s != tsBrowse) return false;
    if (auto* table = dynamic_cast<TqvrCustomMemTable*>(dataSet_)) table->Edit();
    s = dataSet_->State();
    return s == tsEdit || s == tsInsert;
}

void TDataSource::Notify(TNotifyKind kind, TField* field, bool openArgument) {
    if (kind == nkStateChange) {
        active_ = dataSet_ && dataSet_->Active();
    } else if (!active_) {
        return;
    }
    for (TDataLink* link : PointerSnapshot<TDataLink>(links_))
        link->DataEvent(kind, field, openArgument);
}

void TDataSource::AddLink(TDataLink* link) {
    links_.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link) {
    std::erase(links_, link);
}

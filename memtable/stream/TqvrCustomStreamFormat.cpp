#include "memtable/stream/TqvrCustomStreamFormat.h"

#include "memtable/stream/StreamErrors.h"
#include "memtable/stream/TStream.h"

#include "memtable/TqvrCustomMemTable.h"

#include <exception>

void TqvrCustomStreamFormat::BeginLoad(TqvrCustomMemTable& table) {
    table.SuspendNotifications();
    table.LockStore();
    // Opening the table inside the load must neither read a persistent file
    // nor keep orders up to date record by record; EndLoad rebuilds them once.
    savedPersistent_ = table.Persistent();
    savedEnableIndexes_ = table.EnableIndexes();
    table.SetPersistent(false);
    table.SetEnableIndexes(false);
    table.SetLoading(true);
    prepared_ = true;
    if (sfFromStart().Contains(sfLoadFromStart) && workStream_ != nullptr)
        workStream_->SetPosition(0);
}

void TqvrCustomStreamFormat::LoadTable(TqvrCustomMemTable& table) {
    ReadDefinitions(table);
    if (table.FieldCount() == 0) stream_errors::RaiseNoFieldCount();
    ReadData(table);
}

void TqvrCustomStreamFormat::RestoreTable(TqvrCustomMemTable& table) {
    table.SetPersistent(savedPersistent_);
    table.SetEnableIndexes(savedEnableIndexes_);
    table.SetLoading(false);
}

void TqvrCustomStreamFormat::EndLoad(TqvrCustomMemTable& table) {
    if (!prepared_) return;
    prepared_ = false;
    RestoreTable(table);
    // An order that cannot be built (a unique one over repeated keys) fails
    // the load, but the table still gets its lock and notifications back.
    std::exception_ptr ordersError;
    try {
        table.RebuildOrders();
    } catch (...) {
        ordersError = std::current_exception();
    }
    table.UnlockStore();
    if (ordersError) {
        // The orders' error is the load's; one from a bound control while
        // the notifications resume does not replace it.
        try {
            table.ResumeNotifications();
        } catch (const std::exception&) {
        }
        std::rethrow_exception(ordersError);
    }
    // Bound controls find the new field objects here; an error of theirs
    // ends EndLoad at this point.
    table.ResumeNotifications();
    // A table left closed (it was closed and the stream failed before its
    // first field, or it defined no field) has no record to re-read.
    if (table.Active()) table.Refresh();
}

void TqvrCustomStreamFormat::UndoBeginLoad(TqvrCustomMemTable& table) {
    if (!prepared_) return;
    prepared_ = false;
    RestoreTable(table);
    table.UnlockStore();
    table.ResumeNotifications();
}

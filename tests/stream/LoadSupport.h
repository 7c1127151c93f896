// Helpers of the load tests: tables in known states, a snapshot of what a
// table shows, and checks that a load put the table's machinery back.
#pragma once

#include "SheetWriter.h"

#include "memtable/TDataLink.h"
#include "memtable/TDataSource.h"
#include "memtable/TqvrMemTable.h"
#include "memtable/stream/TMemoryStream.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

using Bytes = std::vector<unsigned char>;

inline Bytes ToBytes(const std::vector<std::uint8_t>& b) {
    return Bytes(b.begin(), b.end());
}

inline Bytes SheetBytes(const sheetwriter::Sheet& s) {
    return ToBytes(sheetwriter::WriteSheet(s));
}

/// The sheet's bytes with its data list replaced by `data` (list tags included).
inline Bytes WithData(const sheetwriter::Sheet& s, const sheetwriter::ByteWriter& data) {
    sheetwriter::Sheet empty = s;
    empty.records.clear();
    Bytes b = SheetBytes(empty);
    b.resize(b.size() - 2);
    b.insert(b.end(), data.Bytes().begin(), data.Bytes().end());
    return b;
}

/// Loads bytes with a default format; rethrows the load's error.
inline void Load(TqvrCustomMemTable& table, const Bytes& bytes,
                 TqvrCustomStreamFormat* format = nullptr) {
    TqvrBinaryStreamFormat standard;
    TMemoryStream stream(bytes);
    table.LoadFromStreamUsingFormat(stream, format != nullptr ? format : &standard);
}

/// The field names in order.
inline std::vector<std::string> FieldNames(const TDataSet& table) {
    std::vector<std::string> names;
    for (int i = 0; i < table.FieldCount(); ++i) names.push_back(table.Field(i).FieldName());
    return names;
}

/// What the cursor shows, first to last: one text per field and record,
/// "<null>" for a null value. Leaves the cursor on the first record.
inline std::vector<std::vector<std::string>> Shown(TqvrCustomMemTable& table) {
    std::vector<std::vector<std::string>> rows;
    if (!table.Active()) return rows;
    table.GoFirst();
    for (int i = 0; i < table.RecordTotal(); ++i) {
        std::vector<std::string> row;
        for (int f = 0; f < table.FieldCount(); ++f) {
            const TField& field = table.Field(f);
            row.push_back(field.IsNull() ? "<null>" : field.StringValue());
        }
        rows.push_back(row);
        table.StepBy(1);
    }
    table.GoFirst();
    return rows;
}

/// Records the notifications a bound control receives, and which of them
/// came while the table's notifications were suspended.
class CountingLink : public TDataLink {
public:
    void DataEvent(TNotifyKind kind, TField*, bool) override {
        events.push_back(kind);
        if (DataSet() != nullptr && DataSet()->NotificationsSuspended())
            whileSuspended.push_back(kind);
    }
    std::vector<TNotifyKind> events;
    std::vector<TNotifyKind> whileSuspended;
};

/// The load's machinery is released: no suspension, no switch, the lock
/// free for another thread, indexes enabled again.
inline void ExpectRestored(TqvrCustomMemTable& table) {
    EXPECT_FALSE(table.NotificationsSuspended());
    EXPECT_FALSE(table.Loading());
    EXPECT_TRUE(table.EnableIndexes());
    EXPECT_FALSE(table.Persistent());
    auto free = std::async(std::launch::async, [&] {
        auto& lock = table.Common().Lock();
        const bool got = lock.try_lock();
        if (got) lock.unlock();
        return got;
    });
    EXPECT_TRUE(free.get()) << "the store lock is still held";
}

/// A table named answers, open, with one text field `old` and one record.
inline void MakeOldTable(TqvrMemTable& table) {
    table.DefineStringFields({{"old", 10}});
    table.Open();
    table.Insert();
    table.FieldNamed("old").SetStringValue("x");
    table.Post();
}

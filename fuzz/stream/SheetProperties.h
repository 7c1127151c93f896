// What must hold after every load the fuzz targets run, checked rather than
// hoped for: the load gave back the table's lock, notifications and switches;
// every order of a loaded table verifies; and a dump of what the table holds,
// to compare two loads of the same bytes. A broken property aborts, which
// libFuzzer and the replay runner report as a finding.
#pragma once

#include "memtable/TField.h"
#include "memtable/TqvrIndex.h"
#include "memtable/TqvrMemTable.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzcheck {

[[noreturn]] inline void Finding(const std::string& what) {
    std::fprintf(stderr, "property broken: %s\n", what.c_str());
    std::abort();
}

inline void CheckRestored(const TqvrCustomMemTable& table) {
    if (table.NotificationsSuspended()) Finding("notifications left suspended");
    if (table.StoreLocked()) Finding("store lock left held");
    if (table.Loading()) Finding("load switches left set");
    if (!table.EnableIndexes()) Finding("EnableIndexes left off");
}

inline void CheckOrders(const TqvrCustomMemTable& table) {
    for (const auto& index : table.Indexes()) {
        std::string why;
        if (!index->Verify(table, &why)) Finding("order fails to verify: " + why);
    }
}

/// Fields with their settings, index definitions and the records the cursor
/// shows, with their values as text. Leaves the cursor on the first record.
inline std::string Dump(TqvrMemTable& table) {
    std::string out = table.Active() ? "open\n" : "closed\n";
    for (int i = 0; i < table.FieldCount(); ++i) {
        const TField& f = table.Field(i);
        out += "field " + f.FieldName() + " " + std::to_string(f.DataType()) + " " +
               std::to_string(f.Size()) + " " + std::to_string(f.FieldKind()) + " " +
               f.DisplayLabel() + "|" + f.EditMask() + "|" + std::to_string(f.DisplayWidth()) +
               (f.Required() ? " required" : "") + (f.ReadOnly() ? " readonly" : "") + "|" +
               f.DefaultExpression() + "\n";
    }
    for (int i = 0; i < table.IndexDefs().Count(); ++i) {
        const TIndexDef& d = table.IndexDefs()[i];
        out += "index " + d.Name + "|" + d.Fields + "|" + std::to_string(d.Options) + "\n";
    }
    if (!table.Active()) return out;
    table.GoFirst();
    for (int n = 0; n < table.RecordTotal(); ++n) {
        out += "record";
        for (int i = 0; i < table.FieldCount(); ++i) {
            const TField& f = table.Field(i);
            out += f.IsNull() ? std::string(" null") : " [" + f.StringValue() + "]";
        }
        out += "\n";
        table.StepBy(1);
    }
    table.GoFirst();
    return out;
}

} // namespace fuzzcheck

// The memory table as the window places it: everything of TqvrCustomMemTable, plus a
// helper that builds a table of persistent text fields with matching definitions.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "memtable/TqvrCustomMemTable.h"
#include "memtable/TStringField.h"

class TqvrMemTable : public TqvrCustomMemTable {
public:
    explicit TqvrMemTable(std::string name = {}) : TqvrCustomMemTable(std::move(name)) {}

    /// Adds, on a closed table, one persistent TStringField and one ftString definition
    /// per (name, size) pair.
    void DefineStringFields(const std::vector<std::pair<std::string, int>>& fields) {
        for (const auto& [fieldName, size] : fields) {
            FieldDefs().Add(fieldName, ftString, size, false);
            AddStringField(fieldName, size);
        }
    }
};

#include "memtable/TFieldDefs.h"

#include "memtable/TextRules.h"

TFieldDef& TFieldDefs::Add(const std::string& name, TFieldType type, int size, bool required) {
    return defs_.emplace_back(name, type, size, required);
}

TFieldDef* TFieldDefs::Find(std::string_view name) {
    for (auto& d : defs_)
        if (textrules::EqualIgnoringCase(d.Name, name)) return &d;
    return nullptr;
}

const TFieldDef* TFieldDefs::Find(std::string_view name) const {
    return const_cast<TFieldDefs*>(this)->Find(name);
}

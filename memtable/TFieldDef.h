// One field definition: what a field object is made from and what Open lays out.
#pragma once

#include <string>

#include "memtable/TFieldType.h"

class TFieldDef {
public:
    TFieldDef() = default;
    TFieldDef(std::string name, TFieldType type, int size, bool required)
        : Name(std::move(name)), DataType(type), Size(size), Required(required) {}

    std::string Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    bool Required = false;
};

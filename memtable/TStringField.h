// The text field: UTF-8 text of at most Size code points (20 when made without a size).
#pragma once

#include "memtable/TField.h"

class TStringField : public TField {
public:
    explicit TStringField(int size = 20) : TField(ftString, size) {}
    TStringField(std::string fieldName, int size) : TField(ftString, size) {
        SetFieldName(std::move(fieldName));
    }
};

// An index definition: a named order over a field list, made into an order at Open.
#pragma once

#include <cstdint>
#include <string>

enum TIndexOption : uint8_t {
    ixPrimary = 1,
    ixUnique = 2,
    ixDescending = 4,
    ixCaseInsensitive = 8,
    ixExpression = 16,
    ixNonMaintained = 32
};
using TIndexOptions = uint8_t;

class TIndexDef {
public:
    std::string Name;
    std::string Fields;
    TIndexOptions Options = 0;
};

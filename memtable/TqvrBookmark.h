// A bookmark names one stored record (by slot and serial) in one filling of the store
// (the data identifier). An empty bookmark names nothing.
#pragma once

#include <cstdint>

struct TqvrBookmark {
    int32_t slot = -1;
    uint32_t serial = 0;
    int32_t dataId = 0;

    bool Empty() const { return slot < 0; }
    bool operator==(const TqvrBookmark&) const = default;
};

// The flag sets of the stream formats: sixteen small sets, each over its own
// enumeration, so that an element of one set cannot be put into another.
#pragma once

#include <cstdint>
#include <initializer_list>

template <typename E> class TqvrFlagSet {
public:
    constexpr TqvrFlagSet() = default;
    constexpr TqvrFlagSet(std::initializer_list<E> elements) {
        for (E e : elements) bits_ |= Bit(e);
    }
    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr void Include(E e) { bits_ |= Bit(e); }
    constexpr void Exclude(E e) { bits_ &= ~Bit(e); }
    constexpr bool Empty() const { return bits_ == 0; }
    friend constexpr bool operator==(TqvrFlagSet, TqvrFlagSet) = default;

private:
    static constexpr std::uint32_t Bit(E e) { return std::uint32_t{1} << static_cast<unsigned>(e); }
    std::uint32_t bits_ = 0;
};

enum TqvrUsingIndexFlag { sfSaveUsingIndex };
enum TqvrDataFlag { sfSaveData, sfLoadData };
enum TqvrCalculatedFlag { sfSaveCalculated, sfLoadCalculated };
enum TqvrLookupFlag { sfSaveLookup, sfLoadLookup };
enum TqvrNonVisibleFlag { sfSaveNonVisible, sfLoadNonVisible };
enum TqvrBlobsFlag { sfSaveBlobs, sfLoadBlobs };
enum TqvrDefFlag { sfSaveDef, sfLoadDef };
enum TqvrIndexDefFlag { sfSaveIndexDef, sfLoadIndexDef };
enum TqvrFilteredFlag { sfSaveFiltered };
enum TqvrIgnoreRangeFlag { sfSaveIgnoreRange };
enum TqvrIgnoreMasterDetailFlag { sfSaveIgnoreMasterDetail };
enum TqvrDeltasFlag { sfSaveDeltas, sfLoadDeltas };
enum TqvrDontFilterDeltasFlag { sfSaveDontFilterDeltas };
enum TqvrAppendFlag { sfSaveAppend, sfSaveInsert };
enum TqvrFieldKindFlag { sfSaveFieldKind, sfLoadFieldKind };
enum TqvrFromStartFlag { sfLoadFromStart };

using TqvrUsingIndexFlags = TqvrFlagSet<TqvrUsingIndexFlag>;
using TqvrDataFlags = TqvrFlagSet<TqvrDataFlag>;
using TqvrCalculatedFlags = TqvrFlagSet<TqvrCalculatedFlag>;
using TqvrLookupFlags = TqvrFlagSet<TqvrLookupFlag>;
using TqvrNonVisibleFlags = TqvrFlagSet<TqvrNonVisibleFlag>;
using TqvrBlobsFlags = TqvrFlagSet<TqvrBlobsFlag>;
using TqvrDefFlags = TqvrFlagSet<TqvrDefFlag>;
using TqvrIndexDefFlags = TqvrFlagSet<TqvrIndexDefFlag>;
using TqvrFilteredFlags = TqvrFlagSet<TqvrFilteredFlag>;
using TqvrIgnoreRangeFlags = TqvrFlagSet<TqvrIgnoreRangeFlag>;
using TqvrIgnoreMasterDetailFlags = TqvrFlagSet<TqvrIgnoreMasterDetailFlag>;
using TqvrDeltasFlags = TqvrFlagSet<TqvrDeltasFlag>;
using TqvrDontFilterDeltasFlags = TqvrFlagSet<TqvrDontFilterDeltasFlag>;
using TqvrAppendFlags = TqvrFlagSet<TqvrAppendFlag>;
using TqvrFieldKindFlags = TqvrFlagSet<TqvrFieldKindFlag>;
using TqvrFromStartFlags = TqvrFlagSet<TqvrFromStartFlag>;

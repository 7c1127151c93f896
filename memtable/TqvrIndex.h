// One order of a table: its entries (references to stored records), its field list and
// options, and whether the entries are known to stand in key order. The row order
// ("__MT__ROWORDER") does not sort and keeps insertion places; sorted orders are kept
// in key order by the table's upkeep and searched binary above 20 entries.
#pragma once

#include <string>

#include "memtable/TqvrEntryList.h"
#include "memtable/TqvrFieldList.h"

class TqvrCustomMemTable;

class TqvrIndex {
public:
    /// The three kinds of order a table keeps: the row order, the default sort order
    /// that ApplySort makes, and one per index definition. The first two are internal:
    /// they do not show in IndexName.
    enum Kind { kRowOrder, kDefaultSort, kDefined };

    TqvrIndex(std::string name, std::string fieldsText, TqvrMemTableCompareOptions options,
              Kind kind, TqvrEntryList::Tracking tracking = TqvrEntryList::kNoTracking)
        : Name(std::move(name)), FieldsText(std::move(fieldsText)), Options(options),
          Sorts(kind != kRowOrder), Internal(kind != kDefined), Entries(tracking) {}

    std::string Name;
    std::string FieldsText;
    TqvrFieldList Fields;
    TqvrMemTableCompareOptions Options;
    bool Sorts;
    bool Internal;
    bool InOrder = false;
    TqvrEntryList Entries;

    /// A sorted order in key order is searched by halving once it holds more entries
    /// than this; a shorter one, and the row order always, is scanned from the start.
    static constexpr int kBinarySearchAbove = 20;

    bool Maintained() const { return (Options & mtcoNonMaintained) == 0; }
    bool Unique() const { return (Options & mtcoUnique) != 0; }

    /// Checks the invariants: every entry is a stored record, listed once; a sorted order
    /// marked in order has no neighbours out of key order (and none equal when unique);
    /// a tracking list finds every entry at its position. Fills `why` on failure.
    bool Verify(const TqvrCustomMemTable& table, std::string* why = nullptr) const;
};

// One record: a small header and the values packed behind it in a single allocation, so
// that a million short records cost little more than their text. Values follow the field
// order; each is a varint L (0: null, else the value's byte length + 1) and the bytes. A
// field's Size is therefore a limit, not a reservation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

/// What a loaded record's version says happened to it: the low byte of the status that
/// a table stream stores with each record (other values are kept as they come). Records
/// stored by Post stay rsUnchanged.
enum TqvrRecordStatus : uint8_t {
    rsUnchanged = 0,
    rsModified = 1,
    rsInserted = 2,
    rsDeleted = 3, // loaded but hidden once the table holds one
};

struct TqvrRecord {
    static constexpr uint32_t kNoBlock = 0xFFFFFFFFu;
    static constexpr uint8_t kStored = 1; // flag bit 0: the record belongs to the store
    /// The stamp of a record the loader stored and nobody has placed in an order since;
    /// such records sort before placed ones when keys tie.
    static constexpr int32_t kUnplaced = -1;
    static constexpr uint32_t kNoSerial = 0xFFFFFFFFu;

    int32_t stamp = kUnplaced;     // position in the current order when last placed or fetched
    int32_t slot = -1;             // index in the store's slot list; -1 when not stored
    uint32_t serial = kNoSerial;   // insertion serial
    uint32_t length = 0;           // bytes of packed values behind the header
    uint32_t rowBlock = kNoBlock;  // block of the row order that lists it (see TqvrEntryList)
    uint32_t sortBlock = kNoBlock; // block of the default sort order that lists it
    uint8_t flags = 0;
    uint8_t status = rsUnchanged; // a TqvrRecordStatus, or whatever byte a stream gave

    uint8_t* Data() { return reinterpret_cast<uint8_t*>(this + 1); }
    const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(this + 1); }

    /// A record of `fieldCount` null values with the header of a record never stored.
    static TqvrRecord* CreateEmpty(int fieldCount);
    /// A copy of header and values (a new allocation).
    static TqvrRecord* Clone(const TqvrRecord& source);
    static void Destroy(TqvrRecord* record);
    /// Reads value `index`; false when it is null.
    bool GetValue(int index, std::string_view& out) const;
    /// Replaces value `index` (nullptr: null). The record may move: the result replaces
    /// the pointer passed in.
    static TqvrRecord* SetValue(TqvrRecord* record, int index, const std::string_view* value);
    /// Replaces all values of `target` by those of `source`; may move `target`.
    static TqvrRecord* AssignValues(TqvrRecord* target, const TqvrRecord& source);
};

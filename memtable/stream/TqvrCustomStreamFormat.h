// The abstract stream format: the flag properties and the load skeleton
// that prepares a memory table for a load, positions the stream, and puts
// the table back afterwards. A concrete format reads the bytes in between
// (ReadDefinitions, ReadData). One load at a time per format object.
//
// A load runs BeginLoad, LoadTable, EndLoad (TqvrCustomMemTable::
// LoadFromStreamUsingFormat). EndLoad runs after a failed LoadTable as well;
// a failed BeginLoad is undone by UndoBeginLoad. Either way the table's
// notifications, store lock, switches and settings are as they were before.
#pragma once

#include "memtable/stream/TqvrStreamFlags.h"

#include <string>

class TStream;
class TqvrCustomMemTable;

class TqvrCustomStreamFormat {
public:
    TqvrCustomStreamFormat() = default;
    virtual ~TqvrCustomStreamFormat() = default;
    TqvrCustomStreamFormat(const TqvrCustomStreamFormat&) = delete;
    TqvrCustomStreamFormat& operator=(const TqvrCustomStreamFormat&) = delete;

    /// The class's format version; assigning it changes nothing.
    std::string Version() const { return GetVersion(); }
    void SetVersion(const std::string&) {}
    virtual std::string GetVersion() const { return "1.00"; }

    // The flag properties. Loading consults sfLoadDef and sfLoadFromStart.
    TqvrDataFlags sfData() const { return data_; }
    void SetSfData(TqvrDataFlags v) { data_ = v; }
    TqvrCalculatedFlags sfCalculated() const { return calculated_; }
    void SetSfCalculated(TqvrCalculatedFlags v) { calculated_ = v; }
    TqvrLookupFlags sfLookup() const { return lookup_; }
    void SetSfLookup(TqvrLookupFlags v) { lookup_ = v; }
    TqvrNonVisibleFlags sfNonVisible() const { return nonVisible_; }
    void SetSfNonVisible(TqvrNonVisibleFlags v) { nonVisible_ = v; }
    TqvrBlobsFlags sfBlobs() const { return blobs_; }
    void SetSfBlobs(TqvrBlobsFlags v) { blobs_ = v; }
    TqvrDefFlags sfDef() const { return def_; }
    void SetSfDef(TqvrDefFlags v) { def_ = v; }
    TqvrIndexDefFlags sfIndexDef() const { return indexDef_; }
    void SetSfIndexDef(TqvrIndexDefFlags v) { indexDef_ = v; }
    TqvrFilteredFlags sfFiltered() const { return filtered_; }
    void SetSfFiltered(TqvrFilteredFlags v) { filtered_ = v; }
    TqvrIgnoreRangeFlags sfIgnoreRange() const { return ignoreRange_; }
    void SetSfIgnoreRange(TqvrIgnoreRangeFlags v) { ignoreRange_ = v; }
    TqvrIgnoreMasterDetailFlags sfIgnoreMasterDetail() const { return ignoreMasterDetail_; }
    void SetSfIgnoreMasterDetail(TqvrIgnoreMasterDetailFlags v) { ignoreMasterDetail_ = v; }
    TqvrDeltasFlags sfDeltas() const { return deltas_; }
    void SetSfDeltas(TqvrDeltasFlags v) { deltas_ = v; }
    TqvrDontFilterDeltasFlags sfDontFilterDeltas() const { return dontFilterDeltas_; }
    void SetSfDontFilterDeltas(TqvrDontFilterDeltasFlags v) { dontFilterDeltas_ = v; }
    TqvrAppendFlags sfAppend() const { return append_; }
    void SetSfAppend(TqvrAppendFlags v) { append_ = v; }
    TqvrFieldKindFlags sfFieldKind() const { return fieldKind_; }
    void SetSfFieldKind(TqvrFieldKindFlags v) { fieldKind_ = v; }
    TqvrFromStartFlags sfFromStart() const { return fromStart_; }
    void SetSfFromStart(TqvrFromStartFlags v) { fromStart_ = v; }

    /// The stream the next load reads; set by the table's load operation.
    void SetWorkStream(TStream* stream) { workStream_ = stream; }
    TStream* WorkStream() const { return workStream_; }

    // The load operations, in the order a load calls them.
    virtual void BeginLoad(TqvrCustomMemTable& table);
    virtual void ReadDefinitions(TqvrCustomMemTable&) {}
    virtual void ReadData(TqvrCustomMemTable&) {}
    virtual void LoadTable(TqvrCustomMemTable& table);
    virtual void EndLoad(TqvrCustomMemTable& table);
    /// Puts back what a BeginLoad that failed had prepared; does nothing when
    /// it had prepared nothing.
    virtual void UndoBeginLoad(TqvrCustomMemTable& table);

protected:
    /// Whether BeginLoad has prepared the table and EndLoad has not yet
    /// restored it.
    bool Prepared() const { return prepared_; }

private:
    void RestoreTable(TqvrCustomMemTable& table);

    TqvrDataFlags data_{sfSaveData, sfLoadData};
    TqvrCalculatedFlags calculated_{};
    TqvrLookupFlags lookup_{};
    TqvrNonVisibleFlags nonVisible_{sfSaveNonVisible, sfLoadNonVisible};
    TqvrBlobsFlags blobs_{sfSaveBlobs, sfLoadBlobs};
    TqvrDefFlags def_{sfSaveDef, sfLoadDef};
    TqvrIndexDefFlags indexDef_{sfSaveIndexDef, sfLoadIndexDef};
    TqvrFilteredFlags filtered_{sfSaveFiltered};
    TqvrIgnoreRangeFlags ignoreRange_{sfSaveIgnoreRange};
    TqvrIgnoreMasterDetailFlags ignoreMasterDetail_{sfSaveIgnoreMasterDetail};
    TqvrDeltasFlags deltas_{};
    TqvrDontFilterDeltasFlags dontFilterDeltas_{};
    TqvrAppendFlags append_{};
    TqvrFieldKindFlags fieldKind_{sfSaveFieldKind};
    TqvrFromStartFlags fromStart_{sfLoadFromStart};

    TStream* workStream_ = nullptr;
    bool prepared_ = false;
    bool savedPersistent_ = false;
    bool savedEnableIndexes_ = true;
};

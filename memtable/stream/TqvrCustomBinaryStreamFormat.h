// The binary table-stream format: the decoder over the stream and the
// reading of the header, of the field and index definitions and of the
// records, for every stream version from 100 on (a version above 251 reads
// as 251). What a failure leaves in the table: before the first field
// definition, nothing changed; inside applied definitions, the table open
// with the fields defined so far and no records (closed and fieldless if
// none was defined); in the data list, the records complete before it.
#pragma once

#include "memtable/stream/TStreamDecoder.h"
#include "memtable/stream/TqvrCustomStreamFormat.h"

#include "memtable/TField.h"

#include <cstdint>
#include <memory>
#include <string>

class TqvrCustomBinaryStreamFormat : public TqvrCustomStreamFormat {
public:
    static constexpr int kMinBufferSize = 16384;

    std::string GetVersion() const override { return "3.00"; }

    /// Bytes per block read from the stream; never below 16384.
    int BufferSize() const { return bufferSize_; }
    void SetBufferSize(int size) { bufferSize_ = size < kMinBufferSize ? kMinBufferSize : size; }

    TqvrUsingIndexFlags sfUsingIndex() const { return usingIndex_; }
    void SetSfUsingIndex(TqvrUsingIndexFlags v) { usingIndex_ = v; }

    void BeginLoad(TqvrCustomMemTable& table) override;
    void ReadDefinitions(TqvrCustomMemTable& table) override;
    void ReadData(TqvrCustomMemTable& table) override;
    void EndLoad(TqvrCustomMemTable& table) override;
    void UndoBeginLoad(TqvrCustomMemTable& table) override;

    /// The version read from the last header (100 when it had none).
    int StreamVersion() const { return streamVersion_; }

private:
    void ReadIndexDefinitions(TqvrCustomMemTable& table, bool applied);
    void ReadFieldDefinition(TqvrCustomMemTable& table, bool applied);
    void ReadVersion(TqvrCustomMemTable& table);
    void ReadValue(TqvrCustomMemTable& table, TField& field);

    int bufferSize_ = kMinBufferSize;
    TqvrUsingIndexFlags usingIndex_{sfSaveUsingIndex};

    std::unique_ptr<TStreamDecoder> decoder_;
    std::int64_t streamSize_ = 0;
    int streamVersion_ = 0;
    bool indexDefsApplied_ = false;
};

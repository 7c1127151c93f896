// The memory table's two load operations. They live with the stream
// formats because all they do is drive a format over a stream.
#include "memtable/stream/StreamErrors.h"
#include "memtable/stream/TFileStream.h"
#include "memtable/stream/TqvrCustomStreamFormat.h"

#include "memtable/TqvrCustomMemTable.h"

#include <exception>

namespace {

// The format must not keep a stream that ends with the load.
struct WorkStreamGuard {
    TqvrCustomStreamFormat& format;
    ~WorkStreamGuard() { format.SetWorkStream(nullptr); }
};

} // namespace

void TqvrCustomMemTable::LoadFromStreamUsingFormat(TStream& stream,
                                                   TqvrCustomStreamFormat* format) {
    if (format == nullptr) stream_errors::RaiseNoFormat();
    format->SetWorkStream(&stream);
    WorkStreamGuard guard{*format};
    try {
        format->BeginLoad(*this);
    } catch (...) {
        format->UndoBeginLoad(*this);
        throw;
    }
    try {
        format->LoadTable(*this);
    } catch (...) {
        // EndLoad restores the table; the load's own error is the one the
        // caller needs, so a second one from the restore does not replace it.
        try {
            format->EndLoad(*this);
        } catch (const std::exception&) {
        }
        throw;
    }
    format->EndLoad(*this);
}

void TqvrCustomMemTable::LoadFromFileUsingFormat(const std::string& path,
                                                 TqvrCustomStreamFormat* format) {
    TFileStream file(path);
    LoadFromStreamUsingFormat(file, format);
}

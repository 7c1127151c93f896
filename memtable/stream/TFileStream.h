// A read-only stream over a file. Opening is the only place where a file
// name becomes a descriptor; the file is closed when the stream goes, so a
// load that fails midway still releases it. The platform has no sharing
// modes, so "readers may share, writers may not" reduces to opening
// read-only: this program never writes a pupil's file.
#pragma once

#include "memtable/stream/TStream.h"

#include <string>

class TFileStream : public TStream {
public:
    /// Opens `path` for reading or raises EFOpenError
    /// "Cannot open file \"<full path>\". <system reason>".
    explicit TFileStream(const std::string& path);
    ~TFileStream() override;

    /// One read(2) of up to `count` bytes; 0 only at the end of the file.
    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    /// The size the file had when it was opened: a load takes it at its
    /// start, right after the open. A device or pipe reports 0; the reader
    /// then relies on the end of its reads alone.
    std::int64_t Size() override;

    const std::string& FileName() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    bool regular_ = false;
    std::int64_t openSize_ = 0;
    /// Where the descriptor is: 0 after the open, then moved by every read
    /// and seek of this stream, the only user of the descriptor.
    std::int64_t position_ = 0;
};

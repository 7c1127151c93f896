#include "memtable/stream/StreamErrors.h"

#include "memtable/Exceptions.h"

#include <cstring>

namespace stream_errors {

void RaiseReadError() {
    ::RaiseReadError("Stream read error");
}

void RaiseInvalidPropertyValue() {
    ::RaiseReadError("Invalid property value");
}

void RaiseInvalidStreamFormat() {
    ::RaiseReadError("Invalid stream format");
}

void RaiseOpenError(const std::string& fullPath, int errorNumber) {
    ::RaiseFOpenError("Cannot open file \"" + fullPath + "\". " + std::strerror(errorNumber));
}

void RaiseDeviceError(int errorNumber) {
    ::RaiseReadError(std::strerror(errorNumber));
}

void RaiseUnknownFieldType(const std::string& typeName) {
    ::RaiseMemTableError("Unknown field type (" + typeName + ")");
}

void RaiseNoFormat() {
    ::RaiseMemTableError("No format specified.");
}

void RaiseNoFieldCount() {
    ::RaiseMemTableError("Couldnt determine field count for load.");
}

} // namespace stream_errors

#include "memtable/stream/StreamErrors.h"

#include "memtable/Exceptions.h"

#include <cstring>

namespace {

// The system's reason in English, whatever the locale: these texts are the
// library's own, and a program that reads them (zenor-dump's JSON and CSV)
// must get the same bytes in every locale. strerror would follow LC_MESSAGES.
std::string SystemReason(int errorNumber) {
    if (const char* reason = strerrordesc_np(errorNumber)) return reason;
    return "Unknown error " + std::to_string(errorNumber);
}

} // namespace

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
    ::RaiseFOpenError("Cannot open file \"" + fullPath + "\". " + SystemReason(errorNumber));
}

void RaiseDeviceError(int errorNumber) {
    ::RaiseReadError(SystemReason(errorNumber));
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

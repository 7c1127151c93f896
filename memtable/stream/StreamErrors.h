// The reader's failures, raised from one place per kind so that every path
// reports the same class and text.
#pragma once

#include <string>

namespace stream_errors {

/// EReadError "Stream read error": the bytes ended inside a value or before
/// a list end, or a length claims more bytes than the stream has left.
[[noreturn]] void RaiseReadError();
/// EReadError "Invalid property value": a value of another kind stands where
/// an integer, float, string, list start or list end is required.
[[noreturn]] void RaiseInvalidPropertyValue();
/// EReadError "Invalid stream format": the signature is not "TPF0".
[[noreturn]] void RaiseInvalidStreamFormat();
/// EFOpenError "Cannot open file \"path\". reason".
[[noreturn]] void RaiseOpenError(const std::string& fullPath, int errorNumber);
/// EReadError with the system's reason for a failed read or seek.
[[noreturn]] void RaiseDeviceError(int errorNumber);
/// EMemTableError "Unknown field type (name)".
[[noreturn]] void RaiseUnknownFieldType(const std::string& typeName);
/// EMemTableError "No format specified."
[[noreturn]] void RaiseNoFormat();
/// EMemTableError "Couldnt determine field count for load."
[[noreturn]] void RaiseNoFieldCount();

} // namespace stream_errors

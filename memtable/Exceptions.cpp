#include "memtable/Exceptions.h"

void RaiseDatabaseError(const std::string& text) {
    throw EDatabaseError(text);
}

void RaiseDatabaseErrorFor(const std::string& componentName, const std::string& text) {
    if (componentName.empty()) throw EDatabaseError(text);
    throw EDatabaseError(componentName + ": " + text);
}

void RaiseMemTableError(const std::string& text) {
    throw EMemTableError(text);
}

void RaiseMemTableInvalidLocale(int localeId) {
    throw EMemTableInvalidLocale("Invalid locale. " + std::to_string(localeId));
}

void RaiseMemTableDupKey() {
    throw EMemTableDupKey("Duplicate index value. Operation aborted.");
}

void RaiseMemTableFatalError(const std::string& text) {
    throw EMemTableFatalError(text);
}

void RaiseReadError(const std::string& text) {
    throw EReadError(text);
}

void RaiseFOpenError(const std::string& text) {
    throw EFOpenError(text);
}

// Answer sheets on disk for catalogue tests, written as a station writes them.
#pragma once

#include "SheetWriter.h"

#include <fstream>
#include <string>
#include <vector>

namespace zenor::test {

inline void WriteSheetFile(const std::string& path, const sheetwriter::Sheet& sheet) {
    const std::vector<std::uint8_t> bytes = sheetwriter::WriteSheet(sheet);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline void WriteAnswerSheet(const std::string& path, const std::vector<std::string>& values) {
    WriteSheetFile(path, sheetwriter::AnswerSheet(values));
}

} // namespace zenor::test

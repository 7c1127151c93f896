#include "review/CsvReader.h"

#include "catalogue/WorkExport.h"
#include "l10n/Translation.h"

namespace {

// The separator is the first "," or ";" of the header line outside quotes;
// a header without either (one column) reads as RFC 4180.
char DetectSeparator(std::string_view bytes) {
    bool quoted = false;
    for (char c : bytes) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == ',' || c == ';') return c;
        if (c == '\n') break;
    }
    return ',';
}

} // namespace

std::optional<CsvTable> ReadCsv(std::string_view bytes, std::string& error) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    CsvTable table;
    table.separator = DetectSeparator(bytes);
    std::size_t line = 1;
    CsvRecord record{line, {std::string()}};
    bool quoted = false;
    bool fieldStarted = false; // a quote only opens a field at its start
    auto endRecord = [&] {
        table.records.push_back(std::move(record));
        record = CsvRecord{line, {std::string()}};
        fieldStarted = false;
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        std::string& cell = record.cells.back();
        if (quoted) {
            if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++line;
                cell += c;
            }
        } else if (c == '"' && !fieldStarted) {
            quoted = fieldStarted = true;
        } else if (c == table.separator) {
            record.cells.emplace_back();
            fieldStarted = false;
        } else if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            // the CR of a CRLF line end
        } else if (c == '\n') {
            ++line;
            endRecord();
        } else {
            cell += c;
            fieldStarted = true;
        }
    }
    if (quoted) {
        error = Format(Tr("a quoted field that starts on line %zu never ends"), record.line);
        return std::nullopt;
    }
    if (record.cells.size() > 1 || !record.cells[0].empty()) endRecord();
    return table;
}

std::string UnneutralisedCell(std::string_view cell) {
    if (cell.size() >= 2 && cell[0] == '\'' && zenor::StartsAFormula(cell[1]))
        cell.remove_prefix(1);
    return std::string(cell);
}

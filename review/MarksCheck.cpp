#include "review/MarksCheck.h"

#include "review/RecordingVerdict.h"

#include "l10n/Translation.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

} // namespace

std::optional<double> ParseMark(std::string_view text) {
    std::string t = Trimmed(text);
    if (t.empty() || t.find_first_not_of("+-0123456789.,") != std::string::npos)
        return std::nullopt;
    for (char& c : t)
        if (c == ',') c = '.';
    char* end = nullptr;
    const double value = std::strtod(t.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<double> MarkInRange(std::string_view text, const MarkRange& range) {
    const auto mark = ParseMark(text);
    if (!mark || *mark < range.low || *mark > range.high) return std::nullopt;
    return mark;
}

std::optional<std::vector<MarkRow>> ReadMarkRows(const CsvTable& sheet,
                                                 const std::string& sheetName, std::string& error) {
    const char* const wanted[3] = {"ID", "mark2", "mark3"};
    std::size_t column[3] = {};
    const std::vector<std::string> header =
        sheet.records.empty() ? std::vector<std::string>{} : sheet.records[0].cells;
    for (int c = 0; c < 3; ++c) {
        std::size_t i = 0;
        while (i < header.size() && !SameName(Trimmed(header[i]), wanted[c])) ++i;
        if (i == header.size()) {
            error =
                Format(Tr("%s has no column %s in its first line (write it with export --marks)"),
                       sheetName.c_str(), wanted[c]);
            return std::nullopt;
        }
        column[c] = i;
    }
    std::vector<MarkRow> rows;
    rows.reserve(sheet.records.size());
    for (std::size_t r = 1; r < sheet.records.size(); ++r) {
        const CsvRecord& rec = sheet.records[r];
        auto cell = [&](int c) {
            return column[c] < rec.cells.size() ? Trimmed(rec.cells[column[c]]) : std::string();
        };
        // The page and export write a cell that would start a formula (a
        // negative mark) with an apostrophe in front.
        rows.push_back({rec.line,
                        UnneutralisedCell(cell(0)),
                        {UnneutralisedCell(cell(1)), UnneutralisedCell(cell(2))}});
    }
    return rows;
}

std::optional<std::vector<Problem>> CheckMarks(const std::vector<ListedWork>& works,
                                               const CsvTable& sheet, const std::string& sheetName,
                                               const MarkRange& range, std::string& error) {
    const auto rows = ReadMarkRows(sheet, sheetName, error);
    if (!rows) return std::nullopt;
    std::map<std::string, std::string> folderOf;
    for (const ListedWork& w : works) folderOf.emplace(w.id, w.folder);

    std::vector<Problem> problems;
    std::map<std::string, std::size_t> lineOf; // the first line of each ID
    for (const MarkRow& row : *rows) {
        const std::string& id = row.id;
        const std::string line = "line " + std::to_string(row.line);
        auto add = [&](const char* kind, std::string detail, std::string value = {}) {
            const auto found = folderOf.find(id);
            problems.push_back({id, found == folderOf.end() ? "" : found->second, sheetName, kind,
                                line + ": " + detail, std::move(value)});
        };
        if (id.empty()) {
            if (!row.marks[0].empty() || !row.marks[1].empty())
                add(kind::kUnknownId, "marks without a work ID");
            continue;
        }
        if (!folderOf.contains(id)) {
            add(kind::kUnknownId, "no work of the folder has this ID");
            continue;
        }
        if (const auto [it, fresh] = lineOf.emplace(id, row.line); !fresh) {
            add(kind::kRepeatedId,
                "the ID is given again (first on line " + std::to_string(it->second) + ")");
            continue;
        }
        for (int task = 0; task < 2; ++task) {
            const std::string& text = row.marks[task];
            const std::string name = "task " + std::to_string(task + 2);
            if (text.empty()) {
                add(kind::kMarkMissing, name + " has no mark");
            } else if (!MarkInRange(text, range)) {
                add(kind::kMarkOutOfRange,
                    name + "'s mark is not a number from " + FormatValue(range.low, 1) + " to " +
                        FormatValue(range.high, 1),
                    text);
            }
        }
    }
    for (const ListedWork& w : works)
        if (!lineOf.contains(w.id))
            problems.push_back({w.id, w.folder, sheetName, kind::kMarkMissing,
                                "the work has no row in the marks sheet", ""});
    return problems;
}

#include "catalogue/WorkExport.h"

#include "audio/VorbisFile.h"
#include "catalogue/AnswerSheet.h"
#include "catalogue/FindAllOgg.h"
#include "catalogue/ParticipantName.h"
#include "catalogue/WorkList.h"
#include "memtable/TqvrMemTable.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <exception>
#include <iterator>
#include <functional>
#include <limits>
#include <ostream>
#include <unordered_map>
#include <utility>

namespace zenor {

namespace {

// Byte-equal IDs, looked up by their text without a copy.
struct IdHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view id) const { return std::hash<std::string_view>{}(id); }
};

} // namespace

int ScanWorks(std::string_view folder, TqvrMemTable& tblWork) {
    // The window runs the record step for every participant file. Of all the
    // files of one work ID only the last decides the list that a completed
    // scan leaves: its record ends with that file's ID text and folder, and
    // the list is sorted anyway. So the step runs once per distinct ID text,
    // in the order of their last files, which leaves every record (IDs that
    // the collation finds equal included) as the full run would, for a
    // quarter of the cost.
    struct Last {
        std::size_t file;   // which participant file, counted from 0
        std::size_t folder; // index into `folders`
    };
    std::unordered_map<std::string, Last, IdHash, std::equal_to<>> last;
    std::vector<std::string> folders;
    std::size_t matched = 0;
    ScanHooks hooks;
    hooks.participantFound = [&](const std::string& prefix, std::string_view name) {
        if (folders.empty() || folders.back() != prefix) folders.push_back(prefix);
        const Last now{matched++, folders.size() - 1};
        const std::string_view id = WorkIdOf(name);
        if (const auto it = last.find(id); it != last.end())
            it->second = now;
        else
            last.emplace(std::string(id), now);
    };
    FindAllOgg(folder, hooks);

    std::vector<std::pair<const std::string*, Last>> steps;
    steps.reserve(last.size());
    for (const auto& [id, at] : last) steps.emplace_back(&id, at);
    std::sort(steps.begin(), steps.end(),
              [](const auto& a, const auto& b) { return a.second.file < b.second.file; });
    for (const auto& [id, at] : steps) RecordWork(tblWork, *id, folders[at.folder]);
    tblWork.ApplySort();
    return static_cast<int>(std::min<std::size_t>(matched, std::numeric_limits<int>::max()));
}

std::string RecordingSeconds(const std::string& path) {
    if (!FileExists(path)) return {};
    const std::unique_ptr<VorbisFile> file = VorbisFile::Open(path);
    if (!file) return {};
    // The length the player's gauge runs to: the stream's bytes of 16-bit
    // samples over its bytes per second, computed as the player does.
    const std::int64_t bytes = file->Frames() * file->Channels() * 2;
    const double seconds =
        static_cast<double>(bytes) / (static_cast<double>(file->Rate()) * file->Channels() * 2);
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

namespace {

// The sheet's values as the answer labels would show them. A label whose
// field the sheet lacks fails to bind in the window; here that failure is
// the row's problem, and the other values are still given.
void ReadAnswers(TqvrMemTable& answers, WorkRow& row) {
    ReadSheetValues(answers, row.varNo, row.answers, [&](const char*, const char* error) {
        if (row.problem.empty()) row.problem = error;
    });
}

} // namespace

std::vector<WorkRow> ExportRows(TqvrMemTable& tblWork) {
    std::vector<WorkRow> rows;
    TqvrMemTable answers("answers");
    TqvrBinaryStreamFormat format;
    tblWork.GoFirst();
    while (!tblWork.NoCurrentRecord()) {
        WorkRow row;
        row.id = tblWork.FieldNamed("ID").StringValue();
        row.pathWork = CurrentWorkFolder(tblWork);
        try {
            if (const auto missing = LoadAnswerSheet(tblWork, answers, format))
                row.problem = *missing;
            else
                ReadAnswers(answers, row);
        } catch (const std::exception& error) {
            row.problem = error.what();
        }
        const std::string stem = row.pathWork + row.id;
        row.task2Seconds = RecordingSeconds(stem + "_2.ogg");
        row.task3Seconds = RecordingSeconds(stem + "_3.ogg");
        rows.push_back(std::move(row));
        if (tblWork.StepBy(1) == 0) break;
    }
    return rows;
}

std::string CsvField(std::string_view text, char separator) {
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t len = CharacterLength(text, pos);
        if (len == 1 && static_cast<unsigned char>(text[pos]) >= 0x80)
            clean += "\xEF\xBF\xBD";
        else
            clean.append(text.substr(pos, len));
        pos += len;
    }
    // Pupils write the answers: a cell that a spreadsheet program would take
    // for a formula (or for the start of one) is led by an apostrophe, as the
    // common guidance on CSV injection advises, so that it stays text.
    if (!clean.empty() && StartsAFormula(clean.front())) clean.insert(0, 1, '\'');
    const char special[] = {separator, '"', '\r', '\n', '\0'};
    if (clean.find_first_of(special) == std::string::npos) return clean;
    std::string quoted = "\"";
    for (char c : clean) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

namespace {

// A length with the decimal mark the dialect's spreadsheet expects: with ";"
// between fields, the comma of a Russian locale, so that "3.100" is not read
// as a date or as text.
std::string Seconds(std::string seconds, const CsvLayout& layout) {
    if (layout.separator == ';')
        for (char& c : seconds)
            if (c == '.') c = ',';
    return seconds;
}

} // namespace

void WriteCsv(std::ostream& out, const std::vector<WorkRow>& rows, const CsvLayout& layout) {
    const char sep = layout.separator;
    if (layout.byteOrderMark) out << "\xEF\xBB\xBF";
    const char* const header[] = {
        "ID", "pathWork",      "VarNo",         "a1",     "a2", "a3", "a4", "a5",
        "a6", "task2_seconds", "task3_seconds", "problem"};
    for (std::size_t i = 0; i < std::size(header); ++i) {
        if (i > 0) out << sep;
        out << header[i];
    }
    if (layout.markColumns) out << sep << "mark2" << sep << "mark3" << sep << "note";
    out << "\r\n";
    for (const WorkRow& row : rows) {
        out << CsvField(row.id, sep) << sep << CsvField(row.pathWork, sep) << sep
            << CsvField(row.varNo, sep);
        for (const std::string& answer : row.answers) out << sep << CsvField(answer, sep);
        out << sep << Seconds(row.task2Seconds, layout) << sep << Seconds(row.task3Seconds, layout)
            << sep << CsvField(row.problem, sep);
        if (layout.markColumns) out << sep << sep << sep;
        out << "\r\n";
    }
}

} // namespace zenor

#include "review/PackPage.h"

#include "review/Json.h"
#include "review/PageSources.h"
#include "review/RecordingVerdict.h"

#include "catalogue/ParticipantName.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace fs = std::filesystem;

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t len = zenor::CharacterLength(text, pos);
        const char c = text[pos];
        if (len == 1 && static_cast<unsigned char>(c) >= 0x80)
            out += "\xEF\xBF\xBD";
        else if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '"')
            out += "&quot;";
        else if (c == '\'')
            out += "&#39;";
        else
            out.append(text.substr(pos, len));
        pos += len;
    }
    return out;
}

namespace {

std::string PercentEncoded(std::string_view path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '.' || c == '_' || c == '~' ||
                           c == '-';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// The folder every link of a page is relative to: worked out once per page,
// not once per recording.
fs::path PageFolder(const std::string& pagePath) {
    return fs::absolute(pagePath).lexically_normal().parent_path();
}

std::string LinkFrom(const fs::path& pageFolder, const std::string& filePath) {
    const fs::path file = fs::absolute(filePath).lexically_normal();
    const fs::path rel = file.lexically_relative(pageFolder);
    // A relative link that starts with a name holding ":" would read as a
    // URL scheme; "./" in front keeps it a path.
    if (!rel.empty()) {
        std::string link = PercentEncoded(rel.string());
        return link.starts_with("../") ? link : "./" + link;
    }
    return "file://" + PercentEncoded(file.string());
}

} // namespace

std::string FileLink(const std::string& pagePath, const std::string& filePath) {
    return LinkFrom(PageFolder(pagePath), filePath);
}

namespace {

// A column whose peak is this close to full scale holds samples the
// recorder could not take whole: the check's own rule for clipping.
constexpr double kStripClipDbfs = -0.001;

const char* StatusName(RecordingMeasure::Status status) {
    switch (status) {
    case RecordingMeasure::Status::Missing:
        return "missing";
    case RecordingMeasure::Status::Unreadable:
        return "unreadable";
    case RecordingMeasure::Status::Truncated:
        return "truncated";
    case RecordingMeasure::Status::Measured:
        break;
    }
    return "ok";
}

std::string Str(std::string_view text) {
    return JsonString(text, JsonReader::kHtmlScript);
}

std::string AbsoluteFolder(std::string_view folder) {
    std::string abs = fs::absolute(fs::path(folder)).lexically_normal().string();
    while (abs.size() > 1 && abs.back() == '/') abs.pop_back();
    return abs;
}

} // namespace

std::string StripCode(const std::vector<StripColumn>& strip) {
    std::string code;
    code.reserve(strip.size());
    for (const StripColumn& c : strip) {
        if (std::isinf(c.rmsDbfs) && c.rmsDbfs < 0) {
            code += '.';
            continue;
        }
        const double share = (c.rmsDbfs - kStripFloorDbfs) / -kStripFloorDbfs;
        const int level =
            std::clamp(static_cast<int>(std::floor(share * kStripLevels)), 0, kStripLevels - 1);
        code += static_cast<char>((c.peakDbfs >= kStripClipDbfs ? 'A' : 'a') + level);
    }
    return code;
}

std::string PageStorageKey(std::string_view folder, const std::vector<CheckedWork>& works) {
    // FNV-1a, 64 bits: stable across builds and machines, and short.
    std::uint64_t hash = 14695981039346656037ull;
    auto add = [&](std::string_view text) {
        for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
        hash = (hash ^ 0xFF) * 1099511628211ull; // a byte no UTF-8 text holds ends each text
    };
    add(AbsoluteFolder(folder));
    for (const CheckedWork& w : works) add(w.id);
    char text[32];
    std::snprintf(text, sizeof text, "zenor-review/%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string PageDataJson(const CheckReport& report, std::string_view folder,
                         const std::string& pagePath, const PackOptions& options) {
    // Works are arrays, not objects, and their folders are listed once: at
    // a hundred thousand works the names of keys would weigh megabytes.
    const fs::path pageFolder = PageFolder(pagePath);
    std::map<std::string, std::size_t> folderIndex;
    std::string folders;
    std::string works;
    for (const CheckedWork& w : report.works) {
        const auto [it, fresh] = folderIndex.emplace(w.folder, folderIndex.size());
        if (fresh) folders += (folders.empty() ? "" : ",") + Str(w.folder);
        works += works.empty() ? "\n[" : ",\n[";
        works += Str(w.id) + "," + std::to_string(it->second) + "," + Str(w.varNo);
        for (const std::string& answer : w.answers) works += "," + Str(answer);
        works += "," + Str(w.sheetProblem) + ",[";
        for (std::size_t r = 0; r < kRecordingSuffixes.size(); ++r) {
            const RecordingMeasure& m = w.recordings[r];
            const bool hasLength = m.status == RecordingMeasure::Status::Measured ||
                                   m.status == RecordingMeasure::Status::Truncated;
            works += std::string(r ? "," : "") + "[" + Str(StatusName(m.status)) + "," +
                     Str(LinkFrom(pageFolder, w.folder + w.id + kRecordingSuffixes[r])) + "," +
                     (hasLength ? FormatValue(m.seconds, 3) : "null") + "," +
                     Str(StripCode(m.strip)) + "]";
        }
        works += "],[";
        for (std::size_t p = 0; p < w.problems.size(); ++p) {
            const Problem& problem = w.problems[p];
            works += std::string(p ? "," : "") + "[" + Str(problem.kind) + "," + Str(problem.file) +
                     "," + Str(problem.detail) + "," + Str(problem.value) + "," +
                     Str(problem.folder == w.folder ? "" : problem.folder) + "]";
        }
        works += "]]";
    }
    std::string tree;
    for (const Problem& p : report.treeProblems)
        tree += (tree.empty() ? "[" : ",[") + Str(p.folder) + "," + Str(p.file) + "," +
                Str(p.kind) + "," + Str(p.detail) + "]";
    return "{\"folder\":" + Str(folder) + ",\"key\":" + Str(PageStorageKey(folder, report.works)) +
           ",\"measured\":" + (options.measuring == Measuring::kDecode ? "true" : "false") +
           ",\"low\":" + JsonNumber(options.marks.low) +
           ",\"high\":" + JsonNumber(options.marks.high) + ",\n\"folders\":[" + folders +
           "],\n\"treeProblems\":[" + tree + "],\n\"works\":[" + works + "]}";
}

std::string
FillPageTemplate(std::string_view page,
                 const std::function<std::optional<std::string>(std::string_view)>& part) {
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t open = page.find("@@", at);
        out.append(page.substr(at, open - at));
        if (open == std::string_view::npos) return out;
        const std::size_t close = page.find("@@", open + 2);
        if (close == std::string_view::npos)
            throw std::logic_error("the page template opens a part it never closes");
        const std::string_view name = page.substr(open + 2, close - open - 2);
        const std::optional<std::string> text = part(name);
        if (!text) throw std::logic_error("the page template names no part " + std::string(name));
        out += *text;
        at = close + 2;
    }
}

std::string RenderPackPage(const CheckReport& report, std::string_view folder,
                           const std::string& pagePath, const PackOptions& options) {
    return FillPageTemplate(PageSource("review.html"),
                            [&](std::string_view name) -> std::optional<std::string> {
                                if (name == "folder") return HtmlEscaped(folder);
                                if (name == "data")
                                    return PageDataJson(report, folder, pagePath, options);
                                const std::string_view source = PageSource(name);
                                if (source.empty()) return std::nullopt;
                                return std::string(source);
                            });
}

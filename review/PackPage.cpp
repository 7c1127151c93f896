#include "review/PackPage.h"

#include "review/RecordingVerdict.h"

#include "catalogue/ParticipantName.h"

#include <filesystem>

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

} // namespace

std::string FileLink(const std::string& pagePath, const std::string& filePath) {
    const fs::path page = fs::absolute(pagePath).lexically_normal();
    const fs::path file = fs::absolute(filePath).lexically_normal();
    const fs::path rel = file.lexically_relative(page.parent_path());
    // A relative link that starts with a name holding ":" would read as a
    // URL scheme; "./" in front keeps it a path.
    if (!rel.empty()) {
        std::string link = PercentEncoded(rel.string());
        return link.starts_with("../") ? link : "./" + link;
    }
    return "file://" + PercentEncoded(file.string());
}

namespace {

const char* const kStyle = R"(
body{font:15px/1.4 "DejaVu Sans",Arial,sans-serif;margin:0;background:#f4f4f4;color:#222}
header{position:sticky;top:0;background:#234;color:#fff;padding:8px 16px;z-index:1}
header h1{font-size:17px;margin:0}header p{margin:2px 0 0;font-size:13px;color:#cde}
kbd{background:#fff;color:#234;border-radius:3px;padding:0 4px;font-size:12px}
main{padding:8px 16px}
.work{background:#fff;border:1px solid #ccc;border-left:6px solid #ccc;margin:8px 0;padding:6px 12px}
.work:focus-within,.work.current{border-left-color:#27c;outline:none}
.work h2{font-size:16px;margin:0}.folder{color:#666;font-size:12px;margin:0 0 4px;word-break:break-all}
dl{display:grid;grid-template-columns:max-content 1fr;gap:2px 12px;margin:4px 0}
dt{color:#555}dd{margin:0;white-space:pre-wrap;word-break:break-word}
.rec{display:flex;align-items:center;gap:10px;margin:3px 0}.rec span.name{flex:none;width:170px;white-space:nowrap;color:#555}
audio{height:32px;width:340px}.rec audio:focus{outline:2px solid #27c}
.missing{color:#a00}.problems{margin:4px 0;padding-left:18px;color:#a00;font-size:13px}
.problems code{color:#600}
)";

const char* const kScript = R"(
(function () {
  var works = Array.prototype.slice.call(document.querySelectorAll('.work'));
  var current = -1;
  function pauseAll() {
    document.querySelectorAll('audio').forEach(function (a) { a.pause(); });
  }
  function go(i) {
    if (!works.length) return;
    i = Math.max(0, Math.min(works.length - 1, i));
    if (i !== current) pauseAll();
    if (current >= 0) works[current].classList.remove('current');
    current = i;
    var w = works[i];
    w.classList.add('current');
    (w.querySelector('audio') || w).focus();
    w.scrollIntoView({block: 'nearest'});
  }
  works.forEach(function (w, i) {
    w.addEventListener('focusin', function () {
      if (current >= 0 && current !== i) works[current].classList.remove('current');
      current = i;
      w.classList.add('current');
    });
  });
  document.querySelectorAll('audio').forEach(function (a) {
    a.addEventListener('play', function () {
      document.querySelectorAll('audio').forEach(function (b) { if (b !== a) b.pause(); });
    });
  });
  document.addEventListener('keydown', function (e) {
    if (e.ctrlKey || e.altKey || e.metaKey) return;
    if (e.key === 'j') { go(current + 1); e.preventDefault(); }
    else if (e.key === 'k') { go(current - 1); e.preventDefault(); }
    else if (e.key === ' ') {
      var a = document.activeElement;
      if (!a || a.tagName !== 'AUDIO') a = current >= 0 ? works[current].querySelector('audio') : null;
      if (a) { if (a.paused) a.play(); else a.pause(); e.preventDefault(); }
    }
  });
})();
)";

const char* const kRecordingNames[3] = {"Проверка микрофона", "Задание № 2", "Задание № 3"};

void AppendWork(std::string& html, const CheckedWork& w, const std::string& pagePath) {
    const std::string id = HtmlEscaped(w.id);
    html += "<section class=\"work\" tabindex=\"-1\" data-id=\"" + id + "\">\n<h2>" + id +
            "</h2>\n<p class=\"folder\">" + HtmlEscaped(w.folder) + "</p>\n<dl>";
    const std::pair<const char*, const std::string*> shown[] = {{"Вариант:", &w.varNo},
                                                                {"Задание № 1", &w.answers[0]},
                                                                {"Задание № 4", &w.answers[3]},
                                                                {"Задание № 5", &w.answers[4]},
                                                                {"Задание № 6", &w.answers[5]}};
    for (const auto& [label, value] : shown)
        html += "<dt>" + std::string(label) + "</dt><dd>" + HtmlEscaped(*value) + "</dd>";
    html += "</dl>\n";
    for (std::size_t r = 0; r < kRecordingSuffixes.size(); ++r) {
        const RecordingMeasure& m = w.recordings[r];
        const std::string file = w.folder + w.id + kRecordingSuffixes[r];
        html += "<div class=\"rec\"><span class=\"name\">" + std::string(kRecordingNames[r]) +
                "</span>";
        if (m.status == RecordingMeasure::Status::Missing) {
            html += "<span class=\"missing\">нет файла</span></div>\n";
            continue;
        }
        html += "<audio controls preload=\"metadata\" src=\"" +
                HtmlEscaped(FileLink(pagePath, file)) + "\" data-file=\"" +
                HtmlEscaped(w.id + kRecordingSuffixes[r]) + "\"";
        if (m.status != RecordingMeasure::Status::Unreadable)
            html += " data-seconds=\"" + FormatValue(m.seconds, 3) + "\"></audio><span>" +
                    FormatValue(m.seconds, 1) + " с</span></div>\n";
        else
            html += "></audio><span class=\"missing\">не читается</span></div>\n";
    }
    if (!w.problems.empty()) {
        html += "<ul class=\"problems\">";
        for (const Problem& p : w.problems)
            html += "<li><code>" + HtmlEscaped(p.kind) + "</code> " + HtmlEscaped(p.file) + " " +
                    HtmlEscaped(p.detail) + (p.value.empty() ? "" : ": " + HtmlEscaped(p.value)) +
                    "</li>";
        html += "</ul>\n";
    }
    html += "</section>\n";
}

} // namespace

std::string RenderPackPage(const CheckReport& report, std::string_view folder,
                           const std::string& pagePath) {
    std::size_t problems = report.treeProblems.size();
    for (const CheckedWork& w : report.works) problems += w.problems.size();
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width\">\n"
        "<title>Работы ЗЕНОР-2020: " +
        HtmlEscaped(folder) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n" +
        "<header><h1>Просмотр и прослушивание ответов участников ЗЕНОР-2020</h1>\n<p>" +
        HtmlEscaped(folder) + " · работ: " + std::to_string(report.works.size()) +
        " · замечаний: " + std::to_string(problems) +
        " · <kbd>j</kbd>/<kbd>k</kbd> следующая/предыдущая работа, <kbd>пробел</kbd> слушать "
        "или остановить</p></header>\n<main>\n";
    for (const CheckedWork& w : report.works) AppendWork(html, w, pagePath);
    if (!report.treeProblems.empty()) {
        html += "<section class=\"tree\"><h2>Файлы, которые окно пропускает</h2><ul "
                "class=\"problems\">";
        for (const Problem& p : report.treeProblems)
            html += "<li>" + HtmlEscaped(p.folder + p.file) + "</li>";
        html += "</ul></section>\n";
    }
    html += "</main>\n<script>" + std::string(kScript) + "</script>\n</body>\n</html>\n";
    return html;
}

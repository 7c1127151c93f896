#include "review/MarksAgreement.h"

#include "review/RecordingVerdict.h"

#include "catalogue/WorkExport.h"
#include "l10n/Translation.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <unordered_map>
#include <unordered_set>

namespace {

// Marks are typed with a decimal or two; a difference computed in binary
// floating point may land a hair beyond a whole step (5.3 − 4.3), which must
// not count as more than it is.
constexpr double kMarkTolerance = 1e-9;

// A sheet's rows by ID: the first row of an ID counts, later ones and rows
// without an ID are reported.
struct IndexedSheet {
    char letter = 'a';
    std::unordered_map<std::string, const MarkRow*> byId;
    std::vector<const MarkRow*> order;        // first rows, in the sheet's order
    std::unordered_set<std::string> repeated; // IDs given again after their first row
    std::vector<MarkDispute> withoutId;
};

IndexedSheet Index(const std::vector<MarkRow>& rows, char letter) {
    IndexedSheet sheet;
    sheet.letter = letter;
    for (const MarkRow& row : rows) {
        if (row.id.empty()) {
            for (std::size_t t = 0; t < kMarkedTasks.size(); ++t) {
                if (row.marks[t].empty()) continue;
                MarkDispute d;
                d.task = kMarkedTasks[t];
                (letter == 'a' ? d.markA : letter == 'b' ? d.markB : d.markC) = row.marks[t];
                d.kind = std::string(kind::kIdMissingIn) + letter;
                sheet.withoutId.push_back(std::move(d));
            }
            continue;
        }
        if (sheet.byId.emplace(row.id, &row).second)
            sheet.order.push_back(&row);
        else
            sheet.repeated.insert(row.id);
    }
    return sheet;
}

const MarkRow* Find(const IndexedSheet& sheet, const std::string& id) {
    const auto it = sheet.byId.find(id);
    return it == sheet.byId.end() ? nullptr : it->second;
}

// What keeps one sheet's mark for task `t` from counting, or nothing when it
// does (its value in `mark`).
std::optional<std::string> Unusable(const MarkRow* row, std::size_t t, char letter,
                                    const MarkRange& range, std::optional<double>& mark) {
    mark.reset();
    if (row == nullptr) return std::string(kind::kWorkMissingIn) + letter;
    if (row->marks[t].empty()) return std::string(kind::kMarkMissingIn) + letter;
    mark = MarkInRange(row->marks[t], range);
    if (!mark) return std::string(kind::kMarkOutOfRangeIn) + letter;
    return std::nullopt;
}

std::string Text(const MarkRow* row, std::size_t t) {
    return row == nullptr ? std::string() : row->marks[t];
}

} // namespace

std::optional<double> QuadraticWeightedKappa(std::span<const std::pair<double, double>> pairs) {
    // With w = (a − b)² / width², Σ w·observed over n pairs is Σ(a − b)² / width², and
    // Σ w·expected, over every (a of one pair, b of any pair) divided by n, is
    // n·(var A + var B + (mean A − mean B)²) / width². The width cancels.
    if (pairs.empty()) return std::nullopt;
    const double n = static_cast<double>(pairs.size());
    double meanA = 0, meanB = 0;
    for (const auto& [a, b] : pairs) {
        meanA += a;
        meanB += b;
    }
    meanA /= n;
    meanB /= n;
    double varA = 0, varB = 0, squares = 0;
    for (const auto& [a, b] : pairs) {
        varA += (a - meanA) * (a - meanA);
        varB += (b - meanB) * (b - meanB);
        squares += (a - b) * (a - b);
    }
    const double expected = varA / n + varB / n + (meanA - meanB) * (meanA - meanB);
    if (expected <= 0) return std::nullopt;
    return 1 - (squares / n) / expected;
}

MarksAgreement CompareMarks(const std::vector<MarkRow>& a, const std::vector<MarkRow>& b,
                            const std::vector<MarkRow>* c, const AgreementOptions& options) {
    const IndexedSheet sheetA = Index(a, 'a');
    const IndexedSheet sheetB = Index(b, 'b');
    const IndexedSheet sheetC = c ? Index(*c, 'c') : IndexedSheet{};
    MarksAgreement result;
    result.worksA = sheetA.order.size();
    result.worksB = sheetB.order.size();

    std::vector<std::string> works;
    for (const MarkRow* row : sheetA.order) works.push_back(row->id);
    for (const MarkRow* row : sheetB.order)
        if (!sheetA.byId.contains(row->id)) works.push_back(row->id);

    std::array<std::vector<std::pair<double, double>>, 2> pairs;
    std::array<double, 2> absoluteDifferences{};
    for (const std::string& id : works) {
        for (const IndexedSheet* sheet : {&sheetA, &sheetB, &sheetC})
            if (sheet->repeated.contains(id))
                result.reported.push_back({id, 0, "", "", "", std::nullopt,
                                           kind::kRepeatedIdIn + std::string(1, sheet->letter)});
        const MarkRow* rowA = Find(sheetA, id);
        const MarkRow* rowB = Find(sheetB, id);
        const MarkRow* rowC = c ? Find(sheetC, id) : nullptr;
        if (rowA && rowB) ++result.worksBoth;
        FinalMarks final{id, {}, {}};
        for (std::size_t t = 0; t < kMarkedTasks.size(); ++t) {
            std::optional<double> markA, markB, markC;
            const auto wrongA = Unusable(rowA, t, 'a', options.range, markA);
            const auto wrongB = Unusable(rowB, t, 'b', options.range, markB);
            std::optional<double> difference;
            if (markA && markB) difference = std::abs(*markA - *markB);
            TaskAgreement& task = result.tasks[t];
            if (rowA && rowB) ++task.paired;
            if (difference) {
                ++task.bothMarked;
                if (*difference <= kMarkTolerance) ++task.exact;
                if (*difference <= options.maxDiff + kMarkTolerance) ++task.withinMaxDiff;
                absoluteDifferences[t] += *difference;
                pairs[t].emplace_back(*markA, *markB);
            }
            std::string why;
            if (wrongA)
                why = *wrongA;
            else if (wrongB)
                why = *wrongB;
            else if (*difference > options.maxDiff + kMarkTolerance)
                why = kind::kMarksDiffer;
            if (why.empty()) {
                final.marks[t] = (*markA + *markB) / 2;
                final.source[t] = "mean";
                continue;
            }
            ++result.disputed;
            if (c) {
                if (const auto wrongC = Unusable(rowC, t, 'c', options.range, markC)) {
                    why = *wrongC;
                } else {
                    ++result.settled;
                    final.marks[t] = markC;
                    final.source[t] = "third";
                    continue;
                }
            }
            final.source[t] = "unsettled";
            result.reported.push_back({id, kMarkedTasks[t], Text(rowA, t), Text(rowB, t),
                                       Text(rowC, t), difference, why});
        }
        result.finals.push_back(std::move(final));
    }
    for (std::size_t t = 0; t < kMarkedTasks.size(); ++t) {
        TaskAgreement& task = result.tasks[t];
        if (task.bothMarked > 0)
            task.meanAbsoluteDifference =
                absoluteDifferences[t] / static_cast<double>(task.bothMarked);
        task.kappa = QuadraticWeightedKappa(pairs[t]);
    }
    for (const IndexedSheet* sheet : {&sheetA, &sheetB, &sheetC})
        result.reported.insert(result.reported.end(), sheet->withoutId.begin(),
                               sheet->withoutId.end());
    for (const MarkRow* row : sheetC.order)
        if (!sheetA.byId.contains(row->id) && !sheetB.byId.contains(row->id))
            result.reported.push_back(
                {row->id, 0, "", "", "", std::nullopt, kind::kUnknownIdInThird});
    return result;
}

std::string FormatMark(double mark) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", mark);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

void WriteDisputesCsv(std::ostream& out, const std::vector<MarkDispute>& rows, bool withThird) {
    using zenor::CsvField;
    out << "ID,task,mark_a,mark_b," << (withThird ? "mark_c," : "") << "difference,problem\r\n";
    for (const MarkDispute& d : rows) {
        out << CsvField(d.id) << ',' << (d.task ? std::to_string(d.task) : "") << ','
            << CsvField(d.markA) << ',' << CsvField(d.markB) << ',';
        if (withThird) out << CsvField(d.markC) << ',';
        out << (d.difference ? FormatMark(*d.difference) : "") << ',' << d.kind << "\r\n";
    }
}

void WriteFinalMarksCsv(std::ostream& out, const std::vector<FinalMarks>& finals) {
    out << "ID,mark2,mark3,source2,source3\r\n";
    for (const FinalMarks& f : finals) {
        out << zenor::CsvField(f.id);
        for (const auto& mark : f.marks) out << ',' << (mark ? FormatMark(*mark) : "");
        for (const char* source : f.source) out << ',' << source;
        out << "\r\n";
    }
}

namespace {

std::string Share(std::size_t part, std::size_t whole) {
    if (whole == 0) return std::to_string(part);
    return Format(
        Tr("%zu (%s %%)"), part,
        FormatValue(100.0 * static_cast<double>(part) / static_cast<double>(whole), 1).c_str());
}

} // namespace

void WriteAgreementSummary(std::ostream& out, const MarksAgreement& agreement,
                           const std::array<std::string, 3>& sheetNames,
                           const AgreementOptions& options) {
    out << Format(Tr("works: %zu in %s, %zu in %s, %zu in both\n"), agreement.worksA,
                  sheetNames[0].c_str(), agreement.worksB, sheetNames[1].c_str(),
                  agreement.worksBoth);
    for (std::size_t t = 0; t < kMarkedTasks.size(); ++t) {
        const TaskAgreement& task = agreement.tasks[t];
        const std::string mean =
            task.meanAbsoluteDifference ? FormatValue(*task.meanAbsoluteDifference, 2) : "-";
        const std::string kappa = task.kappa ? FormatValue(*task.kappa, 3) : Tr("undefined");
        // TRANSLATORS: one task's agreement between two examiners; "within N" counts
        // the works whose two marks are at most N apart.
        out << Format(
            Tr("task %d: paired %zu, marked in both %zu, alike %s, within %s: %s, mean "
               "absolute difference %s, weighted kappa %s\n"),
            kMarkedTasks[t], task.paired, task.bothMarked,
            Share(task.exact, task.bothMarked).c_str(), FormatMark(options.maxDiff).c_str(),
            Share(task.withinMaxDiff, task.bothMarked).c_str(), mean.c_str(), kappa.c_str());
    }
    out << Format(Tr("task marks in dispute: %zu\n"), agreement.disputed);
    if (!sheetNames[2].empty())
        out << Format(Tr("settled by %s: %zu, unsettled: %zu\n"), sheetNames[2].c_str(),
                      agreement.settled, agreement.Unsettled());
    out << Format(Tr("reported: %zu\n"), agreement.reported.size());
}

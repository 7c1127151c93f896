// Two examiners mark the same works independently; where their marks for a
// task differ by more than a set amount, or one of them gave none, a third
// examiner decides. This unit pairs two marks sheets by work ID, lists the
// works for the third examiner, sums up how well the two agree per task, and
// gives each work its final mark: the mean of the two when they agree, the
// third examiner's mark otherwise, and none (reported) when that is missing.
// A mark is never made up.
#pragma once

#include "review/MarksCheck.h"

#include <array>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

struct AgreementOptions {
    MarkRange range;
    double maxDiff = 1; // marks this far apart or closer agree
};

/// The tasks a marks sheet carries, in its column order.
inline constexpr std::array<int, 2> kMarkedTasks = {2, 3};

namespace kind {
// Why a work, or a row of a sheet, is listed; "-a", "-b" or "-c" names the
// sheet. A work is in dispute for a task when one of the first five holds.
inline constexpr char kMarksDiffer[] = "marks-differ";
inline constexpr char kWorkMissingIn[] = "work-missing-in-";         // the sheet has no row for it
inline constexpr char kMarkMissingIn[] = "mark-missing-in-";         // the row's cell is empty
inline constexpr char kMarkOutOfRangeIn[] = "mark-out-of-range-in-"; // not a number in range
// Rows of a sheet that pair with nothing: the first row of an ID counts.
inline constexpr char kRepeatedIdIn[] = "repeated-id-in-";
inline constexpr char kIdMissingIn[] = "id-missing-in-";       // marks without a work ID
inline constexpr char kUnknownIdInThird[] = "unknown-id-in-c"; // in neither A nor B
} // namespace kind

/// One row of the list for the third examiner. `task` is 0 for a row that
/// concerns a sheet's row rather than a task.
struct MarkDispute {
    std::string id;
    int task = 0;
    std::string markA, markB, markC; // the texts as the sheets give them
    std::optional<double> difference;
    std::string kind;
};

/// How well A and B agree on one task, over the works both sheets list.
struct TaskAgreement {
    std::size_t paired = 0;        // works in both sheets
    std::size_t bothMarked = 0;    // of those, with a mark in range in both
    std::size_t exact = 0;         // the same mark
    std::size_t withinMaxDiff = 0; // at most maxDiff apart
    std::optional<double> meanAbsoluteDifference;
    std::optional<double> kappa; // quadratically weighted; none when undefined
};

/// A work's final marks; a task's mark is empty when it stays unsettled.
struct FinalMarks {
    std::string id;
    std::array<std::optional<double>, 2> marks;
    std::array<const char*, 2> source{}; // "mean", "third" or "unsettled"
};

struct MarksAgreement {
    std::size_t worksA = 0, worksB = 0, worksBoth = 0;
    std::array<TaskAgreement, 2> tasks;
    std::size_t disputed = 0; // task marks in dispute between A and B
    std::size_t settled = 0;  // of those, settled by C
    /// Without a third sheet every dispute and every row that pairs with
    /// nothing; with one, only the disputes that C does not settle, and the
    /// rows that pair with nothing. Works in A's order, then B's.
    std::vector<MarkDispute> reported;
    std::vector<FinalMarks> finals; // every work of A or B, in the same order
    std::size_t Unsettled() const { return disputed - settled; }
};

/// Pairs `a` with `b` by ID and, when `c` is given, settles their disputes
/// with it.
MarksAgreement CompareMarks(const std::vector<MarkRow>& a, const std::vector<MarkRow>& b,
                            const std::vector<MarkRow>* c, const AgreementOptions& options);

/// Cohen's kappa with quadratic weights for the pairs (mark A, mark B):
/// 1 − Σ w·observed / Σ w·expected, w = (a − b)² / (max − min)² and the
/// expected table the product of the two sheets' own distributions. The
/// scale's width cancels out, so the marks are used as they are (half marks
/// included). Nothing when it is undefined: no pairs, or every mark alike.
std::optional<double> QuadraticWeightedKappa(std::span<const std::pair<double, double>> pairs);

/// A mark as the output writes it: up to three decimals, no trailing zeros.
std::string FormatMark(double mark);

/// The reported rows as CSV (RFC 4180): ID,task,mark_a,mark_b,difference,
/// problem, and mark_c after mark_b when `withThird`.
void WriteDisputesCsv(std::ostream& out, const std::vector<MarkDispute>& rows, bool withThird);

/// The final marks as CSV (RFC 4180) that marks can read back:
/// ID,mark2,mark3,source2,source3.
void WriteFinalMarksCsv(std::ostream& out, const std::vector<FinalMarks>& finals);

/// The summary for standard error: works per sheet, then per task the works
/// paired, the agreement and the kappa, then what was reported.
void WriteAgreementSummary(std::ostream& out, const MarksAgreement& agreement,
                           const std::array<std::string, 3>& sheetNames,
                           const AgreementOptions& options);

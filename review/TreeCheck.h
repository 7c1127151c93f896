// The check of a tree: walk it with the window's own walk and name
// rule, then look at every work of the list as an examiner would have to:
// its answer sheet, its three recordings (_0 the microphone check, _2, _3)
// and the folders its ID was found in; and at the files the name rule
// passed over. Recordings are decoded and measured on a small pool of
// threads while the sheets load. Nothing is written.
#pragma once

#include "review/Problem.h"
#include "review/RecordingMeasure.h"
#include "review/RecordingVerdict.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

/// The recordings of a work, in the order the check reports them.
inline constexpr std::array<const char*, 3> kRecordingSuffixes = {"_0.ogg", "_2.ogg", "_3.ogg"};

struct CheckedWork {
    std::string id;
    std::string folder; // the work folder the window keeps for the ID
    std::string varNo;  // the sheet's values as the labels would show them
    std::array<std::string, 6> answers;
    std::array<RecordingMeasure, 3> recordings;
    std::vector<Problem> problems;
    /// What export's problem column says of the sheet: empty when it loaded
    /// and showed every field, else the window's message or the first error.
    std::string sheetProblem;
};

/// How much of each recording the check reads.
enum class Measuring {
    kDecode,     // decoded to its end: length, loudness, level strip
    kLengthOnly, // its length from the stream's end; loudness rules not applied
};

struct CheckOptions {
    RecordingThresholds thresholds;
    Measuring measuring = Measuring::kDecode;
    unsigned jobs = 0; // decoding threads; 0: one per core
    /// Called now and then with recordings measured and their total; from
    /// any thread, one call at a time.
    std::function<void(std::size_t done, std::size_t total)> progress;
};

struct CheckReport {
    std::vector<CheckedWork> works;    // in the list's order
    std::vector<Problem> treeProblems; // files that belong to no work
    /// Every problem: the works' in list order, then the tree's.
    std::vector<Problem> AllProblems() const;
};

/// Checks the tree below `folder` (which the caller has found readable).
CheckReport CheckTree(std::string_view folder, const CheckOptions& options);

/// Measures every file of `paths` on `jobs` threads (0: one per core), as
/// `measuring` says.
std::vector<RecordingMeasure>
MeasureAll(const std::vector<std::string>& paths, unsigned jobs,
           const std::function<void(std::size_t done, std::size_t total)>& progress,
           Measuring measuring = Measuring::kDecode);

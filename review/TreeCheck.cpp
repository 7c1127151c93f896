#include "review/TreeCheck.h"

#include "review/MisnamedFile.h"
#include "review/RecordingLength.h"

#include "catalogue/AnswerSheet.h"
#include "catalogue/FindAllOgg.h"
#include "catalogue/ParticipantName.h"
#include "catalogue/WorkList.h"
#include "memtable/TqvrMemTable.h"
#include "memtable/stream/TqvrBinaryStreamFormat.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

std::vector<Problem> CheckReport::AllProblems() const {
    std::vector<Problem> all;
    for (const CheckedWork& w : works) all.insert(all.end(), w.problems.begin(), w.problems.end());
    all.insert(all.end(), treeProblems.begin(), treeProblems.end());
    return all;
}

std::vector<RecordingMeasure>
MeasureAll(const std::vector<std::string>& paths, unsigned jobs,
           const std::function<void(std::size_t, std::size_t)>& progress, Measuring measuring) {
    std::vector<RecordingMeasure> measures(paths.size());
    if (jobs == 0) jobs = std::max(1u, std::thread::hardware_concurrency());
    jobs =
        static_cast<unsigned>(std::min<std::size_t>(jobs, std::max<std::size_t>(1, paths.size())));
    const bool decoding = measuring == Measuring::kDecode;
    const auto measure = decoding ? MeasureRecording : MeasureLengthOnly;
    // A decode takes as long as its recording: the longest first, so that the
    // pool does not end waiting on one long recording begun last; the file's
    // size stands for its length. A length alone costs every file the same
    // two small reads, so those keep the list's order, without a stat each.
    std::vector<std::pair<off_t, std::size_t>> order(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        struct stat st {};
        order[i] = {decoding && stat(paths[i].c_str(), &st) == 0 ? st.st_size : 0, i};
    }
    if (decoding)
        std::stable_sort(order.begin(), order.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
    std::atomic<std::size_t> next{0};
    std::size_t done = 0;
    std::mutex progressMutex;
    auto worker = [&] {
        for (std::size_t k; (k = next.fetch_add(1)) < order.size();) {
            const std::size_t i = order[k].second;
            measures[i] = measure(paths[i]);
            const std::lock_guard lock(progressMutex);
            ++done;
            if (progress) progress(done, paths.size());
        }
    };
    std::vector<std::jthread> threads;
    for (unsigned t = 1; t < jobs; ++t) threads.emplace_back(worker);
    worker(); // the calling thread is one of the pool
    return measures;
}

namespace {

// The three fields the window shows beside the variant, and the variant.
constexpr std::array<const char*, 5> kShownFields = {"VarNo", "a1", "a4", "a5", "a6"};

// Loads the work's sheet and reads what the labels would show; a sheet that
// cannot be loaded or lacks a shown field is the work's problem.
void CheckSheet(CheckedWork& work, TqvrMemTable& answers, TqvrBinaryStreamFormat& format) {
    const std::string file = work.id + "_0.ans";
    const std::string path = work.folder + file;
    auto add = [&](const char* kind, std::string detail, std::string value = {}) {
        work.problems.push_back(
            {work.id, work.folder, file, kind, std::move(detail), std::move(value)});
    };
    if (!zenor::FileExists(path)) {
        work.sheetProblem = zenor::MissingSheetMessage(path);
        return add(kind::kSheetMissing, "no such file");
    }
    try {
        answers.LoadFromFileUsingFormat(path, &format);
    } catch (const std::exception& error) {
        work.sheetProblem = error.what();
        return add(kind::kSheetUnreadable, error.what());
    }
    zenor::ReadSheetValues(
        answers, work.varNo, work.answers, [&](const char* field, const char* error) {
            if (work.sheetProblem.empty()) work.sheetProblem = error;
            const bool shown =
                std::find_if(kShownFields.begin(), kShownFields.end(), [&](const char* f) {
                    return std::string_view(f) == field;
                }) != kShownFields.end();
            if (shown) add(kind::kSheetFieldMissing, error, field);
        });
}

} // namespace

CheckReport CheckTree(std::string_view folder, const CheckOptions& options) {
    // The window's walk and record step give the list; beside them, every
    // folder an ID was met in, and the files the name rule passed over.
    TqvrMemTable tblWork("tblWork");
    zenor::ConfigureWorkTable(tblWork);
    std::map<std::string, std::vector<std::string>> foldersOfId;
    CheckReport report;
    zenor::ScanHooks hooks;
    hooks.participantFound = [&](const std::string& prefix, std::string_view name) {
        const std::string_view id = zenor::WorkIdOf(name);
        zenor::RecordWork(tblWork, id, prefix);
        std::vector<std::string>& folders = foldersOfId[std::string(id)];
        if (std::find(folders.begin(), folders.end(), prefix) == folders.end())
            folders.push_back(prefix);
    };
    hooks.fileExamined = [&](const std::string& prefix, std::string_view name) {
        if (LooksLikeMisnamedParticipantFile(name))
            report.treeProblems.push_back(
                {"", prefix, std::string(name), kind::kMisnamedFile,
                 "the window passes over this file: a participant file name is five characters "
                 "of work ID and then _0.ans, _0.ogg, _2.ogg or _3.ogg (characters)",
                 std::to_string(zenor::CountCharacters(name))});
    };
    zenor::FindAllOgg(folder, hooks);
    tblWork.ApplySort();

    const TField& idField = tblWork.FieldNamed("ID");
    const TField& folderField = tblWork.FieldNamed("pathWork");
    report.works.resize(static_cast<std::size_t>(tblWork.RecordTotal()));
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < report.works.size(); ++i) {
        CheckedWork& w = report.works[i];
        w.id = tblWork.FieldTextAt(static_cast<int>(i), idField);
        w.folder = tblWork.FieldTextAt(static_cast<int>(i), folderField);
        for (const char* suffix : kRecordingSuffixes) paths.push_back(w.folder + w.id + suffix);
    }

    // The recordings decode on the pool while this thread loads the sheets.
    std::vector<RecordingMeasure> measures;
    std::jthread pool(
        [&] { measures = MeasureAll(paths, options.jobs, options.progress, options.measuring); });
    TqvrMemTable answers("answers");
    TqvrBinaryStreamFormat format;
    for (CheckedWork& w : report.works) {
        for (const std::string& other : foldersOfId[w.id])
            if (other != w.folder)
                w.problems.push_back(
                    {w.id, other, "", kind::kDuplicateId,
                     "the work ID is also in " + w.folder + "; the window lists only that folder",
                     std::to_string(foldersOfId[w.id].size())});
        CheckSheet(w, answers, format);
    }
    pool.join();

    // Without decoding there is no loudness to judge: thresholds that no
    // recording crosses leave the length rules alone.
    RecordingThresholds thresholds = options.thresholds;
    if (options.measuring == Measuring::kLengthOnly) {
        thresholds.silentBelowLufs = -HUGE_VAL;
        thresholds.quietBelowLufs = -HUGE_VAL;
        thresholds.clippedAbovePercent = HUGE_VAL;
    }
    for (std::size_t i = 0; i < report.works.size(); ++i) {
        CheckedWork& w = report.works[i];
        for (std::size_t r = 0; r < kRecordingSuffixes.size(); ++r) {
            w.recordings[r] = std::move(measures[i * kRecordingSuffixes.size() + r]);
            const Problem where{w.id, w.folder, w.id + kRecordingSuffixes[r], "", "", ""};
            for (Problem& p : RecordingProblems(w.recordings[r], thresholds, where))
                w.problems.push_back(std::move(p));
        }
    }
    return report;
}
